#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// The window at creation: one template tile of this size, and the client area around it.
inline constexpr int kConnGUIClientWidth = 457;
inline constexpr int kConnGUIClientHeight = 64;

// A tile's button sits on its left with a margin on every side; the image fills the rest.
inline constexpr int kTileButtonMargin = 4;
inline constexpr int kTileButtonWidth = 130;
inline constexpr int kTileButtonHeight = 56;
// Room a tile leaves beside its image, to the right and below it.
inline constexpr int kTileImagePadding = 4;

// The button's image list holds the blocked sign at this index; -1 shows no image.
inline constexpr int kBlockedImageIndex = 0;
inline constexpr int kNoImageIndex = -1;

inline constexpr const char* sConnectButtonText = "Click Here to Connect";

struct TSize {
  int Width = 0;
  int Height = 0;
  bool operator==(const TSize&) const = default;
};

// What a front end draws for the connection window. Tiles are addressed by their index in display
// order; tile 0 is the template tile the view builds at creation. The view reports clicks on a
// tile's button and image, the status timer and the window's showing to the presenter.
class IConnGUIView {
 public:
  virtual ~IConnGUIView() = default;

  // Appends a tile built from the template: panel "pnl", button "btn" and image "img", each
  // followed by `Number`; the button reads "Click Here to Connect", keeps the template's image list
  // and image index, and the image shows the unknown-status picture.
  virtual void AddTile(int32_t Number) = 0;
  virtual void RemoveLastTile() = 0;

  virtual void SetCaption(const std::string& caption) = 0;
  // kBlockedImageIndex or kNoImageIndex.
  virtual void SetButtonImageIndex(int tile, int imageIndex) = 0;
  // Decodes `bytes` into the tile's image; false, with the tile's image unchanged, when they are
  // not a picture the view can read.
  virtual bool SetTileImage(int tile, const std::string& bytes) = 0;
  virtual void SetTileImageUnknown(int tile) = 0;
  virtual TSize TileImageSize(int tile) const = 0;

  virtual int TileHeight(int tile) const = 0;
  virtual void SetTileSize(int tile, int width, int height) = 0;
  // Places the tiles in list order from the top down, each as wide as the client area.
  virtual void StackTiles() = 0;
  virtual TSize ClientSize() const = 0;
  virtual void SetClientSize(int width, int height) = 0;

  virtual TSize IndicatorSize() const = 0;
  // Also brings the indicator in front of the tiles.
  virtual void PlaceIndicator(int x, int y) = 0;
  // Shows and animates the activity indicator, or stops and hides it.
  virtual void ShowIndicator(bool show) = 0;

  // Nothing is redrawn between the two; they nest.
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  virtual void SetTilesEnabled(bool enabled) = 0;
  // Remembers the window's cursor and shows the busy one, or brings the remembered one back.
  virtual void SetBusyCursor(bool busy) = 0;
  virtual void StartStatusTimer(std::chrono::milliseconds interval) = 0;
  virtual void Close() = 0;
};
