#pragma once

#include <cstddef>
#include <string>

// The longest value the configuration reads, in UTF-16 code units (a buffer of 2048 characters).
inline constexpr std::size_t kIniMaxValueChars = 2047;

// INI files with the contract of the Windows private-profile functions.
class IIniFile {
 public:
  virtual ~IIniFile() = default;

  // The value of `key` in `section`, or `defaultValue` (less its trailing spaces) when the file,
  // the section or the key is missing or cannot be read. Section and key names match without
  // regard to case; the result is cut to `maxChars` UTF-16 code units.
  virtual std::string ReadString(const std::string& path, const std::string& section,
                                 const std::string& key, const std::string& defaultValue,
                                 std::size_t maxChars = kIniMaxValueChars) = 0;

  // Sets `key` in `section`, creating the file, the section or the key when missing and leaving
  // everything else in the file as it was. False when nothing was written; the file is then
  // unchanged.
  virtual bool WriteString(const std::string& path, const std::string& section,
                           const std::string& key, const std::string& value) = 0;
};
