#include "png_writer.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace {

constexpr std::size_t kMaxStoredBlock = 65535;

const std::array<std::uint32_t, 256>& CrcTable() {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : bytes) c = CrcTable()[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(const std::string& bytes) {
  std::uint32_t a = 1, b = 0;
  for (unsigned char byte : bytes) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void AppendBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(char((value >> shift) & 0xFF));
}

void AppendChunk(std::string& out, const char* type, const std::string& data) {
  AppendBigEndian(out, std::uint32_t(data.size()));
  const std::string typed = std::string(type, 4) + data;
  out += typed;
  AppendBigEndian(out, Crc32(typed));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string StoredZlib(const std::string& raw) {
  std::string out = {char(0x78), char(0x01)};
  std::size_t at = 0;
  do {
    const std::size_t length = std::min(kMaxStoredBlock, raw.size() - at);
    const bool last = at + length == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(char(length & 0xFF));
    out.push_back(char(length >> 8));
    out.push_back(char(~length & 0xFF));
    out.push_back(char((~length >> 8) & 0xFF));
    out.append(raw, at, length);
    at += length;
  } while (at < raw.size());
  AppendBigEndian(out, Adler32(raw));
  return out;
}

}  // namespace

TRgbImage::TRgbImage(int width, int height)
    : Width(width), Height(height), Pixels(std::size_t(width) * height * 3) {
  if (width <= 0 || height <= 0) throw std::invalid_argument("an image needs a size");
}

void TRgbImage::Fill(std::uint32_t rgb) {
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) Set(x, y, rgb);
}

void TRgbImage::Set(int x, int y, std::uint32_t rgb) {
  if (x < 0 || y < 0 || x >= Width || y >= Height) return;
  const std::size_t at = (std::size_t(y) * Width + x) * 3;
  Pixels[at] = std::uint8_t(rgb >> 16);
  Pixels[at + 1] = std::uint8_t(rgb >> 8);
  Pixels[at + 2] = std::uint8_t(rgb);
}

std::string EncodePng(const TRgbImage& image) {
  std::string header;
  AppendBigEndian(header, std::uint32_t(image.Width));
  AppendBigEndian(header, std::uint32_t(image.Height));
  header += {char(8), char(2), char(0), char(0), char(0)};  // 8 bits, RGB, no interlace

  std::string rows;
  const std::size_t stride = std::size_t(image.Width) * 3;
  for (int y = 0; y < image.Height; ++y) {
    rows.push_back(0);  // no filter
    rows.append(reinterpret_cast<const char*>(image.Pixels.data()) + y * stride, stride);
  }

  std::string png = "\x89PNG\r\n\x1a\n";
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "IDAT", StoredZlib(rows));
  AppendChunk(png, "IEND", "");
  return png;
}
