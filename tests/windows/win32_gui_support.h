#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// Takes the calling thread's messages until `done` holds or `bound` has passed; false then.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds bound = std::chrono::milliseconds(20000));
// Takes the messages that are waiting, for about `span`.
void PumpFor(std::chrono::milliseconds span);

// What a dialog box showed when it was answered.
struct TDialogSnapshot {
  std::wstring Caption;
  std::wstring Text;         // a message box's text, or the input dialog's prompt
  std::vector<int> Buttons;  // the identifiers of its visible buttons
  int DefaultButton = 0;     // the button drawn as the default one
  int FocusedButton = 0;
  HICON Icon = nullptr;  // a message box's icon
  DWORD ThreadId = 0;    // the thread that runs it
};

// While it lives, answers the dialog boxes that the thread which made it shows: a thread timer
// finds each new one, records it, and hands it to `answer`, which ends it (for example by
// sending WM_COMMAND with IDOK).
class TDialogAnswerer {
 public:
  explicit TDialogAnswerer(std::function<void(HWND)> answer);
  ~TDialogAnswerer();
  TDialogAnswerer(const TDialogAnswerer&) = delete;
  TDialogAnswerer& operator=(const TDialogAnswerer&) = delete;

  const std::vector<TDialogSnapshot>& Answered() const { return FAnswered; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void Look();

  std::function<void(HWND)> FAnswer;
  std::vector<TDialogSnapshot> FAnswered;
  std::vector<HWND> FSeen;
  UINT_PTR FTimer = 0;
};

// Presses a dialog's button as a click would.
void PressDialogButton(HWND dialog, int id);
std::wstring WindowText(HWND window);
