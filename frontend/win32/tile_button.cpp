#include "tile_button.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <string>

namespace {

// Unthemed faces keep their text this far inside the edge.
constexpr int kClassicInset = 4;

struct TFaceState {
  bool Pressed = false;
  bool Disabled = false;
  bool Default = false;
};

// Draws the button's face and gives the area inside it.
RECT DrawFace(HWND button, HDC dc, const RECT& bounds, const TFaceState& state) {
  RECT content = bounds;
  if (HTHEME theme = OpenThemeData(button, L"BUTTON")) {
    const int part = BP_PUSHBUTTON;
    const int look = state.Disabled ? PBS_DISABLED : state.Pressed ? PBS_PRESSED : PBS_HOT;
    if (IsThemeBackgroundPartiallyTransparent(theme, part, look)) {
      RECT behind = bounds;
      DrawThemeParentBackground(button, dc, &behind);
    }
    DrawThemeBackground(theme, dc, part, look, &bounds, nullptr);
    GetThemeBackgroundContentRect(theme, dc, part, look, &bounds, &content);
    CloseThemeData(theme);
    return content;
  }
  RECT face = bounds;
  if (state.Default) {
    FrameRect(dc, &face, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&face, -1, -1);
  }
  DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (state.Pressed ? DFCS_PUSHED : 0));
  InflateRect(&content, -kClassicInset, -kClassicInset);
  if (state.Pressed) OffsetRect(&content, 1, 1);
  return content;
}

std::wstring ButtonText(HWND button) {
  const int length = GetWindowTextLengthW(button);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(button, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

void DrawButtonText(HWND button, HDC dc, RECT area, bool disabled) {
  const std::wstring text = ButtonText(button);
  const HGDIOBJ oldFont =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
  const UINT format = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
  RECT needed = area;
  DrawTextW(dc, text.c_str(), -1, &needed, format | DT_CALCRECT);
  const int spare = (area.bottom - area.top) - (needed.bottom - needed.top);
  if (spare > 0) area.top += spare / 2;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : kHoverTextColor);
  DrawTextW(dc, text.c_str(), -1, &area, format);
  SelectObject(dc, oldFont);
}

bool ShowsFocus(HWND button) {
  return (SendMessageW(button, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

}  // namespace

void SetTileButtonImage(HWND button, HIMAGELIST images, int imageIndex) {
  BUTTON_IMAGELIST list{};
  list.himl = imageIndex >= 0 ? images : nullptr;
  list.margin = {kButtonImageMargin, 0, 0, 0};
  list.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
  SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
  InvalidateRect(button, nullptr, TRUE);
}

LRESULT DrawTileButton(const NMCUSTOMDRAW& draw, HIMAGELIST images, int imageIndex) {
  if (draw.dwDrawStage != CDDS_PREPAINT || (draw.uItemState & CDIS_HOT) == 0) return CDRF_DODEFAULT;
  const HWND button = draw.hdr.hwndFrom;
  TFaceState state;
  state.Pressed = (draw.uItemState & CDIS_SELECTED) != 0;
  state.Disabled = (draw.uItemState & CDIS_DISABLED) != 0;
  state.Default = (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  RECT content = DrawFace(button, draw.hdc, draw.rc, state);
  RECT textArea = content;
  int imageWidth = 0;
  int imageHeight = 0;
  if (imageIndex >= 0 && images != nullptr &&
      ImageList_GetIconSize(images, &imageWidth, &imageHeight)) {
    const int top = content.top + ((content.bottom - content.top) - imageHeight) / 2;
    ImageList_Draw(images, imageIndex, draw.hdc, content.left + kButtonImageMargin, top,
                   state.Disabled ? ILD_BLEND50 : ILD_NORMAL);
    textArea.left += kButtonImageMargin + imageWidth;
  }
  DrawButtonText(button, draw.hdc, textArea, state.Disabled);
  if ((draw.uItemState & CDIS_FOCUS) != 0 && ShowsFocus(button)) {
    RECT focus = content;
    InflateRect(&focus, -1, -1);
    DrawFocusRect(draw.hdc, &focus);
  }
  return CDRF_SKIPDEFAULT;
}
