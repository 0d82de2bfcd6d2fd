#include "common/version.h"

#include <charconv>
#include <stdexcept>
#include <vector>

namespace {

unsigned long PieceToNumber(const std::string& piece) {
  unsigned long value = 0;
  const char* first = piece.data();
  const char* last = first + piece.size();
  auto [end, ec] = std::from_chars(first, last, value);
  if (piece.empty() || ec != std::errc() || end != last)
    throw EConvertError("'" + piece + "' is not a valid integer value");
  return value;
}

}  // namespace

void TVersion::VersionFromStr(const std::string& text) {
  *this = TVersion();
  if (text.empty()) return;
  std::vector<std::string> pieces;
  size_t start = 0;
  while (pieces.size() < 4) {
    size_t dot = text.find('.', start);
    pieces.push_back(text.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  // A plain number per piece, truncated to the part's width as the record stores it.
  if (pieces.size() > 0) Major = static_cast<uint8_t>(PieceToNumber(pieces[0]));
  if (pieces.size() > 1) Minor = static_cast<uint8_t>(PieceToNumber(pieces[1]));
  if (pieces.size() > 2) Release = static_cast<uint8_t>(PieceToNumber(pieces[2]));
  if (pieces.size() > 3) Build = static_cast<uint16_t>(PieceToNumber(pieces[3]));
}

std::string TVersion::AsString() const {
  return std::to_string(Major) + "." + std::to_string(Minor) + "." + std::to_string(Release) + "." +
         std::to_string(Build);
}
