#include <gtest/gtest.h>

#include "common/app_version_info.h"
#include "common/system_info.h"
#include "common/text.h"
#include "common/version.h"

TEST(Version, FromStrAndAsString) {
  struct Case {
    std::string text, expected;
  } cases[] = {
      {"1.0.2.38", "1.0.2.38"}, {"2.1", "2.1.0.0"},
      {"", "0.0.0.0"},          {"7", "7.0.0.0"},
      {"1.2.3.4.5", "1.2.3.4"}, {"255.255.255.65535", "255.255.255.65535"},
  };
  for (const auto& c : cases) {
    TVersion v;
    v.VersionFromStr(c.text);
    EXPECT_EQ(v.AsString(), c.expected) << c.text;
  }
}

TEST(Version, PieceThatIsNoNumberRaisesConversionError) {
  for (const char* text : {"1.x.0.0", "1..2", "a", " 1.2", "1.-2"}) {
    TVersion v;
    EXPECT_THROW(v.VersionFromStr(text), EConvertError) << text;
  }
}

TEST(Text, SameTextFoldsAsciiOnly) {
  EXPECT_TRUE(SameTextAscii("Zone-a", "ZONE-A"));
  EXPECT_TRUE(SameTextAscii("", ""));
  EXPECT_FALSE(SameTextAscii("", "a"));
  EXPECT_FALSE(SameTextAscii("\xC3\xA4", "\xC3\x84"));  // ä and Ä are not folded
  EXPECT_FALSE(SameTextAscii("abc", "abcd"));
}

TEST(Text, CompareOrdersByFoldedUnitsThenLength) {
  EXPECT_EQ(CompareTextAscii("abc", "ABC"), 0);
  EXPECT_LT(CompareTextAscii("abc", "abd"), 0);
  EXPECT_LT(CompareTextAscii("ab", "abc"), 0);
  EXPECT_GT(CompareTextAscii("b", "A"), 0);
  // U+FF5E sorts after U+1F600 in UTF-8 but before it in UTF-16 code units.
  EXPECT_LT(CompareTextAscii("\xF0\x9F\x98\x80", "\xEF\xBD\x9E"), 0);
}

TEST(Text, Utf16RoundTrip) {
  const std::string text =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xF0\x9F\x98\x80";
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80").size(), 2u);
}

TEST(OSDescription, BothFormats) {
  EXPECT_EQ(FormatOSDescription({"Windows 10 Pro", 10, 0, 19045, 0, true}),
            "Windows 10 Pro (Version 10.0, Build 19045, 64-bit Edition)");
  EXPECT_EQ(FormatOSDescription({"Windows 7", 6, 1, 7601, 1, false}),
            "Windows 7 Service Pack 1 (Version 6.1, Build 7601, 32-bit Edition)");
}

TEST(AppVersionInfo, ParsesShippedFormWithBom) {
  const std::string content =
      "\xEF\xBB\xBF{\"CompanyName\":\"C\",\"FileDescription\":\"Tarrowind Connect Client\","
      "\"FileVersion\":\"1.0.2.38\",\"InternalName\":\"Vostrel\",\"LegalCopyright\":\"(c)\","
      "\"LegalTrademarks\":\"\",\"OriginalFilename\":\"VOSTREL.EXE\",\"ProductName\":\"Tarrowind "
      "Connect\",\"ProductVersion\":\"1.0.0.0\",\"Comments\":\"\",\"ProgramID\":\"a.b.Vostrel\"}"
      "\r\n";
  TAppResVersionInfo info = ParseAppResVersionInfo(content);
  EXPECT_EQ(info.FileVersion.AsString(), "1.0.2.38");
  EXPECT_EQ(info.ProductVersion.AsString(), "1.0.0.0");
  EXPECT_EQ(info.InternalName, "Vostrel");
  EXPECT_EQ(info.ProgramID, "a.b.Vostrel");
}

TEST(AppVersionInfo, FirstOfTwoMembersCounts) {
  std::string content =
      "{\"CompanyName\":\"C\",\"FileDescription\":\"D\",\"FileVersion\":\"1.0.2.38\","
      "\"FileVersion\":\"9.9.9.9\",\"InternalName\":\"Vostrel\",\"LegalCopyright\":\"\","
      "\"LegalTrademarks\":\"\",\"OriginalFilename\":\"\",\"ProductName\":\"P\","
      "\"ProductVersion\":\"1.0.0.0\",\"Comments\":\"\",\"ProgramID\":\"a.b.c\","
      "\"ProductName\":\"Later\"}";
  TAppResVersionInfo info = ParseAppResVersionInfo(content);
  EXPECT_EQ(info.FileVersion.AsString(), "1.0.2.38");
  EXPECT_EQ(info.ProductName, "P");
}

TEST(AppVersionInfo, BrokenResourceGivesEmptyRecord) {
  for (const char* content :
       {"", "\xEF\xBB\xBF", "[1,2]", "{\"FileVersion\":\"1.0\"}", "{not json", "\"text\""}) {
    TAppResVersionInfo info = ParseAppResVersionInfo(content);
    EXPECT_EQ(info.FileVersion.AsString(), "0.0.0.0") << content;
    EXPECT_EQ(info.ProductName, "") << content;
  }
}
