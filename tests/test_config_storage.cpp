#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/app_config.h"
#include "config/config_storage.h"
#include "config/registry.h"
#include "curl_uri_parser.h"
#include "posix_app_data.h"
#include "posix_ini_file.h"
#include "posix_registry.h"
#include "posix_system_info.h"
#include "support/recording_dialogs.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const char* const kProductKey = "SOFTWARE\\Tarrowind Business Systems\\Orbisant Cloud\\";
const char* const kStandInFolder = "Tarrowind Business Systems";
const char* const kStandInFile = "Orbisant Cloud.conf";

// The configuration over the real Linux stand-ins, with the XDG folders inside a temporary folder:
// "user" stands for the current user's root and "machine" for the machine's.
class ConfigStorageTest : public ::testing::Test {
 protected:
  std::string UserFolder() const { return FDir.File("user"); }
  std::string MachineFolder() const { return FDir.File("machine"); }
  std::string DefaultFile() const { return UserFolder() + "/.qxccfg"; }

  void SetUp() override {
    fs::create_directories(UserFolder());
    fs::create_directories(MachineFolder());
  }

  void WriteProductCode(const std::string& rootFolder, const std::string& fileText) const {
    fs::create_directories(fs::path(rootFolder) / kStandInFolder);
    FDir.Write(fs::path(rootFolder).filename().string() + "/" + kStandInFolder + "/" + kStandInFile,
               fileText);
  }
  void SetProductCodes(const std::optional<std::string>& machine,
                       const std::optional<std::string>& user) const {
    if (machine) WriteProductCode(MachineFolder(), "[General]\nProductCode=" + *machine + "\n");
    if (user) WriteProductCode(UserFolder(), "[General]\r\nProductCode=" + *user + "\r\n");
  }

  TTempDir FDir;
  TScopedEnv FConfigHome{"XDG_CONFIG_HOME", UserFolder().c_str()};
  TScopedEnv FConfigDirs{"XDG_CONFIG_DIRS",
                         ("relative/first:" + MachineFolder() + ":/nowhere").c_str()};
  TPosixIniFile FIni;
  TPosixRegistry FRegistry{FIni};
  TPosixAppDataFolder FAppData;
  TConfigStorage FStorage{FIni, FRegistry, FAppData};
};

class TFixedAppData : public IAppDataFolder {
 public:
  explicit TFixedAppData(std::string folder) : FFolder(std::move(folder)) {}
  std::string RoamingAppDataFolder() override { return FFolder; }

 private:
  std::string FFolder;
};

}  // namespace

TEST_F(ConfigStorageTest, DefaultFileIsInTheRoamingApplicationDataFolder) {
  EXPECT_EQ(FStorage.DefaultConfigFilePath(), DefaultFile());

  TScopedEnv home("HOME", "/home/tester");
  struct Case {
    const char* configHome;
    std::string expected;
  } cases[] = {
      {nullptr, "/home/tester/.config/.qxccfg"},
      {"", "/home/tester/.config/.qxccfg"},
      {"relative/config", "/home/tester/.config/.qxccfg"},
      {"/srv/cfg/", "/srv/cfg/.qxccfg"},
  };
  for (const Case& c : cases) {
    TScopedEnv configHome("XDG_CONFIG_HOME", c.configHome);
    EXPECT_EQ(FStorage.DefaultConfigFilePath(), c.expected) << (c.configHome ? c.configHome : "");
  }

  TFixedAppData noFolder("");
  EXPECT_EQ(TConfigStorage(FIni, FRegistry, noFolder).DefaultConfigFilePath(), "/.qxccfg");
}

TEST_F(ConfigStorageTest, ReadsTheThreeKeysOfSectionPellanor) {
  struct Case {
    const char* name;
    std::optional<std::string> file;
    TConfigFileOptions expected;
  } cases[] = {
      {"all three",
       "[Other]\r\nAccountNumber=no\r\n[Pellanor]\r\nQXUsername= tester \r\n"
       "ConnectUrl=\"https://h/Connect/\"\r\nAccountNumber=123\r\n",
       {"123", "https://h/Connect/", "tester"}},
      {"some", "[pellanor]\nconnecturl=https://h/\n", {"", "https://h/", ""}},
      {"no section", "AccountNumber=1\n", {}},
      {"missing file", std::nullopt, {}},
  };
  for (const Case& c : cases) {
    std::error_code ignored;
    fs::remove(DefaultFile(), ignored);
    if (c.file) FDir.Write("user/.qxccfg", *c.file);
    const TConfigFileOptions read = FStorage.ReadConfigFile(DefaultFile());
    EXPECT_EQ(read.AccountNumber, c.expected.AccountNumber) << c.name;
    EXPECT_EQ(read.ConnectUrl, c.expected.ConnectUrl) << c.name;
    EXPECT_EQ(read.QXUsername, c.expected.QXUsername) << c.name;
  }
}

TEST_F(ConfigStorageTest, WritesTheAccountNumberIntoSectionPellanor) {
  FDir.Write("user/.qxccfg", "[Pellanor]\r\nConnectUrl=u\r\n");
  ASSERT_TRUE(FStorage.WriteAccountNumber(DefaultFile(), "42"));
  EXPECT_EQ(FDir.Read("user/.qxccfg"), "[Pellanor]\r\nConnectUrl=u\r\nAccountNumber=42\r\n");
  EXPECT_FALSE(FStorage.WriteAccountNumber(FDir.File("no/folder/.qxccfg"), "42"));
}

TEST_F(ConfigStorageTest, ReadsProductCodeUnderBothRoots) {
  struct Case {
    const char* name;
    std::optional<std::string> machine, user;
    TRegistryOptions expected;
  } cases[] = {
      {"both", "M-1", "U-1", {"M-1", "U-1"}},
      {"machine only", "M-2", std::nullopt, {"M-2", ""}},
      {"user only", std::nullopt, "U-3", {"", "U-3"}},
      {"neither", std::nullopt, std::nullopt, {"", ""}},
  };
  for (const Case& c : cases) {
    fs::remove_all(fs::path(UserFolder()) / kStandInFolder);
    fs::remove_all(fs::path(MachineFolder()) / kStandInFolder);
    SetProductCodes(c.machine, c.user);
    const TRegistryOptions read = FStorage.ReadRegistry();
    EXPECT_EQ(read.MachineAccountNumber, c.expected.MachineAccountNumber) << c.name;
    EXPECT_EQ(read.UserAccountNumber, c.expected.UserAccountNumber) << c.name;
  }

  // A key without the value, or with the value in another section, reads as empty.
  fs::remove_all(fs::path(UserFolder()) / kStandInFolder);
  fs::remove_all(fs::path(MachineFolder()) / kStandInFolder);
  WriteProductCode(MachineFolder(), "[General]\nOther=1\n");
  WriteProductCode(UserFolder(), "[Other]\nProductCode=1\n");
  const TRegistryOptions read = FStorage.ReadRegistry();
  EXPECT_EQ(read.MachineAccountNumber, "");
  EXPECT_EQ(read.UserAccountNumber, "");
}

TEST_F(ConfigStorageTest, StandInKeyFilesFollowTheXdgFolders) {
  const std::string file = std::string("/") + kStandInFolder + "/" + kStandInFile;
  EXPECT_EQ(TPosixRegistry::KeyFile(TRegistryRoot::rrLocalMachine, kProductKey),
            MachineFolder() + file);
  EXPECT_EQ(TPosixRegistry::KeyFile(TRegistryRoot::rrCurrentUser, kProductKey),
            UserFolder() + file);
  {
    TScopedEnv noDirs("XDG_CONFIG_DIRS", nullptr);
    EXPECT_EQ(TPosixRegistry::KeyFile(TRegistryRoot::rrLocalMachine, kProductKey),
              "/etc/xdg" + file);
  }
  {
    TScopedEnv onlyRelative("XDG_CONFIG_DIRS", "etc:xdg");
    EXPECT_EQ(TPosixRegistry::KeyFile(TRegistryRoot::rrLocalMachine, kProductKey),
              "/etc/xdg" + file);
  }
  for (const char* key : {"SYSTEM\\Tarrowind\\", "SOFTWARE\\", "SOFTWARE\\..\\x",
                          "SOFTWARE\\a\\\\b", "SOFTWARE\\a/b"})
    EXPECT_EQ(TPosixRegistry::KeyFile(TRegistryRoot::rrCurrentUser, key), "") << key;
  EXPECT_EQ(TPosixRegistry::KeyFile(TRegistryRoot::rrCurrentUser, "software\\A\\B"),
            UserFolder() + "/A/B.conf");
}

namespace {

// Two registry views with at most one "ProductCode" each per root. A 32-bit process under WOW64
// sees the 32-bit view by default, any other process the 64-bit one.
class TFakeRegistryViews : public IRegistry {
 public:
  enum TView { rv32, rv64 };

  bool WOW64 = false;
  std::map<std::pair<TRegistryRoot, TView>, std::string> Values;
  std::vector<std::uint32_t> ReadAccesses;

  bool IsWOW64() override { return WOW64; }
  bool KeyExists(TRegistryRoot root, const std::string& key, std::uint32_t access) override {
    return key == kProductKey && Values.contains({root, ViewOf(access)});
  }
  std::string ReadText(TRegistryRoot root, const std::string& key, const std::string& valueName,
                       std::uint32_t access) override {
    ReadAccesses.push_back(access);
    const auto found = Values.find({root, ViewOf(access)});
    return key == kProductKey && valueName == "ProductCode" && found != Values.end() ? found->second
                                                                                     : "";
  }

 private:
  TView ViewOf(std::uint32_t access) const {
    EXPECT_EQ(access & kRegistryKeyRead, kRegistryKeyRead);
    if (access & kRegistryWow64_64Key) return rv64;
    if (access & kRegistryWow64_32Key) return rv32;
    return WOW64 ? rv32 : rv64;
  }
};

}  // namespace

TEST(RegistryViews, DefaultViewFirstThenTheOtherOne) {
  using TView = TFakeRegistryViews::TView;
  struct Case {
    const char* name;
    bool wow64;
    std::optional<std::string> in32, in64;
    std::string expected;
    std::optional<std::uint32_t> access;
  } cases[] = {
      {"WOW64, key only in the 64-bit view", true, std::nullopt, "64", "64", 0x20119},
      {"WOW64, key in both views", true, "32", "64", "32", 0x20019},
      {"64-bit process, key only in the 32-bit view", false, "32", std::nullopt, "32", 0x20219},
      {"64-bit process, key in both views", false, "32", "64", "64", 0x20019},
      {"WOW64, no key", true, std::nullopt, std::nullopt, "", std::nullopt},
      {"64-bit process, no key", false, std::nullopt, std::nullopt, "", std::nullopt},
  };
  for (const Case& c : cases) {
    TFakeRegistryViews registry;
    registry.WOW64 = c.wow64;
    const auto root = TRegistryRoot::rrLocalMachine;
    if (c.in32) registry.Values[{root, TView::rv32}] = *c.in32;
    if (c.in64) registry.Values[{root, TView::rv64}] = *c.in64;
    EXPECT_EQ(RegistryKeyAccess(registry, root, kProductKey), c.access) << c.name;
    EXPECT_EQ(ReadRegistryText(registry, root, kProductKey, "ProductCode"), c.expected) << c.name;
    EXPECT_EQ(registry.ReadAccesses,
              c.access ? std::vector<std::uint32_t>{*c.access} : std::vector<std::uint32_t>{})
        << c.name;
  }
}

TEST(RegistryViews, EachRootChoosesItsOwnView) {
  using TView = TFakeRegistryViews::TView;
  TFakeRegistryViews registry;
  registry.WOW64 = true;
  registry.Values[{TRegistryRoot::rrLocalMachine, TView::rv64}] = "machine-64";
  registry.Values[{TRegistryRoot::rrCurrentUser, TView::rv32}] = "user-32";
  registry.Values[{TRegistryRoot::rrCurrentUser, TView::rv64}] = "user-64";
  TPosixIniFile ini;
  TFixedAppData appData("/unused");
  const TRegistryOptions read = TConfigStorage(ini, registry, appData).ReadRegistry();
  EXPECT_EQ(read.MachineAccountNumber, "machine-64");
  EXPECT_EQ(read.UserAccountNumber, "user-32");
  // The user root starts again from plain read access.
  EXPECT_EQ(registry.ReadAccesses, (std::vector<std::uint32_t>{0x20119, 0x20019}));
}

namespace {

// TAppConfig over the real storage.
class AppConfigWithStorage : public ConfigStorageTest {
 protected:
  std::unique_ptr<TAppConfig> Make(const std::vector<std::string>& args) {
    return std::make_unique<TAppConfig>(
        args, TAppConfigServices{FDialogs, FSystem, FUri, FStorage, FVersionInfo});
  }
  size_t Prompts() const {
    size_t count = 0;
    for (const auto& entry : FDialogs.Entries())
      if (entry.What == TRecordingDialogs::TEntry::Kind::Input) ++count;
    return count;
  }

  TRecordingDialogs FDialogs;
  TPosixSystemInfo FSystem;
  TCurlURIParser FUri;
  TAppResVersionInfo FVersionInfo;
};

std::string FileWithAccount(const std::optional<std::string>& account) {
  return "[Pellanor]\r\n" + (account ? "AccountNumber=" + *account + "\r\n" : "");
}

}  // namespace

TEST_F(AppConfigWithStorage, AccountNumberComesFromTheFirstSourceThatHasOne) {
  struct Case {
    const char* name;
    bool noPrompt;
    std::optional<std::string> commandLine, file, user, machine;
    std::string expected;
    size_t prompts;
  } cases[] = {
      {"command line first", true, "cmd", "file", "user", "machine", "cmd", 0},
      {"then the file", true, std::nullopt, "file", "user", "machine", "file", 0},
      {"then the user root", true, std::nullopt, std::nullopt, "user", "machine", "user", 0},
      {"then the machine root", true, std::nullopt, std::nullopt, std::nullopt, "machine",
       "machine", 0},
      {"an empty file value does not count", true, std::nullopt, "", std::nullopt, "machine",
       "machine", 0},
      {"no source: the prompt", true, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
       "typed", 1},
      {"without noprompt only the prompt", false, "cmd", "file", "user", "machine", "typed", 1},
  };
  for (const Case& c : cases) {
    fs::remove_all(fs::path(UserFolder()) / kStandInFolder);
    fs::remove_all(fs::path(MachineFolder()) / kStandInFolder);
    fs::remove(DefaultFile());
    SetProductCodes(c.machine, c.user);
    FDir.Write("user/.qxccfg", FileWithAccount(c.file));
    FDialogs.Clear();
    FDialogs.QueueInput("typed");
    std::vector<std::string> args;
    if (c.noPrompt) args.push_back("-n");
    if (c.commandLine) args.push_back("-a:" + *c.commandLine);
    auto config = Make(args);
    EXPECT_EQ(config->AccountNumber(), c.expected) << c.name;
    EXPECT_EQ(config->ConfigFile(), DefaultFile()) << c.name;
    EXPECT_EQ(Prompts(), c.prompts) << c.name;
    EXPECT_TRUE(config->CanConnect()) << c.name;
  }
}

TEST_F(AppConfigWithStorage, QueryUrlAndUserNameFromTheFile) {
  struct Case {
    const char* name;
    std::string file;
    std::vector<std::string> args;
    std::string connectUrl, userName;
  } cases[] = {
      {"from the file",
       "[Pellanor]\r\nConnectUrl=https://file.test/Connect/\r\nQXUsername=fu\r\n",
       {},
       "https://file.test/Connect/",
       "fu"},
      {"empty ConnectUrl in the file",
       "[Pellanor]\r\nConnectUrl=\r\nQXUsername=\r\n",
       {},
       sDefaultConnectUrl,
       ""},
      {"command line wins",
       "[Pellanor]\r\nConnectUrl=https://file.test/Connect/\r\nQXUsername=fu\r\n",
       {"-c:https://cmd.test/Connect/", "-u:cu"},
       "https://cmd.test/Connect/",
       "cu"},
  };
  for (const Case& c : cases) {
    const std::string path = FDir.File("named.ini");
    FDir.Write("named.ini", c.file);
    std::vector<std::string> args = {"-n", "-a:1", "-f:" + path};
    args.insert(args.end(), c.args.begin(), c.args.end());
    auto config = Make(args);
    EXPECT_EQ(config->ConfigFile(), path) << c.name;
    EXPECT_EQ(config->ConnectUrl(), c.connectUrl) << c.name;
    EXPECT_EQ(config->QXUserName(), c.userName) << c.name;
  }
}

TEST_F(AppConfigWithStorage, SaveConfigWritesOnlyWhenAskedAndChanged) {
  const std::string otherKeys =
      "; kept\r\n[Pellanor]\r\nConnectUrl=https://h/Connect/\r\n"
      "QXUsername=tester\r\n\r\n[Other]\r\nX=1\r\n";
  struct Case {
    const char* name;
    bool saveConfig;
    std::optional<std::string> before;  // none: no file
    std::optional<std::string> typed;   // none: the prompt is cancelled
    std::optional<std::string> after;   // none: the file is not touched
  } cases[] = {
      {"without saveconfig", false, FileWithAccount("1"), "999", std::nullopt},
      {"without saveconfig, no file", false, std::nullopt, "999", std::nullopt},
      {"equal value", true, FileWithAccount("abc"), "abc", std::nullopt},
      {"differs only in case", true, FileWithAccount("abc"), "ABC", FileWithAccount("ABC")},
      {"cancelled prompt", true, FileWithAccount("1"), std::nullopt, std::nullopt},
      {"cancelled prompt, no file", true, std::nullopt, std::nullopt, std::nullopt},
      {"no file yet", true, std::nullopt, "42", FileWithAccount("42")},
      {"AccountNumber added to the other keys", true, otherKeys, "42",
       "; kept\r\n[Pellanor]\r\nConnectUrl=https://h/Connect/\r\nQXUsername=tester\r\n"
       "AccountNumber=42\r\n\r\n[Other]\r\nX=1\r\n"},
  };
  const std::string path = FDir.File("saved.ini");
  const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
  for (const Case& c : cases) {
    std::error_code ignored;
    fs::remove(path, ignored);
    if (c.before) {
      FDir.Write("saved.ini", *c.before);
      fs::last_write_time(path, past);
    }
    FDialogs.Clear();
    if (c.typed)
      FDialogs.QueueInput(*c.typed);
    else
      FDialogs.QueueInputCancel();
    std::vector<std::string> args = {"-f:" + path};
    if (c.saveConfig) args.push_back("-v");
    auto config = Make(args);
    config->Initialize();
    config->SaveConfig();

    if (c.after) {
      EXPECT_EQ(FDir.Read("saved.ini"), *c.after) << c.name;
    } else if (c.before) {
      EXPECT_EQ(FDir.Read("saved.ini"), *c.before) << c.name;
      EXPECT_EQ(fs::last_write_time(path), past) << c.name;
    } else {
      EXPECT_FALSE(fs::exists(path)) << c.name;
    }
  }
}
