#pragma once

#include <windows.h>

#include <functional>

#include "win_window.h"

// Runs work on the thread that made it, for callers on any thread. A call from another thread is
// a SendMessage to a hidden message-only window: the caller waits until the owning thread has run
// the work, which it does whenever it takes messages, also inside a modal dialog.
class TWinMessageWindow : private TWinWindow {
 public:
  TWinMessageWindow();

  bool OnOwnThread() const { return GetCurrentThreadId() == FThreadId; }
  // True when the work ran. An error out of it reaches the caller.
  bool Run(const std::function<void()>& work);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  DWORD FThreadId;
};

// Lets the calling thread answer the messages that other threads send to its windows, waiting at
// most `timeoutMillis` for one to arrive.
void AnswerSentMessages(DWORD timeoutMillis);
