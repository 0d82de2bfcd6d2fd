#pragma once

#include <optional>
#include <string_view>

#include "win_bitmap.h"

// Status images are banners; a picture larger than this on either side is not shown.
inline constexpr unsigned kMaxImageSide = 4096;

// Decodes a picture in any format that the Windows Imaging Component reads (PNG, JPEG, GIF, BMP,
// TIFF, ICO) into premultiplied 32-bit pixels: its first frame. None when the bytes are not such
// a picture or it is larger than kMaxImageSide on a side. COM must be initialised on the calling
// thread.
std::optional<TWinBitmap> DecodeImage(std::string_view bytes);
