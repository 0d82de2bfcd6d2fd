#pragma once

#include "common/dialogs.h"

// Modal Qt dialogs. Callable from any thread: a call from another thread is answered on the GUI
// thread while the caller waits.
class TQtDialogs : public IDialogs {
 public:
  void ShowMessage(TMsgDlgType kind, const std::string& text) override;
  bool ConfirmWarning(const std::string& text) override;
  std::string InputQuery(const std::string& caption, const std::string& prompt,
                         const std::string& initial) override;
};
