#pragma once

#include <windows.h>

#include "win_window.h"

// A small spinner: a ring of dots whose darkest dot runs round while it animates. Only its dots
// are part of the window, so what lies beneath shows between them.
class TActivityIndicator : public TWinWindow {
 public:
  static constexpr int kSize = 32;
  static constexpr int kDots = 12;
  static constexpr UINT kFrameMillis = 80;

  explicit TActivityIndicator(HWND parent);

  void StartAnimation();
  void StopAnimation();
  bool IsAnimating() const { return FAnimating; }
  int Frame() const { return FFrame; }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint();
  RECT DotBounds(int dot) const;
  // The same region shapes the window and is painted, so that every pixel of it is drawn.
  HRGN DotRegion(int dot) const;

  bool FAnimating = false;
  int FFrame = 0;
};
