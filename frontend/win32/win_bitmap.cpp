#include "win_bitmap.h"

#include <cstring>
#include <stdexcept>
#include <utility>

TWinBitmap::TWinBitmap(int width, int height, const void* pixels) {
  if (width <= 0 || height <= 0) throw std::runtime_error("A bitmap needs a size");
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  FHandle = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (FHandle == nullptr || bits == nullptr)
    throw std::runtime_error("The bitmap could not be made");
  FPixels = static_cast<uint32_t*>(bits);
  FWidth = width;
  FHeight = height;
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
  if (pixels != nullptr)
    std::memcpy(FPixels, pixels, bytes);
  else
    std::memset(FPixels, 0, bytes);
}

TWinBitmap::~TWinBitmap() {
  Release();
}

void TWinBitmap::Release() {
  if (FHandle != nullptr) DeleteObject(FHandle);
  FHandle = nullptr;
  FPixels = nullptr;
  FWidth = FHeight = 0;
}

TWinBitmap::TWinBitmap(const TWinBitmap& other) {
  if (!other.IsEmpty()) *this = TWinBitmap(other.FWidth, other.FHeight, other.FPixels);
}

TWinBitmap& TWinBitmap::operator=(const TWinBitmap& other) {
  if (this != &other) *this = TWinBitmap(other);
  return *this;
}

TWinBitmap::TWinBitmap(TWinBitmap&& other) noexcept
    : FHandle(std::exchange(other.FHandle, nullptr)),
      FPixels(std::exchange(other.FPixels, nullptr)),
      FWidth(std::exchange(other.FWidth, 0)),
      FHeight(std::exchange(other.FHeight, 0)) {}

TWinBitmap& TWinBitmap::operator=(TWinBitmap&& other) noexcept {
  if (this != &other) {
    Release();
    FHandle = std::exchange(other.FHandle, nullptr);
    FPixels = std::exchange(other.FPixels, nullptr);
    FWidth = std::exchange(other.FWidth, 0);
    FHeight = std::exchange(other.FHeight, 0);
  }
  return *this;
}

uint32_t TWinBitmap::PixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) throw std::out_of_range("Pixel outside");
  GdiFlush();
  return FPixels[static_cast<size_t>(y) * static_cast<size_t>(FWidth) + static_cast<size_t>(x)];
}

void TWinBitmap::Draw(HDC dc, int x, int y) const {
  if (IsEmpty()) return;
  const HDC source = CreateCompatibleDC(dc);
  const HGDIOBJ old = SelectObject(source, FHandle);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, x, y, FWidth, FHeight, source, 0, 0, FWidth, FHeight, blend);
  SelectObject(source, old);
  DeleteDC(source);
}
