#pragma once

#include <string>

#include "common/shell.h"

// The Windows shell. Handlers that the shell starts may use COM, so the calling thread should
// have initialised COM as a single-threaded apartment, as a GUI thread has.
class TWinShell : public IShell {
 public:
  int Execute(const std::string& verb, const std::string& target) override;
};
