#pragma once

#include "common/app_version_info.h"

// The resources compiled into the executable.
class TEmbeddedResources : public IResources {
 public:
  std::optional<std::string> LoadRCData(const std::string& name) override;
};
