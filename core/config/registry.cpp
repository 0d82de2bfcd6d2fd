#include "config/registry.h"

std::optional<std::uint32_t> RegistryKeyAccess(IRegistry& registry, TRegistryRoot root,
                                               const std::string& key) {
  std::uint32_t access = kRegistryKeyRead;
  if (registry.KeyExists(root, key, access)) return access;
  // A 32-bit process under WOW64 sees the 32-bit view by default, any other process the native one.
  access |= registry.IsWOW64() ? kRegistryWow64_64Key : kRegistryWow64_32Key;
  if (registry.KeyExists(root, key, access)) return access;
  return std::nullopt;
}

std::string ReadRegistryText(IRegistry& registry, TRegistryRoot root, const std::string& key,
                             const std::string& valueName) {
  const std::optional<std::uint32_t> access = RegistryKeyAccess(registry, root, key);
  if (!access) return {};
  return registry.ReadText(root, key, valueName, *access);
}
