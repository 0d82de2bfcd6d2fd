#include "win_application.h"

TWinApplication::TWinApplication() : FThreadId(GetCurrentThreadId()) {}

void TWinApplication::Terminate() {
  if (GetCurrentThreadId() == FThreadId)
    PostQuitMessage(0);
  else
    PostThreadMessageW(FThreadId, WM_QUIT, 0, 0);
}

void TWinApplication::WindowDestroyed(HWND window) {
  if (window == nullptr || window != FMainWindow) return;
  FMainWindow = nullptr;
  PostQuitMessage(0);
}

void TWinApplication::Dispatch(MSG& message) {
  if (FMainWindow != nullptr && IsWindow(FMainWindow) && IsDialogMessageW(FMainWindow, &message))
    return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void TWinApplication::ProcessPendingEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The loop that runs this handler is the one that must end.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(message);
  }
}

int TWinApplication::Run() {
  MSG message;
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) return 1;
    Dispatch(message);
  }
}
