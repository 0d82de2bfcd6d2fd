#include "conn_gui_window.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "artwork.h"
#include "common/error_handling.h"
#include "tile_button.h"
#include "wic_decoder.h"
#include "win_text.h"

namespace {

constexpr const wchar_t* kWindowClass = L"TConnGUI";
constexpr const wchar_t* kPanelClass = L"TConnViewPanel";
constexpr UINT_PTR kStatusTimerId = 1;
// Removed tiles are destroyed from the message loop, once no handler can be using them.
constexpr UINT kDestroyRemovedPanelsMessage = WM_APP + 10;
constexpr int kButtonIdBase = TConnGUIWindow::kDefaultButtonId;
constexpr int kImageIdBase = 2000;
// Clear of the identifiers that dialog keys send (IDOK, IDCANCEL).
constexpr int kPanelIdBase = 3000;

// A tile's panel passes what its controls report on to the window.
LRESULT CALLBACK PanelProcedure(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
      return SendMessageW(GetParent(panel), message, wParam, lParam);
    default:
      return DefWindowProcW(panel, message, wParam, lParam);
  }
}

HWND CreateChild(const wchar_t* className, const std::wstring& text, DWORD style, HWND parent,
                 int id, DWORD exStyle = 0) {
  const HWND child = CreateWindowExW(
      exStyle, className, text.c_str(), style | WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (child == nullptr)
    throw std::runtime_error("A control of the connection window could not be made");
  return child;
}

LOGFONTW MessageFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    LOGFONTW fallback{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(fallback), &fallback);
    return fallback;
  }
  return metrics.lfMessageFont;
}

HFONT MakeMessageFont(bool bold) {
  LOGFONTW font = MessageFont();
  if (bold) font.lfWeight = FW_BOLD;
  return CreateFontIndirectW(&font);
}

bool IsEnterDown() {
  return (GetKeyState(VK_RETURN) & 0x8000) != 0;
}

}  // namespace

TConnGUIWindow::TConnGUIWindow(TConnGUIWindowServices services, TConnGUITimings timings)
    : FDialogs(services.Dialogs),
      FApp(services.App),
      FStatusUnknownBitmap(StatusUnknownImage()),
      FButtonImages(ImageList_Create(kBlockedSignSize, kBlockedSignSize, ILC_COLOR32, 1, 0)),
      FFont(MakeMessageFont(false)),
      FBoldFont(MakeMessageFont(true)) {
  if (!FButtonImages) throw std::runtime_error("The image list could not be made");
  const TWinBitmap blocked = BlockedSign();
  ImageList_Add(FButtonImages.get(), blocked.Handle(), nullptr);

  RegisterWindowClass(kPanelClass, &PanelProcedure, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                      IDC_ARROW);
  TCreateParams params;
  params.ClassName = kWindowClass;
  params.Style = kStyle;
  params.ExStyle = kExStyle;
  params.Caption = ToWide(sConnGUICaption);
  const SIZE outer =
      WindowSizeForClient(kStyle, kExStyle, kConnGUIClientWidth, kConnGUIClientHeight);
  params.Width = outer.cx;
  params.Height = outer.cy;
  params.Background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  CreateHandle(params);

  TTile templateTile = BuildTile(0, kConnGUIClientHeight, kBlockedImageIndex);
  SendMessageW(templateTile.View.Button, WM_SETFONT, reinterpret_cast<WPARAM>(FBoldFont.get()),
               FALSE);
  FTiles.push_back(std::move(templateTile));
  StackTiles();

  FIndicator = std::make_unique<TActivityIndicator>(Handle());
  SetWindowPos(FIndicator->Handle(), HWND_TOP, kIndicatorStart.x, kIndicatorStart.y, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE);

  FPresenter = std::make_unique<TConnGUI>(
      *this,
      TConnGUIServices{services.Conn, services.Config, services.Dialogs, services.Http,
                       services.Uri, FPool, FGuiThread, std::move(services.Launch)},
      timings);
  RunEvent([this] { FPresenter->FormCreate(); });
}

TConnGUIWindow::~TConnGUIWindow() {
  if (Handle() != nullptr) KillTimer(Handle(), kStatusTimerId);
  FPresenter.reset();
  FGuiThread.Shutdown();
  FPool.WaitForDone();
  FIndicator.reset();
  DestroyHandle();
}

void TConnGUIWindow::RunEvent(const std::function<void()>& work) {
  ++FHandlerDepth;
  RunHandler(FDialogs, work);
  if (--FHandlerDepth == 0 && FPanelsAwaitHandlers) {
    FPanelsAwaitHandlers = false;
    PostMessageW(Handle(), kDestroyRemovedPanelsMessage, 0, 0);
  }
}

void TConnGUIWindow::Show() {
  ShowWindow(Handle(), SW_SHOW);
  UpdateWindow(Handle());
  RunEvent([this] { FPresenter->FormShow(); });
}

TConnGUIWindow::TTile TConnGUIWindow::BuildTile(int32_t Number, int height, int imageIndex) {
  TTile tile;
  tile.View.Number = Number;
  tile.Height = height;
  tile.View.Panel = CreateChild(kPanelClass, L"", WS_CLIPSIBLINGS | WS_CLIPCHILDREN, Handle(),
                                kPanelIdBase + Number, WS_EX_CONTROLPARENT);
  const DWORD buttonType = Number == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  tile.View.Button =
      CreateChild(WC_BUTTONW, ToWide(sConnectButtonText), buttonType | BS_MULTILINE | WS_TABSTOP,
                  tile.View.Panel, kButtonIdBase + Number);
  SendMessageW(tile.View.Button, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.get()), FALSE);
  tile.View.Image = CreateChild(WC_STATICW, L"", SS_OWNERDRAW | SS_NOTIFY, tile.View.Panel,
                                kImageIdBase + Number);
  tile.Bitmap = FStatusUnknownBitmap;
  tile.View.ImageIndex = imageIndex;
  SetTileButtonImage(tile.View.Button, FButtonImages.get(), imageIndex);
  return tile;
}

void TConnGUIWindow::AddTile(int32_t Number) {
  const TTile& model = FTiles.front();
  FTiles.push_back(BuildTile(Number, model.Height, model.View.ImageIndex));
  StackTiles();
}

// The tile may be the one whose click is being handled: it goes once that is over.
void TConnGUIWindow::RemoveLastTile() {
  if (FTiles.size() <= 1) throw std::logic_error("The template tile cannot be removed");
  const HWND panel = FTiles.back().View.Panel;
  FTiles.pop_back();
  ShowWindow(panel, SW_HIDE);
  FRemovedPanels.push_back(panel);
  PostMessageW(Handle(), kDestroyRemovedPanelsMessage, 0, 0);
}

void TConnGUIWindow::DestroyRemovedPanels() {
  if (FHandlerDepth > 0) {
    FPanelsAwaitHandlers = true;
    return;
  }
  for (HWND panel : FRemovedPanels) DestroyWindow(panel);
  FRemovedPanels.clear();
}

size_t TConnGUIWindow::CheckedIndex(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= FTiles.size())
    throw std::out_of_range("Tile index " + std::to_string(index) + " is out of range");
  return static_cast<size_t>(index);
}

TConnGUIWindow::TTileView TConnGUIWindow::TileView(int tile) const {
  return FTiles[CheckedIndex(tile)].View;
}

const TWinBitmap& TConnGUIWindow::TileBitmap(int tile) const {
  return FTiles[CheckedIndex(tile)].Bitmap;
}

int TConnGUIWindow::IndexOfButton(HWND button) const {
  for (size_t i = 0; i < FTiles.size(); ++i)
    if (button != nullptr && FTiles[i].View.Button == button) return static_cast<int>(i);
  return -1;
}

int TConnGUIWindow::IndexOfImage(HWND image) const {
  for (size_t i = 0; i < FTiles.size(); ++i)
    if (image != nullptr && FTiles[i].View.Image == image) return static_cast<int>(i);
  return -1;
}

void TConnGUIWindow::SetCaption(const std::string& caption) {
  SetWindowTextW(Handle(), ToWide(caption).c_str());
}

void TConnGUIWindow::SetButtonImageIndex(int tile, int imageIndex) {
  TTileView& view = FTiles[CheckedIndex(tile)].View;
  if (view.ImageIndex == imageIndex) return;
  view.ImageIndex = imageIndex;
  SetTileButtonImage(view.Button, FButtonImages.get(), imageIndex);
}

bool TConnGUIWindow::SetTileImage(int tile, const std::string& bytes) {
  TTile& target = FTiles[CheckedIndex(tile)];
  std::optional<TWinBitmap> picture = DecodeImage(bytes);
  if (!picture) return false;
  target.Bitmap = std::move(*picture);
  InvalidateRect(target.View.Image, nullptr, TRUE);
  return true;
}

void TConnGUIWindow::SetTileImageUnknown(int tile) {
  TTile& target = FTiles[CheckedIndex(tile)];
  target.Bitmap = FStatusUnknownBitmap;
  InvalidateRect(target.View.Image, nullptr, TRUE);
}

TSize TConnGUIWindow::TileImageSize(int tile) const {
  const TWinBitmap& bitmap = TileBitmap(tile);
  return {bitmap.Width(), bitmap.Height()};
}

int TConnGUIWindow::TileHeight(int tile) const {
  return FTiles[CheckedIndex(tile)].Height;
}

// Tiles always take the client width, so only the height is kept.
void TConnGUIWindow::SetTileSize(int tile, int, int height) {
  FTiles[CheckedIndex(tile)].Height = std::max(0, height);
  StackTiles();
}

void TConnGUIWindow::PlaceTileParts(const TTile& tile) const {
  const int buttonLeft = kTileButtonMargin;
  MoveWindow(tile.View.Button, buttonLeft, kTileButtonMargin, kTileButtonWidth,
             std::max(0, tile.Height - 2 * kTileButtonMargin), TRUE);
  const int imageLeft = buttonLeft + kTileButtonWidth + kTileButtonMargin;
  MoveWindow(tile.View.Image, imageLeft, 0, std::max(0, FClientSize.Width - imageLeft), tile.Height,
             TRUE);
}

void TConnGUIWindow::StackTiles() {
  int top = 0;
  for (const TTile& tile : FTiles) {
    SetWindowPos(tile.View.Panel, nullptr, 0, top, FClientSize.Width, tile.Height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceTileParts(tile);
    top += tile.Height;
  }
}

TSize TConnGUIWindow::ClientSize() const {
  return FClientSize;
}

void TConnGUIWindow::SetClientSize(int width, int height) {
  FClientSize = {std::max(0, width), std::max(0, height)};
  const SIZE outer = WindowSizeForClient(kStyle, kExStyle, FClientSize.Width, FClientSize.Height);
  SetWindowPos(Handle(), nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  StackTiles();
}

TSize TConnGUIWindow::IndicatorSize() const {
  return {TActivityIndicator::kSize, TActivityIndicator::kSize};
}

void TConnGUIWindow::PlaceIndicator(int x, int y) {
  SetWindowPos(FIndicator->Handle(), HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

void TConnGUIWindow::ShowIndicator(bool show) {
  if (show) {
    SetWindowPos(FIndicator->Handle(), HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    FIndicator->StartAnimation();
  } else {
    FIndicator->StopAnimation();
    ShowWindow(FIndicator->Handle(), SW_HIDE);
  }
}

// WM_SETREDRAW would mark a hidden window visible when it ends, so a hidden one is left alone.
void TConnGUIWindow::BeginUpdate() {
  if (FUpdateDepth++ > 0) return;
  FRedrawSuspended = IsWindowVisible(Handle()) != FALSE;
  if (FRedrawSuspended) SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TConnGUIWindow::EndUpdate() {
  if (FUpdateDepth == 0 || --FUpdateDepth > 0 || !FRedrawSuspended) return;
  FRedrawSuspended = false;
  SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
  RedrawWindow(Handle(), nullptr, nullptr,
               RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TConnGUIWindow::SetTilesEnabled(bool enabled) {
  if (!enabled) FFocusBeforeDisable = GetFocus();
  for (const TTile& tile : FTiles)
    for (HWND part : {tile.View.Panel, tile.View.Button, tile.View.Image})
      EnableWindow(part, enabled ? TRUE : FALSE);
  if (enabled && FFocusBeforeDisable != nullptr && IsWindow(FFocusBeforeDisable) &&
      GetActiveWindow() == Handle())
    SetFocus(FFocusBeforeDisable);
}

void TConnGUIWindow::SetBusyCursor(bool busy) {
  if (busy) {
    FSavedCursor = GetCursor();
    FBusy = true;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  } else {
    FBusy = false;
    SetCursor(FSavedCursor != nullptr ? FSavedCursor : LoadCursorW(nullptr, IDC_ARROW));
  }
}

void TConnGUIWindow::StartStatusTimer(std::chrono::milliseconds interval) {
  const auto millis =
      std::clamp<long long>(interval.count(), USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  if (SetTimer(Handle(), kStatusTimerId, static_cast<UINT>(millis), nullptr) != 0)
    FTimerInterval = std::chrono::milliseconds(millis);
}

void TConnGUIWindow::Close() {
  if (Handle() != nullptr) PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TConnGUIWindow::ClickButton(int tile) {
  if (!IsWindowEnabled(FTiles[static_cast<size_t>(tile)].View.Button)) return;
  RunEvent([this, tile] { FPresenter->BtnViewClick(tile); });
}

// Enter presses the button that has the focus, the default button otherwise.
void TConnGUIWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
  const auto control = reinterpret_cast<HWND>(lParam);
  const int id = LOWORD(wParam);
  const int notification = HIWORD(wParam);
  int button = IndexOfButton(control);
  if (button < 0 && control == nullptr && id == kDefaultButtonId) button = 0;
  if (button >= 0 && notification == BN_CLICKED) {
    const int focused = IndexOfButton(GetFocus());
    if (button == 0 && focused > 0 && IsEnterDown()) button = focused;
    ClickButton(button);
    return;
  }
  const int image = IndexOfImage(control);
  if (image >= 0 && notification == STN_CLICKED)
    RunEvent([this, image] { FPresenter->ImgViewClick(image); });
}

LRESULT TConnGUIWindow::OnNotify(const NMHDR& header) {
  if (header.code != NM_CUSTOMDRAW) return 0;
  const int tile = IndexOfButton(header.hwndFrom);
  if (tile < 0) return CDRF_DODEFAULT;
  return DrawTileButton(reinterpret_cast<const NMCUSTOMDRAW&>(header), FButtonImages.get(),
                        FTiles[static_cast<size_t>(tile)].View.ImageIndex);
}

// The picture stands at the left of its control, centred in its height.
bool TConnGUIWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
  const int tile = IndexOfImage(item.hwndItem);
  if (tile < 0) return false;
  const TWinBitmap& bitmap = FTiles[static_cast<size_t>(tile)].Bitmap;
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  const int top = item.rcItem.top + ((item.rcItem.bottom - item.rcItem.top) - bitmap.Height()) / 2;
  bitmap.Draw(item.hDC, item.rcItem.left, top);
  return true;
}

// The focus goes back where it was when the window is activated again, first to btn0.
void TConnGUIWindow::OnActivate(WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(Handle(), focus)) FLastFocus = focus;
  }
}

void TConnGUIWindow::MoveFocus(WPARAM wParam, LPARAM lParam) {
  HWND next = nullptr;
  if (LOWORD(lParam) != 0)
    next = reinterpret_cast<HWND>(wParam);
  else
    next = GetNextDlgTabItem(Handle(), GetFocus(), wParam != 0 ? TRUE : FALSE);
  if (next != nullptr) SetFocus(next);
}

void TConnGUIWindow::OnDestroy() {
  KillTimer(Handle(), kStatusTimerId);
  FTimerInterval = std::chrono::milliseconds(0);
  FIndicator->StopAnimation();
  // Image results that arrive from now on have no window to go to.
  FGuiThread.Shutdown();
  if (FApp != nullptr) FApp->WindowDestroyed(Handle());
}

LRESULT TConnGUIWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(wParam, lParam);
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_DRAWITEM:
      if (OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_TIMER:
      if (wParam != kStatusTimerId) break;
      RunEvent([this] { FPresenter->StatusTimerTimer(); });
      return 0;
    case WM_SETCURSOR:
      if (!FBusy) break;
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      return TRUE;
    case WM_ACTIVATE:
      OnActivate(wParam);
      break;
    case WM_SETFOCUS: {
      const HWND target =
          FLastFocus != nullptr && IsWindow(FLastFocus) && IsWindowEnabled(FLastFocus)
              ? FLastFocus
              : FTiles.front().View.Button;
      SetFocus(target);
      return 0;
    }
    case DM_GETDEFID:
      return MAKELRESULT(kDefaultButtonId, DC_HASDEFID);
    case WM_NEXTDLGCTL:
      MoveFocus(wParam, lParam);
      return 0;
    case kDestroyRemovedPanelsMessage:
      DestroyRemovedPanels();
      return 0;
    case WM_CLOSE:
      DestroyWindow(Handle());
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      break;
  }
  return DefaultHandling(message, wParam, lParam);
}
