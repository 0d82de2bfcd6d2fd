#pragma once

#include <cstdint>
#include <optional>
#include <string>

enum class TRegistryRoot { rrLocalMachine, rrCurrentUser };

// Access rights as the Windows registry numbers them.
inline constexpr std::uint32_t kRegistryKeyRead = 0x20019;     // KEY_READ
inline constexpr std::uint32_t kRegistryWow64_64Key = 0x0100;  // KEY_WOW64_64KEY
inline constexpr std::uint32_t kRegistryWow64_32Key = 0x0200;  // KEY_WOW64_32KEY

// The registry's views as the platform offers them; which view to read is chosen by
// ReadRegistryText.
class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // True for a 32-bit process on 64-bit Windows.
  virtual bool IsWOW64() = 0;
  // Whether `key` can be opened under `root` with `access`, whose view flag selects the view.
  virtual bool KeyExists(TRegistryRoot root, const std::string& key, std::uint32_t access) = 0;
  // Opens `key` read-only with `access` and reads the text value `valueName`, as stored; empty
  // when the key or the value is missing.
  virtual std::string ReadText(TRegistryRoot root, const std::string& key,
                               const std::string& valueName, std::uint32_t access) = 0;
};

// The access under which `key` is read: plain read access when the key is in the view the process
// sees by default, else read access with the other view's flag when the key is there; none when
// neither view holds it.
std::optional<std::uint32_t> RegistryKeyAccess(IRegistry& registry, TRegistryRoot root,
                                               const std::string& key);

// The text value from the view RegistryKeyAccess chooses; empty when no view holds the key.
std::string ReadRegistryText(IRegistry& registry, TRegistryRoot root, const std::string& key,
                             const std::string& valueName);
