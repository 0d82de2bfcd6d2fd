#pragma once

#include <string>

#include "config/config_storage.h"

// The XDG base folders, which stand in on Linux for the roaming application-data folder and the
// registry's machine and user roots. Relative entries are ignored, as the XDG rules ask.

// $XDG_CONFIG_HOME, else $HOME/.config (the password database's home when $HOME is unset); empty
// when no home is known.
std::string XdgConfigHome();
// The first absolute folder of $XDG_CONFIG_DIRS, else "/etc/xdg".
std::string XdgFirstConfigDir();

// The roaming application-data folder is $XDG_CONFIG_HOME.
class TPosixAppDataFolder : public IAppDataFolder {
 public:
  std::string RoamingAppDataFolder() override { return XdgConfigHome(); }
};
