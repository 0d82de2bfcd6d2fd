#include "posix_app_data.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

constexpr const char* sDefaultConfigDir = "/etc/xdg";

bool IsAbsolute(std::string_view path) {
  return !path.empty() && path.front() == '/';
}

// "/a/b/" and "/a/b" name the same folder; "/" stays as it is.
std::string WithoutTrailingSlashes(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return std::string(path);
}

std::string AbsoluteEnvironmentPath(const char* name) {
  const char* value = std::getenv(name);
  return value && IsAbsolute(value) ? WithoutTrailingSlashes(value) : "";
}

std::string HomeFromPasswordDatabase() {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
      !IsAbsolute(found->pw_dir ? found->pw_dir : ""))
    return {};
  return WithoutTrailingSlashes(found->pw_dir);
}

std::string HomeFolder() {
  const std::string home = AbsoluteEnvironmentPath("HOME");
  return home.empty() ? HomeFromPasswordDatabase() : home;
}

}  // namespace

std::string XdgConfigHome() {
  const std::string configHome = AbsoluteEnvironmentPath("XDG_CONFIG_HOME");
  if (!configHome.empty()) return configHome;
  const std::string home = HomeFolder();
  return home.empty() ? "" : home + "/.config";
}

std::string XdgFirstConfigDir() {
  const char* dirs = std::getenv("XDG_CONFIG_DIRS");
  std::string_view rest = dirs ? dirs : "";
  while (!rest.empty()) {
    const size_t colon = rest.find(':');
    const std::string_view entry = rest.substr(0, colon);
    if (IsAbsolute(entry)) return WithoutTrailingSlashes(entry);
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
  }
  return sDefaultConfigDir;
}
