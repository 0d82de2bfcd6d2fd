#pragma once

#include <string>
#include <string_view>

// Texts are UTF-8 inside the program. Comparisons that must agree with the service's UTF-16 rules
// fold the ASCII letters only.

// Same length and same code units after folding a-z to A-Z; nothing else is folded.
bool SameTextAscii(std::string_view a, std::string_view b);

// Ordering under the same folding, by UTF-16 code units, then by length: <0, 0 or >0.
int CompareTextAscii(std::string_view a, std::string_view b);

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// A line break in every message the user sees.
inline constexpr const char* sLineBreak = "\r\n";
