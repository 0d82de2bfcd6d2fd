#pragma once

#include <QPixmap>

inline constexpr int kStatusUnknownImageWidth = 342;
inline constexpr int kStatusUnknownImageHeight = 60;
inline constexpr int kBlockedSignSize = 20;

// A dark grey banner with a white circled question mark and the words "Cloud Status Unknown".
QPixmap StatusUnknownImage();
// A red disc with a white horizontal bar.
QPixmap BlockedSign();
