// The pictures are drawn with GDI+ for its antialiasing.
#include "artwork.h"

#include <objidl.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

namespace {

using namespace Gdiplus;

const Color kBannerGrey(255, 0x3a, 0x3d, 0x42);
const Color kBannerEdge(255, 0x26, 0x28, 0x2b);
const Color kSignRed(255, 0xd3, 0x2f, 0x2f);
const Color kWhite(255, 255, 255, 255);
// GDI+ takes a typeface only by its exact name: the first of these the system has, else any it
// has (a bare Wine has none of the Windows ones).
const wchar_t* const kTypefaces[] = {L"Segoe UI", L"Tahoma", L"Arial", L"Liberation Sans",
                                     L"DejaVu Sans"};

// GDI+ for the time one picture is drawn; it counts its users itself.
class TGdiplusSession {
 public:
  TGdiplusSession() {
    GdiplusStartupInput input;
    if (GdiplusStartup(&FToken, &input, nullptr) != Ok)
      throw std::runtime_error("GDI+ could not be started");
  }
  ~TGdiplusSession() { GdiplusShutdown(FToken); }
  TGdiplusSession(const TGdiplusSession&) = delete;
  TGdiplusSession& operator=(const TGdiplusSession&) = delete;

 private:
  ULONG_PTR FToken = 0;
};

std::unique_ptr<FontFamily> Typeface() {
  for (const wchar_t* name : kTypefaces) {
    auto family = std::make_unique<FontFamily>(name);
    if (family->GetLastStatus() == Ok && family->IsStyleAvailable(FontStyleBold)) return family;
  }
  InstalledFontCollection installed;
  const INT count = installed.GetFamilyCount();
  if (count > 0) {
    std::vector<FontFamily> families(static_cast<size_t>(count));
    INT found = 0;
    installed.GetFamilies(count, families.data(), &found);
    for (INT i = 0; i < found; ++i)
      if (families[static_cast<size_t>(i)].IsStyleAvailable(FontStyleBold))
        return std::unique_ptr<FontFamily>(families[static_cast<size_t>(i)].Clone());
  }
  return nullptr;  // no font at all: the banner goes without its words
}

TWinBitmap ToWinBitmap(Bitmap& canvas) {
  const int width = static_cast<int>(canvas.GetWidth());
  const int height = static_cast<int>(canvas.GetHeight());
  Rect area(0, 0, width, height);
  BitmapData data{};
  if (canvas.LockBits(&area, ImageLockModeRead, PixelFormat32bppPARGB, &data) != Ok)
    throw std::runtime_error("The picture could not be read");
  TWinBitmap result(width, height);
  for (int y = 0; y < height; ++y) {
    const auto* row =
        static_cast<const BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
    std::copy_n(reinterpret_cast<const uint32_t*>(row), width,
                result.Pixels() + static_cast<ptrdiff_t>(y) * width);
  }
  canvas.UnlockBits(&data);
  return result;
}

void AddRoundedRect(GraphicsPath& path, const RectF& box, REAL radius) {
  const REAL d = radius * 2;
  path.AddArc(box.X, box.Y, d, d, 180, 90);
  path.AddArc(box.X + box.Width - d, box.Y, d, d, 270, 90);
  path.AddArc(box.X + box.Width - d, box.Y + box.Height - d, d, d, 0, 90);
  path.AddArc(box.X, box.Y + box.Height - d, d, d, 90, 90);
  path.CloseFigure();
}

void DrawCentred(Graphics& g, const wchar_t* text, const Font& font, const RectF& box,
                 StringAlignment horizontal) {
  StringFormat format;
  format.SetAlignment(horizontal);
  format.SetLineAlignment(StringAlignmentCenter);
  format.SetFormatFlags(StringFormatFlagsNoWrap);
  SolidBrush white(kWhite);
  g.DrawString(text, -1, &font, box, &format, &white);
}

void DrawQuestionMark(Graphics& g, const FontFamily& typeface, const RectF& box) {
  Font font(&typeface, box.Height * 0.62f, FontStyleBold, UnitPixel);
  DrawCentred(g, L"?", font, box, StringAlignmentCenter);
}

// The largest type up to 22 pixels in which the words fit the box.
void DrawCaption(Graphics& g, const FontFamily& typeface, const RectF& box) {
  const wchar_t* caption = L"Cloud Status Unknown";
  for (int pixels = 22; pixels >= 8; --pixels) {
    Font font(&typeface, static_cast<REAL>(pixels), FontStyleBold, UnitPixel);
    RectF needed;
    g.MeasureString(caption, -1, &font, PointF(0, 0), &needed);
    if (needed.Width <= box.Width || pixels == 8) {
      DrawCentred(g, caption, font, box, StringAlignmentNear);
      return;
    }
  }
}

}  // namespace

TWinBitmap StatusUnknownImage() {
  TGdiplusSession session;
  Bitmap canvas(kStatusUnknownImageWidth, kStatusUnknownImageHeight, PixelFormat32bppPARGB);
  {
    Graphics g(&canvas);
    g.Clear(Color(0, 0, 0, 0));
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    g.SetTextRenderingHint(TextRenderingHintAntiAlias);
    GraphicsPath banner;
    AddRoundedRect(
        banner,
        RectF(0.5f, 0.5f, kStatusUnknownImageWidth - 1.0f, kStatusUnknownImageHeight - 1.0f), 6.0f);
    SolidBrush fill(kBannerGrey);
    g.FillPath(&fill, &banner);
    Pen edge(kBannerEdge, 1.0f);
    g.DrawPath(&edge, &banner);
    const REAL badge = 40.0f;
    const REAL margin = (kStatusUnknownImageHeight - badge) / 2.0f;
    const RectF badgeBox(margin + 4.0f, margin, badge, badge);
    Pen ring(kWhite, 3.0f);
    g.DrawEllipse(&ring, badgeBox);
    const REAL textLeft = margin + 4.0f + badge + 14.0f;
    if (const std::unique_ptr<FontFamily> typeface = Typeface()) {
      DrawQuestionMark(g, *typeface, badgeBox);
      DrawCaption(g, *typeface,
                  RectF(textLeft, 0.0f, kStatusUnknownImageWidth - textLeft - 8.0f,
                        static_cast<REAL>(kStatusUnknownImageHeight)));
    }
  }
  return ToWinBitmap(canvas);
}

TWinBitmap BlockedSign() {
  TGdiplusSession session;
  Bitmap canvas(kBlockedSignSize, kBlockedSignSize, PixelFormat32bppPARGB);
  {
    Graphics g(&canvas);
    g.Clear(Color(0, 0, 0, 0));
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    SolidBrush red(kSignRed);
    g.FillEllipse(&red, RectF(0.5f, 0.5f, kBlockedSignSize - 1.0f, kBlockedSignSize - 1.0f));
    const REAL barHeight = kBlockedSignSize * 0.18f;
    GraphicsPath bar;
    AddRoundedRect(bar,
                   RectF(kBlockedSignSize * 0.2f, (kBlockedSignSize - barHeight) / 2.0f,
                         kBlockedSignSize * 0.6f, barHeight),
                   1.0f);
    SolidBrush white(kWhite);
    g.FillPath(&white, &bar);
  }
  return ToWinBitmap(canvas);
}
