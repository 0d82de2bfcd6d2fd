#pragma once

#include <string>
#include <vector>

#include "common/app_version_info.h"
#include "common/dialogs.h"
#include "common/system_info.h"
#include "common/uri.h"
#include "config/command_line.h"
#include "config/config_storage.h"

class TQXConnection;

struct TCommandLineOptionsRec {
  std::string CfgFile;
  std::string AccountNumber;
  std::string QXUsername;
  std::string ConnectUrl;
  std::string Mode;
  bool NoPromptForAccount = false;
  bool ShowStatus = false;
  bool ShowGui = false;
  bool UseMultiConnect = false;
  bool SaveConfigOnExit = false;
  bool PersistClient = false;
  bool Debug = false;
};

// Every member must outlive the configuration.
struct TAppConfigServices {
  IDialogs& Dialogs;
  ISystemInfo& System;
  IURIParser& Uri;
  IConfigStorage& Storage;
  const TAppResVersionInfo& VersionInfo;
};

// The query URL used when neither the command line nor the configuration file names one.
inline constexpr const char* sDefaultConnectUrl = "https://connect.tarrowind.cloud/Connect/";

// The launcher's settings, merged once from the command line, the configuration file, the
// registry and the account prompt.
class TAppConfig {
 public:
  // Registers the options and parses `args` (the arguments after the program path) at once; help
  // and command-line errors are shown from here.
  TAppConfig(const std::vector<std::string>& args, TAppConfigServices services);
  // The option callbacks refer to this object.
  TAppConfig(const TAppConfig&) = delete;
  TAppConfig& operator=(const TAppConfig&) = delete;

  void Initialize();
  void ValidateConnect();
  void PromptForAccount();
  void PromptForAccount(const std::string& CustomMsg);
  void UpdateConfig(const TQXConnection& Conn);
  void SaveConfig();

  const std::string& ConfigFile() { return Initialized().FConfigFile; }
  bool ShowGui() { return Initialized().FShowGui; }
  bool ShowStatus() { return Initialized().FShowStatus; }
  const std::string& AccountNumber() { return Initialized().FAccountNumber; }
  const std::string& QXUserName() { return Initialized().FQXUserName; }
  const std::string& ConnectUrl() { return Initialized().FConnectUrl; }
  const std::string& RedirectUrl() { return Initialized().FRedirectUrl; }
  bool CanConnect() { return Initialized().FCanConnect; }
  bool UseMultiConnect() { return Initialized().FUseMultiConnect; }
  bool SaveConfigOnExit() { return Initialized().FSaveConfigOnExit; }
  bool PersistClient() { return Initialized().FPersistClient; }
  bool ShowHelp() { return Initialized().FShowHelp; }
  bool Debug() { return Initialized().FDebug; }
  const std::string& DebugLogFile() { return Initialized().FDebugLogFile; }
  const std::string& ConnectMode() { return Initialized().FConnectMode; }
  const std::string& HelpText() const { return FHelpText; }
  const TCommandLineOptionsRec& CmdLineOptions() const { return FCmdLineOptions; }

 private:
  TAppConfig& Initialized() {
    if (!FInitialized) Initialize();
    return *this;
  }
  void ConfigureCommandLineOptions();
  void BuildHelpText();
  void ShowHelpText();
  void OnHelpSwitch(bool value);
  void ReadAccountNumber();
  std::string MakeDebugLogFileName();

  TAppConfigServices FServices;
  TCommandLineParser FCommandLine;

  bool FInitialized = false;
  TCommandLineOptionsRec FCmdLineOptions;
  std::string FConfigFile;
  TConfigFileOptions FCfgFileOptions;
  TRegistryOptions FRegOptions;
  std::string FAccountNumber;
  std::string FConnectUrl;
  std::string FRedirectUrl;
  std::string FQXUserName;
  bool FShowStatus = false;
  bool FShowGui = false;
  bool FUseMultiConnect = false;
  bool FSaveConfigOnExit = false;
  bool FPersistClient = false;
  bool FCanConnect = false;
  bool FShowHelp = false;
  std::string FHelpText;
  bool FDebug = false;
  std::string FDebugLogFile;
  std::string FConnectMode;
};
