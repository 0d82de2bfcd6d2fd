#include "activity_indicator.h"

#include <cmath>
#include <numbers>

namespace {

constexpr UINT_PTR kFrameTimerId = 1;
constexpr double kRingRadius = TActivityIndicator::kSize * 0.36;
constexpr int kDotRadius = 3;
// The leading dot in the highlight colour; the ones behind it fade towards the window colour.
constexpr double kTrailFade = 0.8;

COLORREF Mix(COLORREF from, COLORREF to, double amount) {
  auto part = [amount](int a, int b) { return static_cast<BYTE>(a + (b - a) * amount); };
  return RGB(part(GetRValue(from), GetRValue(to)), part(GetGValue(from), GetGValue(to)),
             part(GetBValue(from), GetBValue(to)));
}

}  // namespace

TActivityIndicator::TActivityIndicator(HWND parent) {
  TCreateParams params;
  params.ClassName = L"TActivityIndicator";
  params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  params.X = params.Y = 0;
  params.Width = params.Height = kSize;
  params.Parent = parent;
  CreateHandle(params);
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  for (int dot = 0; dot < kDots; ++dot) {
    const HRGN disc = DotRegion(dot);
    CombineRgn(shape, shape, disc, RGN_OR);
    DeleteObject(disc);
  }
  SetWindowRgn(Handle(), shape, FALSE);  // the window owns the region from here on
}

RECT TActivityIndicator::DotBounds(int dot) const {
  const double angle = 2.0 * std::numbers::pi * dot / kDots;
  const int x = static_cast<int>(std::lround(kSize / 2.0 + kRingRadius * std::sin(angle)));
  const int y = static_cast<int>(std::lround(kSize / 2.0 - kRingRadius * std::cos(angle)));
  return {x - kDotRadius, y - kDotRadius, x + kDotRadius, y + kDotRadius};
}

void TActivityIndicator::StartAnimation() {
  if (FAnimating) return;
  FAnimating = true;
  SetTimer(Handle(), kFrameTimerId, kFrameMillis, nullptr);
}

void TActivityIndicator::StopAnimation() {
  if (!FAnimating) return;
  FAnimating = false;
  KillTimer(Handle(), kFrameTimerId);
}

HRGN TActivityIndicator::DotRegion(int dot) const {
  const RECT bounds = DotBounds(dot);
  return CreateEllipticRgn(bounds.left, bounds.top, bounds.right + 1, bounds.bottom + 1);
}

void TActivityIndicator::Paint() {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(Handle(), &paint);
  const COLORREF lead = GetSysColor(COLOR_HIGHLIGHT);
  const COLORREF background = GetSysColor(COLOR_BTNFACE);
  for (int dot = 0; dot < kDots; ++dot) {
    const int behind = (FFrame - dot + kDots) % kDots;
    const HBRUSH brush =
        CreateSolidBrush(Mix(lead, background, kTrailFade * behind / (kDots - 1.0)));
    const HRGN disc = DotRegion(dot);
    FillRgn(dc, disc, brush);
    DeleteObject(disc);
    DeleteObject(brush);
  }
  EndPaint(Handle(), &paint);
}

LRESULT TActivityIndicator::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam != kFrameTimerId) break;
      FFrame = (FFrame + 1) % kDots;
      InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // every dot is painted whole
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    default:
      break;
  }
  return DefaultHandling(message, wParam, lParam);
}
