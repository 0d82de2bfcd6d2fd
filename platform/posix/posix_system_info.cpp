#include "posix_system_info.h"

#include <limits.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string_view>
#include <utility>

namespace {

constexpr size_t kNetBIOSNameLength = 15;

std::string ToUpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

bool IsUtf8Continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The length in bytes of the first `count` characters, so that a cut never splits a UTF-8 sequence.
size_t PrefixOfCharacters(const std::string& text, size_t count) {
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsUtf8Continuation(text[i])) continue;
    if (characters == count) return i;
    ++characters;
  }
  return text.size();
}

std::string_view TrimSpace(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// os-release is a shell fragment: values may be quoted, with backslash escapes inside double
// quotes, and a later assignment replaces an earlier one.
std::string UnquoteShellValue(std::string_view value) {
  if (value.size() < 2 || (value.front() != '"' && value.front() != '\'') ||
      value.back() != value.front())
    return std::string(value);
  const char quote = value.front();
  value = value.substr(1, value.size() - 2);
  std::string result;
  for (size_t i = 0; i < value.size(); ++i) {
    if (quote == '"' && value[i] == '\\' && i + 1 < value.size()) ++i;
    result += value[i];
  }
  return result;
}

std::map<std::string, std::string> ParseOSReleaseFields(const std::string& text) {
  std::map<std::string, std::string> fields;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const std::string_view trimmed = TrimSpace(line);
    if (trimmed.empty() || trimmed.front() == '#') continue;
    const auto equals = trimmed.find('=');
    if (equals == std::string_view::npos) continue;
    fields.insert_or_assign(std::string(TrimSpace(trimmed.substr(0, equals))),
                            UnquoteShellValue(TrimSpace(trimmed.substr(equals + 1))));
  }
  return fields;
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The leading decimal number of `text`, consuming it; 0 when there is none or it is too large.
int TakeNumber(std::string_view& text) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return 0;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  const auto digits = static_cast<size_t>(end - text.data());
  text.remove_prefix(digits);
  return error == std::errc() ? value : 0;
}

}  // namespace

TPosixSystemInfo::TPosixSystemInfo()
    : TPosixSystemInfo({"/etc/os-release", "/usr/lib/os-release"}) {}

TPosixSystemInfo::TPosixSystemInfo(std::vector<std::string> osReleasePaths)
    : FOSReleasePaths(std::move(osReleasePaths)) {}

std::string TPosixSystemInfo::HostName() {
  std::array<char, HOST_NAME_MAX + 1> name{};
  if (gethostname(name.data(), name.size() - 1) != 0) return {};
  return ShortHostName(name.data());
}

TOSVersionInfo TPosixSystemInfo::OSVersion() {
  std::string osRelease;
  for (const auto& path : FOSReleasePaths) {
    osRelease = ReadTextFile(path);
    if (!osRelease.empty()) break;
  }
  utsname system{};
  if (uname(&system) != 0) return VersionFromUname(ProductNameFromOSRelease(osRelease), "", "");
  return VersionFromUname(ProductNameFromOSRelease(osRelease), system.release, system.machine);
}

std::string TPosixSystemInfo::TempFolder() {
  return TempFolderFrom(std::getenv("TMPDIR"));
}

std::string TPosixSystemInfo::ShortHostName(const std::string& hostName) {
  const std::string name = hostName.substr(0, hostName.find('.'));
  return ToUpperAscii(name.substr(0, PrefixOfCharacters(name, kNetBIOSNameLength)));
}

std::string TPosixSystemInfo::ProductNameFromOSRelease(const std::string& osReleaseText) {
  const auto fields = ParseOSReleaseFields(osReleaseText);
  for (const char* key : {"PRETTY_NAME", "NAME"}) {
    const auto found = fields.find(key);
    if (found != fields.end() && !found->second.empty()) return found->second;
  }
  return "Linux";
}

TOSVersionInfo TPosixSystemInfo::VersionFromUname(const std::string& productName,
                                                  const std::string& release,
                                                  const std::string& machine) {
  TOSVersionInfo info;
  info.ProductName = productName;
  std::string_view rest = release;
  int* parts[] = {&info.Major, &info.Minor, &info.Build};
  for (size_t i = 0; i < std::size(parts); ++i) {
    if (i > 0) {
      if (!rest.starts_with('.')) break;
      rest.remove_prefix(1);
    }
    *parts[i] = TakeNumber(rest);
  }
  info.ServicePackMajor = 0;
  info.Is64Bit = machine == "x86_64";
  return info;
}

std::string TPosixSystemInfo::TempFolderFrom(const char* tmpDir) {
  std::string folder = tmpDir != nullptr && tmpDir[0] != '\0' ? tmpDir : "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder;
}
