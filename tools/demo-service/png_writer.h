#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An 8-bit RGB picture, row by row, three bytes a pixel.
struct TRgbImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;

  TRgbImage(int width, int height);
  void Fill(std::uint32_t rgb);
  void Set(int x, int y, std::uint32_t rgb);
};

// The PNG file of the picture. The image data is stored without compression, which keeps the
// encoder small; the banners it serves are a few dozen KiB.
std::string EncodePng(const TRgbImage& image);
