#pragma once

#include <cstdint>
#include <string>

#include "config/registry.h"

// The Windows registry, read only. Texts of the kinds REG_SZ and REG_EXPAND_SZ are read as
// stored, without expanding variables, up to their first NUL; a value of any other kind reads as
// empty, as a missing one does.
class TWinRegistry : public IRegistry {
 public:
  bool IsWOW64() override;
  bool KeyExists(TRegistryRoot root, const std::string& key, std::uint32_t access) override;
  std::string ReadText(TRegistryRoot root, const std::string& key, const std::string& valueName,
                       std::uint32_t access) override;
};
