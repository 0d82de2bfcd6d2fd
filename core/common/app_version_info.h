#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/version.h"

struct TAppResVersionInfo {
  std::string CompanyName;
  std::string FileDescription;
  TVersion FileVersion;
  std::string InternalName;
  std::string LegalCopyright;
  std::string LegalTrademarks;
  std::string OriginalFilename;
  std::string ProductName;
  TVersion ProductVersion;
  std::string Comments;
  std::string ProgramID;
};

// Filled once at start-up, before anything else of the program runs; read only afterwards.
extern TAppResVersionInfo AppResVersionInfo;

// The resources embedded in the running executable.
class IResources {
 public:
  virtual ~IResources() = default;
  // The bytes of the RCDATA resource of that name (looked up without regard to case), or none.
  virtual std::optional<std::string> LoadRCData(const std::string& name) = 0;
};

// The "VersionInfo" JSON: an optional UTF-8 BOM, then one object of eleven text members.
// Anything missing or malformed gives the empty record.
TAppResVersionInfo ParseAppResVersionInfo(std::string_view content);
TAppResVersionInfo LoadAppResVersionInfo(IResources& resources);
