#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "posix_ini_file.h"
#include "support/ini_read_cases.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

mode_t PermissionBits(const std::string& path) {
  struct stat status {};
  stat(path.c_str(), &status);
  return status.st_mode & 07777;
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  return names;
}

// Limits the size of files this process may write, as a full disk would.
class TScopedFileSizeLimit {
 public:
  explicit TScopedFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &FOld);
    FOldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = FOld;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TScopedFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &FOld);
    signal(SIGXFSZ, FOldHandler);
  }

 private:
  rlimit FOld{};
  sighandler_t FOldHandler;
};

class IniFileTest : public ::testing::Test {
 protected:
  TTempDir FDir;
  TPosixIniFile FIni;
  std::string FPath = FDir.File("config.ini");
};

}  // namespace

TEST_F(IniFileTest, ReadsAsTheWindowsProfileFunctionsRead) {
  for (const TIniReadCase& c : IniReadCases()) {
    FDir.Write("config.ini", c.File);
    EXPECT_EQ(FIni.ReadString(FPath, c.Section, c.Key, "-"), c.Expected) << c.Name;
  }
}

TEST_F(IniFileTest, WhatCannotBeReadGivesTheDefault) {
  EXPECT_EQ(FIni.ReadString(FDir.File("missing.ini"), "Pellanor", "AccountNumber", "none"), "none");
  EXPECT_EQ(FIni.ReadString(FDir.Path().string(), "Pellanor", "AccountNumber", "folder"), "folder");
  // Only trailing spaces leave the default.
  EXPECT_EQ(FIni.ReadString(FDir.File("missing.ini"), "Pellanor", "AccountNumber", " d \t  "),
            " d \t");

  // A FIFO must not block the reader.
  const std::string fifo = FDir.File("fifo.ini");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(FIni.ReadString(fifo, "Pellanor", "AccountNumber", "fifo"), "fifo");
  EXPECT_FALSE(FIni.WriteString(fifo, "Pellanor", "AccountNumber", "1"));

  FDir.Write("huge.ini",
             "[Pellanor]\r\nAccountNumber=1\r\n" + std::string(TPosixIniFile::kMaxFileBytes, ';'));
  EXPECT_EQ(FIni.ReadString(FDir.File("huge.ini"), "Pellanor", "AccountNumber", "huge"), "huge");
}

TEST_F(IniFileTest, ValuesAreCutToTheLimitInUtf16CodeUnits) {
  FDir.Write("config.ini", "[Pellanor]\r\nConnectUrl=" + std::string(3000, 'u') +
                               "\r\nQXUsername=ab\xF0\x9F\x98\x80z\r\n");
  EXPECT_EQ(FIni.ReadString(FPath, "Pellanor", "ConnectUrl", ""), std::string(2047, 'u'));
  EXPECT_EQ(FIni.ReadString(FPath, "Pellanor", "ConnectUrl", "", 10), std::string(10, 'u'));
  EXPECT_EQ(FIni.ReadString(FPath, "Pellanor", "ConnectUrl", "", 0), "");
  // The emoji is two code units: a cut between them drops both.
  EXPECT_EQ(FIni.ReadString(FPath, "Pellanor", "QXUsername", "", 4), "ab\xF0\x9F\x98\x80");
  EXPECT_EQ(FIni.ReadString(FPath, "Pellanor", "QXUsername", "", 3), "ab");
  EXPECT_EQ(FIni.ReadString(FPath, "Pellanor", "Missing", "defaults are cut too", 8), "defaults");
}

TEST_F(IniFileTest, WritesOneKeyAndKeepsEveryOtherByte) {
  struct Case {
    const char* name;
    std::string before, key, value, after;
  } cases[] = {
      {"replaced in place", "[Pellanor]\r\nAccountNumber=1\r\nConnectUrl=u\r\n", "AccountNumber",
       "22", "[Pellanor]\r\nAccountNumber=22\r\nConnectUrl=u\r\n"},
      {"spelling and indent of the key kept", "[pellanor]\r\n  accountNUMBER = 1 ;old\r\n",
       "AccountNumber", "2", "[pellanor]\r\n  accountNUMBER =2\r\n"},
      {"a change of case only", "[Pellanor]\r\nAccountNumber=abc\r\n", "AccountNumber", "ABC",
       "[Pellanor]\r\nAccountNumber=ABC\r\n"},
      {"first of two keys replaced", "[Pellanor]\r\nAccountNumber=1\r\nAccountNumber=2\r\n",
       "AccountNumber", "3", "[Pellanor]\r\nAccountNumber=3\r\nAccountNumber=2\r\n"},
      {"added after the last key, before trailing comments",
       "; head\r\n[Other]\r\nX=1\r\n\r\n[Pellanor]\r\nConnectUrl=u\r\n; note\r\nQXUsername=n\r\n"
       "; trailing\r\n\r\n[Third]\r\nAccountNumber=old\r\n",
       "AccountNumber", "7",
       "; head\r\n[Other]\r\nX=1\r\n\r\n[Pellanor]\r\nConnectUrl=u\r\n; note\r\nQXUsername=n\r\n"
       "AccountNumber=7\r\n; trailing\r\n\r\n[Third]\r\nAccountNumber=old\r\n"},
      {"added to an empty section", "[Pellanor]\r\n; nothing yet\r\n[Other]\r\n", "AccountNumber",
       "7", "[Pellanor]\r\nAccountNumber=7\r\n; nothing yet\r\n[Other]\r\n"},
      {"only the first section of the name", "[Pellanor]\r\nX=1\r\n[PELLANOR]\r\nY=2\r\n",
       "AccountNumber", "7", "[Pellanor]\r\nX=1\r\nAccountNumber=7\r\n[PELLANOR]\r\nY=2\r\n"},
      {"added at the end without a final line end", "[Pellanor]\r\nX=1", "AccountNumber", "7",
       "[Pellanor]\r\nX=1\r\nAccountNumber=7"},
      {"missing section appended", "[Other]\r\nX=1\r\n", "AccountNumber", "7",
       "[Other]\r\nX=1\r\n[Pellanor]\r\nAccountNumber=7\r\n"},
      {"missing section after a last line without line end", "[Other]\r\nX=1", "AccountNumber", "7",
       "[Other]\r\nX=1\r\n[Pellanor]\r\nAccountNumber=7\r\n"},
      {"empty file", "", "AccountNumber", "7", "[Pellanor]\r\nAccountNumber=7\r\n"},
      {"LF line ends kept", "[Pellanor]\nX=1\n", "AccountNumber", "7",
       "[Pellanor]\nX=1\nAccountNumber=7\n"},
      {"CR line ends kept", "[Other]\rX=1\r", "AccountNumber", "7",
       "[Other]\rX=1\r[Pellanor]\rAccountNumber=7\r"},
      {"UTF-8 BOM kept", kUtf8Bom + "[Pellanor]\r\nAccountNumber=1\r\n", "AccountNumber", "Zoë",
       kUtf8Bom + "[Pellanor]\r\nAccountNumber=Zoë\r\n"},
      {"UTF-16LE kept", Utf16LE("[Pellanor]\r\nQXUsername=雪\r\n"), "AccountNumber", "Zoë",
       Utf16LE("[Pellanor]\r\nQXUsername=雪\r\nAccountNumber=Zoë\r\n")},
      {"UTF-16LE replaced", Utf16LE("[Pellanor]\r\nAccountNumber = 1\r\n"), "AccountNumber", "2",
       Utf16LE("[Pellanor]\r\nAccountNumber =2\r\n")},
      {"UTF-16LE file of its BOM only", Utf16LE(""), "AccountNumber", "7",
       Utf16LE("[Pellanor]\r\nAccountNumber=7\r\n")},
      {"blanks at the ends are kept by quotes", "[Pellanor]\r\n", "AccountNumber", " 7\t",
       "[Pellanor]\r\nAccountNumber=\" 7\t\"\r\n"},
      {"surrounding quotes are kept by quotes", "[Pellanor]\r\n", "AccountNumber", "'7'",
       "[Pellanor]\r\nAccountNumber=\"'7'\"\r\n"},
      {"quotes inside need none", "[Pellanor]\r\n", "AccountNumber", "a\"b'",
       "[Pellanor]\r\nAccountNumber=a\"b'\r\n"},
      {"spaces around the key name dropped", "[Pellanor]\r\n", "  AccountNumber ", "7",
       "[Pellanor]\r\nAccountNumber=7\r\n"},
  };
  for (const Case& c : cases) {
    FDir.Write("config.ini", c.before);
    EXPECT_TRUE(FIni.WriteString(FPath, "Pellanor", c.key, c.value)) << c.name;
    EXPECT_EQ(FDir.Read("config.ini"), c.after) << c.name;
    EXPECT_EQ(FIni.ReadString(FPath, "Pellanor", c.key, "-"), c.value) << c.name;
  }
}

TEST_F(IniFileTest, MissingFileIsCreatedWithTheSectionAndTheKeyOnly) {
  ASSERT_TRUE(FIni.WriteString(FPath, "Pellanor", "AccountNumber", "123"));
  EXPECT_EQ(FDir.Read("config.ini"), "[Pellanor]\r\nAccountNumber=123\r\n");
  EXPECT_EQ(PermissionBits(FPath), 0600u);
  EXPECT_EQ(FolderEntries(FDir.Path()), std::vector<std::string>{"config.ini"});
}

TEST_F(IniFileTest, ReplacingKeepsPermissionBitsAndLeavesNoTemporaryFile) {
  FDir.Write("config.ini", "[Pellanor]\r\nAccountNumber=1\r\n");
  ASSERT_EQ(chmod(FPath.c_str(), 0644), 0);
  ASSERT_TRUE(FIni.WriteString(FPath, "Pellanor", "AccountNumber", "2"));
  EXPECT_EQ(PermissionBits(FPath), 0644u);
  EXPECT_EQ(FolderEntries(FDir.Path()), std::vector<std::string>{"config.ini"});
}

TEST_F(IniFileTest, LinkIsWrittenThrough) {
  FDir.Write("target.ini", "[Pellanor]\r\nAccountNumber=1\r\n");
  const std::string link = FDir.File("link.ini");
  ASSERT_EQ(symlink("target.ini", link.c_str()), 0);
  ASSERT_TRUE(FIni.WriteString(link, "Pellanor", "AccountNumber", "2"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(FDir.Read("target.ini"), "[Pellanor]\r\nAccountNumber=2\r\n");
}

TEST_F(IniFileTest, RefusedWritesLeaveTheFileAsItWas) {
  const std::string before = "[Pellanor]\r\nAccountNumber=1\r\n";
  struct Case {
    const char* name;
    std::string section, key, value;
  } cases[] = {
      {"CR in the value", "Pellanor", "AccountNumber", "1\r2"},
      {"LF in the value", "Pellanor", "AccountNumber", "1\n[Other]"},
      {"empty key", "Pellanor", "", "2"},
      {"= in the key", "Pellanor", "Account=Number", "2"},
      {"key read as a comment", "Pellanor", ";AccountNumber", "2"},
      {"key read as a section", "Pellanor", "[AccountNumber", "2"},
      {"tab around the key", "Pellanor", "AccountNumber\t", "2"},
      {"] in the section", "Pel]lanor", "AccountNumber", "2"},
      {"line break in the section", "Pellanor\r\n[Other", "AccountNumber", "2"},
  };
  for (const Case& c : cases) {
    FDir.Write("config.ini", before);
    EXPECT_FALSE(FIni.WriteString(FPath, c.section, c.key, c.value)) << c.name;
    EXPECT_EQ(FDir.Read("config.ini"), before) << c.name;
  }
  EXPECT_FALSE(FIni.WriteString(FDir.File("new.ini"), "Pellanor", "AccountNumber", "1\r\n"));
  EXPECT_FALSE(fs::exists(FDir.File("new.ini")));
}

TEST_F(IniFileTest, FailedWriteLeavesTheOldFileIntact) {
  const std::string before = "[Pellanor]\r\nConnectUrl=u\r\n";
  FDir.Write("config.ini", before);
  {
    // Room for the old size only, so the new file breaks off half-way, as on a full disk.
    TScopedFileSizeLimit limit(before.size());
    EXPECT_FALSE(FIni.WriteString(FPath, "Pellanor", "AccountNumber", "123"));
  }
  EXPECT_EQ(FDir.Read("config.ini"), before);
  EXPECT_EQ(FolderEntries(FDir.Path()), std::vector<std::string>{"config.ini"});

  EXPECT_FALSE(FIni.WriteString(FDir.File("no/such/folder.ini"), "Pellanor", "AccountNumber", "1"));
  EXPECT_FALSE(FIni.WriteString(FDir.Path().string(), "Pellanor", "AccountNumber", "1"));
}

TEST_F(IniFileTest, UnwritableFolderLeavesTheOldFileIntact) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into any folder";
  const std::string before = "[Pellanor]\r\nAccountNumber=1\r\n";
  FDir.Write("config.ini", before);
  ASSERT_EQ(chmod(FDir.Path().c_str(), 0500), 0);
  EXPECT_FALSE(FIni.WriteString(FPath, "Pellanor", "AccountNumber", "2"));
  chmod(FDir.Path().c_str(), 0700);
  EXPECT_EQ(FDir.Read("config.ini"), before);
  EXPECT_EQ(FolderEntries(FDir.Path()), std::vector<std::string>{"config.ini"});
}
