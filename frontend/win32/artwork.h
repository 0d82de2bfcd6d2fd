#pragma once

#include "win_bitmap.h"

inline constexpr int kStatusUnknownImageWidth = 342;
inline constexpr int kStatusUnknownImageHeight = 60;
inline constexpr int kBlockedSignSize = 20;

// A dark grey banner with a white circled question mark and the words "Cloud Status Unknown".
TWinBitmap StatusUnknownImage();
// A red disc with a white horizontal bar.
TWinBitmap BlockedSign();
