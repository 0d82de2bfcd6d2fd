#pragma once

#include <string>

#include "common/dialogs.h"
#include "common/shell.h"

// Opens files and addresses through the shell and tells the user when the shell refuses.
class TAppOpen {
 public:
  TAppOpen() = delete;

  // Falls back to the verb "open" when the shell knows no such verb for the file. Returns the final
  // shell code; a failure has been shown to the user already.
  static int OpenFile(IShell& shell, IDialogs& dialogs, const std::string& Filename,
                      const std::string& MimeType, const std::string& Verb);
  static int OpenUrl(IShell& shell, IDialogs& dialogs, const std::string& URL);
};
