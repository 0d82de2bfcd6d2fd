#include "win_window.h"

#include <stdexcept>

void RegisterWindowClass(const wchar_t* className, WNDPROC procedure, HBRUSH background,
                         const wchar_t* cursor) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(instance, className, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = cursor != nullptr ? LoadCursorW(nullptr, cursor) : nullptr;
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw std::runtime_error("The window class could not be registered");
}

SIZE WindowSizeForClient(DWORD style, DWORD exStyle, int width, int height) {
  RECT rect{0, 0, width, height};
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

TWinWindow::~TWinWindow() {
  // A derived object is gone by now: its window must not reach it any more.
  if (FHandle != nullptr) {
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
    DestroyWindow(FHandle);
    FHandle = nullptr;
  }
}

void TWinWindow::DestroyHandle() {
  if (FHandle != nullptr) DestroyWindow(FHandle);
}

void TWinWindow::CreateHandle(const TCreateParams& params) {
  RegisterWindowClass(params.ClassName, &TWinWindow::Procedure, params.Background, params.Cursor);
  const HWND window = CreateWindowExW(params.ExStyle, params.ClassName, params.Caption.c_str(),
                                      params.Style, params.X, params.Y, params.Width, params.Height,
                                      params.Parent, nullptr, GetModuleHandleW(nullptr), this);
  if (window == nullptr) throw std::runtime_error("The window could not be created");
}

LRESULT TWinWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultHandling(message, wParam, lParam);
}

LRESULT TWinWindow::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(FHandle, message, wParam, lParam);
}

LRESULT CALLBACK TWinWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TWinWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->FHandle = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TWinWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = 0;
  try {
    result = self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    result = DefWindowProcW(window, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->FHandle = nullptr;
  }
  return result;
}
