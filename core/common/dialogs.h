#pragma once

#include <string>

enum class TMsgDlgType { mtError, mtWarning, mtInformation };

// Every message the user sees is modal. Line breaks inside a text are CR LF; a front end turns
// them into whatever its toolkit shows as a line break.
class IDialogs {
 public:
  virtual ~IDialogs() = default;

  // A message with an OK button only, OK being the default.
  virtual void ShowMessage(TMsgDlgType kind, const std::string& text) = 0;

  // A warning with the buttons Yes and No, No being the default. True when the user chose Yes.
  virtual bool ConfirmWarning(const std::string& text) = 0;

  // A modal input dialog; gives the typed text when confirmed and `initial` when cancelled.
  virtual std::string InputQuery(const std::string& caption, const std::string& prompt,
                                 const std::string& initial) = 0;
};
