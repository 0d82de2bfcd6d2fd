#pragma once

#include <string>
#include <string_view>

// The Windows functions take UTF-16 text as wchar_t; the program's texts are UTF-8. Conversions
// happen here and nowhere else.
std::wstring ToWide(std::string_view utf8);
std::string FromWide(std::wstring_view utf16);
