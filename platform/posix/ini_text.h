#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How the bytes of an INI file are to be read: a UTF-16LE byte-order mark makes a UTF-16LE file,
// anything else is UTF-8, with or without its byte-order mark.
enum class TIniEncoding { ieUtf8, ieUtf8Bom, ieUtf16LE };

// The bytes of one INI file, split into lines without being changed. Names and values are handled
// in UTF-16, as the Windows profile functions handle them.
class TIniText {
 public:
  explicit TIniText(std::string bytes);

  TIniEncoding Encoding() const { return FEncoding; }

  // The value of the first `key` in the first `section`, white space and one pair of surrounding
  // quotes removed; none when the section or the key is missing. Names match without regard to
  // ASCII case.
  std::optional<std::u16string> Find(std::u16string_view section, std::u16string_view key) const;

  // The file's bytes with `key` set to `valueText`, which stands in the file as it is given: the
  // key's line is changed after its "=", or a line is added after the section's last key, or the
  // section is added at the end. New text takes the file's encoding and its first line end (CR LF
  // when it has none). None when the bytes end in half a UTF-16 code unit.
  std::optional<std::string> WithValue(std::u16string_view section, std::u16string_view key,
                                       std::u16string_view valueText) const;

 private:
  struct TLine {
    enum class TKind { lkOther, lkSection, lkKey } Kind = TKind::lkOther;
    std::size_t Begin = 0;       // first byte of the line
    std::size_t ContentEnd = 0;  // first byte of its line end
    std::size_t End = 0;         // first byte after its line end
    std::size_t NameBegin = 0;   // the section's or key's name, white space dropped
    std::size_t NameEnd = 0;
    std::size_t AfterEquals = 0;  // keys: the first byte after the "="
    std::size_t ValueBegin = 0;   // keys: the value, white space dropped
    std::size_t ValueEnd = 0;
    bool HasLineEnd() const { return ContentEnd < End; }
  };

  char16_t UnitAt(std::size_t offset) const;
  std::size_t Skip(std::size_t offset, std::size_t end, std::u16string_view units) const;
  std::size_t SkipBack(std::size_t begin, std::size_t end, std::u16string_view units) const;
  std::size_t FindUnit(std::size_t begin, std::size_t end, char16_t unit) const;
  void SplitLines();
  TLine Classify(std::size_t begin, std::size_t contentEnd, std::size_t end) const;
  std::u16string Decode(std::size_t begin, std::size_t end) const;
  std::string Encode(std::u16string_view text) const;
  bool NameIs(const TLine& line, std::u16string_view name) const;
  std::optional<std::size_t> FindSection(std::u16string_view section) const;
  std::size_t SectionEnd(std::size_t sectionLine) const;
  std::string LineEnd() const;
  std::string Splice(std::size_t begin, std::size_t end, const std::string& bytes) const;

  std::string FBytes;
  TIniEncoding FEncoding = TIniEncoding::ieUtf8;
  std::size_t FUnitSize = 1;
  std::size_t FBodyBegin = 0;  // after the byte-order mark
  std::size_t FBodyEnd = 0;    // after the last whole code unit
  std::vector<TLine> FLines;
};

// Blanks that the reader drops around names and values.
bool IsIniBlank(char16_t unit);
// Same length and same code units after folding the ASCII letters.
bool SameIniName(std::u16string_view a, std::u16string_view b);
// The text to put after "=" so that the reader gives back `value` exactly: quoted when blanks at
// its ends or a pair of surrounding quotes would otherwise be dropped.
std::u16string IniValueText(std::u16string_view value);
