#include "config/app_config.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "common/text.h"

namespace {

constexpr const char* sAccountPromptCaption = "Tarrowind Connect - Account";
constexpr const char* sDefaultAccountPrompt = "Please enter your Tarrowind Account number";
constexpr const char* sDebugLogFileMask = "vostrel.%s.log";
constexpr const char* sDebugLogTimestampPattern = "yyyymmdd-hhnnsszzz";

std::string FormatMask(const std::string& mask, const std::string& text) {
  std::string result = mask;
  result.replace(result.find("%s"), 2, text);
  return result;
}

// "yyyymmdd-hhnnsszzz" in local time.
std::string FormatLocalTimestamp(std::chrono::system_clock::time_point when) {
  using namespace std::chrono;
  const auto seconds = floor<std::chrono::seconds>(when);
  const auto millis = duration_cast<milliseconds>(when - seconds).count();
  const std::time_t stamp = system_clock::to_time_t(seconds);
  // Everything runs on the GUI thread, so the shared buffer of localtime is safe here.
  const std::tm local = *std::localtime(&stamp);
  char text[96];  // room for any int, so the compiler sees no truncation
  std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d%03d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                int(millis));
  return text;
}

const std::string& FirstNonEmpty(std::initializer_list<const std::string*> candidates) {
  static const std::string empty;
  for (const std::string* candidate : candidates)
    if (!candidate->empty()) return *candidate;
  return empty;
}

// A line break inside the value would become a line of its own in the INI file.
bool IsSingleLine(const std::string& text) {
  return text.find_first_of("\r\n") == text.npos;
}

}  // namespace

TAppConfig::TAppConfig(const std::vector<std::string>& args, TAppConfigServices services)
    : FServices(services) {
  FInitialized = false;
  FShowHelp = false;
  ConfigureCommandLineOptions();
  const TCommandLineParseResult parsed = FCommandLine.Parse(args);
  if (parsed.HasErrors()) {
    FShowHelp = true;
    BuildHelpText();
    FHelpText = parsed.ErrorText() + sLineBreak + FHelpText;
    ShowHelpText();
  }
}

void TAppConfig::ConfigureCommandLineOptions() {
  TCommandLineOptionsRec& o = FCmdLineOptions;
  auto text = [this](const char* longName, const char* shortName, const std::string& help,
                     std::string& target) -> TCommandLineOption& {
    return FCommandLine
        .RegisterTextOption(longName, shortName, help,
                            [&target](const std::string& value) { target = value; })
        .SetRequired(false);
  };
  auto flag = [this](const char* longName, const char* shortName, const std::string& help,
                     bool& target) -> TCommandLineOption& {
    return FCommandLine
        .RegisterSwitchOption(longName, shortName, help, [&target](bool value) { target = value; })
        .SetRequired(false)
        .SetHasValue(false);
  };

  text("accountnum", "a", "Tarrowind Account #", o.AccountNumber);
  text("connecturl", "c", "Use the specified Zirevu Vavarivion query URL.", o.ConnectUrl);
  flag("debug", "d",
       "Log debug messages to file: '" + FormatMask(sDebugLogFileMask, sDebugLogTimestampPattern) +
           "'",
       o.Debug)
      .SetHidden(true);
  text("configfile", "f", "Use Configuration file to obtain config.", o.CfgFile);
  flag("showgui", "g", "Display the full GUI.", o.ShowGui);
  FCommandLine
      .RegisterSwitchOption("help", "h", "Display this help.",
                            [this](bool value) { OnHelpSwitch(value); })
      .SetRequired(false)
      .SetHasValue(false);
  flag("multiconnect", "m", "Display all available connections.", o.UseMultiConnect);
  flag("noprompt", "n",
       "Do not prompt for Tarrowind Account #, unless Account # cannot be determined from other "
       "sources (eg. config file, etc.).",
       o.NoPromptForAccount);
  text("mode", "o", "Connect in <option> mode; valid options include 'normal' & 'debug'.", o.Mode)
      .SetHidden(true);
  flag("persist", "p",
       "Do not quit after initiating connection.  Keep the Tarrowind Connect client open.  Note: "
       "this option is only valid if the full GUI is displayed.",
       o.PersistClient);
  flag("statusshow", "s",
       "Show the cloud status (regardless of status) before attempting to connect.", o.ShowStatus);
  text("username", "u", "Tarrowind Username", o.QXUsername);
  flag("saveconfig", "v",
       "Save configuration to config file (default file, or specified at the command line) on "
       "exit.",
       o.SaveConfigOnExit);
}

void TAppConfig::OnHelpSwitch(bool value) {
  if (!value) return;
  FShowHelp = true;
  BuildHelpText();
  ShowHelpText();
}

void TAppConfig::ShowHelpText() {
  FServices.Dialogs.ShowMessage(TMsgDlgType::mtInformation, FHelpText);
}

void TAppConfig::BuildHelpText() {
  FHelpText.clear();
  std::vector<std::string> lines = {
      "Tarrowind Connect Client " + FServices.VersionInfo.ProductVersion.AsString(),
      " (File Version: " + FServices.VersionInfo.FileVersion.AsString() + ")",
      "",
      "Usage: pellanor [[OPTION] [OPTION]...]",
      "",
      "Options :",
  };
  FCommandLine.PrintUsage([&lines](const std::string& line) { lines.push_back(line); });
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) FHelpText += sLineBreak;
    FHelpText += lines[i];
  }
}

void TAppConfig::Initialize() {
  if (FInitialized || FShowHelp) return;
  FDebug = FCmdLineOptions.Debug;
  if (FDebug) FDebugLogFile = MakeDebugLogFileName();

  FConfigFile = !FCmdLineOptions.CfgFile.empty() ? FCmdLineOptions.CfgFile
                                                 : FServices.Storage.DefaultConfigFilePath();
  if (!FConfigFile.empty()) FCfgFileOptions = FServices.Storage.ReadConfigFile(FConfigFile);
  FRegOptions = FServices.Storage.ReadRegistry();

  ReadAccountNumber();
  FQXUserName = FirstNonEmpty({&FCmdLineOptions.QXUsername, &FCfgFileOptions.QXUsername});
  FConnectMode = FCmdLineOptions.Mode;
  FConnectUrl = FirstNonEmpty({&FCmdLineOptions.ConnectUrl, &FCfgFileOptions.ConnectUrl});
  if (FConnectUrl.empty()) FConnectUrl = sDefaultConnectUrl;

  FShowGui = FCmdLineOptions.ShowGui;
  FShowStatus = FCmdLineOptions.ShowStatus;
  FUseMultiConnect = FCmdLineOptions.UseMultiConnect;
  FSaveConfigOnExit = FCmdLineOptions.SaveConfigOnExit;
  FPersistClient = FCmdLineOptions.PersistClient;
  FRedirectUrl.clear();
  ValidateConnect();
  FInitialized = true;
}

// Without "noprompt" only the prompt counts, even when another source knows the account.
void TAppConfig::ReadAccountNumber() {
  if (!FCmdLineOptions.NoPromptForAccount) {
    PromptForAccount();
    return;
  }
  FAccountNumber =
      FirstNonEmpty({&FCmdLineOptions.AccountNumber, &FCfgFileOptions.AccountNumber,
                     &FRegOptions.UserAccountNumber, &FRegOptions.MachineAccountNumber});
  if (FAccountNumber.empty()) PromptForAccount();
}

std::string TAppConfig::MakeDebugLogFileName() {
  return FServices.System.TempFolder() +
         FormatMask(sDebugLogFileMask, FormatLocalTimestamp(std::chrono::system_clock::now()));
}

void TAppConfig::ValidateConnect() {
  FCanConnect = !FAccountNumber.empty() && IsValidURL(FServices.Uri, FConnectUrl);
}

void TAppConfig::PromptForAccount() {
  PromptForAccount(sDefaultAccountPrompt);
}

// A cancelled dialog gives back the initial text, which is empty.
void TAppConfig::PromptForAccount(const std::string& CustomMsg) {
  FAccountNumber = FServices.Dialogs.InputQuery(sAccountPromptCaption, CustomMsg, "");
}

void TAppConfig::SaveConfig() {
  if (!FSaveConfigOnExit || FConfigFile.empty() || FAccountNumber.empty()) return;
  if (FAccountNumber == FCfgFileOptions.AccountNumber) return;
  if (!IsSingleLine(FAccountNumber)) return;
  // Nothing is left at exit to report a failed write to.
  FServices.Storage.WriteAccountNumber(FConfigFile, FAccountNumber);
}
