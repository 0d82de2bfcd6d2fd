// The pictures of the Win32 front end: its own artwork, status images decoded with WIC, and the
// tile button's look while the pointer is over it.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "artwork.h"
#include "png_writer.h"
#include "tile_button.h"
#include "wic_decoder.h"
#include "win_bitmap.h"

namespace {

uint8_t Alpha(uint32_t pixel) {
  return static_cast<uint8_t>(pixel >> 24);
}
uint8_t Red(uint32_t pixel) {
  return static_cast<uint8_t>(pixel >> 16);
}
uint8_t Green(uint32_t pixel) {
  return static_cast<uint8_t>(pixel >> 8);
}
uint8_t Blue(uint32_t pixel) {
  return static_cast<uint8_t>(pixel);
}

std::string Png(int width, int height, uint32_t rgb) {
  TRgbImage image(width, height);
  image.Fill(rgb);
  return EncodePng(image);
}

// The smallest GIF: one transparent pixel.
const std::string kOnePixelGif(
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00\x21\xf9\x04\x01\x00\x00\x00\x00"
    "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b",
    43);

TEST(Win32Artwork, PicturesHaveTheirSizesAndLooks) {
  const TWinBitmap unknown = StatusUnknownImage();
  EXPECT_EQ(unknown.Width(), 342);
  EXPECT_EQ(unknown.Height(), 60);
  // A dark grey banner, white inside the question mark's ring and in the words.
  const uint32_t banner = unknown.PixelAt(300, 6);
  EXPECT_EQ(Alpha(banner), 255);
  for (uint8_t channel : {Red(banner), Green(banner), Blue(banner)}) {
    EXPECT_GT(channel, 0x20);
    EXPECT_LT(channel, 0x60);
  }
  int white = 0;
  for (int x = 0; x < unknown.Width(); ++x)
    if (unknown.PixelAt(x, 30) == 0xffffffffu) ++white;
  EXPECT_GT(white, 20);

  const TWinBitmap blocked = BlockedSign();
  EXPECT_EQ(blocked.Width(), 20);
  EXPECT_EQ(blocked.Height(), 20);
  EXPECT_EQ(Alpha(blocked.PixelAt(0, 0)), 0);  // a disc: the corners stay transparent
  const uint32_t disc = blocked.PixelAt(10, 3);
  EXPECT_EQ(Alpha(disc), 255);
  EXPECT_GT(Red(disc), 0xc0);
  EXPECT_LT(Green(disc), 0x60);
  EXPECT_EQ(blocked.PixelAt(10, 10), 0xffffffffu);  // the bar
}

TEST(Win32Bitmap, CopiesOwnTheirPixels) {
  TWinBitmap original(2, 1);
  original.Pixels()[0] = 0xff112233u;
  TWinBitmap copy = original;
  original.Pixels()[0] = 0xff445566u;
  EXPECT_EQ(copy.PixelAt(0, 0), 0xff112233u);
  EXPECT_NE(copy.Handle(), original.Handle());
}

TEST(Win32WicDecoder, DecodesPicturesInTheirSizes) {
  struct TCase {
    const char* Name;
    std::string Bytes;
    int Width;
    int Height;
    std::optional<uint32_t> FirstPixel;
  };
  const std::vector<TCase> cases = {
      {"PNG", Png(3, 2, 0x2080c0), 3, 2, 0xff2080c0u},
      {"status banner", Png(342, 60, 0x30a050), 342, 60, 0xff30a050u},
      {"GIF", kOnePixelGif, 1, 1, std::nullopt},
      {"largest side taken", Png(kMaxImageSide, 1, 0), static_cast<int>(kMaxImageSide), 1,
       0xff000000u},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::optional<TWinBitmap> picture = DecodeImage(c.Bytes);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->Width(), c.Width);
    EXPECT_EQ(picture->Height(), c.Height);
    if (c.FirstPixel) {
      EXPECT_EQ(picture->PixelAt(0, 0), *c.FirstPixel);
    }
  }
}

TEST(Win32WicDecoder, RefusesWhatIsNoPictureItShows) {
  const std::string png = Png(16, 16, 0xffffff);
  struct TCase {
    const char* Name;
    std::string Bytes;
  };
  const std::vector<TCase> cases = {
      {"empty", ""},
      {"text", "<html><body>Not found</body></html>"},
      {"PNG cut short", png.substr(0, 40)},
      {"PNG signature only", png.substr(0, 8)},
      {"wider than the window takes", Png(kMaxImageSide + 1, 1, 0)},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_FALSE(DecodeImage(c.Bytes).has_value());
  }
}

// Paints a tile button's custom-draw stage into a bitmap and counts the royal blue pixels.
class TButtonPainting {
 public:
  TButtonPainting() {
    FParent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                              nullptr, nullptr);
    FButton = CreateWindowExW(0, WC_BUTTONW, L"Click Here to Connect",
                              WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_MULTILINE, 4, 4, 130, 56,
                              FParent, nullptr, nullptr, nullptr);
    FImages = ImageList_Create(kBlockedSignSize, kBlockedSignSize, ILC_COLOR32, 1, 0);
    const TWinBitmap sign = BlockedSign();
    ImageList_Add(FImages, sign.Handle(), nullptr);
  }
  ~TButtonPainting() {
    ImageList_Destroy(FImages);
    DestroyWindow(FParent);
  }

  struct TResult {
    LRESULT Answer = 0;
    int BluePixels = 0;
    int RedPixels = 0;
  };
  TResult Paint(DWORD stage, UINT state, int imageIndex) {
    TWinBitmap canvas(130, 56);
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, canvas.Handle());
    NMCUSTOMDRAW draw{};
    draw.hdr.hwndFrom = FButton;
    draw.hdr.code = NM_CUSTOMDRAW;
    draw.dwDrawStage = stage;
    draw.hdc = dc;
    draw.rc = {0, 0, 130, 56};
    draw.uItemState = state;
    TResult result;
    result.Answer = DrawTileButton(draw, FImages, imageIndex);
    GdiFlush();
    SelectObject(dc, old);
    DeleteDC(dc);
    for (int y = 0; y < 56; ++y)
      for (int x = 0; x < 130; ++x) {
        const uint32_t pixel = canvas.PixelAt(x, y);
        const COLORREF rgb = RGB(Red(pixel), Green(pixel), Blue(pixel));
        if (rgb == kHoverTextColor) ++result.BluePixels;
        if (Red(pixel) > 0xc0 && Green(pixel) < 0x60 && Blue(pixel) < 0x60) ++result.RedPixels;
      }
    return result;
  }

 private:
  HWND FParent = nullptr;
  HWND FButton = nullptr;
  HIMAGELIST FImages = nullptr;
};

TEST(Win32TileButton, TurnsItsTextRoyalBlueWhileThePointerIsOverIt) {
  TButtonPainting painting;
  struct TCase {
    const char* Name;
    DWORD Stage;
    UINT State;
    int ImageIndex;
    LRESULT Answer;
    bool Blue;
    bool Sign;
  };
  const std::vector<TCase> cases = {
      {"hot", CDDS_PREPAINT, CDIS_HOT, -1, CDRF_SKIPDEFAULT, true, false},
      {"hot and blocked", CDDS_PREPAINT, CDIS_HOT, 0, CDRF_SKIPDEFAULT, true, true},
      {"hot and pressed", CDDS_PREPAINT, CDIS_HOT | CDIS_SELECTED, -1, CDRF_SKIPDEFAULT, true,
       false},
      {"not hot: the button draws itself", CDDS_PREPAINT, 0, 0, CDRF_DODEFAULT, false, false},
      {"a later stage", CDDS_POSTPAINT, CDIS_HOT, 0, CDRF_DODEFAULT, false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TButtonPainting::TResult result = painting.Paint(c.Stage, c.State, c.ImageIndex);
    EXPECT_EQ(result.Answer, c.Answer);
    EXPECT_EQ(result.BluePixels > 0, c.Blue);
    EXPECT_EQ(result.RedPixels > 0, c.Sign);
  }
}

}  // namespace
