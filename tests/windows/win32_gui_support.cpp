#include "win32_gui_support.h"

#include <algorithm>

namespace {

TDialogAnswerer* sAnswerer = nullptr;
constexpr UINT kLookMillis = 30;

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

TDialogSnapshot Snapshot(HWND dialog) {
  TDialogSnapshot shot;
  shot.Caption = WindowText(dialog);
  shot.ThreadId = GetWindowThreadProcessId(dialog, nullptr);
  const HWND focus = GetFocus();
  if (focus != nullptr && IsChild(dialog, focus)) shot.FocusedButton = GetDlgCtrlID(focus);
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    const std::wstring cls = ClassOf(child);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (_wcsicmp(cls.c_str(), L"Button") == 0 && IsWindowVisible(child)) {
      shot.Buttons.push_back(GetDlgCtrlID(child));
      if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) shot.DefaultButton = GetDlgCtrlID(child);
    }
    if (_wcsicmp(cls.c_str(), L"Static") == 0) {
      if ((style & SS_TYPEMASK) == SS_ICON)
        shot.Icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
      else if (shot.Text.empty() && !WindowText(child).empty())
        shot.Text = WindowText(child);
    }
  }
  std::sort(shot.Buttons.begin(), shot.Buttons.end());
  return shot;
}

}  // namespace

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(0, copied)));
  return text;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return true;
}

void PumpFor(std::chrono::milliseconds span) {
  PumpUntil([] { return false; }, span);
}

void PressDialogButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

TDialogAnswerer::TDialogAnswerer(std::function<void(HWND)> answer) : FAnswer(std::move(answer)) {
  sAnswerer = this;
  FTimer = SetTimer(nullptr, 0, kLookMillis, &TDialogAnswerer::Tick);
}

TDialogAnswerer::~TDialogAnswerer() {
  KillTimer(nullptr, FTimer);
  sAnswerer = nullptr;
}

void CALLBACK TDialogAnswerer::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (sAnswerer != nullptr) sAnswerer->Look();
}

void TDialogAnswerer::Look() {
  std::erase_if(FSeen, [](HWND window) { return !IsWindow(window); });
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM self) -> BOOL {
        auto* answerer = reinterpret_cast<TDialogAnswerer*>(self);
        if (ClassOf(window) != L"#32770" || !IsWindowVisible(window)) return TRUE;
        if (std::find(answerer->FSeen.begin(), answerer->FSeen.end(), window) !=
            answerer->FSeen.end())
          return TRUE;
        answerer->FSeen.push_back(window);
        answerer->FAnswered.push_back(Snapshot(window));
        answerer->FAnswer(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(this));
}
