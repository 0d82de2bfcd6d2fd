// The start-up form and the connection window of the Win32 front end, with the core's presenter,
// WinHTTP and a real HTTP server on 127.0.0.1.
#include "win_loopback_server.h"

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "config/app_config.h"
#include "config/config_storage.h"
#include "conn_gui_window.h"
#include "connect/qx_connection.h"
#include "png_writer.h"
#include "startup_form.h"
#include "support/connect_answer_json.h"
#include "support/recording_dialogs.h"
#include "win32_gui_support.h"
#include "win_application.h"
#include "win_http_client.h"
#include "win_system_info.h"
#include "win_uri_parser.h"

using namespace std::chrono_literals;
using nlohmann::json;

namespace {

std::string Png(int width, int height) {
  TRgbImage image(width, height);
  image.Fill(0x30a050);
  return EncodePng(image);
}

RECT ClientRect(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return rect;
}

// A child's place inside its parent's client area.
RECT PlaceInParent(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

LONG FontWeight(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
  return font.lfWeight;
}

json Connection(const std::string& name, const std::string& imageUrl, bool blocked = false) {
  return testanswer::Connection(name, "http://127.0.0.1:1/" + name + ".rdp", 1, blocked, imageUrl);
}

json Answer(const std::vector<json>& connections, std::vector<int> order, bool multi) {
  json answer = testanswer::Healthy();
  json& info = answer["QXConnectInfo"];
  info["connections"] = connections;
  info["connpriority"] = order;
  info["usemulticonn"] = multi;
  return answer;
}

// The parts of the program around a window, as the program has them, with recorded dialogs.
class Win32WindowTest : public ::testing::Test {
 protected:
  Win32WindowTest() {
    FVersion.ProductVersion.VersionFromStr("1.0.0.0");
    FVersion.FileVersion.VersionFromStr("1.0.2.38");
    FServer.SetAnswer("/img/wide.png", {200, "image/png", Png(342, 60)});
    FServer.SetAnswer("/img/small.png", {200, "image/png", Png(300, 40)});
    FServer.SetAnswer("/img/missing.png", {404, "text/html", "<html>not here</html>"});
  }
  ~Win32WindowTest() override { FWindow.reset(); }

  void SetAnswer(const json& answer, int status = 200) {
    FServer.SetAnswer("/Connect/", {status, "application/json", answer.dump()});
  }
  std::string Image(const std::string& name) const { return FServer.BaseUrl() + "/img/" + name; }
  std::vector<std::string> Args(std::vector<std::string> options = {}) const {
    std::vector<std::string> args = {"-n", "-a:123", "-c:" + FServer.BaseUrl() + "/Connect/"};
    args.insert(args.end(), options.begin(), options.end());
    return args;
  }
  void MakeConfig(std::vector<std::string> options = {}) {
    FConfig = std::make_unique<TAppConfig>(
        Args(std::move(options)), TAppConfigServices{FDialogs, FSystem, FUri, FStorage, FVersion});
  }

  // The window after a first query, as the start-up sequence leaves things.
  void Create(const json& answer) {
    SetAnswer(answer);
    MakeConfig();
    FConn.SetConnectUrl(FServer.BaseUrl() + "/Connect/");
    FConn.SetAccountNumber("123");
    TConnResponse response = InvalidConnResponse;
    FConn.Connect(response);
    ASSERT_TRUE(response.IsValid());
    FWindow = std::make_unique<TConnGUIWindow>(
        TConnGUIWindowServices{FConn, *FConfig, FDialogs, FHttp, FUri,
                               [this](const TConnResponse& r) { return FLaunch(r); }, &FApp},
        TConnGUITimings{60000ms, 5000ms, 5000ms, kImageMaxBodyBytes});
  }
  bool ImagesSettled() {
    return PumpUntil([this] { return !IsWindowVisible(FWindow->LoadIndicator().Handle()); });
  }

  TWinLoopbackServer FServer;
  TRecordingDialogs FDialogs;
  TWinHttpClientFactory FHttp;
  TWinURIParser FUri;
  TWinSystemInfo FSystem;
  TWinApplication FApp;
  TNoConfigStorage FStorage;
  TAppResVersionInfo FVersion;
  TQXConnection FConn{{FHttp, FUri, FSystem, FDialogs, FVersion}};
  std::unique_ptr<TAppConfig> FConfig;
  std::function<bool(const TConnResponse&)> FLaunch = [](const TConnResponse&) { return false; };
  std::unique_ptr<TConnGUIWindow> FWindow;
};

TEST_F(Win32WindowTest, StartupFormIsAnInvisibleMainWindow) {
  MakeConfig({"-h"});
  TQXConnection conn{{FHttp, FUri, FSystem, FDialogs, FVersion}};
  TConnStartupForm form(*FConfig, conn, FDialogs, FApp, [] {});
  const HWND window = form.Handle();
  EXPECT_EQ(FApp.MainWindow(), window);
  EXPECT_EQ(WindowText(window), L"Initializing Pellanor...");
  const RECT client = ClientRect(window);
  EXPECT_EQ(client.right, 229);
  EXPECT_EQ(client.bottom, 51);
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU), WS_POPUP);
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
  BYTE alpha = 255;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 0);
  EXPECT_TRUE(flags & LWA_ALPHA);
}

TEST_F(Win32WindowTest, StartupSequenceRunsInTheLoopAndEndsIt) {
  using TKind = TRecordingDialogs::TEntry::Kind;
  struct TCase {
    const char* Name;
    std::vector<std::string> Args;
    TKind Dialog;
  };
  // Both end without a query: the help text, and an account prompt that is cancelled.
  const std::vector<TCase> cases = {{"help", {"-h"}, TKind::Message},
                                    {"no account", {"-n"}, TKind::Input}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    FDialogs.Clear();
    TAppConfig config(c.Args, TAppConfigServices{FDialogs, FSystem, FUri, FStorage, FVersion});
    TQXConnection conn{{FHttp, FUri, FSystem, FDialogs, FVersion}};
    bool windowMade = false;
    TConnStartupForm form(config, conn, FDialogs, FApp, [&] { windowMade = true; });
    form.Show();
    EXPECT_FALSE(form.HasRun());  // not before the loop takes its message
    EXPECT_EQ(FApp.Run(), 0);
    EXPECT_TRUE(form.HasRun());
    EXPECT_EQ(form.Handle(), nullptr);
    EXPECT_FALSE(windowMade);
    const std::vector<TRecordingDialogs::TEntry> dialogs = FDialogs.Entries();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].What, c.Dialog);
  }
  EXPECT_TRUE(FServer.Requests().empty());
}

// The window step fails: the error is shown and the form still closes, ending the program.
TEST_F(Win32WindowTest, StartupFormClosesAfterAnErrorOutOfTheSequence) {
  SetAnswer(Answer({Connection("Desk", Image("wide.png"))}, {0}, false));
  MakeConfig({"-g"});
  TConnStartupForm form(*FConfig, FConn, FDialogs, FApp,
                        [] { throw std::runtime_error("The window could not be created"); });
  form.Show();
  EXPECT_EQ(FApp.Run(), 0);
  EXPECT_EQ(form.Handle(), nullptr);
  EXPECT_EQ(FDialogs.MessageTexts(), std::vector<std::string>{"The window could not be created"});
  EXPECT_EQ(FServer.Requests().size(), 1u);
}

TEST_F(Win32WindowTest, WindowAtCreationIsTheDesignedToolWindow) {
  Create(Answer({Connection("Desk", "")}, {0}, false));
  const HWND window = FWindow->Handle();
  EXPECT_FALSE(IsWindowVisible(window));
  // Suspending the drawing of a hidden window must not leave it marked visible.
  FWindow->BeginUpdate();
  FWindow->EndUpdate();
  EXPECT_FALSE(IsWindowVisible(window));
  const RECT client = ClientRect(window);
  EXPECT_EQ(client.right, 457);
  EXPECT_EQ(client.bottom, 64);
  EXPECT_EQ(FWindow->ClientSize(), (TSize{457, 64}));
  EXPECT_EQ(WindowText(window), L"Tarrowind Connect");
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX), 0);
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

  ASSERT_EQ(FWindow->TileCount(), 1);
  const TConnGUIWindow::TTileView tile = FWindow->TileView(0);
  EXPECT_EQ(tile.Number, 0);
  EXPECT_EQ(WindowText(tile.Button), L"Click Here to Connect");
  const LONG buttonStyle = GetWindowLongW(tile.Button, GWL_STYLE);
  EXPECT_EQ(buttonStyle & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_TRUE(buttonStyle & BS_MULTILINE);
  EXPECT_GE(FontWeight(tile.Button), FW_BOLD);
  const RECT button = PlaceInParent(tile.Button);
  EXPECT_EQ(button.left, 4);
  EXPECT_EQ(button.top, 4);
  EXPECT_EQ(button.right - button.left, 130);
  EXPECT_EQ(button.bottom - button.top, 56);
  const RECT panel = PlaceInParent(tile.Panel);
  EXPECT_EQ(panel.right - panel.left, 457);
  EXPECT_EQ(panel.bottom - panel.top, 64);
  EXPECT_EQ(FWindow->TileImageSize(0), (TSize{342, 60}));
  EXPECT_EQ(tile.ImageIndex, kBlockedImageIndex);

  int iconWidth = 0;
  int iconHeight = 0;
  ASSERT_TRUE(ImageList_GetIconSize(FWindow->ButtonImages(), &iconWidth, &iconHeight));
  EXPECT_EQ(iconWidth, 20);
  EXPECT_EQ(iconHeight, 20);
  EXPECT_EQ(ImageList_GetImageCount(FWindow->ButtonImages()), 1);
  EXPECT_EQ(FWindow->StatusTimerInterval(), 60000ms);
  const RECT indicator = PlaceInParent(FWindow->LoadIndicator().Handle());
  EXPECT_EQ(indicator.left, 211);
  EXPECT_EQ(indicator.top, 7);
  EXPECT_FALSE(IsWindowVisible(FWindow->LoadIndicator().Handle()));
}

TEST_F(Win32WindowTest, TilesFollowTheDisplayOrderAndTheWindowFitsTheImages) {
  // Shown in the order 1, 0, 2: the small image first, the blocked one last with no image.
  Create(Answer({Connection("Wide", Image("wide.png")), Connection("Small", Image("small.png")),
                 Connection("Blocked", Image("missing.png"), true)},
                {1, 0, 2}, true));
  FWindow->Show();
  EXPECT_EQ(WindowText(FWindow->Handle()), L"Tarrowind Connect  [123]");
  ASSERT_EQ(FWindow->TileCount(), 3);
  // Before any image has been handed to the GUI thread: three template-high tiles.
  EXPECT_EQ(FWindow->ClientSize(), (TSize{457, 192}));
  std::vector<int32_t> numbers;
  for (int i = 0; i < 3; ++i) {
    const TConnGUIWindow::TTileView tile = FWindow->TileView(i);
    numbers.push_back(tile.Number);
    EXPECT_EQ(PlaceInParent(tile.Panel).top, 64 * i);
    EXPECT_EQ(WindowText(tile.Button), L"Click Here to Connect");
    if (i > 0) {
      EXPECT_EQ(GetWindowLongW(tile.Button, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
      EXPECT_LT(FontWeight(tile.Button), FW_BOLD);
    }
  }
  EXPECT_EQ(numbers, (std::vector<int32_t>{0, 2, 3}));
  EXPECT_EQ(FWindow->TileView(0).ImageIndex, kNoImageIndex);
  EXPECT_EQ(FWindow->TileView(2).ImageIndex, kBlockedImageIndex);
  EXPECT_TRUE(IsWindowVisible(FWindow->LoadIndicator().Handle()));
  EXPECT_TRUE(FWindow->LoadIndicator().IsAnimating());

  ASSERT_TRUE(ImagesSettled());
  EXPECT_EQ(FWindow->Presenter().ImageLoadCount(), 3);
  EXPECT_FALSE(FWindow->LoadIndicator().IsAnimating());
  EXPECT_EQ(FWindow->TileImageSize(0), (TSize{300, 40}));
  EXPECT_EQ(FWindow->TileImageSize(1), (TSize{342, 60}));
  EXPECT_EQ(FWindow->TileImageSize(2), (TSize{342, 60}));  // the unknown-status image
  // The widest image and the button beside it; each tile its image's height and 4.
  EXPECT_EQ(FWindow->ClientSize(), (TSize{484, 44 + 64 + 64}));
  const RECT client = ClientRect(FWindow->Handle());
  EXPECT_EQ(client.right, 484);
  EXPECT_EQ(client.bottom, 172);
  EXPECT_EQ(PlaceInParent(FWindow->TileView(2).Panel).top, 108);
  EXPECT_EQ(PlaceInParent(FWindow->TileView(0).Button).bottom, 40);
}

TEST_F(Win32WindowTest, ClicksReachThePresenterThroughTheControls) {
  Create(Answer({Connection("Wide", Image("wide.png")), Connection("Small", Image("small.png"))},
                {1, 0}, true));
  FWindow->Show();
  ASSERT_TRUE(ImagesSettled());
  std::vector<std::string> launched;
  bool busyDuringLaunch = false;
  bool enabledDuringLaunch = true;
  FLaunch = [&](const TConnResponse& conn) {
    launched.push_back(conn.DisplayName);
    busyDuringLaunch = FWindow->IsBusy();
    enabledDuringLaunch = IsWindowEnabled(FWindow->TileView(0).Button) != FALSE;
    return false;
  };
  SendMessageW(FWindow->TileView(1).Button, BM_CLICK, 0, 0);
  EXPECT_EQ(launched, std::vector<std::string>{"Wide"});
  EXPECT_TRUE(busyDuringLaunch);
  EXPECT_FALSE(enabledDuringLaunch);
  EXPECT_FALSE(FWindow->IsBusy());
  EXPECT_TRUE(IsWindowEnabled(FWindow->TileView(0).Button));
  EXPECT_TRUE(IsWindow(FWindow->Handle()));  // a failed launch leaves the window open

  // Enter, through the loop's dialog keyboard handling, presses the default button, btn0.
  FApp.SetMainWindow(FWindow->Handle());
  SetFocus(FWindow->TileView(0).Button);
  PostMessageW(FWindow->TileView(0).Button, WM_KEYDOWN, VK_RETURN, 0);
  FApp.ProcessPendingEvents();
  EXPECT_EQ(launched, (std::vector<std::string>{"Wide", "Small"}));
  FApp.SetMainWindow(nullptr);

  FDialogs.Clear();
  const HWND image = FWindow->TileView(0).Image;
  SendMessageW(GetParent(image), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(image), STN_CLICKED),
               reinterpret_cast<LPARAM>(image));
  ASSERT_EQ(FDialogs.Entries().size(), 1u);
  EXPECT_EQ(FDialogs.Entries()[0].Type, TMsgDlgType::mtInformation);
  EXPECT_EQ(FDialogs.Entries()[0].Text,
            "All systems operational\r\n\r\nConnection to:\r\nSmall (id-Small)");
}

TEST_F(Win32WindowTest, RefreshesRemoveTilesAndAFailedOneClosesTheWindow) {
  Create(Answer({Connection("A", Image("wide.png")), Connection("B", Image("wide.png")),
                 Connection("C", Image("wide.png"))},
                {0, 1, 2}, true));
  FApp.SetMainWindow(FWindow->Handle());
  FWindow->Show();
  ASSERT_TRUE(ImagesSettled());
  const HWND lowerPanel = FWindow->TileView(2).Panel;

  SetAnswer(Answer({Connection("A", Image("small.png"))}, {0}, false));
  FWindow->Presenter().StatusTimerTimer();
  EXPECT_EQ(FWindow->TileCount(), 1);
  EXPECT_EQ(FWindow->ClientSize().Height, 64);
  ASSERT_TRUE(ImagesSettled());
  EXPECT_FALSE(IsWindow(lowerPanel));
  EXPECT_EQ(FWindow->ClientSize(), (TSize{442, 44}));

  FDialogs.Clear();
  SetAnswer(json::object(), 404);
  FWindow->Presenter().StatusTimerTimer();
  EXPECT_EQ(FDialogs.MessageTexts(),
            std::vector<std::string>{"Received invalid response from server."});
  const HWND window = FWindow->Handle();
  // Closing the main window ends the program's loop.
  EXPECT_EQ(FApp.Run(), 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(FWindow->Handle(), nullptr);
}

}  // namespace
