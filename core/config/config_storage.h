#pragma once

#include <string>

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
