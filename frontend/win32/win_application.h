#pragma once

#include <windows.h>

#include "common/application.h"

// The GUI application on the thread that made it: its message loop and its main window. The
// keyboard works in the main window as in a dialog (Tab, Enter for the default button).
class TWinApplication : public IApplication {
 public:
  TWinApplication();

  // Ends the message loop; from another thread too.
  void Terminate() override;
  void ProcessPendingEvents() override;

  void SetMainWindow(HWND window) { FMainWindow = window; }
  HWND MainWindow() const { return FMainWindow; }
  // Windows report their destruction here: the main window's ends the message loop.
  void WindowDestroyed(HWND window);

  // Takes messages until the loop ends; gives the exit code.
  int Run();

 private:
  void Dispatch(MSG& message);

  DWORD FThreadId;
  HWND FMainWindow = nullptr;
};
