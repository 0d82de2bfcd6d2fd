#pragma once

#include <cstddef>
#include <string>

#include "config/ini_file.h"

// INI files read as the Windows private-profile functions read them, in UTF-8 (with or without a
// BOM) or UTF-16LE with a BOM, with CR LF, LF or CR line ends. A write changes only the bytes of
// the one key: it keeps the file's encoding and line ends, and replaces the file through a
// temporary file in the same folder, so the old file stays whole when anything fails.
class TPosixIniFile : public IIniFile {
 public:
  // A larger file is not read, and not written either.
  static constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

  std::string ReadString(const std::string& path, const std::string& section,
                         const std::string& key, const std::string& defaultValue,
                         std::size_t maxChars = kIniMaxValueChars) override;
  // Refuses (false, file unchanged) a value with CR or LF, an empty key, and names that could not
  // be read back: a key with "=" or starting with ";" or "[", a section with "]".
  bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& value) override;
};
