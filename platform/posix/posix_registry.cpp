#include "posix_registry.h"

#include <sys/stat.h>

#include <string_view>
#include <vector>

#include "common/text.h"
#include "posix_app_data.h"

namespace {

constexpr std::string_view sSoftwareRoot = "SOFTWARE\\";
constexpr const char* sValuesSection = "General";
constexpr const char* sKeyFileExtension = ".conf";

// The key's path below "SOFTWARE\", split at the backslashes; empty when the key lies elsewhere or
// a part could leave its folder.
std::vector<std::string> KeyPathParts(std::string_view key) {
  if (key.size() < sSoftwareRoot.size() ||
      !SameTextAscii(key.substr(0, sSoftwareRoot.size()), sSoftwareRoot))
    return {};
  key.remove_prefix(sSoftwareRoot.size());
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  std::vector<std::string> parts;
  while (!key.empty()) {
    const size_t backslash = key.find('\\');
    const std::string_view part = key.substr(0, backslash);
    if (part.empty() || part == "." || part == ".." || part.find('/') != part.npos) return {};
    parts.emplace_back(part);
    key = backslash == key.npos ? std::string_view() : key.substr(backslash + 1);
  }
  return parts;
}

std::string RootFolder(TRegistryRoot root) {
  return root == TRegistryRoot::rrLocalMachine ? XdgFirstConfigDir() : XdgConfigHome();
}

bool IsRegularFile(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

std::string TPosixRegistry::KeyFile(TRegistryRoot root, const std::string& key) {
  const std::vector<std::string> parts = KeyPathParts(key);
  const std::string folder = RootFolder(root);
  if (parts.empty() || folder.empty()) return {};
  std::string file = folder;
  for (const std::string& part : parts) file += "/" + part;
  return file + sKeyFileExtension;
}

bool TPosixRegistry::KeyExists(TRegistryRoot root, const std::string& key, std::uint32_t) {
  const std::string file = KeyFile(root, key);
  return !file.empty() && IsRegularFile(file);
}

std::string TPosixRegistry::ReadText(TRegistryRoot root, const std::string& key,
                                     const std::string& valueName, std::uint32_t) {
  const std::string file = KeyFile(root, key);
  if (file.empty()) return {};
  return FIni.ReadString(file, sValuesSection, valueName, "", kMaxValueChars);
}
