#include "win_resources.h"

#include <windows.h>

#include "win_text.h"

// FindResourceW upper-cases a name before looking it up, so resource scripts name their resources
// in capitals.
std::optional<std::string> TWinResources::LoadRCData(const std::string& name) {
  const HRSRC info = FindResourceW(nullptr, ToWide(name).c_str(), RT_RCDATA);
  if (!info) return std::nullopt;
  const HGLOBAL loaded = LoadResource(nullptr, info);
  const DWORD size = SizeofResource(nullptr, info);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return std::nullopt;
  return std::string(static_cast<const char*>(bytes), size);
}
