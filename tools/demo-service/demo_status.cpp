#include "demo_status.h"

#include <map>

#include "png_writer.h"

namespace {

constexpr int kBannerWidth = 342;
constexpr int kBannerHeight = 60;
constexpr int kGlyphScale = 5;  // a 5x7 glyph becomes 25x35 pixels
constexpr int kGlyphColumns = 5;
constexpr unsigned kTextColour = 0xFFFFFF;

// 5x7 glyphs of the letters the banners need; '#' is ink.
const std::map<char, std::vector<const char*>>& Glyphs() {
  static const std::map<char, std::vector<const char*>> glyphs = {
      {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
      {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
      {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
      {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."}},
      {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
      {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
      {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
      {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
      {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"}},
  };
  return glyphs;
}

void DrawGlyph(TRgbImage& image, const std::vector<const char*>& rows, int left, int top) {
  for (int row = 0; row < int(rows.size()); ++row)
    for (int column = 0; column < kGlyphColumns; ++column) {
      if (rows[row][column] != '#') continue;
      for (int dy = 0; dy < kGlyphScale; ++dy)
        for (int dx = 0; dx < kGlyphScale; ++dx)
          image.Set(left + column * kGlyphScale + dx, top + row * kGlyphScale + dy, kTextColour);
    }
}

// Centred, one glyph width plus one pixel column of space between letters.
void DrawWord(TRgbImage& image, const std::string& word) {
  const int advance = (kGlyphColumns + 1) * kGlyphScale;
  const int width = int(word.size()) * advance - kGlyphScale;
  const int height = 7 * kGlyphScale;
  int left = (image.Width - width) / 2;
  const int top = (image.Height - height) / 2;
  for (char letter : word) {
    const auto glyph = Glyphs().find(letter);
    if (glyph != Glyphs().end()) DrawGlyph(image, glyph->second, left, top);
    left += advance;
  }
}

}  // namespace

const std::vector<TDemoStatus>& DemoStatuses() {
  static const std::vector<TDemoStatus> statuses = {
      {"ok", kDemoStatusOkId, "OK", "OK", 0x2E9E44},
      {"degraded", 3, "Degraded", "DEGRADED", 0xE0A000},
      {"down", kDemoStatusFailId, "Down", "DOWN", 0xC62828},
  };
  return statuses;
}

std::optional<TDemoStatus> DemoStatusByKey(const std::string& key) {
  for (const auto& status : DemoStatuses())
    if (status.Key == key) return status;
  return std::nullopt;
}

std::string StatusBannerPng(const TDemoStatus& status) {
  TRgbImage image(kBannerWidth, kBannerHeight);
  image.Fill(status.Colour);
  DrawWord(image, status.Word);
  return EncodePng(image);
}
