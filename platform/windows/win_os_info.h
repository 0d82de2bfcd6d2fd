#pragma once

// Facts about the Windows the process runs on.
class TWinOSInfo {
 public:
  TWinOSInfo() = delete;

  // True for a 32-bit process on 64-bit Windows. False when the system has no IsWow64Process;
  // throws std::runtime_error("Bad process handle") when the call fails.
  static bool IsWOW64();
};
