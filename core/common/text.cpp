#include "common/text.h"

#include <algorithm>

namespace {

char16_t FoldAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c; }

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// Decodes one UTF-8 sequence at text[i]; malformed bytes decode as U+FFFD one byte at a time.
char32_t DecodeUtf8(std::string_view text, size_t& i) {
  unsigned char c = static_cast<unsigned char>(text[i++]);
  if (c < 0x80) return c;
  int extra = (c >= 0xF0 && c < 0xF8) ? 3 : (c >= 0xE0) ? 2 : (c >= 0xC0) ? 1 : -1;
  if (extra < 0 || i + extra > text.size()) return 0xFFFD;
  char32_t cp = c & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    unsigned char cc = static_cast<unsigned char>(text[i + k]);
    if ((cc & 0xC0) != 0x80) return 0xFFFD;
    cp = (cp << 6) | (cc & 0x3F);
  }
  i += extra;
  return cp;
}

}  // namespace

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

int CompareTextAscii(std::string_view a, std::string_view b) {
  std::u16string ua = Utf8ToUtf16(a), ub = Utf8ToUtf16(b);
  size_t n = std::min(ua.size(), ub.size());
  for (size_t i = 0; i < n; ++i) {
    char16_t ca = FoldAscii(ua[i]), cb = FoldAscii(ub[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (ua.size() == ub.size()) return 0;
  return ua.size() < ub.size() ? -1 : 1;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t cp = DecodeUtf8(text, i);
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
      cp -= 0x10000;
      out.push_back(char16_t(0xD800 + (cp >> 10)));
      out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(cp > 0x10FFFF ? char16_t(0xFFFD) : char16_t(cp));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(char(cp));
    } else if (cp < 0x800) {
      out.push_back(char(0xC0 | (cp >> 6)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(char(0xE0 | (cp >> 12)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(char(0xF0 | (cp >> 18)));
      out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}
