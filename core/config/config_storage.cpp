#include "config/config_storage.h"

#include <filesystem>

namespace {

constexpr const char* sConfigFileName = ".qxccfg";
constexpr const char* sConfigSection = "Pellanor";
constexpr const char* sAccountNumberKey = "AccountNumber";
constexpr const char* sConnectUrlKey = "ConnectUrl";
constexpr const char* sQXUsernameKey = "QXUsername";
constexpr const char* sRegistryKey = "SOFTWARE\\Tarrowind Business Systems\\Orbisant Cloud\\";
constexpr const char* sProductCodeValue = "ProductCode";

}  // namespace

std::string TConfigStorage::DefaultConfigFilePath() {
  return FAppData.RoamingAppDataFolder() + char(std::filesystem::path::preferred_separator) +
         sConfigFileName;
}

TConfigFileOptions TConfigStorage::ReadConfigFile(const std::string& path) {
  TConfigFileOptions options;
  options.AccountNumber = FIni.ReadString(path, sConfigSection, sAccountNumberKey, "");
  options.ConnectUrl = FIni.ReadString(path, sConfigSection, sConnectUrlKey, "");
  options.QXUsername = FIni.ReadString(path, sConfigSection, sQXUsernameKey, "");
  return options;
}

TRegistryOptions TConfigStorage::ReadRegistry() {
  TRegistryOptions options;
  options.MachineAccountNumber =
      ReadRegistryText(FRegistry, TRegistryRoot::rrLocalMachine, sRegistryKey, sProductCodeValue);
  options.UserAccountNumber =
      ReadRegistryText(FRegistry, TRegistryRoot::rrCurrentUser, sRegistryKey, sProductCodeValue);
  return options;
}

bool TConfigStorage::WriteAccountNumber(const std::string& path, const std::string& accountNumber) {
  return FIni.WriteString(path, sConfigSection, sAccountNumberKey, accountNumber);
}
