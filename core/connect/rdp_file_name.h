#pragma once

#include <random>
#include <string>

// Eight random characters, a dot and three more, each drawn from a randomly chosen one of the
// ranges 0-9, A-Z and a-z: "k3Jq90aZ.p7R".
std::string RandomRDPBaseName(std::mt19937& random);

// True when the display name can stand as a file name inside the temporary folder: no path
// separator, no step to a parent, nothing a file name cannot hold. The empty name passes.
bool IsPlainFileName(const std::string& name);
