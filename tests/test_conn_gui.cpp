#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common/app_version_info.h"
#include "config/app_config.h"
#include "config/config_storage.h"
#include "connect/qx_connection.h"
#include "curl_http_client.h"
#include "curl_uri_parser.h"
#include "gui/conn_gui.h"
#include "posix_system_info.h"
#include "support/connect_answer_json.h"
#include "support/image_server.h"
#include "support/recording_dialogs.h"
#include "support/test_server.h"

using nlohmann::json;
using namespace std::chrono_literals;
using Kind = TRecordingDialogs::TEntry::Kind;

namespace {

constexpr TSize kUnknownImage{342, 60};
constexpr TSize kIndicator{32, 32};

// The size a PNG's header announces; nothing for bytes that are not a PNG. The view below
// "decodes" no further than that.
std::optional<TSize> PngSize(const std::string& bytes) {
  static const std::string signature = "\x89PNG\r\n\x1a\n";
  if (bytes.size() < 24 || bytes.compare(0, 8, signature) != 0 || bytes.compare(12, 4, "IHDR"))
    return std::nullopt;
  auto bigEndian = [&](size_t at) {
    int value = 0;
    for (size_t i = 0; i < 4; ++i) value = value * 256 + static_cast<unsigned char>(bytes[at + i]);
    return value;
  };
  return TSize{bigEndian(16), bigEndian(20)};
}

std::string PngHeader(int width, int height) {
  std::string bytes = "\x89PNG\r\n\x1a\n";
  bytes += std::string("\0\0\0\x0d", 4) + "IHDR";
  for (int value : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8)
      bytes += static_cast<char>((value >> shift) & 0xff);
  bytes += std::string("\x08\x06\0\0\0", 5) + "CRC!";
  return bytes;
}

// Every task on a thread of its own.
class TThreadPerTaskPool : public IThreadPool {
 public:
  ~TThreadPerTaskPool() override { JoinAll(); }
  void Run(std::function<void()> task) override {
    std::lock_guard lock(FMutex);
    ++FRunning;
    FThreads.emplace_back([this, task = std::move(task)] {
      task();
      std::lock_guard done(FMutex);
      --FRunning;
    });
  }
  int Running() {
    std::lock_guard lock(FMutex);
    return FRunning;
  }
  bool Idle() { return Running() == 0; }
  void JoinAll() {
    std::vector<std::thread> threads;
    {
      std::lock_guard lock(FMutex);
      threads.swap(FThreads);
    }
    for (std::thread& thread : threads) thread.join();
  }

 private:
  std::mutex FMutex;
  std::vector<std::thread> FThreads;
  int FRunning = 0;
};

// The test thread plays the GUI thread: work handed over from other threads waits in a queue
// until the test runs it.
class TQueuedGuiThread : public IGuiThread {
 public:
  void RunAndWait(const std::function<void()>& work) override {
    if (std::this_thread::get_id() == FOwner) {
      work();
      return;
    }
    auto job = std::make_shared<TJob>();
    job->Work = &work;
    std::unique_lock lock(FMutex);
    if (FGone) return;
    FQueue.push_back(job);
    FChanged.wait(lock, [&] { return job->Done; });
    if (job->Error) std::rethrow_exception(job->Error);
  }

  // Runs handed-over work until `done` holds; false when it still does not after `timeout`.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      RunPending();
      if (done()) return true;
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::unique_lock lock(FMutex);
      FChanged.wait_for(lock, 5ms, [&] { return !FQueue.empty(); });
    }
  }

  void RunPending() {
    std::unique_lock lock(FMutex);
    while (!FQueue.empty()) {
      auto job = FQueue.front();
      FQueue.pop_front();
      lock.unlock();
      try {
        (*job->Work)();
      } catch (...) {
        job->Error = std::current_exception();
      }
      lock.lock();
      job->Done = true;
      FChanged.notify_all();
    }
  }

  size_t Waiting() {
    std::lock_guard lock(FMutex);
    return FQueue.size();
  }
  // Waits, without running anything, until `count` pieces of work wait.
  bool AwaitWaiting(size_t count, std::chrono::milliseconds timeout = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Waiting() < count)
      if (std::chrono::steady_clock::now() > deadline)
        return false;
      else
        std::this_thread::sleep_for(2ms);
    return true;
  }

  // Drops the waiting work and turns later calls away, until Reopen.
  void Shutdown() {
    std::lock_guard lock(FMutex);
    FGone = true;
    for (auto& job : FQueue) job->Done = true;
    FQueue.clear();
    FChanged.notify_all();
  }
  void Reopen() {
    std::lock_guard lock(FMutex);
    FGone = false;
  }

 private:
  struct TJob {
    const std::function<void()>* Work = nullptr;
    bool Done = false;
    std::exception_ptr Error;
  };
  const std::thread::id FOwner = std::this_thread::get_id();
  std::mutex FMutex;
  std::condition_variable FChanged;
  std::deque<std::shared_ptr<TJob>> FQueue;
  bool FGone = false;
};

struct TTileState {
  int32_t Number = 0;
  int Height = 0;
  int Width = 0;
  TSize Image;
  int ImageIndex = kNoImageIndex;
  bool Enabled = true;
};

// Keeps what a window would show and logs the calls whose order matters.
class TRecordingView : public IConnGUIView {
 public:
  TRecordingView() {
    Tiles.push_back({0, kConnGUIClientHeight, kConnGUIClientWidth, kUnknownImage, 0, true});
  }

  void AddTile(int32_t Number) override {
    Touch("AddTile " + std::to_string(Number));
    Tiles.push_back({Number, Tiles[0].Height, Tiles[0].Width, kUnknownImage, Tiles[0].ImageIndex});
  }
  void RemoveLastTile() override {
    Touch("RemoveLastTile");
    Tiles.pop_back();
  }
  void SetCaption(const std::string& caption) override {
    Touch();
    Caption = caption;
  }
  void SetButtonImageIndex(int tile, int imageIndex) override {
    Touch();
    Tiles.at(size_t(tile)).ImageIndex = imageIndex;
  }
  bool SetTileImage(int tile, const std::string& bytes) override {
    Touch();
    const std::optional<TSize> size = PngSize(bytes);
    if (!size) return false;
    Tiles.at(size_t(tile)).Image = *size;
    return true;
  }
  void SetTileImageUnknown(int tile) override {
    Touch();
    Tiles.at(size_t(tile)).Image = kUnknownImage;
  }
  TSize TileImageSize(int tile) const override { return Tiles.at(size_t(tile)).Image; }
  int TileHeight(int tile) const override { return Tiles.at(size_t(tile)).Height; }
  void SetTileSize(int tile, int width, int height) override {
    Touch();
    Tiles.at(size_t(tile)).Width = width;
    Tiles.at(size_t(tile)).Height = height;
  }
  void StackTiles() override { Touch(); }
  TSize ClientSize() const override { return Client; }
  void SetClientSize(int width, int height) override {
    Touch();
    EXPECT_GT(UpdateDepth, 0) << "resized outside an update";
    Client = {width, height};
  }
  TSize IndicatorSize() const override { return kIndicator; }
  void PlaceIndicator(int x, int y) override {
    Touch();
    IndicatorAt = {x, y};
  }
  void ShowIndicator(bool show) override {
    Touch(std::string("Indicator ") + (show ? "on" : "off"));
    IndicatorShown = show;
  }
  void BeginUpdate() override { ++UpdateDepth; }
  void EndUpdate() override { --UpdateDepth; }
  void SetTilesEnabled(bool enabled) override {
    Touch(std::string("Tiles ") + (enabled ? "enabled" : "disabled"));
    for (TTileState& tile : Tiles) tile.Enabled = enabled;
  }
  void SetBusyCursor(bool busy) override {
    Touch(std::string("Cursor ") + (busy ? "busy" : "restored"));
    Busy = busy;
  }
  void StartStatusTimer(std::chrono::milliseconds interval) override { TimerInterval = interval; }
  void Close() override {
    Touch("Close");
    Closed = true;
  }

  std::vector<int> ImageIndexes() const {
    std::vector<int> indexes;
    for (const TTileState& tile : Tiles) indexes.push_back(tile.ImageIndex);
    return indexes;
  }
  std::vector<int32_t> Numbers() const {
    std::vector<int32_t> numbers;
    for (const TTileState& tile : Tiles) numbers.push_back(tile.Number);
    return numbers;
  }
  size_t CallCount(const std::string& call) const {
    return size_t(std::count(Calls.begin(), Calls.end(), call));
  }

  std::vector<TTileState> Tiles;
  TSize Client{kConnGUIClientWidth, kConnGUIClientHeight};
  std::string Caption;
  TSize IndicatorAt{211, 7};
  bool IndicatorShown = false;
  bool Busy = false;
  bool Closed = false;
  int UpdateDepth = 0;
  std::chrono::milliseconds TimerInterval{0};
  std::vector<std::string> Calls;
  int CallsOffTheGuiThread = 0;

 private:
  void Touch(const std::string& call = {}) {
    if (std::this_thread::get_id() != FOwner) ++CallsOffTheGuiThread;
    if (!call.empty()) Calls.push_back(call);
  }
  std::thread::id FOwner = std::this_thread::get_id();
};

// Dialogs that note whether they were asked on the GUI thread.
class TGuiThreadDialogs : public TRecordingDialogs {
 public:
  void ShowMessage(TMsgDlgType kind, const std::string& text) override {
    Note();
    TRecordingDialogs::ShowMessage(kind, text);
  }
  bool ConfirmWarning(const std::string& text) override {
    Note();
    return TRecordingDialogs::ConfirmWarning(text);
  }
  std::atomic<int> OffTheGuiThread{0};

 private:
  void Note() {
    if (std::this_thread::get_id() != FOwner) ++OffTheGuiThread;
  }
  const std::thread::id FOwner = std::this_thread::get_id();
};

json Connection(const std::string& name, const std::string& imageUrl, bool blocked = false) {
  return testanswer::Connection(name, "http://127.0.0.1:1/" + name + ".rdp", 1, blocked, imageUrl);
}

json Answer(const std::vector<json>& connections, const std::vector<int>& order,
            bool multi = false) {
  json answer = testanswer::Healthy();
  json& info = answer["QXConnectInfo"];
  info["connections"] = connections;
  info["connpriority"] = order;
  info["usemulticonn"] = multi;
  return answer;
}

class ConnGUITest : public ::testing::Test {
 protected:
  ConnGUITest() {
    FVersion.ProductVersion.VersionFromStr("1.0.0.0");
    FVersion.FileVersion.VersionFromStr("1.0.2.38");
    FServer.Server().Get("/Connect/", [this](const httplib::Request&, httplib::Response& res) {
      std::lock_guard lock(FAnswerMutex);
      res.status = FAnswerStatus;
      res.set_content(FAnswer.dump(), "application/json");
    });
    ServeImages(FServer.Server(), FSlow, PngHeader);
    FServer.Start();
  }

  ~ConnGUITest() override {
    CloseWindow();
    FSlow.Open();
  }

  void SetAnswer(const json& answer, int status = 200) {
    std::lock_guard lock(FAnswerMutex);
    FAnswer = answer;
    FAnswerStatus = status;
  }
  std::string Image(const std::string& path) const { return FServer.BaseUrl() + "/img/" + path; }

  // Queries the service as the start-up does, then creates and shows the window.
  void Open(const json& answer, std::vector<std::string> options = {}) {
    SetAnswer(answer);
    std::vector<std::string> args = {"-n", "-a:123", "-c:" + FServer.BaseUrl() + "/Connect/"};
    args.insert(args.end(), options.begin(), options.end());
    FConfig = std::make_unique<TAppConfig>(
        args, TAppConfigServices{FDialogs, FSystem, FUri, FStorage, FVersion});
    FConn.SetConnectUrl(FServer.BaseUrl() + "/Connect/");
    FConn.SetAccountNumber("123");
    TConnResponse response = InvalidConnResponse;
    FConn.Connect(response);
    ASSERT_TRUE(response.IsValid());
    FWindow = std::make_unique<TConnGUI>(
        FView,
        TConnGUIServices{FConn, *FConfig, FDialogs, FHttp, FUri, FPool, FGuiThread,
                         [this](const TConnResponse& r) { return FLaunch(r); }},
        TConnGUITimings{60000ms, 5000ms, 5000ms, kImageMaxBodyBytes});
    FWindow->FormCreate();
    FWindow->FormShow();
  }

  // Runs the handed-over work until every image task has ended.
  void Settle() {
    ASSERT_TRUE(FGuiThread.RunUntil([this] { return FPool.Idle(); }));
  }

  void CloseWindow() {
    FWindow.reset();
    FGuiThread.Shutdown();
    FPool.JoinAll();
    FGuiThread.Reopen();
  }

  size_t ImageRequests(const std::string& path) const {
    size_t count = 0;
    for (const auto& request : FServer.Requests())
      if (request.Path == "/img/" + path) ++count;
    return count;
  }

  TTestServer FServer;
  TGate FSlow;
  std::mutex FAnswerMutex;
  json FAnswer;
  int FAnswerStatus = 200;
  TGuiThreadDialogs FDialogs;
  TCurlHttpClientFactory FHttp;
  TCurlURIParser FUri;
  TPosixSystemInfo FSystem;
  TNoConfigStorage FStorage;
  TAppResVersionInfo FVersion;
  TQXConnection FConn{{FHttp, FUri, FSystem, FDialogs, FVersion}};
  std::unique_ptr<TAppConfig> FConfig;
  TThreadPerTaskPool FPool;
  TQueuedGuiThread FGuiThread;
  TRecordingView FView;
  std::function<bool(const TConnResponse&)> FLaunch = [](const TConnResponse&) { return false; };
  std::unique_ptr<TConnGUI> FWindow;
};

std::vector<json> ThreeConnections(const std::function<std::string(int)>& image) {
  return {Connection("A", image(0)), Connection("B", image(1)), Connection("C", image(2))};
}

// Connection i shows a picture 100 + 10 i wide, so a tile's image tells which one it shows.
std::string SizedImage(int i) {
  return "png/" + std::to_string(100 + 10 * i) + "x40";
}

}  // namespace

TEST_F(ConnGUITest, CreationSetsTheTimerAndTheTemplateTile) {
  Open(Answer({Connection("A", "")}, {0}));
  EXPECT_EQ(FView.TimerInterval, kStatusTimerInterval);
  ASSERT_EQ(FWindow->ConnectionsViewList().Count(), 1);
  EXPECT_EQ(FWindow->ConnectionsViewList().ImageRequests(0)->Name(), "req0");
  EXPECT_EQ(FView.Calls.front(), "Indicator on");
}

TEST_F(ConnGUITest, TileCountsFollowTheConnectionsAndTheMultiSetting) {
  struct Case {
    const char* name;
    size_t connections;
    std::vector<int> order;
    bool multi;
    std::vector<std::string> options;
    std::vector<int32_t> numbers;
    int clientHeight;
    std::vector<int> imageWidths;  // after the images, in tile order
  };
  const std::vector<Case> cases = {
      {"one connection", 1, {0}, false, {}, {0}, 64, {100}},
      {"three with usemulticonn", 3, {2, 0, 1}, true, {}, {0, 2, 3}, 192, {120, 100, 110}},
      {"three with -m", 3, {1, 2, 0}, false, {"-m"}, {0, 2, 3}, 192, {110, 120, 100}},
      {"three without either", 3, {2, 0, 1}, false, {}, {0}, 64, {120}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FView = TRecordingView();
    std::vector<json> connections =
        ThreeConnections([this](int i) { return Image(SizedImage(i)); });
    connections.resize(c.connections);
    Open(Answer(connections, c.order, c.multi), c.options);
    EXPECT_EQ(FView.Numbers(), c.numbers);
    EXPECT_EQ(FView.Client.Height, c.clientHeight) << "before the images";
    Settle();
    std::vector<int> widths;
    for (const TTileState& tile : FView.Tiles) widths.push_back(tile.Image.Width);
    EXPECT_EQ(widths, c.imageWidths);
    CloseWindow();
  }
}

TEST_F(ConnGUITest, ARefreshWithFewerConnectionsRemovesTheLowerTiles) {
  const auto images = [this](int i) { return Image(SizedImage(i)); };
  Open(Answer(ThreeConnections(images), {0, 1, 2}, true));
  Settle();
  ASSERT_EQ(FView.Tiles.size(), 3u);
  SetAnswer(Answer({Connection("A", Image("png/150x40"))}, {0}, true));
  FWindow->StatusTimerTimer();
  EXPECT_EQ(FView.CallCount("RemoveLastTile"), 2u);
  EXPECT_EQ(FWindow->ConnectionsViewList().Count(), 1);
  EXPECT_EQ(FView.Client.Height, 44) << "one tile of the template's fitted height";
  Settle();
  EXPECT_EQ(FView.Client, (TSize{150 + 142, 44}));
  SetAnswer(Answer(ThreeConnections(images), {0, 1, 2}, true));
  FWindow->StatusTimerTimer();
  EXPECT_EQ(FView.Numbers(), (std::vector<int32_t>{0, 2, 3})) << "numbers are given anew";
}

TEST_F(ConnGUITest, LayoutAndFitSizes) {
  struct Case {
    const char* name;
    std::vector<std::string> images;
    TSize fitted;
    int tileHeight;
  };
  const std::vector<Case> cases = {
      {"unknown images", {"missing", "missing", "missing"}, {484, 192}, 64},
      {"pictures", {"png/200x50", "png/342x60", "png/120x30"}, {484, 54 + 64 + 34}, 0},
      {"one wide picture", {"png/500x20", "missing", "png/10x10"}, {642, 24 + 64 + 14}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FView = TRecordingView();
    Open(Answer(ThreeConnections([&](int i) { return Image(c.images[size_t(i)]); }), {0, 1, 2},
                true));
    EXPECT_EQ(FView.Client, (TSize{457, 192}));
    EXPECT_EQ(FView.IndicatorAt, (TSize{(457 - 32) / 2, (192 - 32) / 2}));
    Settle();
    EXPECT_EQ(FView.Client, c.fitted);
    for (const TTileState& tile : FView.Tiles) {
      EXPECT_EQ(tile.Width, c.fitted.Width);
      if (c.tileHeight != 0) {
        EXPECT_EQ(tile.Height, c.tileHeight);
      }
    }
    EXPECT_EQ(FView.IndicatorAt, (TSize{(457 - 32) / 2, (192 - 32) / 2})) << "fitting keeps it";
    EXPECT_EQ(FView.UpdateDepth, 0);
    CloseWindow();
  }
}

TEST_F(ConnGUITest, Captions) {
  Open(Answer({Connection("A", "")}, {0}));
  EXPECT_EQ(FView.Caption, "Tarrowind Connect  [123]");
  FConn.SetAccountNumber("");
  FWindow->RefreshConnectionInterface();
  EXPECT_EQ(FView.Caption, "Tarrowind Connect");
}

TEST_F(ConnGUITest, BlockedSignsAndDisplayOrderEntriesWithoutAConnection) {
  struct Case {
    const char* name;
    bool environmentBlocked;
    std::vector<bool> blocked;
    std::vector<int> order;
    std::vector<int> imageIndexes;
    size_t imageRequests;
  };
  const std::vector<Case> cases = {
      {"nothing blocked", false, {false, false, false}, {0, 1, 2}, {-1, -1, -1}, 3},
      {"environment blocked", true, {false, false, false}, {0, 1, 2}, {0, 0, 0}, 3},
      {"one connection blocked", false, {false, true, false}, {2, 1, 0}, {-1, 0, -1}, 3},
      {"entry out of range", false, {false, false, false}, {0, 7, 2}, {-1, 0, -1}, 2},
      {"negative entry", false, {false, false, false}, {-1, 1, 2}, {0, -1, -1}, 2},
      {"short display order", false, {false, false, false}, {1}, {-1, 0, 0}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FView = TRecordingView();
    FServer.ClearRequests();
    std::vector<json> connections;
    for (size_t i = 0; i < 3; ++i)
      connections.push_back(
          Connection(std::string(1, char('A' + i)), Image("png/200x50"), c.blocked[i]));
    json answer = Answer(connections, c.order, true);
    answer["QXConnectInfo"]["blocklaunch"] = c.environmentBlocked;
    Open(answer);
    EXPECT_EQ(FView.ImageIndexes(), c.imageIndexes);
    Settle();
    EXPECT_EQ(ImageRequests("png/200x50"), c.imageRequests);
    const bool complete = c.imageRequests == 3;
    EXPECT_EQ(FView.Client.Width, complete ? 200 + 142 : 457) << "fitted when all images came";
    for (size_t i = 0; i < 3; ++i) {
      const bool hasEntry = i < c.order.size() && c.order[i] >= 0 && c.order[i] < 3;
      EXPECT_EQ(FView.Tiles[i].Image, (hasEntry ? TSize{200, 50} : kUnknownImage)) << "tile " << i;
    }
    EXPECT_FALSE(FView.IndicatorShown);
    CloseWindow();
  }
}

TEST_F(ConnGUITest, ImageLoadingCycle) {
  struct Case {
    const char* name;
    std::vector<std::string> images;  // "" is an empty address; "refused" a closed port
    bool indicatorShown;
    bool fitted;
    int loaded;
    std::vector<TSize> tileImages;
  };
  const std::vector<Case> cases = {
      {"all loaded", {"png/200x50", "png/250x40"}, false, true, 2, {{200, 50}, {250, 40}}},
      {"an empty address", {"", "png/250x40"}, false, false, 1, {kUnknownImage, {250, 40}}},
      {"a failed request", {"refused", "png/250x40"}, true, false, 1, {kUnknownImage, {250, 40}}},
      {"a non-image answer", {"missing", "png/250x40"}, false, true, 2, {kUnknownImage, {250, 40}}},
      {"Image/PNG", {"capital", "png/250x40"}, false, true, 2, {kUnknownImage, {250, 40}}},
      {"an undecodable picture",
       {"broken", "png/250x40"},
       true,
       false,
       1,
       {kUnknownImage, {250, 40}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FView = TRecordingView();
    std::vector<json> connections;
    for (const std::string& image : c.images) {
      const std::string url = image.empty()        ? ""
                              : image == "refused" ? "http://127.0.0.1:1/status.png"
                                                   : Image(image);
      connections.push_back(Connection("tile" + std::to_string(connections.size()), url));
    }
    Open(Answer(connections, {0, 1}, true));
    Settle();
    EXPECT_EQ(FView.IndicatorShown, c.indicatorShown);
    EXPECT_EQ(FWindow->ImageLoadCount(), c.loaded);
    EXPECT_EQ(FView.Client.Width != 457, c.fitted);
    for (size_t i = 0; i < c.tileImages.size(); ++i)
      EXPECT_EQ(FView.Tiles[i].Image, c.tileImages[i]) << "tile " << i;
    EXPECT_EQ(FView.CallsOffTheGuiThread, 0);
    CloseWindow();
  }
}

TEST_F(ConnGUITest, RequestsCarryTheUserAgentAndShareCookies) {
  FServer.Server().Get("/img/cookie", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Set-Cookie", "seen=1; Path=/");
    res.set_content(PngHeader(10, 10), "image/png");
  });
  Open(Answer({Connection("A", Image("cookie"))}, {0}));
  Settle();
  FWindow->StatusTimerTimer();
  Settle();
  std::vector<std::string> cookies;
  for (const auto& request : FServer.Requests()) {
    if (request.Path != "/img/cookie") continue;
    EXPECT_EQ(request.UserAgent, "Tarrowind Connect Client/1.0");
    cookies.push_back(request.Cookie);
  }
  EXPECT_EQ(cookies, (std::vector<std::string>{"", "seen=1"}));
}

TEST_F(ConnGUITest, ButtonClicks) {
  struct Case {
    const char* name;
    std::vector<std::string> options;
    bool launched;
    bool throws;
    bool closed;
  };
  const std::vector<Case> cases = {
      {"launch refused", {}, false, false, false},
      {"launch succeeded", {}, true, false, true},
      {"launch succeeded with -p", {"-p"}, true, false, false},
      {"launch throws", {}, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FView = TRecordingView();
    Open(Answer(ThreeConnections([](int) { return ""; }), {2, 0, 1}, true), c.options);
    Settle();
    std::vector<std::string> launched;
    FLaunch = [&](const TConnResponse& r) {
      launched.push_back(r.DisplayName);
      EXPECT_TRUE(FView.Busy);
      EXPECT_TRUE(FView.IndicatorShown);
      for (const TTileState& tile : FView.Tiles) EXPECT_FALSE(tile.Enabled);
      if (c.throws) throw std::runtime_error("shell gone");
      return c.launched;
    };
    FView.Calls.clear();
    if (c.throws)
      EXPECT_THROW(FWindow->BtnViewClick(1), std::runtime_error);
    else
      FWindow->BtnViewClick(1);
    EXPECT_EQ(launched, std::vector<std::string>{"A"}) << "the second of the display order";
    std::vector<std::string> expected = {"Cursor busy", "Tiles disabled", "Indicator on"};
    if (c.closed) expected.push_back("Close");
    for (const char* call : {"Indicator off", "Tiles enabled", "Cursor restored"})
      expected.push_back(call);
    EXPECT_EQ(FView.Calls, expected);
    EXPECT_EQ(FView.Closed, c.closed);
    CloseWindow();
  }
}

TEST_F(ConnGUITest, AClickOnATileWithoutADisplayOrderEntryLaunchesTheInvalidRecord) {
  Open(Answer(ThreeConnections([](int) { return ""; }), {0}, true));
  std::vector<TConnResponse> launched;
  FLaunch = [&](const TConnResponse& r) {
    launched.push_back(r);
    return false;
  };
  FWindow->BtnViewClick(2);
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_FALSE(launched[0].IsValid());
  EXPECT_THROW(FWindow->BtnViewClick(3), std::out_of_range);
}

TEST(ConnectionDetailText, Rules) {
  struct Case {
    const char* name;
    std::string environment;
    std::string detail;
    std::string displayName;
    std::string identifier;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"the four-line example", "All fine", "", "Office", "o-1",
       "All fine\r\n\r\nConnection to:\r\nOffice (o-1)"},
      {"nothing known", "", "", "", "", "Connection to:"},
      {"connection detail only", "", "Busy", "Office", "", "Busy\r\n\r\nConnection to:\r\nOffice"},
      {"both details", "Env", "Conn", "", "o-1", "Env\r\nConn\r\n\r\nConnection to: (o-1)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TConnResponse conn;
    conn.StatusDetail = c.detail;
    conn.DisplayName = c.displayName;
    conn.ConnIdentifier = c.identifier;
    EXPECT_EQ(ConnectionDetailText(c.environment, conn), c.expected);
  }
}

TEST_F(ConnGUITest, ImageClicksShowTheDetails) {
  json bare = Connection("", "");
  bare["connidentifier"] = "";
  json answer = Answer({Connection("Main Office", ""), bare}, {0, 1}, true);
  Open(answer);
  FWindow->ImgViewClick(0);
  answer["QXConnectInfo"]["statusdetail"] = "";
  SetAnswer(answer);
  FWindow->StatusTimerTimer();
  FWindow->ImgViewClick(1);
  const auto entries = FDialogs.Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Type, TMsgDlgType::mtInformation);
  EXPECT_EQ(entries[0].Text,
            "All systems operational\r\n\r\nConnection to:\r\nMain Office (id-Main Office)");
  EXPECT_EQ(entries[1].Text, "Connection to:");
}

TEST_F(ConnGUITest, TheTimerRefreshesOrEndsOnAnInvalidAnswer) {
  struct Case {
    const char* name;
    int status;
    json answer;
  };
  json noActive = Answer({Connection("A", "")}, {0});
  noActive["QXConnectInfo"]["activeconn"] = 5;
  const std::vector<Case> cases = {
      {"server error", 500, json::object()},
      {"not found", 404, json::object()},
      {"no active connection", 200, noActive},
      {"not JSON", 200, "garbage"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FView = TRecordingView();
    FDialogs.Clear();
    Open(Answer({Connection("A", "")}, {0}));
    SetAnswer(c.answer, c.status);
    FWindow->StatusTimerTimer();
    const auto entries = FDialogs.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Type, TMsgDlgType::mtError);
    EXPECT_EQ(entries[0].Text, "Received invalid response from server.");
    EXPECT_EQ(FView.Calls.back(), "Close");
    CloseWindow();
  }
}

TEST_F(ConnGUITest, AValidTimerAnswerRefreshes) {
  Open(Answer({Connection("A", "")}, {0}));
  json blocked = Answer({Connection("A", "", true)}, {0});
  SetAnswer(blocked);
  FWindow->StatusTimerTimer();
  EXPECT_FALSE(FView.Closed);
  EXPECT_EQ(FView.ImageIndexes(), std::vector<int>{0});
  EXPECT_EQ(FDialogs.Count(), 0u);
}

TEST_F(ConnGUITest, AnAnswerForARemovedTileIsDropped) {
  Open(
      Answer({Connection("A", Image("png/200x50")), Connection("B", Image("slow"))}, {0, 1}, true));
  ASSERT_TRUE(FGuiThread.RunUntil([this] { return FWindow->ImageLoadCount() == 1; }));
  SetAnswer(Answer({Connection("A", Image("png/200x50"))}, {0}, true));
  FWindow->StatusTimerTimer();
  ASSERT_EQ(FView.Tiles.size(), 1u);
  ASSERT_TRUE(FGuiThread.RunUntil([this] { return FWindow->ImageLoadCount() == 1; }));
  FSlow.Open();
  Settle();
  EXPECT_EQ(FWindow->ImageLoadCount(), 1) << "the late answer does not count";
  EXPECT_EQ(FDialogs.Count(), 0u) << "no error from touching a removed tile";
  EXPECT_EQ(FView.Tiles[0].Image, (TSize{200, 50}));
}

TEST_F(ConnGUITest, ARefreshSkipsATileWhoseRequestStillRuns) {
  Open(Answer({Connection("A", Image("slow"))}, {0}));
  ASSERT_TRUE(FGuiThread.RunUntil([this] { return ImageRequests("slow") == 1; }));
  FWindow->StatusTimerTimer();
  EXPECT_TRUE(FView.IndicatorShown);
  EXPECT_TRUE(FWindow->ConnectionsViewList().ImageRequests(0)->Busy());
  ASSERT_TRUE(FGuiThread.RunUntil([this] { return FPool.Running() == 1; })) << "skipped";
  FSlow.Open();
  Settle();
  EXPECT_EQ(ImageRequests("slow"), 1u) << "the busy tile was not asked again";
  EXPECT_EQ(FWindow->ImageLoadCount(), 1) << "the running answer counts in the new cycle";
  EXPECT_FALSE(FView.IndicatorShown);
  EXPECT_EQ(FView.Client, (TSize{300 + 142, 74}));
  EXPECT_FALSE(FWindow->ConnectionsViewList().ImageRequests(0)->Busy());
  FWindow->StatusTimerTimer();
  Settle();
  EXPECT_EQ(ImageRequests("slow"), 2u) << "a free tile is asked again";
}

TEST_F(ConnGUITest, ClosingTheWindowCancelsRunningRequests) {
  Open(Answer({Connection("A", Image("slow"))}, {0}));
  ASSERT_TRUE(FGuiThread.RunUntil([this] { return ImageRequests("slow") == 1; }));
  const auto start = std::chrono::steady_clock::now();
  FWindow.reset();
  FPool.JoinAll();  // the GUI thread stays available: the task must end by itself
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  EXPECT_EQ(FGuiThread.Waiting(), 0u);
}

TEST_F(ConnGUITest, AnswersAfterTheWindowIsGoneAreDropped) {
  Open(Answer({Connection("A", Image("png/200x50"))}, {0}));
  ASSERT_TRUE(FGuiThread.AwaitWaiting(1));
  const size_t calls = FView.Calls.size();
  FWindow.reset();
  Settle();
  EXPECT_EQ(FView.Tiles[0].Image, kUnknownImage);
  EXPECT_EQ(FView.Calls.size(), calls);
  EXPECT_EQ(FView.Client, (TSize{457, 64}));
}

TEST_F(ConnGUITest, AnInvalidCertificateAsksOnTheGuiThread) {
  TTestServer images(true);
  ServeImages(images.Server(), FSlow, PngHeader);
  images.Start();
  for (bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "accepted" : "refused");
    FView = TRecordingView();
    FDialogs.Clear();
    FDialogs.QueueConfirm(yes);
    Open(Answer({Connection("A", images.BaseUrl() + "/img/png/200x50")}, {0}));
    Settle();
    const auto entries = FDialogs.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].What, Kind::Confirm);
    EXPECT_EQ(entries[0].Text, "Invalid Certificate! Continue?");
    EXPECT_EQ(FDialogs.OffTheGuiThread, 0);
    EXPECT_EQ(FWindow->ImageLoadCount(), yes ? 1 : 0);
    EXPECT_EQ(FView.Tiles[0].Image, (yes ? TSize{200, 50} : kUnknownImage));
    CloseWindow();
  }
}

TEST(ConnectionViewList, NumbersRequestsAndBounds) {
  TConnectionViewList list;
  list.Add(0);
  list.Add(2);
  list.Add(3);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Number(2), 3);
  EXPECT_EQ(list.ImageRequests(1)->Name(), "req2");
  const std::shared_ptr<TImageRequest> removed = list.ImageRequests(2);
  EXPECT_EQ(list.IndexOfImageRequest(list.ImageRequests(1).get()), 1);
  list.RemoveLast();
  EXPECT_EQ(list.IndexOfImageRequest(removed.get()), -1);
  TImageRequest stranger("req2");
  EXPECT_EQ(list.IndexOfImageRequest(&stranger), -1) << "by identity, not by name";
  for (int index : {-1, 2}) EXPECT_THROW(list[index], std::out_of_range);
  EXPECT_TRUE(removed->TryBegin());
  EXPECT_FALSE(removed->TryBegin());
  removed->End();
  EXPECT_TRUE(removed->TryBegin());
}
