#include "win_ini_file.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

#include "win_text.h"

namespace {

constexpr std::wstring_view sUtf16LEBom = L"\xFEFF";

// The blanks that Windows or Wine drop around names and values when reading.
bool IsReaderBlank(wchar_t unit) {
  return unit == L' ' || (unit >= L'\t' && unit <= L'\r') || unit == 0x1A;
}

bool IsQuote(wchar_t unit) {
  return unit == L'"' || unit == L'\'';
}

bool HasLineBreak(std::wstring_view text) {
  return text.find_first_of(L"\r\n") != text.npos;
}

std::wstring WithoutSurroundingSpaces(std::wstring_view name) {
  const std::size_t first = name.find_first_not_of(L' ');
  if (first == name.npos) return {};
  return std::wstring(name.substr(first, name.find_last_not_of(L' ') - first + 1));
}

// A name with other blanks at its ends would be stored, but not found again.
bool IsReadableName(std::wstring_view name) {
  return !HasLineBreak(name) &&
         (name.empty() || (!IsReaderBlank(name.front()) && !IsReaderBlank(name.back())));
}

bool IsWritableSection(std::wstring_view section) {
  return IsReadableName(section) && section.find(L']') == section.npos;
}

bool IsWritableKey(std::wstring_view key) {
  return IsReadableName(key) && !key.empty() && key.find(L'=') == key.npos && key.front() != L';' &&
         key.front() != L'[';
}

// The reader trims blanks and drops one pair of surrounding quotes; quotes keep both.
std::wstring StoredValueText(std::wstring_view value) {
  const bool trimmed =
      !value.empty() && (IsReaderBlank(value.front()) || IsReaderBlank(value.back()));
  const bool unquoted =
      value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
  if (!trimmed && !unquoted) return std::wstring(value);
  return L"\"" + std::wstring(value) + L"\"";
}

// A name without a folder is looked for in the Windows folder by the profile functions; only
// files named with a folder are started here.
bool NamesAFolder(std::wstring_view path) {
  return path.find_first_of(L"\\/") != path.npos;
}

// True when the file was made here and holds nothing but the byte-order mark.
bool StartUnicodeFile(const std::wstring& path) {
  if (!NamesAFolder(path)) return false;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const DWORD bytes = static_cast<DWORD>(sUtf16LEBom.size() * sizeof(wchar_t));
  DWORD written = 0;
  const bool ok = WriteFile(file, sUtf16LEBom.data(), bytes, &written, nullptr) && written == bytes;
  CloseHandle(file);
  if (!ok) DeleteFileW(path.c_str());
  return ok;
}

bool IsHighSurrogate(wchar_t unit) {
  return unit >= 0xD800 && unit < 0xDC00;
}

}  // namespace

std::string TWinIniFile::ReadString(const std::string& path, const std::string& section,
                                    const std::string& key, const std::string& defaultValue,
                                    std::size_t maxChars) {
  const std::size_t bufferChars = std::min(maxChars, kMaxReadChars) + 1;
  std::wstring buffer(bufferChars, L'\0');
  const DWORD copied = GetPrivateProfileStringW(
      ToWide(section).c_str(), ToWide(key).c_str(), ToWide(defaultValue).c_str(), buffer.data(),
      static_cast<DWORD>(bufferChars), ToWide(path).c_str());
  buffer.resize(std::min<std::size_t>(copied, bufferChars - 1));
  // A cut between the two halves of a surrogate pair drops both.
  if (buffer.size() == bufferChars - 1 && !buffer.empty() && IsHighSurrogate(buffer.back()))
    buffer.pop_back();
  return FromWide(buffer);
}

bool TWinIniFile::WriteString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& value) {
  const std::wstring sectionName = WithoutSurroundingSpaces(ToWide(section));
  const std::wstring keyName = WithoutSurroundingSpaces(ToWide(key));
  const std::wstring valueText = ToWide(value);
  if (HasLineBreak(valueText) || !IsWritableSection(sectionName) || !IsWritableKey(keyName))
    return false;
  const std::wstring file = ToWide(path);
  const bool started = StartUnicodeFile(file);
  if (WritePrivateProfileStringW(sectionName.c_str(), keyName.c_str(),
                                 StoredValueText(valueText).c_str(), file.c_str()))
    return true;
  if (started) DeleteFileW(file.c_str());
  return false;
}
