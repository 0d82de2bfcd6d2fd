#pragma once

#include <string>

#include "config/ini_file.h"
#include "config/registry.h"

struct TConfigFileOptions {
  std::string AccountNumber;
  std::string ConnectUrl;
  std::string QXUsername;
};

struct TRegistryOptions {
  std::string MachineAccountNumber;
  std::string UserAccountNumber;
};

// The configuration file and the registry values. None of these reports an error: what cannot be
// read is empty.
class IConfigStorage {
 public:
  virtual ~IConfigStorage() = default;
  virtual std::string DefaultConfigFilePath() = 0;
  virtual TConfigFileOptions ReadConfigFile(const std::string& path) = 0;
  virtual TRegistryOptions ReadRegistry() = 0;
  // Writes "AccountNumber" of section "Pellanor"; false when the file could not be written.
  virtual bool WriteAccountNumber(const std::string& path, const std::string& accountNumber) = 0;
};

// Reads nothing and writes nothing.
class TNoConfigStorage : public IConfigStorage {
 public:
  std::string DefaultConfigFilePath() override { return {}; }
  TConfigFileOptions ReadConfigFile(const std::string&) override { return {}; }
  TRegistryOptions ReadRegistry() override { return {}; }
  bool WriteAccountNumber(const std::string&, const std::string&) override { return false; }
};

// Where the platform keeps the user's roaming application data.
class IAppDataFolder {
 public:
  virtual ~IAppDataFolder() = default;
  // The folder without a trailing separator; empty when the platform cannot name it.
  virtual std::string RoamingAppDataFolder() = 0;
};

// The configuration file ".qxccfg" and the "ProductCode" registry values, over the platform's INI
// files, registry and application-data folder, which must outlive it.
class TConfigStorage : public IConfigStorage {
 public:
  TConfigStorage(IIniFile& ini, IRegistry& registry, IAppDataFolder& appData)
      : FIni(ini), FRegistry(registry), FAppData(appData) {}

  std::string DefaultConfigFilePath() override;
  TConfigFileOptions ReadConfigFile(const std::string& path) override;
  TRegistryOptions ReadRegistry() override;
  bool WriteAccountNumber(const std::string& path, const std::string& accountNumber) override;

 private:
  IIniFile& FIni;
  IRegistry& FRegistry;
  IAppDataFolder& FAppData;
};
