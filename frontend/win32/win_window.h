#pragma once

#include <windows.h>

#include <string>

// A window whose messages go to a C++ object. The object outlives its window: destroying the
// object destroys the window, and a window destroyed first (a user closing it) leaves the object
// without a handle.
class TWinWindow {
 public:
  TWinWindow() = default;
  virtual ~TWinWindow();
  TWinWindow(const TWinWindow&) = delete;
  TWinWindow& operator=(const TWinWindow&) = delete;

  HWND Handle() const { return FHandle; }

 protected:
  struct TCreateParams {
    const wchar_t* ClassName = nullptr;
    DWORD ExStyle = 0;
    DWORD Style = 0;
    std::wstring Caption;
    int X = CW_USEDEFAULT;
    int Y = CW_USEDEFAULT;
    int Width = CW_USEDEFAULT;
    int Height = CW_USEDEFAULT;
    HWND Parent = nullptr;
    HBRUSH Background = nullptr;
    const wchar_t* Cursor = IDC_ARROW;
  };

  // Registers the class on first use; throws std::runtime_error when the window cannot be made.
  void CreateHandle(const TCreateParams& params);
  // Runs on the window's thread. Must not throw: an error that escapes is swallowed and the
  // message gets the default handling.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);
  // Destroys the window now, while the object is still whole.
  void DestroyHandle();

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND FHandle = nullptr;
};

// Registers a window class with a plain procedure, once per process.
void RegisterWindowClass(const wchar_t* className, WNDPROC procedure, HBRUSH background,
                         const wchar_t* cursor);

// The outer size of a window whose client area is `width` x `height`.
SIZE WindowSizeForClient(DWORD style, DWORD exStyle, int width, int height);
