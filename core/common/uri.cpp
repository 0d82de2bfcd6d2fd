#include "common/uri.h"

bool IsValidURL(IURIParser& parser, const std::string& text) {
  if (text.empty()) return false;
  try {
    parser.Parse(text);
    return true;
  } catch (const EURIParseError&) {
    return false;
  }
}

std::string PercentEncodeQueryComponent(const std::string& text) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(text.size() * 3);
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                            (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                            byte == '_' || byte == '~';
    if (unreserved) {
      encoded += ch;
    } else {
      encoded += '%';
      encoded += kHexDigits[byte >> 4];
      encoded += kHexDigits[byte & 0x0F];
    }
  }
  return encoded;
}
