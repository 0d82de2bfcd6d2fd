#pragma once

#include <string>

#include "common/system_info.h"

// The machine as Windows describes it. The version is the running system's own, from ntdll:
// GetVersionEx reports what the program's manifest claims to support instead.
class TWinSystemInfo : public ISystemInfo {
 public:
  std::string HostName() override;
  TOSVersionInfo OSVersion() override;
  std::string TempFolder() override;

  // The registry's product name, which Windows 11 still gives as "Windows 10 ...", made to match
  // the build; "Windows" when the registry has none.
  static std::string ProductNameForBuild(const std::string& registryName, int build);
  // Whether a processor architecture of GetNativeSystemInfo is one of 64-bit Windows.
  static bool IsSixtyFourBitArchitecture(unsigned architecture);
};
