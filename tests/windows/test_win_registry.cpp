#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "config/config_storage.h"
#include "config/registry.h"
#include "win_app_data.h"
#include "win_ini_file.h"
#include "win_os_info.h"
#include "win_registry.h"
#include "win_test_support.h"
#include "win_text.h"

namespace {

const std::wstring kSoftware = L"SOFTWARE";
const std::wstring kTestParent =
    L"SOFTWARE\\Tarrowind Vostrel Tests " + std::to_wstring(GetCurrentProcessId());
const std::wstring kTestChild = L"Orbisant Cloud";
// Written as the configuration writes its key: with a backslash at the end.
const std::string kTestKey = FromWide(kTestParent + L"\\" + kTestChild) + "\\";

HKEY RootKey(TRegistryRoot root) {
  return root == TRegistryRoot::rrLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

}  // namespace

TEST(WinOSInfoTest, A64BitProcessIsNoWow64Process) {
  EXPECT_EQ(TWinOSInfo::IsWOW64(), false);
  EXPECT_EQ(TWinRegistry().IsWOW64(), false);
}

// The 64-bit build sees the 64-bit view by default and reaches the 32-bit view (Wow6432Node)
// through KEY_WOW64_32KEY; the machine root is split into the two views, the user's SOFTWARE key
// is shared by them.
TEST(WinRegistryTest, TheDefaultViewWinsAndTheOtherViewIsTheFallback) {
  constexpr std::uint32_t kOtherView = kRegistryKeyRead | kRegistryWow64_32Key;
  struct Case {
    const char* name;
    TRegistryRoot root;
    const wchar_t* defaultView;  // the value in the view the process sees by default, or none
    const wchar_t* otherView;    // the value written through KEY_WOW64_32KEY, or none
    std::string expected;
    std::optional<std::uint32_t> access;
  } cases[] = {
      {"machine, default view only", TRegistryRoot::rrLocalMachine, L"M-64", nullptr, "M-64",
       kRegistryKeyRead},
      {"machine, 32-bit view only", TRegistryRoot::rrLocalMachine, nullptr, L"M-32", "M-32",
       kOtherView},
      {"machine, both views", TRegistryRoot::rrLocalMachine, L"M-64", L"M-32", "M-64",
       kRegistryKeyRead},
      {"machine, neither view", TRegistryRoot::rrLocalMachine, nullptr, nullptr, "", std::nullopt},
      {"user, default view", TRegistryRoot::rrCurrentUser, L"U", nullptr, "U", kRegistryKeyRead},
      {"user, written through the 32-bit view", TRegistryRoot::rrCurrentUser, nullptr, L"U-32",
       "U-32", kRegistryKeyRead},
      {"user, neither view", TRegistryRoot::rrCurrentUser, nullptr, nullptr, "", std::nullopt},
  };
  TWinRegistry registry;
  for (const Case& c : cases) {
    std::optional<TScratchRegistryKey> defaultKey, otherKey;
    if (c.defaultView) {
      defaultKey.emplace(RootKey(c.root), kTestParent, kTestChild, 0);
      if (!defaultKey->Created() && c.root == TRegistryRoot::rrLocalMachine)
        GTEST_SKIP() << "the machine root cannot be written without administrator rights";
      defaultKey->SetText(L"ProductCode", c.defaultView);
    }
    if (c.otherView) {
      otherKey.emplace(RootKey(c.root), kTestParent, kTestChild, KEY_WOW64_32KEY);
      if (!otherKey->Created() && c.root == TRegistryRoot::rrLocalMachine)
        GTEST_SKIP() << "the machine root cannot be written without administrator rights";
      otherKey->SetText(L"ProductCode", c.otherView);
    }
    EXPECT_EQ(RegistryKeyAccess(registry, c.root, kTestKey), c.access) << c.name;
    EXPECT_EQ(ReadRegistryText(registry, c.root, kTestKey, "ProductCode"), c.expected) << c.name;
  }
}

TEST(WinRegistryTest, TheMachineRootHasTwoViews) {
  TScratchRegistryKey key(HKEY_LOCAL_MACHINE, kTestParent, kTestChild, KEY_WOW64_32KEY);
  if (!key.Created()) GTEST_SKIP() << "the machine root cannot be written";
  EXPECT_TRUE(
      RegistryKeyExists(HKEY_LOCAL_MACHINE,
                        L"SOFTWARE\\Wow6432Node\\" + kTestParent.substr(kSoftware.size() + 1), 0));
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kTestParent, 0));
}

TEST(WinRegistryTest, TextsAreReadAsStored) {
  TScratchRegistryKey key(HKEY_CURRENT_USER, kTestParent, kTestChild, 0);
  ASSERT_TRUE(key.Created());
  key.SetText(L"Plain", L"Zoë 雪");
  key.SetText(L"Expandable", L"%SystemRoot%\\x", REG_EXPAND_SZ);
  key.SetText(L"WithoutNul", L"abc", REG_SZ, false);
  key.SetText(L"Empty", L"");
  key.SetText(L"Long", std::wstring(5000, L'x'));
  key.SetNumber(L"Number", 42);
  struct Case {
    const char* value;
    std::string expected;
  } cases[] = {
      {"Plain", "Zoë 雪"}, {"Expandable", "%SystemRoot%\\x"}, {"WithoutNul", "abc"},
      {"Empty", ""},       {"Long", std::string(5000, 'x')},  {"Number", ""},
      {"Missing", ""},
  };
  TWinRegistry registry;
  for (const Case& c : cases)
    EXPECT_EQ(registry.ReadText(TRegistryRoot::rrCurrentUser, kTestKey, c.value, kRegistryKeyRead),
              c.expected)
        << c.value;
}

// The configuration's own key, read the way the configuration reads it; only where no
// installation of the product has that key already.
TEST(WinRegistryTest, ProductCodeOfBothRoots) {
  const std::wstring company = L"SOFTWARE\\Tarrowind Business Systems";
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_32KEY)})
      if (RegistryKeyExists(root, company, view))
        GTEST_SKIP() << "the product's registry key exists on this machine";
  TScratchRegistryKey machine(HKEY_LOCAL_MACHINE, company, L"Orbisant Cloud", KEY_WOW64_32KEY);
  if (!machine.Created()) GTEST_SKIP() << "the machine root cannot be written";
  machine.SetText(L"ProductCode", L"machine-code");
  TScratchRegistryKey user(HKEY_CURRENT_USER, company, L"Orbisant Cloud", 0);
  ASSERT_TRUE(user.Created());
  user.SetText(L"ProductCode", L"user-code", REG_EXPAND_SZ);

  TWinIniFile ini;
  TWinRegistry registry;
  TWinAppDataFolder appData;
  const TRegistryOptions options = TConfigStorage(ini, registry, appData).ReadRegistry();
  EXPECT_EQ(options.MachineAccountNumber, "machine-code");
  EXPECT_EQ(options.UserAccountNumber, "user-code");
}

TEST(WinAppDataFolderTest, RoamingFolderExistsWithoutTrailingSeparator) {
  TWinAppDataFolder appData;
  const std::string folder = appData.RoamingAppDataFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  const DWORD attributes = GetFileAttributesW(ToWide(folder).c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);

  TWinIniFile ini;
  TWinRegistry registry;
  EXPECT_EQ(TConfigStorage(ini, registry, appData).DefaultConfigFilePath(), folder + "\\.qxccfg");
}
