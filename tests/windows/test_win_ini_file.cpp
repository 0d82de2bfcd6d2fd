#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/text.h"
#include "ini_text.h"
#include "support/ini_read_cases.h"
#include "support/temp_dir.h"
#include "win_ini_file.h"
#include "win_test_support.h"
#include "win_text.h"

namespace {

struct TKeyValue {
  std::string Section, Key, Value;
};

// What the Linux reader finds in the bytes of a file; "-" when the key is missing.
std::string LinuxReaderReads(const std::string& bytes, const std::string& section,
                             const std::string& key) {
  const std::optional<std::u16string> value =
      TIniText(bytes).Find(Utf8ToUtf16(section), Utf8ToUtf16(key));
  return value ? Utf16ToUtf8(*value) : "-";
}

class WinIniFileTest : public ::testing::Test {
 protected:
  // Every file gets a name of its own: Wine keeps the files it has read in a cache.
  std::string NewFile(const std::string& bytes) {
    const std::string name = "config" + std::to_string(++FFiles) + ".ini";
    FDir.Write(name, bytes);
    return FDir.File(name);
  }
  std::string NewFileName() { return FDir.File("config" + std::to_string(++FFiles) + ".ini"); }

  // Both readers agree on every pair, and each reads what the pair says.
  void ExpectBothRead(const std::string& path, const std::vector<TKeyValue>& pairs,
                      const char* name) {
    const std::string bytes = ReadFileBytes(path);
    for (const TKeyValue& pair : pairs) {
      EXPECT_EQ(FIni.ReadString(path, pair.Section, pair.Key, "-"), pair.Value)
          << name << ": " << pair.Key << " read by Windows";
      EXPECT_EQ(LinuxReaderReads(bytes, pair.Section, pair.Key), pair.Value)
          << name << ": " << pair.Key << " read by the Linux reader";
    }
  }

  TTempDir FDir;
  TWinIniFile FIni;
  int FFiles = 0;
};

}  // namespace

TEST_F(WinIniFileTest, ReadsTheFilesAsTheLinuxReaderReadsThem) {
  const bool wine = IsRunningOnWine();
  for (const TIniReadCase& c : IniReadCases()) {
    if (c.Readers == TIniReaders::irLinux || (c.Readers == TIniReaders::irLinuxAndWine && !wine))
      continue;
    const std::string expected = wine && c.WineReads ? c.WineReads : c.Expected;
    EXPECT_EQ(FIni.ReadString(NewFile(c.File), c.Section, c.Key, "-"), expected) << c.Name;
  }
}

TEST_F(WinIniFileTest, WhatCannotBeReadGivesTheDefault) {
  EXPECT_EQ(FIni.ReadString(FDir.File("missing.ini"), "Pellanor", "AccountNumber", "none"), "none");
  EXPECT_EQ(FIni.ReadString(FDir.File("no\\such\\folder.ini"), "Pellanor", "AccountNumber", "x"),
            "x");
  EXPECT_EQ(FIni.ReadString(FDir.Path().string(), "Pellanor", "AccountNumber", "folder"), "folder");
  // Only trailing spaces leave the default.
  EXPECT_EQ(FIni.ReadString(FDir.File("missing.ini"), "Pellanor", "AccountNumber", " d \t  "),
            " d \t");
}

TEST_F(WinIniFileTest, ValuesAreCutToTheLimitInUtf16CodeUnits) {
  const std::string path = NewFile(Utf16LE("[Pellanor]\r\nConnectUrl=" + std::string(3000, 'u') +
                                           "\r\nQXUsername=ab\xF0\x9F\x98\x80z\r\n"));
  EXPECT_EQ(FIni.ReadString(path, "Pellanor", "ConnectUrl", ""), std::string(2047, 'u'));
  EXPECT_EQ(FIni.ReadString(path, "Pellanor", "ConnectUrl", "", 10), std::string(10, 'u'));
  EXPECT_EQ(FIni.ReadString(path, "Pellanor", "ConnectUrl", "", 0), "");
  EXPECT_EQ(FIni.ReadString(path, "Pellanor", "QXUsername", "", 4), "ab\xF0\x9F\x98\x80");
  // The emoji is two code units: a cut between them drops both.
  EXPECT_EQ(FIni.ReadString(path, "Pellanor", "QXUsername", "", 3), "ab");
  EXPECT_EQ(FIni.ReadString(path, "Pellanor", "Missing", "defaults are cut too", 8), "defaults");
}

TEST_F(WinIniFileTest, FilesWrittenByWindowsReadAlikeOnBothPlatforms) {
  struct Case {
    const char* name;
    std::string before, key, value;
    std::vector<TKeyValue> kept;
  } cases[] = {
      {"replaced in place",
       "[Pellanor]\r\nAccountNumber=1\r\nConnectUrl=u\r\n",
       "AccountNumber",
       "22",
       {{"Pellanor", "ConnectUrl", "u"}}},
      {"a change of case only", "[Pellanor]\r\nAccountNumber=abc\r\n", "AccountNumber", "ABC", {}},
      {"added among comments, blank lines and other sections",
       "; head\r\n[Other]\r\nX=1\r\n\r\n[Pellanor]\r\nConnectUrl=u\r\n; note\r\nQXUsername=n\r\n"
       "; trailing\r\n\r\n[Third]\r\nAccountNumber=old\r\n",
       "AccountNumber",
       "7",
       {{"Other", "X", "1"},
        {"Pellanor", "ConnectUrl", "u"},
        {"Pellanor", "QXUsername", "n"},
        {"Third", "AccountNumber", "old"}}},
      {"added to a section of another spelling",
       "[pellanor]\r\nConnectUrl=u\r\n",
       "AccountNumber",
       "7",
       {{"Pellanor", "ConnectUrl", "u"}}},
      {"missing section appended",
       "[Other]\r\nX=1\r\n",
       "AccountNumber",
       "7",
       {{"Other", "X", "1"}, {"Other", "AccountNumber", "-"}}},
      {"after a last line without line end",
       "[Other]\r\nX=1",
       "AccountNumber",
       "7",
       {{"Other", "X", "1"}}},
      {"empty file", "", "AccountNumber", "7", {}},
      {"LF line ends", "[Pellanor]\nX=1\n", "AccountNumber", "7", {{"Pellanor", "X", "1"}}},
      {"UTF-16LE file",
       Utf16LE("[Pellanor]\r\nQXUsername=雪\r\n"),
       "AccountNumber",
       "Zoë",
       {{"Pellanor", "QXUsername", "雪"}}},
      {"blanks at the ends", "[Pellanor]\r\n", "AccountNumber", " 7\t", {}},
      {"surrounding quotes", "[Pellanor]\r\n", "AccountNumber", "'7'", {}},
      {"quotes inside", "[Pellanor]\r\n", "AccountNumber", "a\"b'", {}},
      {"spaces around the key name", "[Pellanor]\r\n", "  AccountNumber ", "7", {}},
  };
  for (const Case& c : cases) {
    const std::string path = NewFile(c.before);
    ASSERT_TRUE(FIni.WriteString(path, "Pellanor", c.key, c.value)) << c.name;
    std::vector<TKeyValue> expected = c.kept;
    expected.push_back({"Pellanor", "AccountNumber", c.value});
    ExpectBothRead(path, expected, c.name);
  }
}

TEST_F(WinIniFileTest, NewFileIsUnicodeAndHoldsTheSectionAndTheKeyOnly) {
  const std::string path = NewFileName();
  ASSERT_TRUE(FIni.WriteString(path, "Pellanor", "AccountNumber", "Zoë 雪 😀"));
  const std::string bytes = ReadFileBytes(path);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(TIniText(bytes).Encoding(), TIniEncoding::ieUtf16LE);
  ExpectBothRead(path, {{"Pellanor", "AccountNumber", "Zoë 雪 😀"}}, "new file");
  ASSERT_TRUE(FIni.WriteString(path, "Pellanor", "AccountNumber", "2"));
  ExpectBothRead(path, {{"Pellanor", "AccountNumber", "2"}}, "rewritten");
}

TEST_F(WinIniFileTest, PathsAreUnicode) {
  const std::wstring folder = ToWide(FDir.File("Zoë 雪"));
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::string path = FromWide(folder) + "\\.qxccfg";
  ASSERT_TRUE(FIni.WriteString(path, "Pellanor", "AccountNumber", "123"));
  EXPECT_NE(GetFileAttributesW((folder + L"\\.qxccfg").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(FIni.ReadString(path, "Pellanor", "AccountNumber", "-"), "123");
}

TEST_F(WinIniFileTest, RefusedWritesLeaveTheFileAsItWas) {
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
    const std::string path = NewFile(before);
    EXPECT_FALSE(FIni.WriteString(path, c.section, c.key, c.value)) << c.name;
    EXPECT_EQ(ReadFileBytes(path), before) << c.name;
  }
  const std::string path = NewFileName();
  EXPECT_FALSE(FIni.WriteString(path, "Pellanor", "AccountNumber", "1\r\n"));
  EXPECT_EQ(GetFileAttributesW(ToWide(path).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(WinIniFileTest, FailedWriteLeavesNothingBehind) {
  EXPECT_FALSE(
      FIni.WriteString(FDir.File("no\\such\\folder.ini"), "Pellanor", "AccountNumber", "1"));
  EXPECT_FALSE(FIni.WriteString(FDir.Path().string(), "Pellanor", "AccountNumber", "1"));

  // A file that another program holds open without sharing cannot be written.
  const std::string path = NewFile("[Pellanor]\r\nAccountNumber=1\r\n");
  {
    THandle holder(CreateFileW(ToWide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder.IsOpen());
    EXPECT_FALSE(FIni.WriteString(path, "Pellanor", "AccountNumber", "2"));
  }
  EXPECT_EQ(ReadFileBytes(path), "[Pellanor]\r\nAccountNumber=1\r\n");
}
