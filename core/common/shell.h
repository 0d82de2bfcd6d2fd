#pragma once

#include <string>

// Shell result codes as the Windows shell gives them; above 32 means success.
namespace shellcode {
inline constexpr int kOutOfResources = 0;
inline constexpr int kFileNotFound = 2;
inline constexpr int kAccessDenied = 5;
inline constexpr int kAssociationIncomplete = 27;
inline constexpr int kNoAssociation = 31;
inline constexpr int kLaunched = 33;
inline constexpr bool Succeeded(int code) {
  return code > 32;
}
}  // namespace shellcode

// Hands a file or an address to whatever the desktop has registered for it.
class IShell {
 public:
  virtual ~IShell() = default;
  // One request with the verb ("open", "connect", ...) and the file or address, shown normally;
  // returns the shell's result code.
  virtual int Execute(const std::string& verb, const std::string& target) = 0;
};
