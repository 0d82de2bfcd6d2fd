#pragma once

#include <string>

struct TOSVersionInfo {
  std::string ProductName;
  int Major = 0;
  int Minor = 0;
  int Build = 0;
  int ServicePackMajor = 0;
  bool Is64Bit = false;  // the operating system runs on x64
};

// "%s (Version %d.%d, Build %d, %5:s)", or with " Service Pack N" after the name when one is
// installed.
std::string FormatOSDescription(const TOSVersionInfo& info);

// What the program asks of the machine it runs on.
class ISystemInfo {
 public:
  virtual ~ISystemInfo() = default;
  // The computer's short (NetBIOS-style) name; empty when it cannot be found.
  virtual std::string HostName() = 0;
  virtual TOSVersionInfo OSVersion() = 0;
  // The user's temporary folder in its long form, ending in a path separator.
  virtual std::string TempFolder() = 0;
};
