#include "common/app_open.h"

namespace {

void ShowOpenError(IDialogs& dialogs, const std::string& target, int code) {
  dialogs.ShowMessage(TMsgDlgType::mtError, "There was an error trying to open '" + target +
                                                "' (ShellExecute ErrCode: " + std::to_string(code) +
                                                ")");
}

}  // namespace

int TAppOpen::OpenFile(IShell& shell, IDialogs& dialogs, const std::string& Filename,
                       const std::string& /*MimeType: the shell finds the handler by itself*/,
                       const std::string& Verb) {
  int code = shell.Execute(Verb, Filename);
  if ((code == shellcode::kAssociationIncomplete || code == shellcode::kNoAssociation) &&
      Verb != "open")
    code = shell.Execute("open", Filename);
  if (!shellcode::Succeeded(code)) ShowOpenError(dialogs, Filename, code);
  return code;
}

int TAppOpen::OpenUrl(IShell& shell, IDialogs& dialogs, const std::string& URL) {
  int code = shell.Execute("open", URL);
  if (!shellcode::Succeeded(code)) ShowOpenError(dialogs, URL, code);
  return code;
}
