#include "conn_gui_window.h"

#include <QBuffer>
#include <QImageReader>
#include <QKeyEvent>
#include <QShowEvent>
#include <algorithm>
#include <stdexcept>

#include "artwork.h"
#include "common/error_handling.h"

namespace {

// Status images are banners; a picture larger than this on either side is not shown.
constexpr int kMaxImageSide = 4096;

QString PartName(const char* stem, int32_t number) {
  return QString::fromLatin1(stem) + QString::number(number);
}

bool FitsWindow(const QSize& size) {
  return size.width() <= kMaxImageSide && size.height() <= kMaxImageSide;
}

}  // namespace

TConnGUIWindow::TConnGUIWindow(TConnGUIWindowServices services, TConnGUITimings timings)
    : QWidget(nullptr,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      FDialogs(services.Dialogs),
      FStatusUnknownBitmap(StatusUnknownImage()),
      FBlockedSign(BlockedSign()) {
  setObjectName(QStringLiteral("ConnGUI"));
  // A tool window does not end the program by itself when it closes; this one is the main window.
  setAttribute(Qt::WA_QuitOnClose, true);
  setWindowTitle(QString::fromUtf8(sConnGUICaption));
  setFixedSize(kConnGUIClientWidth, kConnGUIClientHeight);
  BuildTemplateTile();

  FIndicator = new TActivityIndicator(this);
  FIndicator->setObjectName(QStringLiteral("LoadIndicator"));
  FIndicator->move(211, 7);
  FIndicator->hide();

  FStatusTimer = new QTimer(this);
  FStatusTimer->setObjectName(QStringLiteral("StatusTimer"));
  connect(FStatusTimer, &QTimer::timeout, this,
          [this] { Handle([this] { FPresenter->StatusTimerTimer(); }); });

  FPresenter = std::make_unique<TConnGUI>(
      *this,
      TConnGUIServices{services.Conn, services.Config, services.Dialogs, services.Http,
                       services.Uri, FPool, FGuiThread, std::move(services.Launch)},
      timings);
  Handle([this] { FPresenter->FormCreate(); });
}

TConnGUIWindow::~TConnGUIWindow() {
  FStatusTimer->stop();
  FPresenter.reset();
  FGuiThread.Shutdown();
  FPool.WaitForDone();
  for (const QPointer<QFrame>& panel : FRemovedPanels) delete panel.data();
}

void TConnGUIWindow::Handle(const std::function<void()>& work) {
  RunHandler(FDialogs, work);
}

TConnGUIWindow::TTile TConnGUIWindow::BuildTile(int32_t Number) {
  TTile tile;
  tile.Panel = new QFrame(this);
  tile.Panel->setObjectName(PartName("pnl", Number));
  tile.Button = new TTileButton(QString::fromUtf8(sConnectButtonText), FBlockedSign, tile.Panel);
  tile.Button->setObjectName(PartName("btn", Number));
  tile.Button->setAutoDefault(true);
  tile.Image = new TTileImage(tile.Panel);
  tile.Image->setObjectName(PartName("img", Number));
  tile.Image->setPixmap(FStatusUnknownBitmap);
  connect(tile.Button, &QPushButton::clicked, this, &TConnGUIWindow::OnButtonClicked);
  connect(tile.Image, &TTileImage::clicked, this, &TConnGUIWindow::OnImageClicked);
  return tile;
}

void TConnGUIWindow::BuildTemplateTile() {
  TTile tile = BuildTile(0);
  tile.Height = kConnGUIClientHeight;
  tile.Button->SetTextBold(true);
  tile.Button->setDefault(true);
  tile.Button->SetImageIndex(kBlockedImageIndex);
  FTiles.push_back(tile);
  StackTiles();
}

void TConnGUIWindow::AddTile(int32_t Number) {
  TTile tile = BuildTile(Number);
  tile.Height = FTiles.front().Height;
  tile.Button->SetImageIndex(FTiles.front().Button->ImageIndex());
  FTiles.push_back(tile);
  StackTiles();
  tile.Panel->show();
}

// The panel may be the one whose click is being handled: it goes once that is over.
void TConnGUIWindow::RemoveLastTile() {
  if (FTiles.size() <= 1) throw std::logic_error("The template tile cannot be removed");
  QFrame* panel = FTiles.back().Panel;
  FTiles.pop_back();
  panel->hide();
  panel->setParent(nullptr);
  panel->deleteLater();
  FRemovedPanels.emplace_back(panel);
  std::erase_if(FRemovedPanels, [](const QPointer<QFrame>& p) { return p.isNull(); });
}

size_t TConnGUIWindow::CheckedIndex(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= FTiles.size())
    throw std::out_of_range("Tile index " + std::to_string(index) + " is out of range");
  return static_cast<size_t>(index);
}

const TConnGUIWindow::TTile& TConnGUIWindow::Tile(int index) const {
  return FTiles[CheckedIndex(index)];
}

void TConnGUIWindow::SetCaption(const std::string& caption) {
  setWindowTitle(QString::fromStdString(caption));
}

void TConnGUIWindow::SetButtonImageIndex(int tile, int imageIndex) {
  Tile(tile).Button->SetImageIndex(imageIndex);
}

bool TConnGUIWindow::SetTileImage(int tile, const std::string& bytes) {
  QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const QSize announced = reader.size();
  if (announced.isValid() && !FitsWindow(announced)) return false;
  QImage image;
  if (!reader.read(&image) || image.isNull() || !FitsWindow(image.size())) return false;
  Tile(tile).Image->setPixmap(QPixmap::fromImage(image));
  return true;
}

void TConnGUIWindow::SetTileImageUnknown(int tile) {
  Tile(tile).Image->setPixmap(FStatusUnknownBitmap);
}

TSize TConnGUIWindow::TileImageSize(int tile) const {
  const QSize size = Tile(tile).Image->pixmap().size();
  return {size.width(), size.height()};
}

int TConnGUIWindow::TileHeight(int tile) const {
  return Tile(tile).Height;
}

// Tiles always take the client width, so only the height is kept.
void TConnGUIWindow::SetTileSize(int tile, int, int height) {
  FTiles[CheckedIndex(tile)].Height = height;
  StackTiles();
}

void TConnGUIWindow::PlaceTileParts(const TTile& tile) {
  const int buttonLeft = kTileButtonMargin;
  tile.Button->setGeometry(buttonLeft, kTileButtonMargin, kTileButtonWidth,
                           std::max(0, tile.Height - 2 * kTileButtonMargin));
  const int imageLeft = buttonLeft + kTileButtonWidth + kTileButtonMargin;
  tile.Image->setGeometry(imageLeft, 0, std::max(0, tile.Panel->width() - imageLeft), tile.Height);
}

void TConnGUIWindow::StackTiles() {
  int top = 0;
  for (const TTile& tile : FTiles) {
    tile.Panel->setGeometry(0, top, width(), tile.Height);
    PlaceTileParts(tile);
    top += tile.Height;
  }
}

TSize TConnGUIWindow::ClientSize() const {
  return {width(), height()};
}

void TConnGUIWindow::SetClientSize(int width, int height) {
  setFixedSize(width, height);
  StackTiles();
}

TSize TConnGUIWindow::IndicatorSize() const {
  return {FIndicator->width(), FIndicator->height()};
}

void TConnGUIWindow::PlaceIndicator(int x, int y) {
  FIndicator->move(x, y);
  FIndicator->raise();
}

void TConnGUIWindow::ShowIndicator(bool show) {
  if (show) {
    FIndicator->show();
    FIndicator->raise();
    FIndicator->StartAnimation();
  } else {
    FIndicator->StopAnimation();
    FIndicator->hide();
  }
}

void TConnGUIWindow::BeginUpdate() {
  if (FUpdateDepth++ == 0) setUpdatesEnabled(false);
}

void TConnGUIWindow::EndUpdate() {
  if (FUpdateDepth > 0 && --FUpdateDepth == 0) setUpdatesEnabled(true);
}

void TConnGUIWindow::SetTilesEnabled(bool enabled) {
  for (const TTile& tile : FTiles) tile.Panel->setEnabled(enabled);
}

void TConnGUIWindow::SetBusyCursor(bool busy) {
  if (busy) {
    FSavedCursor = cursor();
    setCursor(Qt::WaitCursor);
  } else {
    setCursor(FSavedCursor);
  }
}

void TConnGUIWindow::StartStatusTimer(std::chrono::milliseconds interval) {
  FStatusTimer->start(static_cast<int>(interval.count()));
}

void TConnGUIWindow::Close() {
  close();
}

void TConnGUIWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) Handle([this] { FPresenter->FormShow(); });
}

// Enter presses the default button when no button has the focus to take it.
void TConnGUIWindow::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  TTileButton* defaultButton = FTiles.front().Button;
  if (enter && defaultButton->isEnabled()) {
    defaultButton->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

int TConnGUIWindow::IndexOfButton(const QObject* button) const {
  for (size_t i = 0; i < FTiles.size(); ++i)
    if (FTiles[i].Button == button) return static_cast<int>(i);
  return -1;
}

int TConnGUIWindow::IndexOfImage(const QObject* image) const {
  for (size_t i = 0; i < FTiles.size(); ++i)
    if (FTiles[i].Image == image) return static_cast<int>(i);
  return -1;
}

void TConnGUIWindow::OnButtonClicked() {
  const int tile = IndexOfButton(sender());
  if (tile >= 0) Handle([this, tile] { FPresenter->BtnViewClick(tile); });
}

void TConnGUIWindow::OnImageClicked() {
  const int tile = IndexOfImage(sender());
  if (tile >= 0) Handle([this, tile] { FPresenter->ImgViewClick(tile); });
}
