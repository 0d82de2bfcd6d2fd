#include "ini_text.h"

#include "common/text.h"

namespace {

constexpr std::string_view sUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view sUtf16LEBom = "\xFF\xFE";
constexpr std::u16string_view sBlanks = u" \t\v";
constexpr std::u16string_view sLineBreaks = u"\r\n";
constexpr const char* sDefaultLineEnd = "\r\n";

char16_t FoldAscii(char16_t unit) {
  return unit >= u'a' && unit <= u'z' ? char16_t(unit - u'a' + u'A') : unit;
}

bool IsQuote(char16_t unit) {
  return unit == u'"' || unit == u'\'';
}

bool HasSurroundingQuotes(std::u16string_view text) {
  return text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front();
}

}  // namespace

bool IsIniBlank(char16_t unit) {
  return sBlanks.find(unit) != sBlanks.npos;
}

bool SameIniName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

std::u16string IniValueText(std::u16string_view value) {
  const bool losesBlanks =
      !value.empty() && (IsIniBlank(value.front()) || IsIniBlank(value.back()));
  if (!losesBlanks && !HasSurroundingQuotes(value)) return std::u16string(value);
  return u"\"" + std::u16string(value) + u"\"";
}

TIniText::TIniText(std::string bytes) : FBytes(std::move(bytes)) {
  const std::string_view view = FBytes;
  if (view.starts_with(sUtf16LEBom)) {
    FEncoding = TIniEncoding::ieUtf16LE;
    FUnitSize = 2;
    FBodyBegin = sUtf16LEBom.size();
  } else if (view.starts_with(sUtf8Bom)) {
    FEncoding = TIniEncoding::ieUtf8Bom;
    FBodyBegin = sUtf8Bom.size();
  }
  FBodyEnd = FBodyBegin + (FBytes.size() - FBodyBegin) / FUnitSize * FUnitSize;
  SplitLines();
}

// UTF-8 bytes from 0x80 up never equal one of the ASCII marks the lines are split by.
char16_t TIniText::UnitAt(std::size_t offset) const {
  const auto byte = [this](std::size_t at) { return static_cast<unsigned char>(FBytes[at]); };
  if (FUnitSize == 1) return byte(offset);
  return char16_t(byte(offset) | byte(offset + 1) << 8);
}

std::size_t TIniText::Skip(std::size_t offset, std::size_t end, std::u16string_view units) const {
  while (offset < end && units.find(UnitAt(offset)) != units.npos) offset += FUnitSize;
  return offset;
}

std::size_t TIniText::SkipBack(std::size_t begin, std::size_t end,
                               std::u16string_view units) const {
  while (end > begin && units.find(UnitAt(end - FUnitSize)) != units.npos) end -= FUnitSize;
  return end;
}

std::size_t TIniText::FindUnit(std::size_t begin, std::size_t end, char16_t unit) const {
  while (begin < end && UnitAt(begin) != unit) begin += FUnitSize;
  return begin;
}

// A line ends at CR LF, LF or a CR alone.
void TIniText::SplitLines() {
  std::size_t offset = FBodyBegin;
  while (offset < FBodyEnd) {
    const std::size_t begin = offset;
    while (offset < FBodyEnd && sLineBreaks.find(UnitAt(offset)) == sLineBreaks.npos)
      offset += FUnitSize;
    const std::size_t contentEnd = offset;
    if (offset < FBodyEnd && UnitAt(offset) == u'\r') offset += FUnitSize;
    if (offset < FBodyEnd && UnitAt(offset) == u'\n' &&
        (offset == contentEnd || UnitAt(contentEnd) == u'\r'))
      offset += FUnitSize;
    FLines.push_back(Classify(begin, contentEnd, offset));
  }
}

// "[name]" (a missing "]" tolerated, text after it ignored), "name=value", or anything else:
// blank lines, comments starting with ";", and lines without "=".
TIniText::TLine TIniText::Classify(std::size_t begin, std::size_t contentEnd,
                                   std::size_t end) const {
  TLine line;
  line.Begin = begin;
  line.ContentEnd = contentEnd;
  line.End = end;
  const std::size_t first = Skip(begin, contentEnd, sBlanks);
  const std::size_t last = SkipBack(first, contentEnd, sBlanks);
  if (first == last || UnitAt(first) == u';') return line;
  if (UnitAt(first) == u'[') {
    const std::size_t nameBegin = first + FUnitSize;
    line.Kind = TLine::TKind::lkSection;
    line.NameBegin = Skip(nameBegin, last, sBlanks);
    line.NameEnd = SkipBack(line.NameBegin, FindUnit(nameBegin, last, u']'), sBlanks);
    return line;
  }
  const std::size_t equals = FindUnit(first, last, u'=');
  if (equals == last) return line;
  line.Kind = TLine::TKind::lkKey;
  line.NameBegin = first;
  line.NameEnd = SkipBack(first, equals, sBlanks);
  line.AfterEquals = equals + FUnitSize;
  line.ValueBegin = Skip(line.AfterEquals, last, sBlanks);
  line.ValueEnd = last;
  return line;
}

std::u16string TIniText::Decode(std::size_t begin, std::size_t end) const {
  if (FEncoding != TIniEncoding::ieUtf16LE)
    return Utf8ToUtf16(std::string_view(FBytes).substr(begin, end - begin));
  std::u16string text;
  for (std::size_t offset = begin; offset < end; offset += FUnitSize) text += UnitAt(offset);
  return text;
}

std::string TIniText::Encode(std::u16string_view text) const {
  if (FEncoding != TIniEncoding::ieUtf16LE) return Utf16ToUtf8(text);
  std::string bytes;
  for (const char16_t unit : text) {
    bytes += char(unit & 0xFF);
    bytes += char(unit >> 8);
  }
  return bytes;
}

bool TIniText::NameIs(const TLine& line, std::u16string_view name) const {
  return SameIniName(Decode(line.NameBegin, line.NameEnd), name);
}

// Only the first section of that name counts, as with the Windows functions.
std::optional<std::size_t> TIniText::FindSection(std::u16string_view section) const {
  for (std::size_t i = 0; i < FLines.size(); ++i)
    if (FLines[i].Kind == TLine::TKind::lkSection && NameIs(FLines[i], section)) return i;
  return std::nullopt;
}

std::size_t TIniText::SectionEnd(std::size_t sectionLine) const {
  std::size_t i = sectionLine + 1;
  while (i < FLines.size() && FLines[i].Kind != TLine::TKind::lkSection) ++i;
  return i;
}

std::optional<std::u16string> TIniText::Find(std::u16string_view section,
                                             std::u16string_view key) const {
  const std::optional<std::size_t> sectionLine = FindSection(section);
  if (!sectionLine) return std::nullopt;
  for (std::size_t i = *sectionLine + 1; i < SectionEnd(*sectionLine); ++i) {
    const TLine& line = FLines[i];
    if (line.Kind != TLine::TKind::lkKey || !NameIs(line, key)) continue;
    std::u16string value = Decode(line.ValueBegin, line.ValueEnd);
    if (HasSurroundingQuotes(value)) value = value.substr(1, value.size() - 2);
    return value;
  }
  return std::nullopt;
}

std::string TIniText::LineEnd() const {
  for (const TLine& line : FLines)
    if (line.HasLineEnd()) return FBytes.substr(line.ContentEnd, line.End - line.ContentEnd);
  return Encode(Utf8ToUtf16(sDefaultLineEnd));
}

std::string TIniText::Splice(std::size_t begin, std::size_t end, const std::string& bytes) const {
  return FBytes.substr(0, begin) + bytes + FBytes.substr(end);
}

std::optional<std::string> TIniText::WithValue(std::u16string_view section, std::u16string_view key,
                                               std::u16string_view valueText) const {
  if (FBodyEnd != FBytes.size()) return std::nullopt;
  const std::string keyLine = Encode(std::u16string(key) + u"=" + std::u16string(valueText));
  const std::optional<std::size_t> sectionLine = FindSection(section);
  if (!sectionLine) {
    const bool needsLineEnd = !FLines.empty() && !FLines.back().HasLineEnd();
    return Splice(FBodyEnd, FBodyEnd,
                  (needsLineEnd ? LineEnd() : "") + Encode(u"[" + std::u16string(section) + u"]") +
                      LineEnd() + keyLine + LineEnd());
  }
  std::size_t anchor = *sectionLine;
  for (std::size_t i = *sectionLine + 1; i < SectionEnd(*sectionLine); ++i) {
    const TLine& line = FLines[i];
    if (line.Kind != TLine::TKind::lkKey) continue;
    if (NameIs(line, key)) return Splice(line.AfterEquals, line.ContentEnd, Encode(valueText));
    anchor = i;
  }
  const TLine& after = FLines[anchor];
  return Splice(after.End, after.End,
                after.HasLineEnd() ? keyLine + LineEnd() : LineEnd() + keyLine);
}
