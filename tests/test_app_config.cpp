#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "config/app_config.h"
#include "support/recording_dialogs.h"

namespace {

using TArgs = std::vector<std::string>;
using TEntry = TRecordingDialogs::TEntry;

const char* const kHelpText =
    "Tarrowind Connect Client 1.0.2.38\r\n"
    " (File Version: 1.0.3.40)\r\n"
    "\r\n"
    "Usage: pellanor [[OPTION] [OPTION]...]\r\n"
    "\r\n"
    "Options :\r\n"
    "--accountnum:value or -a:value : Tarrowind Account #\r\n"
    "--connecturl:value or -c:value : Use the specified Zirevu Vavarivion query URL.\r\n"
    "--configfile:value or -f:value : Use Configuration file to obtain config.\r\n"
    "--showgui or -g : Display the full GUI.\r\n"
    "--help or -h : Display this help.\r\n"
    "--multiconnect or -m : Display all available connections.\r\n"
    "--noprompt or -n : Do not prompt for Tarrowind Account #, unless Account # cannot be "
    "determined from other sources (eg. config file, etc.).\r\n"
    "--persist or -p : Do not quit after initiating connection.  Keep the Tarrowind Connect "
    "client open.  Note: this option is only valid if the full GUI is displayed.\r\n"
    "--statusshow or -s : Show the cloud status (regardless of status) before attempting to "
    "connect.\r\n"
    "--username:value or -u:value : Tarrowind Username\r\n"
    "--saveconfig or -v : Save configuration to config file (default file, or specified at the "
    "command line) on exit.";

const char* const kPromptCaption = "Tarrowind Connect - Account";
const char* const kDefaultPrompt = "Please enter your Tarrowind Account number";

// Accepts "http://" or "https://" followed by at least one character.
class TPrefixUriParser : public IURIParser {
 public:
  TURI Parse(const std::string& text) override {
    for (const std::string scheme : {"http", "https"}) {
      const std::string prefix = scheme + "://";
      if (text.size() > prefix.size() && text.starts_with(prefix)) {
        TURI uri;
        uri.Scheme = scheme;
        uri.Text = text;
        return uri;
      }
    }
    throw EURIParseError("not an address: " + text);
  }
  std::string EncodeQueryComponent(const std::string& text) override { return text; }
};

class TTempFolderSystem : public ISystemInfo {
 public:
  std::string HostName() override { return "HOST"; }
  TOSVersionInfo OSVersion() override { return {}; }
  std::string TempFolder() override { return "/tmp/vostrel-test/"; }
};

// Gives the values a test sets and records what was asked of it.
class TGivenConfigStorage : public IConfigStorage {
 public:
  std::string DefaultPath = "/home/user/.config/.qxccfg";
  TConfigFileOptions File;
  TRegistryOptions Registry;

  std::vector<std::string> FilesRead;
  int RegistryReads = 0;
  std::vector<std::pair<std::string, std::string>> Writes;

  std::string DefaultConfigFilePath() override { return DefaultPath; }
  TConfigFileOptions ReadConfigFile(const std::string& path) override {
    FilesRead.push_back(path);
    return File;
  }
  TRegistryOptions ReadRegistry() override {
    ++RegistryReads;
    return Registry;
  }
  bool WriteAccountNumber(const std::string& path, const std::string& accountNumber) override {
    Writes.emplace_back(path, accountNumber);
    return true;
  }
};

TAppResVersionInfo MakeVersionInfo() {
  TAppResVersionInfo info;
  info.ProductVersion.VersionFromStr("1.0.2.38");
  info.FileVersion.VersionFromStr("1.0.3.40");
  return info;
}

class AppConfig : public ::testing::Test {
 protected:
  TAppConfig& Make(const TArgs& args) {
    Config = std::make_unique<TAppConfig>(
        args, TAppConfigServices{Dialogs, System, Uri, Storage, VersionInfo});
    return *Config;
  }

  // The prompts shown so far, as (caption, prompt).
  std::vector<std::pair<std::string, std::string>> Prompts() const {
    std::vector<std::pair<std::string, std::string>> prompts;
    for (const auto& e : Dialogs.Entries())
      if (e.What == TEntry::Kind::Input) prompts.emplace_back(e.Caption, e.Text);
    return prompts;
  }

  void ExpectInformationMessages(const std::vector<std::string>& texts) {
    const auto entries = Dialogs.Entries();
    ASSERT_EQ(entries.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
      EXPECT_EQ(entries[i].What, TEntry::Kind::Message) << i;
      EXPECT_EQ(entries[i].Type, TMsgDlgType::mtInformation) << i;
      EXPECT_EQ(entries[i].Text, texts[i]) << i;
    }
  }

  TRecordingDialogs Dialogs;
  TTempFolderSystem System;
  TPrefixUriParser Uri;
  TGivenConfigStorage Storage;
  TAppResVersionInfo VersionInfo = MakeVersionInfo();
  std::unique_ptr<TAppConfig> Config;
};

TEST_F(AppConfig, HelpIsShownDuringConstructionAndEndsTheRun) {
  TAppConfig& config = Make({"-h"});
  ExpectInformationMessages({kHelpText});
  EXPECT_EQ(config.HelpText(), kHelpText);

  EXPECT_TRUE(config.ShowHelp());
  EXPECT_FALSE(config.CanConnect());
  EXPECT_EQ(config.ConnectUrl(), "");
  EXPECT_EQ(Dialogs.Count(), 1u) << "no account prompt after help";
  EXPECT_TRUE(Storage.FilesRead.empty());
  EXPECT_EQ(Storage.RegistryReads, 0);
}

TEST_F(AppConfig, HelpComesFirstThenErrorsWithHelp) {
  TAppConfig& config = Make({"-h", "-x"});
  const std::string errors = std::string("Unknown command line option: -x\r\n\r\n") + kHelpText;
  ExpectInformationMessages({kHelpText, errors});
  EXPECT_EQ(config.HelpText(), errors);
  EXPECT_TRUE(config.ShowHelp());
}

TEST_F(AppConfig, CommandLineErrorsShowOneDialogAndEndTheRun) {
  struct Case {
    TArgs args;
    std::string errors;
  } cases[] = {
      {{"-c"}, "Option [c] expected a following :value but none was found\r\n"},
      {{"setup", "-g:maybe"},
       "Unknown option start: setup\r\n"
       "Error setting option: g to maybe: Invalid value, not Boolean\r\n"},
      {{"--"}, "Unknown command line option: --\r\n"},
  };
  for (const auto& c : cases) {
    Dialogs.Clear();
    TAppConfig& config = Make(c.args);
    ExpectInformationMessages({c.errors + "\r\n" + kHelpText});
    EXPECT_TRUE(config.ShowHelp());
    EXPECT_FALSE(config.CanConnect());
    EXPECT_EQ(Dialogs.Count(), 1u) << "no account prompt after errors";
  }
}

TEST_F(AppConfig, HiddenAndFalseSwitchesRunNormally) {
  Dialogs.QueueInput("42");
  TAppConfig& config = Make({"-h:no", "-d", "-o:debug"});
  EXPECT_FALSE(config.ShowHelp());
  EXPECT_TRUE(config.CanConnect());
  EXPECT_EQ(config.ConnectMode(), "debug");
  EXPECT_EQ(Prompts().size(), 1u);
}

TEST_F(AppConfig, AccountNumberPrecedence) {
  struct Case {
    const char* name;
    TArgs args;
    TConfigFileOptions file;
    TRegistryOptions registry;
    std::optional<std::string> typed;  // none: the prompt is cancelled
    std::string expected;
    bool prompted;
  } cases[] = {
      {"prompt only", {}, {"F", "", ""}, {"M", "U"}, "T", "T", true},
      {"prompt cancelled", {}, {"F", "", ""}, {"M", "U"}, std::nullopt, "", true},
      {"prompt despite -a", {"-a:123"}, {}, {}, "T", "T", true},
      {"-a unused when cancelled", {"-a:123"}, {}, {}, std::nullopt, "", true},
      {"command line", {"-n", "-a:123"}, {"F", "", ""}, {"M", "U"}, {}, "123", false},
      {"file", {"-n"}, {"F", "", ""}, {"M", "U"}, {}, "F", false},
      {"user before machine", {"-n"}, {}, {"M", "U"}, {}, "U", false},
      {"machine", {"-n"}, {}, {"M", ""}, {}, "M", false},
      {"nothing known", {"-n"}, {}, {}, "T", "T", true},
      {"nothing known, cancelled", {"-n"}, {}, {}, std::nullopt, "", true},
      {"typed empty", {}, {}, {}, "", "", true},
      {"spaces count", {"-n", "-a: "}, {"F", "", ""}, {}, {}, " ", false},
  };
  for (const auto& c : cases) {
    Dialogs.Clear();
    Storage.File = c.file;
    Storage.Registry = c.registry;
    if (c.typed) Dialogs.QueueInput(*c.typed);
    TAppConfig& config = Make(c.args);
    config.Initialize();
    EXPECT_EQ(config.AccountNumber(), c.expected) << c.name;
    EXPECT_EQ(config.CanConnect(), !c.expected.empty()) << c.name;
    using TPrompts = std::vector<std::pair<std::string, std::string>>;
    const TPrompts expected = c.prompted ? TPrompts{{kPromptCaption, kDefaultPrompt}} : TPrompts{};
    EXPECT_EQ(Prompts(), expected) << c.name;
  }
}

TEST_F(AppConfig, ConfigFileAndRegistryAreReadOnceAlways) {
  struct Case {
    TArgs args;
    std::string defaultPath;
    std::string expectedFile;
  } cases[] = {
      {{"-n", "-a:1"}, "/home/u/.qxccfg", "/home/u/.qxccfg"},
      {{"-n", "-a:1", "-f:my.cfg"}, "/home/u/.qxccfg", "my.cfg"},
      {{"-n", "-a:1"}, "", ""},
  };
  for (const auto& c : cases) {
    Storage = TGivenConfigStorage();
    Storage.DefaultPath = c.defaultPath;
    TAppConfig& config = Make(c.args);
    EXPECT_EQ(config.ConfigFile(), c.expectedFile);
    config.Initialize();
    EXPECT_EQ(Storage.FilesRead,
              c.expectedFile.empty() ? std::vector<std::string>{} : std::vector{c.expectedFile});
    EXPECT_EQ(Storage.RegistryReads, 1);
  }
}

TEST_F(AppConfig, UserNameUrlModeAndFlags) {
  struct Case {
    TArgs args;
    TConfigFileOptions file;
    std::string user, url, mode;
  } cases[] = {
      {{}, {}, "", sDefaultConnectUrl, ""},
      {{}, {"", "https://file/", "fileuser"}, "fileuser", "https://file/", ""},
      {{"-u:cmd", "-c:https://cmd/", "-o:normal"},
       {"", "https://file/", "fileuser"},
       "cmd",
       "https://cmd/",
       "normal"},
      {{"-u:'cmd'"}, {"", "", "fileuser"}, "cmd", sDefaultConnectUrl, ""},
  };
  for (const auto& c : cases) {
    Storage.File = c.file;
    TArgs args = {"-n", "-a:1"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    TAppConfig& config = Make(args);
    EXPECT_EQ(config.QXUserName(), c.user);
    EXPECT_EQ(config.ConnectUrl(), c.url);
    EXPECT_EQ(config.ConnectMode(), c.mode);
  }
}

TEST_F(AppConfig, FlagsComeFromTheCommandLineOnly) {
  TAppConfig& plain = Make({"-n", "-a:1"});
  EXPECT_FALSE(plain.ShowGui() || plain.ShowStatus() || plain.UseMultiConnect() ||
               plain.SaveConfigOnExit() || plain.PersistClient() || plain.Debug());
  EXPECT_EQ(plain.RedirectUrl(), "");

  TAppConfig& all = Make({"-n", "-a:1", "-g", "-s", "-m", "-v", "-p", "-g:off", "-g"});
  EXPECT_TRUE(all.ShowGui() && all.ShowStatus() && all.UseMultiConnect() &&
              all.SaveConfigOnExit() && all.PersistClient());

  TAppConfig& cleared = Make({"-n", "-a:1", "-g", "-g:OFF"});
  EXPECT_FALSE(cleared.ShowGui());
}

TEST_F(AppConfig, QueryUrlMustPassTheCheck) {
  struct Case {
    std::string url;
    bool canConnect;
  } cases[] = {
      {"https://q.example/Connect/", true},
      {"http://q", true},
      {"ftp://q.example/", false},
      {"https://", false},
      {"q.example", false},
  };
  for (const auto& c : cases) {
    Dialogs.Clear();
    TAppConfig& config = Make({"-n", "-a:1", "-c:" + c.url});
    EXPECT_EQ(config.CanConnect(), c.canConnect) << c.url;
    EXPECT_EQ(Dialogs.Count(), 0u) << c.url;
  }
}

TEST_F(AppConfig, InitializeRunsOnceOnFirstRead) {
  Dialogs.QueueInput("7");
  TAppConfig& config = Make({});
  EXPECT_EQ(Dialogs.Count(), 0u) << "construction asks nothing";
  EXPECT_TRUE(config.CanConnect());
  config.Initialize();
  EXPECT_EQ(config.AccountNumber(), "7");
  EXPECT_EQ(Prompts().size(), 1u);
  EXPECT_EQ(Storage.RegistryReads, 1);
}

TEST_F(AppConfig, PromptWithOwnTextThenValidate) {
  Dialogs.QueueInputCancel();
  TAppConfig& config = Make({});
  EXPECT_FALSE(config.CanConnect());

  Dialogs.QueueInput("99");
  config.PromptForAccount("Account rejected, try again");
  EXPECT_EQ(config.AccountNumber(), "99");
  EXPECT_FALSE(config.CanConnect()) << "only ValidateConnect sets it";
  config.ValidateConnect();
  EXPECT_TRUE(config.CanConnect());
  EXPECT_EQ(Prompts().back(), std::make_pair(std::string(kPromptCaption),
                                             std::string("Account rejected, try again")));
}

std::string LocalStamp(std::chrono::system_clock::time_point when) {
  const std::time_t t = std::chrono::system_clock::to_time_t(when);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", std::localtime(&t));
  return text;
}

TEST_F(AppConfig, DebugLogName) {
  const auto before = LocalStamp(std::chrono::system_clock::now());
  TAppConfig& config = Make({"-n", "-a:1", "-d"});
  config.Initialize();
  const auto after = LocalStamp(std::chrono::system_clock::now());

  EXPECT_TRUE(config.Debug());
  std::smatch match;
  const std::string name = config.DebugLogFile();
  ASSERT_TRUE(std::regex_match(name, match,
                               std::regex(R"(/tmp/vostrel-test/vostrel\.(\d{8}-\d{6})\d{3}\.log)")))
      << name;
  EXPECT_GE(match[1].str(), before);
  EXPECT_LE(match[1].str(), after);

  for (const TArgs& args : {TArgs{"-n", "-a:1"}, TArgs{"-n", "-a:1", "-d", "-d:0"}}) {
    TAppConfig& plain = Make(args);
    EXPECT_FALSE(plain.Debug());
    EXPECT_EQ(plain.DebugLogFile(), "");
  }
}

TEST_F(AppConfig, SaveConfigWritesOnlyANewAccountNumber) {
  struct Case {
    const char* name;
    TArgs args;
    std::string defaultPath;
    std::string fileAccount;
    std::optional<std::string> typed;
    std::vector<std::pair<std::string, std::string>> writes;
  } cases[] = {
      {"no saveconfig", {}, "/d/.qxccfg", "A0", "A1", {}},
      {"new number", {"-v"}, "/d/.qxccfg", "A0", "A1", {{"/d/.qxccfg", "A1"}}},
      {"into the given file", {"-v", "-f:my.cfg"}, "/d/.qxccfg", "", "A1", {{"my.cfg", "A1"}}},
      {"same number", {"-v"}, "/d/.qxccfg", "A1", "A1", {}},
      {"case differs", {"-v"}, "/d/.qxccfg", "abc", "ABC", {{"/d/.qxccfg", "ABC"}}},
      {"cancelled", {"-v"}, "/d/.qxccfg", "A0", std::nullopt, {}},
      {"no file", {"-v"}, "", "A0", "A1", {}},
      {"line break", {"-v"}, "/d/.qxccfg", "A0", "12\r\n[Other]", {}},
      {"line feed", {"-v"}, "/d/.qxccfg", "A0", "12\nx=1", {}},
      {"carriage return", {"-v"}, "/d/.qxccfg", "A0", "12\r", {}},
      {"help shown", {"-v", "-h", "-n", "-a:A1"}, "/d/.qxccfg", "A0", std::nullopt, {}},
  };
  for (const auto& c : cases) {
    Storage = TGivenConfigStorage();
    Storage.DefaultPath = c.defaultPath;
    Storage.File.AccountNumber = c.fileAccount;
    if (c.typed) Dialogs.QueueInput(*c.typed);
    TAppConfig& config = Make(c.args);
    config.Initialize();
    config.SaveConfig();
    EXPECT_EQ(Storage.Writes, c.writes) << c.name;
  }
}

TEST_F(AppConfig, SaveConfigBeforeInitializeWritesNothing) {
  Make({"-v", "-n", "-a:1"}).SaveConfig();
  EXPECT_TRUE(Storage.Writes.empty());
}

}  // namespace
