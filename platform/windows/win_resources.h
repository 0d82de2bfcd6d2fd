#pragma once

#include "common/app_version_info.h"

// The RCDATA resources of the running executable.
class TWinResources : public IResources {
 public:
  std::optional<std::string> LoadRCData(const std::string& name) override;
};
