#pragma once

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "activity_indicator.h"
#include "gui/conn_gui.h"
#include "win_application.h"
#include "win_bitmap.h"
#include "win_threads.h"
#include "win_window.h"

// What the window needs of the world besides its own threads. Every member must outlive it.
struct TConnGUIWindowServices {
  TQXConnection& Conn;
  TAppConfig& Config;
  IDialogs& Dialogs;
  IHttpClientFactory& Http;
  IURIParser& Uri;
  TLaunchConnection Launch;
  // Told when the window is destroyed; when it is the application's main window that ends the
  // program.
  TWinApplication* App = nullptr;
};

// The connection window: a tool window with one tile per connection, owning its presenter, the
// pool its status images load on and the hand-over back to the GUI thread. A tile is a panel
// holding a push button and an owner-drawn image control.
class TConnGUIWindow : public TWinWindow, public IConnGUIView {
 public:
  static constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  static constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
  // btn0, the window's default button.
  static constexpr int kDefaultButtonId = 1000;
  static constexpr POINT kIndicatorStart{211, 7};

  explicit TConnGUIWindow(TConnGUIWindowServices services, TConnGUITimings timings = {});
  // Cancels the image requests and waits for their tasks, which then end within about a second.
  ~TConnGUIWindow() override;

  // Shows the window; the presenter's FormShow runs then.
  void Show();

  TConnGUI& Presenter() { return *FPresenter; }
  TActivityIndicator& LoadIndicator() { return *FIndicator; }
  // Zero while the status timer does not run.
  std::chrono::milliseconds StatusTimerInterval() const { return FTimerInterval; }
  bool IsBusy() const { return FBusy; }

  struct TTileView {
    int32_t Number = 0;  // its parts are "pnl", "btn" and "img" followed by it
    HWND Panel = nullptr;
    HWND Button = nullptr;
    HWND Image = nullptr;
    int ImageIndex = kNoImageIndex;
  };
  int TileCount() const { return static_cast<int>(FTiles.size()); }
  TTileView TileView(int tile) const;
  const TWinBitmap& TileBitmap(int tile) const;
  HIMAGELIST ButtonImages() const { return FButtonImages.get(); }

  void AddTile(int32_t Number) override;
  void RemoveLastTile() override;
  void SetCaption(const std::string& caption) override;
  void SetButtonImageIndex(int tile, int imageIndex) override;
  bool SetTileImage(int tile, const std::string& bytes) override;
  void SetTileImageUnknown(int tile) override;
  TSize TileImageSize(int tile) const override;
  int TileHeight(int tile) const override;
  void SetTileSize(int tile, int width, int height) override;
  void StackTiles() override;
  TSize ClientSize() const override;
  void SetClientSize(int width, int height) override;
  TSize IndicatorSize() const override;
  void PlaceIndicator(int x, int y) override;
  void ShowIndicator(bool show) override;
  void BeginUpdate() override;
  void EndUpdate() override;
  void SetTilesEnabled(bool enabled) override;
  void SetBusyCursor(bool busy) override;
  void StartStatusTimer(std::chrono::milliseconds interval) override;
  void Close() override;

 private:
  struct TTile {
    TTileView View;
    TWinBitmap Bitmap;
    int Height = 0;
  };
  struct TGdiDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
  };
  struct TImageListDeleter {
    void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
  };
  using TFont = std::unique_ptr<std::remove_pointer_t<HFONT>, TGdiDeleter>;

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCommand(WPARAM wParam, LPARAM lParam);
  LRESULT OnNotify(const NMHDR& header);
  bool OnDrawItem(const DRAWITEMSTRUCT& item);
  void OnActivate(WPARAM wParam);
  void OnDestroy();
  void ClickButton(int tile);
  void MoveFocus(WPARAM wParam, LPARAM lParam);
  void DestroyRemovedPanels();

  TTile BuildTile(int32_t Number, int height, int imageIndex);
  void PlaceTileParts(const TTile& tile) const;
  size_t CheckedIndex(int index) const;
  int IndexOfButton(HWND button) const;
  int IndexOfImage(HWND image) const;
  // Runs an event's work under the program's general error handling.
  void RunEvent(const std::function<void()>& work);

  IDialogs& FDialogs;
  TWinApplication* FApp;
  TWinGuiThread FGuiThread;
  TWinThreadPool FPool;
  const TWinBitmap FStatusUnknownBitmap;
  std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, TImageListDeleter> FButtonImages;
  TFont FFont;
  TFont FBoldFont;
  std::vector<TTile> FTiles;
  std::vector<HWND> FRemovedPanels;
  std::unique_ptr<TActivityIndicator> FIndicator;
  TSize FClientSize{kConnGUIClientWidth, kConnGUIClientHeight};
  std::chrono::milliseconds FTimerInterval{0};
  HCURSOR FSavedCursor = nullptr;
  bool FBusy = false;
  HWND FLastFocus = nullptr;
  HWND FFocusBeforeDisable = nullptr;
  int FUpdateDepth = 0;
  bool FRedrawSuspended = false;
  int FHandlerDepth = 0;
  bool FPanelsAwaitHandlers = false;
  std::unique_ptr<TConnGUI> FPresenter;
};
