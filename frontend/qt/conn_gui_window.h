#pragma once

#include <QCursor>
#include <QFrame>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "activity_indicator.h"
#include "gui/conn_gui.h"
#include "qt_threads.h"
#include "tile_widgets.h"

// What the window needs of the world besides its own threads. Every member must outlive it.
struct TConnGUIWindowServices {
  TQXConnection& Conn;
  TAppConfig& Config;
  IDialogs& Dialogs;
  IHttpClientFactory& Http;
  IURIParser& Uri;
  TLaunchConnection Launch;
};

// The connection window: a tool window with one tile per connection, owning its presenter, the
// pool its status images load on and the hand-over back to the GUI thread. Closing it ends the
// program.
class TConnGUIWindow : public QWidget, public IConnGUIView {
  Q_OBJECT
 public:
  explicit TConnGUIWindow(TConnGUIWindowServices services, TConnGUITimings timings = {});
  // Cancels the image requests and waits for their tasks, which then end within about a second.
  ~TConnGUIWindow() override;

  TConnGUI& Presenter() { return *FPresenter; }
  TActivityIndicator* LoadIndicator() const { return FIndicator; }
  QTimer* StatusTimer() const { return FStatusTimer; }

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

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct TTile {
    QFrame* Panel = nullptr;
    TTileButton* Button = nullptr;
    TTileImage* Image = nullptr;
    int Height = 0;
  };

  TTile BuildTile(int32_t Number);
  void BuildTemplateTile();
  void PlaceTileParts(const TTile& tile);
  size_t CheckedIndex(int index) const;
  const TTile& Tile(int index) const;
  int IndexOfButton(const QObject* button) const;
  int IndexOfImage(const QObject* image) const;
  void OnButtonClicked();
  void OnImageClicked();
  // Runs an event's work under the program's general error handling.
  void Handle(const std::function<void()>& work);

  IDialogs& FDialogs;
  TQtGuiThread FGuiThread;
  TQtThreadPool FPool;
  const QPixmap FStatusUnknownBitmap;
  const QPixmap FBlockedSign;
  std::vector<TTile> FTiles;
  std::vector<QPointer<QFrame>> FRemovedPanels;
  TActivityIndicator* FIndicator = nullptr;
  QTimer* FStatusTimer = nullptr;
  QCursor FSavedCursor;
  int FUpdateDepth = 0;
  std::unique_ptr<TConnGUI> FPresenter;
};
