#include "win_message_window.h"

#include <exception>

namespace {

constexpr UINT kRunWorkMessage = WM_APP + 1;

struct TWorkCall {
  const std::function<void()>* Work = nullptr;
  bool Ran = false;
  std::exception_ptr Error;
};

}  // namespace

void AnswerSentMessages(DWORD timeoutMillis) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMillis, QS_SENDMESSAGE);
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

TWinMessageWindow::TWinMessageWindow() : FThreadId(GetCurrentThreadId()) {
  TCreateParams params;
  params.ClassName = L"VostrelMessageWindow";
  params.X = params.Y = params.Width = params.Height = 0;
  params.Parent = HWND_MESSAGE;
  params.Cursor = nullptr;
  CreateHandle(params);
}

bool TWinMessageWindow::Run(const std::function<void()>& work) {
  if (OnOwnThread()) {
    work();
    return true;
  }
  TWorkCall call;
  call.Work = &work;
  SendMessageW(Handle(), kRunWorkMessage, 0, reinterpret_cast<LPARAM>(&call));
  if (call.Error) std::rethrow_exception(call.Error);
  return call.Ran;
}

LRESULT TWinMessageWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRunWorkMessage) return DefaultHandling(message, wParam, lParam);
  auto* call = reinterpret_cast<TWorkCall*>(lParam);
  try {
    call->Ran = true;
    (*call->Work)();
  } catch (...) {
    call->Error = std::current_exception();
  }
  return 0;
}
