#pragma once

// Files in the forms the Windows profile functions meet, with what they read from each. The Linux
// reader is tested against these, and the Windows tests hold the system's own functions to them.

#include <string>
#include <vector>

#include "common/text.h"

inline const std::string kUtf8Bom = "\xEF\xBB\xBF";

// The bytes Windows writes for a Unicode INI file: a byte-order mark, then UTF-16LE.
inline std::string Utf16LE(const std::string& utf8) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : Utf8ToUtf16(utf8)) {
    bytes += char(unit & 0xFF);
    bytes += char(unit >> 8);
  }
  return bytes;
}

// The readers that read a case as expected. Windows takes every file without a UTF-16 byte-order
// mark as ANSI text; Wine also knows the UTF-8 byte-order mark.
enum class TIniReaders { irAll, irLinuxAndWine, irLinux };

struct TIniReadCase {
  const char* Name;
  std::string File, Section, Key, Expected;  // the key is read with the default "-"
  TIniReaders Readers = TIniReaders::irAll;
  // What Wine's profile functions give where they part from Windows; null when alike.
  const char* WineReads = nullptr;
};

inline std::vector<TIniReadCase> IniReadCases() {
  return {
      {"plain", "[Pellanor]\r\nAccountNumber=123\r\n", "Pellanor", "AccountNumber", "123"},
      {"names without regard to case", "[PELLANOR]\r\naccountNUMBER=123\r\n", "pellanor",
       "AccountNumber", "123"},
      {"value keeps its case", "[Pellanor]\r\nQXUsername=MiXeD\r\n", "Pellanor", "QXUsername",
       "MiXeD"},
      {"white space around names and values",
       "  [ \tPellanor \v]  \r\n \t AccountNumber \t= \v1 2 \t\r\n", "Pellanor", "AccountNumber",
       "1 2"},
      {"spaces around the names asked for", "[Pellanor]\r\nAccountNumber=5\r\n", "  Pellanor ",
       " AccountNumber  ", "5"},
      {"tab in the name asked for", "[Pellanor]\r\nAccountNumber=5\r\n", "Pellanor",
       "\tAccountNumber", "-", TIniReaders::irAll, "5"},
      {"empty value", "[Pellanor]\r\nAccountNumber=\r\n", "Pellanor", "AccountNumber", ""},
      {"double quotes", "[Pellanor]\r\nAccountNumber=\"  1 2  \"\r\n", "Pellanor", "AccountNumber",
       "  1 2  "},
      {"single quotes", "[Pellanor]\r\nAccountNumber='x'\r\n", "Pellanor", "AccountNumber", "x"},
      {"one pair of quotes only", "[Pellanor]\r\nAccountNumber=\"\"x\"\"\r\n", "Pellanor",
       "AccountNumber", "\"x\""},
      {"mismatched quotes kept", "[Pellanor]\r\nAccountNumber=\"x'\r\n", "Pellanor",
       "AccountNumber", "\"x'"},
      {"a lone quote kept", "[Pellanor]\r\nAccountNumber=\"\r\n", "Pellanor", "AccountNumber",
       "\""},
      {"empty quotes", "[Pellanor]\r\nAccountNumber=''\r\n", "Pellanor", "AccountNumber", ""},
      {"first key wins", "[Pellanor]\r\nAccountNumber=1\r\naccountnumber=2\r\n", "Pellanor",
       "AccountNumber", "1"},
      {"only the first section counts",
       "[Pellanor]\r\nConnectUrl=u\r\n[Other]\r\n[pellanor]\r\nAccountNumber=2\r\n", "Pellanor",
       "AccountNumber", "-"},
      {"key of another section", "[Other]\r\nAccountNumber=1\r\n[Pellanor]\r\n", "Pellanor",
       "AccountNumber", "-"},
      {"key before any section", "AccountNumber=1\r\n[Pellanor]\r\n", "Pellanor", "AccountNumber",
       "-"},
      {"comment", "[Pellanor]\r\n;AccountNumber=1\r\n  ; AccountNumber=2\r\nAccountNumber=3\r\n",
       "Pellanor", "AccountNumber", "3"},
      {"no comments inside a value", "[Pellanor]\r\nAccountNumber=1 ;note\r\n", "Pellanor",
       "AccountNumber", "1 ;note"},
      {"hash is an ordinary character", "[Pellanor]\r\n#AccountNumber=1\r\n", "Pellanor",
       "#AccountNumber", "1"},
      {"malformed lines ignored",
       "[Pellanor]\r\nAccountNumber\r\n=x\r\ngarbage\r\nAccountNumber=4\r\n", "Pellanor",
       "AccountNumber", "4", TIniReaders::irAll, "-"},
      {"value up to the line end, with its own =", "[Pellanor]\r\nConnectUrl=https://h/?a=b\r\n",
       "Pellanor", "ConnectUrl", "https://h/?a=b"},
      {"section without ]", "[Pellanor\r\nAccountNumber=1\r\n", "Pellanor", "AccountNumber", "1",
       TIniReaders::irAll, "-"},
      {"text after ]", "[Pellanor] trailing\r\nAccountNumber=1\r\n", "Pellanor", "AccountNumber",
       "1"},
      {"section name ends at the first ]", "[Pel]lanor]\r\nAccountNumber=1\r\n", "Pel",
       "AccountNumber", "1", TIniReaders::irAll, "-"},
      {"LF line ends", "[Pellanor]\nConnectUrl=u\nAccountNumber=1\n", "Pellanor", "AccountNumber",
       "1"},
      {"CR line ends", "[Pellanor]\rAccountNumber=1\rQXUsername=n", "Pellanor", "QXUsername", "n"},
      {"no line end at the end", "[Pellanor]\r\nAccountNumber=1", "Pellanor", "AccountNumber", "1"},
      {"UTF-8 with BOM", kUtf8Bom + "[Pellanor]\r\nAccountNumber=1\r\n", "Pellanor",
       "AccountNumber", "1", TIniReaders::irLinuxAndWine},
      {"UTF-8 text", "[Pellanor]\r\nQXUsername=Zoë 雪\r\n", "Pellanor", "QXUsername", "Zoë 雪",
       TIniReaders::irLinux},
      {"UTF-16LE as Windows writes it",
       Utf16LE("[Other]\r\nX=1\r\n[Pellanor]\r\nQXUsername= Zoë 雪 \r\nAccountNumber=9\r\n"),
       "Pellanor", "QXUsername", "Zoë 雪"},
      {"UTF-16LE with LF", Utf16LE("[Pellanor]\nAccountNumber='9'\n"), "Pellanor", "AccountNumber",
       "9"},
      // Wine reads the half unit as a whole one ("9x"); Windows is not known.
      {"UTF-16LE with half a code unit at the end", Utf16LE("[Pellanor]\r\nAccountNumber=9") + "x",
       "Pellanor", "AccountNumber", "9", TIniReaders::irLinux},
      {"empty file", "", "Pellanor", "AccountNumber", "-"},
  };
}
