#pragma once

#include <windows.h>

#include <cstdint>

// A 32-bit top-down DIB section with premultiplied alpha (BGRA), owned. Copies copy the pixels.
class TWinBitmap {
 public:
  TWinBitmap() = default;
  // `pixels`: `height` rows of `width` premultiplied BGRA pixels; none gives a transparent bitmap.
  // Throws std::runtime_error when GDI cannot make the bitmap.
  TWinBitmap(int width, int height, const void* pixels = nullptr);
  ~TWinBitmap();
  TWinBitmap(const TWinBitmap& other);
  TWinBitmap& operator=(const TWinBitmap& other);
  TWinBitmap(TWinBitmap&& other) noexcept;
  TWinBitmap& operator=(TWinBitmap&& other) noexcept;

  HBITMAP Handle() const { return FHandle; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool IsEmpty() const { return FHandle == nullptr; }
  // The pixel as 0xAARRGGBB, premultiplied.
  uint32_t PixelAt(int x, int y) const;
  uint32_t* Pixels() { return FPixels; }

  // Blends the bitmap onto `dc` with its top left corner at x, y.
  void Draw(HDC dc, int x, int y) const;

 private:
  void Release();

  HBITMAP FHandle = nullptr;
  uint32_t* FPixels = nullptr;
  int FWidth = 0;
  int FHeight = 0;
};
