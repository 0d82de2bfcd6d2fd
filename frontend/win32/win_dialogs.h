#pragma once

#include <windows.h>

#include "common/dialogs.h"
#include "win_message_window.h"

// Modal Windows dialogs: MessageBoxW, and the input dialog. Made on the GUI thread and callable
// from any thread: a call from another thread is answered on the GUI thread while the caller
// waits. Each dialog is modal to the GUI thread's active window.
class TWinDialogs : public IDialogs {
 public:
  void ShowMessage(TMsgDlgType kind, const std::string& text) override;
  bool ConfirmWarning(const std::string& text) override;
  std::string InputQuery(const std::string& caption, const std::string& prompt,
                         const std::string& initial) override;

  // The MessageBoxW flags and caption of a message of that kind.
  static UINT MessageFlags(TMsgDlgType kind);
  static const wchar_t* MessageCaption(TMsgDlgType kind);
  static constexpr UINT kConfirmFlags = MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2;

 private:
  TWinMessageWindow FGuiThread;
};
