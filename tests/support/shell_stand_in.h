#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

// Small recording programs put first on PATH in place of xdg-open and the RDP clients. Each call
// is recorded as one line "program arg..."; a file named by the last argument is copied as it was
// when the program read it.
class TShellStandIn {
 public:
  // `programs` are the names to stand in for; each exits with `exitCode`. With `keepSystemPath`
  // false the folder is the whole PATH, so that no real program is found. With `readsFile` false
  // the programs never open the file they are given.
  explicit TShellStandIn(const std::vector<std::string>& programs, int exitCode = 0,
                         bool keepSystemPath = true, bool readsFile = true);
  ~TShellStandIn();

  std::vector<std::string> Calls() const;
  // The bytes of the file handed to call `index`; empty when it named no file.
  std::string Received(size_t index) const;
  // Waits up to two seconds for at least `count` calls (the RDP clients are not waited for).
  bool WaitForCalls(size_t count) const;

 private:
  TTempDir FDir;
  std::string FOldPath;
};
