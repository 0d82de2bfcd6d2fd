#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "config/ini_file.h"
#include "config/registry.h"

// The registry on Linux: a key "SOFTWARE\Org\App\" is the file "Org/App.conf" under
// XdgFirstConfigDir() for the machine root and under XdgConfigHome() for the user root, and its
// values are the keys of the file's section [General], read as the INI reader reads them. There is
// one view, so the view flags change nothing.
class TPosixRegistry : public IRegistry {
 public:
  // Registry texts are not cut at the INI functions' usual buffer size.
  static constexpr std::size_t kMaxValueChars = 65535;

  // `ini` must outlive the registry.
  explicit TPosixRegistry(IIniFile& ini) : FIni(ini) {}

  bool IsWOW64() override { return false; }
  bool KeyExists(TRegistryRoot root, const std::string& key, std::uint32_t access) override;
  std::string ReadText(TRegistryRoot root, const std::string& key, const std::string& valueName,
                       std::uint32_t access) override;

  // The file that holds `key` under `root`; empty for a key outside "SOFTWARE\" or with a name
  // that cannot be a file path.
  static std::string KeyFile(TRegistryRoot root, const std::string& key);

 private:
  IIniFile& FIni;
};
