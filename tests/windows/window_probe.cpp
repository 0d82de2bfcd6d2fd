// Looks at the connection window of a running vostrel.exe from outside, for the end-to-end run
// under Wine:
//   window_probe wait CAPTION WIDTH HEIGHT SECONDS   waits until a connection window with that
//       caption has a client area of WIDTH x HEIGHT; prints "window LEFT TOP WIDTH HEIGHT" (its
//       place on the screen) and "buttons N"; exits 1 when it does not come in time
//   window_probe close CAPTION                       asks that window to close
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

HWND FindConnectionWindow(const std::wstring& caption) {
  return FindWindowW(L"TConnGUI", caption.c_str());
}

int CountButtons(HWND window) {
  int count = 0;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM counter) -> BOOL {
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        if (_wcsicmp(name, L"Button") == 0 && IsWindowVisible(child))
          ++*reinterpret_cast<int*>(counter);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

int Wait(const std::wstring& caption, int width, int height, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  RECT client{};
  HWND window = nullptr;
  while (std::chrono::steady_clock::now() < deadline) {
    window = FindConnectionWindow(caption);
    if (window != nullptr && IsWindowVisible(window) && GetClientRect(window, &client) &&
        client.right == width && client.bottom == height) {
      // Give the last image time to be painted.
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      RECT outer{};
      GetWindowRect(window, &outer);
      std::printf("window %ld %ld %ld %ld\n", outer.left, outer.top, outer.right - outer.left,
                  outer.bottom - outer.top);
      std::printf("buttons %d\n", CountButtons(window));
      return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (window == nullptr)
    std::printf("no connection window with that caption\n");
  else
    std::printf("client area %ld x %ld\n", client.right, client.bottom);
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"wait" && argc == 6)
    return Wait(argv[2], _wtoi(argv[3]), _wtoi(argv[4]), _wtoi(argv[5]));
  if (command == L"close" && argc == 3) {
    const HWND window = FindConnectionWindow(argv[2]);
    if (window == nullptr) return 1;
    PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  std::fprintf(stderr, "usage: window_probe wait CAPTION WIDTH HEIGHT SECONDS | close CAPTION\n");
  return 2;
}
