#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "posix_system_info.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

TEST(PosixSystemInfo, ProductNameFromOSRelease) {
  struct Case {
    std::string text, expected;
  } cases[] = {
      {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n",
       "Debian GNU/Linux 12 (bookworm)"},
      {"NAME=Fedora\nVERSION_ID=39\n", "Fedora"},
      {"NAME=Fedora\nPRETTY_NAME=\"\"\n", "Fedora"},
      {"ID=arch\n", "Linux"},
      {"", "Linux"},
      {"PRETTY_NAME='Alpine Linux v3.19'\n", "Alpine Linux v3.19"},
      {"PRETTY_NAME=\"Say \\\"hi\\\" \\\\ \\$HOME\"\n", "Say \"hi\" \\ $HOME"},
      {"# PRETTY_NAME=\"commented out\"\nNAME=Ubuntu\n", "Ubuntu"},
      {"PRETTY_NAME=\"Windows-style\"\r\nNAME=x\r\n", "Windows-style"},
      {"  PRETTY_NAME = \"Spaced\"  \n", "Spaced"},
      {"PRETTY_NAME=\"First\"\nPRETTY_NAME=\"Second\"\n", "Second"},
      {"PRETTY_NAME_EXTRA=\"not it\"\nNAME=Real\n", "Real"},
      {"PRETTY_NAME=\"unterminated\n", "\"unterminated"},
      {"garbage without equals\n\n=\nNAME=Kept\n", "Kept"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TPosixSystemInfo::ProductNameFromOSRelease(c.text), c.expected) << c.text;
}

TEST(PosixSystemInfo, VersionFromUnameRelease) {
  struct Case {
    std::string release;
    int major, minor, build;
  } cases[] = {
      {"6.1.0-18-amd64", 6, 1, 0},
      {"5.15.153.1-microsoft-standard-WSL2", 5, 15, 153},
      {"6.8", 6, 8, 0},
      {"4.19.0+", 4, 19, 0},
      {"3", 3, 0, 0},
      {"", 0, 0, 0},
      {"abc", 0, 0, 0},
      {"6.-1.2", 6, 0, 0},
      {"99999999999.2.3", 0, 2, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.release);
    const TOSVersionInfo info = TPosixSystemInfo::VersionFromUname("Name", c.release, "x86_64");
    EXPECT_EQ(info.ProductName, "Name");
    EXPECT_EQ(info.Major, c.major);
    EXPECT_EQ(info.Minor, c.minor);
    EXPECT_EQ(info.Build, c.build);
    EXPECT_EQ(info.ServicePackMajor, 0);
  }
}

TEST(PosixSystemInfo, SixtyFourBitOnlyOnX64Machines) {
  EXPECT_TRUE(TPosixSystemInfo::VersionFromUname("", "6.1", "x86_64").Is64Bit);
  for (const char* machine : {"aarch64", "i686", "armv7l", ""})
    EXPECT_FALSE(TPosixSystemInfo::VersionFromUname("", "6.1", machine).Is64Bit) << machine;
}

TEST(PosixSystemInfo, OSVersionReadsTheFirstOSReleaseFileThatExists) {
  TTempDir dir;
  dir.Write("os-release", "NAME=Test\nPRETTY_NAME=\"Test OS 1\"\n");
  TPosixSystemInfo info({dir.File("missing"), dir.File("os-release")});
  const TOSVersionInfo version = info.OSVersion();
  EXPECT_EQ(version.ProductName, "Test OS 1");
  EXPECT_GT(version.Major, 0);  // the running kernel's release
#if defined(__x86_64__)
  EXPECT_TRUE(version.Is64Bit);
#endif
  EXPECT_EQ(FormatOSDescription(version).rfind("Test OS 1 (Version ", 0), 0u);
}

TEST(PosixSystemInfo, OSVersionWithoutOSReleaseIsLinux) {
  TTempDir dir;
  EXPECT_EQ(TPosixSystemInfo({dir.File("missing")}).OSVersion().ProductName, "Linux");
}

TEST(PosixSystemInfo, TempFolderFromTmpDir) {
  struct Case {
    const char* tmpDir;
    std::string expected;
  } cases[] = {
      {nullptr, "/tmp/"},
      {"", "/tmp/"},
      {"/var/tmp", "/var/tmp/"},
      {"/var/tmp/", "/var/tmp/"},
      {"/home/u/t m p", "/home/u/t m p/"},
  };
  TPosixSystemInfo info;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tmpDir ? c.tmpDir : "(unset)");
    TScopedEnv env("TMPDIR", c.tmpDir);
    EXPECT_EQ(info.TempFolder(), c.expected);
  }
}

TEST(PosixSystemInfo, ShortHostNameRules) {
  struct Case {
    std::string hostName, expected;
  } cases[] = {
      {"build-host", "BUILD-HOST"},
      {"desk01.corp.example.com", "DESK01"},
      {"MiXeD.Case", "MIXED"},
      {"a-very-long-host-name-indeed", "A-VERY-LONG-HOS"},
      {"exactly15chars0", "EXACTLY15CHARS0"},
      {".leading-dot", ""},
      {"", ""},
      {"h\xC3\xB6st", "H\xC3\xB6ST"},  // only ASCII letters are folded
      {"\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"
       "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4",
       "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"
       "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"},  // 16 characters become 15
  };
  for (const auto& c : cases)
    EXPECT_EQ(TPosixSystemInfo::ShortHostName(c.hostName), c.expected) << c.hostName;
}

TEST(PosixSystemInfo, HostNameOfThisMachineFollowsTheRules) {
  const std::string name = TPosixSystemInfo().HostName();
  EXPECT_FALSE(name.empty());
  EXPECT_LE(name.size(), 15u);
  EXPECT_EQ(name.find('.'), std::string::npos);
  for (const char c : name) EXPECT_FALSE(c >= 'a' && c <= 'z') << name;
}
