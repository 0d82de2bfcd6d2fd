#pragma once

#include <string>
#include <vector>

#include "common/system_info.h"

// The machine as Linux describes it: gethostname, /etc/os-release, uname and $TMPDIR.
class TPosixSystemInfo : public ISystemInfo {
 public:
  // Reads the first of the os-release files that exists.
  TPosixSystemInfo();
  explicit TPosixSystemInfo(std::vector<std::string> osReleasePaths);

  std::string HostName() override;
  TOSVersionInfo OSVersion() override;
  std::string TempFolder() override;

  // The short, NetBIOS-style form of a host name: up to the first '.', upper-case ASCII, at most
  // 15 characters (UTF-8 sequences are kept whole).
  static std::string ShortHostName(const std::string& hostName);
  // PRETTY_NAME, else NAME, else "Linux".
  static std::string ProductNameFromOSRelease(const std::string& osReleaseText);
  // The version from uname's release ("6.1.0-18-amd64") and machine ("x86_64").
  static TOSVersionInfo VersionFromUname(const std::string& productName, const std::string& release,
                                         const std::string& machine);
  // $TMPDIR when set and not empty, else "/tmp", always ending in '/'.
  static std::string TempFolderFrom(const char* tmpDir);

 private:
  std::vector<std::string> FOSReleasePaths;
};
