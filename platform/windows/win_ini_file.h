#pragma once

#include <cstddef>
#include <string>

#include "config/ini_file.h"

// INI files through the Windows private-profile functions themselves. A file that does not exist
// yet is started as UTF-16LE with its byte-order mark, because the profile functions would create
// an ANSI file, in which every character outside the ANSI code page turns into '?'.
class TWinIniFile : public IIniFile {
 public:
  // GetPrivateProfileStringW counts its buffer size modulo 65536.
  static constexpr std::size_t kMaxReadChars = 65534;

  std::string ReadString(const std::string& path, const std::string& section,
                         const std::string& key, const std::string& defaultValue,
                         std::size_t maxChars = kIniMaxValueChars) override;
  // Refuses (false, file unchanged) a value with CR or LF, which the profile functions would write
  // as a line break, an empty key, and names that could not be read back: a key with "=" or
  // starting with ";" or "[", a section with "]". A value that the reader would trim or unquote is
  // written in quotes, so that it reads back as it was given.
  bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& value) override;
};
