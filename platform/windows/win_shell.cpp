#include "win_shell.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "win_text.h"

int TWinShell::Execute(const std::string& verb, const std::string& target) {
  const HINSTANCE result = ShellExecuteW(nullptr, ToWide(verb).c_str(), ToWide(target).c_str(),
                                         nullptr, nullptr, SW_SHOWNORMAL);
  return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}
