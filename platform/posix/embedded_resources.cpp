#include "embedded_resources.h"

#include <cstddef>

#include "common/text.h"

extern const unsigned char kVersionInfoResource[];
extern const std::size_t kVersionInfoResourceSize;

std::optional<std::string> TEmbeddedResources::LoadRCData(const std::string& name) {
  if (!SameTextAscii(name, "VersionInfo")) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(kVersionInfoResource), kVersionInfoResourceSize);
}
