#include "win_dialogs.h"

#include "win_input_dialog.h"
#include "win_text.h"

namespace {

// Without an active window the box is modal to every window of the thread.
int ShowBox(const std::string& text, const wchar_t* caption, UINT flags) {
  const HWND owner = GetActiveWindow();
  if (owner == nullptr) flags |= MB_TASKMODAL;
  return MessageBoxW(owner, ToWide(text).c_str(), caption, flags);
}

}  // namespace

UINT TWinDialogs::MessageFlags(TMsgDlgType kind) {
  switch (kind) {
    case TMsgDlgType::mtError:
      return MB_OK | MB_ICONERROR;
    case TMsgDlgType::mtWarning:
      return MB_OK | MB_ICONWARNING;
    case TMsgDlgType::mtInformation:
      break;
  }
  return MB_OK | MB_ICONINFORMATION;
}

const wchar_t* TWinDialogs::MessageCaption(TMsgDlgType kind) {
  switch (kind) {
    case TMsgDlgType::mtError:
      return L"Error";
    case TMsgDlgType::mtWarning:
      return L"Warning";
    case TMsgDlgType::mtInformation:
      break;
  }
  return L"Information";
}

void TWinDialogs::ShowMessage(TMsgDlgType kind, const std::string& text) {
  FGuiThread.Run([&] { ShowBox(text, MessageCaption(kind), MessageFlags(kind)); });
}

bool TWinDialogs::ConfirmWarning(const std::string& text) {
  bool yes = false;
  FGuiThread.Run(
      [&] { yes = ShowBox(text, MessageCaption(TMsgDlgType::mtWarning), kConfirmFlags) == IDYES; });
  return yes;
}

std::string TWinDialogs::InputQuery(const std::string& caption, const std::string& prompt,
                                    const std::string& initial) {
  std::string answer = initial;
  FGuiThread.Run([&] {
    answer = FromWide(
        RunInputDialog(GetActiveWindow(), ToWide(caption), ToWide(prompt), ToWide(initial)));
  });
  return answer;
}
