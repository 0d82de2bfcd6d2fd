#include "startup_form.h"

#include "common/error_handling.h"

namespace {

constexpr UINT kRunSequenceMessage = WM_APP + 20;

}  // namespace

TConnStartupForm::TConnStartupForm(TAppConfig& config, TQXConnection& conn, IDialogs& dialogs,
                                   TWinApplication& app, TWindowFactory showWindow)
    : FStartup(TStartupServices{config, conn, dialogs, *this, AppResVersionInfo}),
      FDialogs(dialogs),
      FApp(app),
      FShowWindow(std::move(showWindow)) {
  TCreateParams params;
  params.ClassName = L"TConnStartup";
  params.Style = kStyle;
  params.ExStyle = kExStyle;
  params.Caption = L"Initializing Pellanor...";
  const SIZE outer = WindowSizeForClient(kStyle, kExStyle, kClientWidth, kClientHeight);
  params.Width = outer.cx;
  params.Height = outer.cy;
  CreateHandle(params);
  // Nothing of the form is ever seen.
  SetLayeredWindowAttributes(Handle(), 0, 0, LWA_ALPHA);
  FApp.SetMainWindow(Handle());
}

void TConnStartupForm::Show() {
  ShowWindow(Handle(), SW_SHOW);
  if (FShown) return;
  FShown = true;
  // Run from the loop, so that terminating ends a loop that is already running.
  PostMessageW(Handle(), kRunSequenceMessage, 0, 0);
}

void TConnStartupForm::RunDecisionSequence() {
  if (FHasRun) return;
  FHasRun = true;
  RunHandler(FDialogs, [this] { FStartup.FormShow(); });
  // An error out of the sequence would leave this invisible form as the main window for ever.
  if (Handle() != nullptr) CloseStartupForm();
}

void TConnStartupForm::Terminate() {
  FApp.Terminate();
}

void TConnStartupForm::ShowConnectionWindow() {
  if (FShowWindow) FShowWindow();
}

void TConnStartupForm::CloseStartupForm() {
  DestroyHandle();
}

LRESULT TConnStartupForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kRunSequenceMessage:
      RunDecisionSequence();
      return 0;
    case WM_DESTROY:
      FApp.WindowDestroyed(Handle());
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}
