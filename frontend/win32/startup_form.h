#pragma once

#include <windows.h>

#include <functional>

#include "common/dialogs.h"
#include "startup/conn_startup.h"
#include "win_application.h"
#include "win_window.h"

// The invisible start-up form: a borderless, fully transparent window that is the application's
// main window until the decision sequence has chosen its ending. Showing it runs the sequence
// from the message loop.
class TConnStartupForm : public TWinWindow, public IStartupHost {
 public:
  using TWindowFactory = std::function<void()>;

  static constexpr DWORD kStyle = WS_POPUP;
  static constexpr DWORD kExStyle = WS_EX_LAYERED | WS_EX_TRANSPARENT;
  static constexpr int kClientWidth = 229;
  static constexpr int kClientHeight = 51;

  // Becomes the application's main window.
  TConnStartupForm(TAppConfig& config, TQXConnection& conn, IDialogs& dialogs, TWinApplication& app,
                   TWindowFactory showWindow);

  // Shows the form; the decision sequence runs once the message loop takes the next message.
  void Show();
  bool HasRun() const { return FHasRun; }

  void Terminate() override;
  void ShowConnectionWindow() override;
  void CloseStartupForm() override;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void RunDecisionSequence();

  TConnStartup FStartup;
  IDialogs& FDialogs;
  TWinApplication& FApp;
  TWindowFactory FShowWindow;
  bool FShown = false;
  bool FHasRun = false;
};
