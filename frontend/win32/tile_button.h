#pragma once

#include <windows.h>

#include <commctrl.h>

// The text colour of a tile button while the pointer is over it: royal blue.
inline constexpr COLORREF kHoverTextColor = RGB(0x41, 0x69, 0xE1);
// Space between the button's edge and its image.
inline constexpr int kButtonImageMargin = 4;

// Shows image `imageIndex` of `images` beside the button's text, or no image for a negative index.
void SetTileButtonImage(HWND button, HIMAGELIST images, int imageIndex);

// The answer to a tile button's custom-draw notification. While the pointer is over the button it
// is drawn here, face, image and text, the text in kHoverTextColor; otherwise the button draws
// itself.
LRESULT DrawTileButton(const NMCUSTOMDRAW& draw, HIMAGELIST images, int imageIndex);
