#include "common/error_handling.h"

#include <exception>

void RunHandler(IDialogs& dialogs, const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    dialogs.ShowMessage(TMsgDlgType::mtError, e.what());
  } catch (...) {
    dialogs.ShowMessage(TMsgDlgType::mtError, "An unexpected error occurred.");
  }
}
