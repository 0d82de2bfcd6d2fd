#pragma once

#include <string>
#include <vector>

// The program's arguments after its own path, as UTF-8, split as Windows splits a command line.
std::vector<std::string> CommandLineArguments(const wchar_t* commandLine);
