#include "win_app_data.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include "win_text.h"

std::string TWinAppDataFolder::RoamingAppDataFolder() {
  wchar_t folder[MAX_PATH] = {};
  // S_FALSE, a success code, means the folder does not exist: that is no folder either.
  if (SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK)
    return {};
  return FromWide(folder);
}
