#include "win_os_info.h"

#include <windows.h>

#include <stdexcept>

namespace {

using TIsWow64Process = BOOL(WINAPI*)(HANDLE, PBOOL);

// Windows before XP SP2 has no IsWow64Process, so it is looked up rather than linked.
TIsWow64Process FindIsWow64Process() {
  const HMODULE kernel = GetModuleHandleW(L"kernel32");
  if (!kernel) return nullptr;
  const FARPROC proc = GetProcAddress(kernel, "IsWow64Process");
  return reinterpret_cast<TIsWow64Process>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace

bool TWinOSInfo::IsWOW64() {
  const TIsWow64Process isWow64Process = FindIsWow64Process();
  if (!isWow64Process) return false;
  BOOL wow64 = FALSE;
  if (!isWow64Process(GetCurrentProcess(), &wow64)) throw std::runtime_error("Bad process handle");
  return wow64 != FALSE;
}
