#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "common/system_info.h"
#include "support/temp_dir.h"
#include "win_system_info.h"
#include "win_test_support.h"
#include "win_text.h"

TEST(WinSystemInfoTest, HostNameIsTheNetBIOSName) {
  const std::string name = TWinSystemInfo().HostName();
  EXPECT_FALSE(name.empty());
  EXPECT_LE(ToWide(name).size(), 15u);
  wchar_t netbios[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameExW(ComputerNameNetBIOS, netbios, &size));
  EXPECT_EQ(name, FromWide(netbios));
}

// What the system writes about itself in the registry, read here without the layer's help.
std::wstring CurrentVersionText(const wchar_t* name) {
  wchar_t text[256] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", name,
                   RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
    return {};
  return text;
}

TEST(WinSystemInfoTest, DescribesTheRunningSystem) {
  const TOSVersionInfo info = TWinSystemInfo().OSVersion();
  const std::string description = FormatOSDescription(info);
  EXPECT_GE(info.Major, 6) << description;
  EXPECT_EQ(std::to_wstring(info.Build), CurrentVersionText(L"CurrentBuildNumber")) << description;
  const std::wstring servicePack = CurrentVersionText(L"CSDVersion");
  EXPECT_EQ(info.ServicePackMajor,
            servicePack.starts_with(L"Service Pack ") ? std::stoi(servicePack.substr(13)) : 0)
      << description;
  EXPECT_EQ(info.ProductName, TWinSystemInfo::ProductNameForBuild(
                                  FromWide(CurrentVersionText(L"ProductName")), info.Build));
  // A 64-bit process runs on 64-bit Windows only.
  EXPECT_TRUE(info.Is64Bit);
  EXPECT_TRUE(std::regex_match(
      description,
      std::regex(R"(.+( Service Pack \d+)? \(Version \d+\.\d+, Build \d+, 64-bit Edition\))")))
      << description;
}

TEST(WinSystemInfoTest, ProductNameMatchesTheBuild) {
  struct Case {
    std::string registryName;
    int build;
    std::string expected;
  } cases[] = {
      {"", 19045, "Windows"},
      {"Windows 10 Pro", 19045, "Windows 10 Pro"},
      {"Windows 10 Pro", 22631, "Windows 11 Pro"},
      {"Windows 10 Enterprise LTSC 2024", 26100, "Windows 11 Enterprise LTSC 2024"},
      {"Windows 7 Professional", 7601, "Windows 7 Professional"},
      {"Windows Server 2022 Datacenter", 20348, "Windows Server 2022 Datacenter"},
      {"Windows Server 2025 Standard", 26100, "Windows Server 2025 Standard"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TWinSystemInfo::ProductNameForBuild(c.registryName, c.build), c.expected)
        << c.registryName << " " << c.build;
}

TEST(WinSystemInfoTest, SixtyFourBitArchitectures) {
  struct Case {
    unsigned architecture;
    bool is64Bit;
  } cases[] = {
      {PROCESSOR_ARCHITECTURE_AMD64, true}, {PROCESSOR_ARCHITECTURE_ARM64, true},
      {PROCESSOR_ARCHITECTURE_IA64, true},  {PROCESSOR_ARCHITECTURE_INTEL, false},
      {PROCESSOR_ARCHITECTURE_ARM, false},  {PROCESSOR_ARCHITECTURE_UNKNOWN, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TWinSystemInfo::IsSixtyFourBitArchitecture(c.architecture), c.is64Bit)
        << c.architecture;
}

TEST(WinSystemInfoTest, TempFolderIsLongAndEndsInABackslash) {
  const std::string folder = TWinSystemInfo().TempFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  const DWORD attributes = GetFileAttributesW(ToWide(folder).c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(WinSystemInfoTest, TempFolderNamedShortIsGivenLong) {
  TTempDir dir;
  const std::wstring longFolder = ToWide(dir.File("A Long Temporary Folder"));
  ASSERT_TRUE(CreateDirectoryW(longFolder.c_str(), nullptr));
  wchar_t shortFolder[MAX_PATH] = {};
  const DWORD length = GetShortPathNameW(longFolder.c_str(), shortFolder, MAX_PATH);
  if (length == 0 || std::wstring(shortFolder) == longFolder)
    GTEST_SKIP() << "the file system keeps no short names";
  TScopedEnvironment tmp(L"TMP", std::wstring(shortFolder) + L"\\");
  EXPECT_EQ(TWinSystemInfo().TempFolder(), FromWide(longFolder) + "\\");
  // Without its backslash, as TMP may be set too.
  TScopedEnvironment tmpWithoutBackslash(L"TMP", shortFolder);
  EXPECT_EQ(TWinSystemInfo().TempFolder(), FromWide(longFolder) + "\\");
}
