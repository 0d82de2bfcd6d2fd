#include "gui/conn_gui.h"

#include <algorithm>

#include "common/text.h"
#include "gui/image_loader.h"

namespace {

// Brackets a run of changes to the window so that nothing is redrawn in between.
class TUpdateScope {
 public:
  explicit TUpdateScope(IConnGUIView& view) : FView(view) { FView.BeginUpdate(); }
  ~TUpdateScope() { FView.EndUpdate(); }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

 private:
  IConnGUIView& FView;
};

// A tile is as wide as its button with the margins around it, the widest image and the padding.
constexpr int kTileWidthBesideImage =
    kTileButtonMargin + kTileButtonWidth + kTileButtonMargin + kTileImagePadding;

}  // namespace

TConnGUI::TConnGUI(IConnGUIView& view, TConnGUIServices services, TConnGUITimings timings)
    : FView(view),
      FServices(std::move(services)),
      FTimings(timings),
      FImageLoader(std::make_shared<TImageLoader>(*this, FServices, FTimings)) {}

TConnGUI::~TConnGUI() {
  FImageLoader->Detach();
}

void TConnGUI::FormCreate() {
  FConnectionsViewList.Add(0);
  FView.StartStatusTimer(FTimings.StatusInterval);
}

void TConnGUI::FormShow() {
  RefreshConnectionInterface();
}

void TConnGUI::RefreshConnectionInterface() {
  UpdateConnViews();
  const std::string& account = FServices.Conn.AccountNumber();
  FView.SetCaption(account.empty() ? std::string(sConnGUICaption)
                                   : std::string(sConnGUICaption) + "  [" + account + "]");
  FImageLoadCount = 0;
  for (int i = 0; i < FConnectionsViewList.Count(); ++i) {
    const TConnResponse conn = TileConnection(i);
    const bool blocked = conn.BlockLaunch || FServices.Conn.BlockLaunch();
    FView.SetButtonImageIndex(i, blocked ? kBlockedImageIndex : kNoImageIndex);
    FView.ShowIndicator(true);
    LoadImage(i, conn.Status.ImageUrl);
  }
}

TConnResponse TConnGUI::TileConnection(int Tile) const {
  const std::vector<int32_t>& order = FServices.Conn.ConnPriority();
  if (Tile < 0 || static_cast<size_t>(Tile) >= order.size()) return InvalidConnResponse;
  return FServices.Conn.GetConn(order[static_cast<size_t>(Tile)]);
}

int TConnGUI::WantedTileCount() {
  if (!FServices.Conn.UseMultiConn() && !FServices.Config.UseMultiConnect()) return 1;
  return std::max(FServices.Conn.Count(), 1);
}

void TConnGUI::UpdateConnViews() {
  const int wanted = WantedTileCount();
  while (FConnectionsViewList.Count() < wanted) NewConnView(FConnectionsViewList.Count() + 1);
  while (FConnectionsViewList.Count() > wanted) RemoveLastConnView();
  LayoutConnViews();
}

void TConnGUI::NewConnView(int32_t Number) {
  FView.AddTile(Number);
  FConnectionsViewList.Add(Number);
}

void TConnGUI::RemoveLastConnView() {
  FConnectionsViewList.RemoveLast();
  FView.RemoveLastTile();
}

void TConnGUI::LayoutConnViews() {
  TUpdateScope update(FView);
  const int tileHeight = FView.TileHeight(0);
  FView.StackTiles();
  FView.SetClientSize(FView.ClientSize().Width, tileHeight * FConnectionsViewList.Count());
  const TSize client = FView.ClientSize();
  const TSize indicator = FView.IndicatorSize();
  FView.PlaceIndicator((client.Width - indicator.Width) / 2,
                       (client.Height - indicator.Height) / 2);
}

void TConnGUI::FitConnViewsToImages() {
  TUpdateScope update(FView);
  int widestImage = 0;
  for (int i = 0; i < FConnectionsViewList.Count(); ++i)
    widestImage = std::max(widestImage, FView.TileImageSize(i).Width);
  const int tileWidth = widestImage + kTileWidthBesideImage;
  int height = 0;
  for (int i = 0; i < FConnectionsViewList.Count(); ++i) {
    const int tileHeight = FView.TileImageSize(i).Height + kTileImagePadding;
    FView.SetTileSize(i, tileWidth, tileHeight);
    height += tileHeight;
  }
  FView.SetClientSize(tileWidth, height);
}

void TConnGUI::StatusTimerTimer() {
  // Anything the query leaves untouched counts as no answer.
  TConnResponse response = InvalidConnResponse;
  FServices.Conn.Connect(response);
  if (response.IsValid()) {
    RefreshConnectionInterface();
    return;
  }
  FServices.Dialogs.ShowMessage(TMsgDlgType::mtError, sInvalidServerResponse);
  FView.Close();
}

void TConnGUI::BtnViewClick(int Tile) {
  static_cast<void>(FConnectionsViewList[Tile]);  // throws for a tile that does not exist
  FView.SetBusyCursor(true);
  FView.SetTilesEnabled(false);
  FView.ShowIndicator(true);
  bool launched = false;
  try {
    launched = FServices.Launch(TileConnection(Tile));
    if (launched && !FServices.Config.PersistClient()) FView.Close();
  } catch (...) {
    RestoreAfterLaunch();
    throw;
  }
  RestoreAfterLaunch();
}

void TConnGUI::RestoreAfterLaunch() {
  FView.ShowIndicator(false);
  FView.SetTilesEnabled(true);
  FView.SetBusyCursor(false);
}

void TConnGUI::ImgViewClick(int Tile) {
  static_cast<void>(FConnectionsViewList[Tile]);
  FServices.Dialogs.ShowMessage(
      TMsgDlgType::mtInformation,
      ConnectionDetailText(FServices.Conn.StatusDetail(), TileConnection(Tile)));
}

std::string ConnectionDetailText(const std::string& environmentDetail, const TConnResponse& conn) {
  std::string detail = environmentDetail;
  if (!conn.StatusDetail.empty()) {
    if (!detail.empty()) detail += sLineBreak;
    detail += conn.StatusDetail;
  }
  std::string target = sConnectionTo;
  if (!conn.DisplayName.empty()) target += sLineBreak + conn.DisplayName;
  if (!conn.ConnIdentifier.empty()) target += " (" + conn.ConnIdentifier + ")";
  if (!detail.empty()) detail += std::string(sLineBreak) + sLineBreak;
  return detail + target;
}
