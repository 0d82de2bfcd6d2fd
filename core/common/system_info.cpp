#include "common/system_info.h"

std::string FormatOSDescription(const TOSVersionInfo& info) {
  const std::string edition = info.Is64Bit ? "64-bit Edition" : "32-bit Edition";
  std::string text = info.ProductName;
  if (info.ServicePackMajor != 0) text += " Service Pack " + std::to_string(info.ServicePackMajor);
  text += " (Version " + std::to_string(info.Major) + "." + std::to_string(info.Minor) + ", Build " +
          std::to_string(info.Build) + ", " + edition + ")";
  return text;
}
