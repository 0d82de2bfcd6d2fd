#pragma once

#include <string>

#include "config/config_storage.h"

// The roaming application-data folder as the shell names it (CSIDL_APPDATA).
class TWinAppDataFolder : public IAppDataFolder {
 public:
  std::string RoamingAppDataFolder() override;
};
