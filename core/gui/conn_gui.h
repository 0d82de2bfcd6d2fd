#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/dialogs.h"
#include "common/http_client.h"
#include "common/threads.h"
#include "common/uri.h"
#include "config/app_config.h"
#include "connect/qx_connection.h"
#include "gui/conn_gui_view.h"
#include "gui/conn_view_list.h"

inline constexpr const char* sConnGUICaption = "Tarrowind Connect";
inline constexpr const char* sInvalidServerResponse = "Received invalid response from server.";
inline constexpr const char* sImageCertificatePrompt = "Invalid Certificate! Continue?";
inline constexpr const char* sConnectionTo = "Connection to:";

inline constexpr std::chrono::milliseconds kStatusTimerInterval{60000};
inline constexpr std::chrono::milliseconds kImageConnectTimeout{60000};
inline constexpr std::chrono::milliseconds kImageResponseTimeout{60000};
inline constexpr int kImageMaxRedirects = 5;
// Status images are banners of a few kilobytes; a larger body is not taken into memory.
inline constexpr size_t kImageMaxBodyBytes = 4 * 1024 * 1024;

// Hands a connection to the shell; shows its own refusals and failures, may throw, and returns
// true when a launch was handed over.
using TLaunchConnection = std::function<bool(const TConnResponse&)>;

// What the connection window needs of the world. Every member must outlive the window and every
// image task it started: a pool that waits for its tasks, destroyed after the window, does that.
struct TConnGUIServices {
  TQXConnection& Conn;
  TAppConfig& Config;
  IDialogs& Dialogs;
  IHttpClientFactory& Http;
  IURIParser& Uri;  // also used by the image tasks, on pool threads
  IThreadPool& Pool;
  IGuiThread& Gui;
  TLaunchConnection Launch;
};

struct TConnGUITimings {
  std::chrono::milliseconds StatusInterval = kStatusTimerInterval;
  std::chrono::milliseconds ImageConnectTimeout = kImageConnectTimeout;
  std::chrono::milliseconds ImageResponseTimeout = kImageResponseTimeout;
  size_t ImageMaxBodyBytes = kImageMaxBodyBytes;
};

class TImageLoader;

// The connection window's logic: one tile per connection in display order, a refresh from the
// service at every tick of the status timer, status images loaded on the thread pool, and the
// clicks on a tile. Everything here runs on the GUI thread.
class TConnGUI {
 public:
  TConnGUI(IConnGUIView& view, TConnGUIServices services, TConnGUITimings timings = {});
  // Cancels the running image requests; their answers are dropped.
  ~TConnGUI();
  TConnGUI(const TConnGUI&) = delete;
  TConnGUI& operator=(const TConnGUI&) = delete;

  void FormCreate();
  void FormShow();
  void RefreshConnectionInterface();
  void StatusTimerTimer();
  void BtnViewClick(int Tile);
  void ImgViewClick(int Tile);

  const TConnectionViewList& ConnectionsViewList() const { return FConnectionsViewList; }
  int32_t ImageLoadCount() const { return FImageLoadCount; }

 private:
  friend class TImageLoader;

  void UpdateConnViews();
  void LayoutConnViews();
  void FitConnViewsToImages();
  void NewConnView(int32_t Number);
  void RemoveLastConnView();
  // The connection a tile shows; the invalid sentinel when the display order has no usable entry
  // for it.
  TConnResponse TileConnection(int Tile) const;
  int WantedTileCount();

  void LoadImage(int Idx, const std::string& ImageUrl);
  void ImageRequestRequestCompleted(const TImageRequest& Sender, const THttpResponse& AResponse);
  void NetHTTPClientValidateServerCertificate(bool& Accepted);
  void HideIndicator();
  void RestoreAfterLaunch();

  IConnGUIView& FView;
  TConnGUIServices FServices;
  TConnGUITimings FTimings;
  int32_t FImageLoadCount = 0;
  TConnectionViewList FConnectionsViewList;
  std::shared_ptr<TImageLoader> FImageLoader;
};

// The text a click on a tile's image shows, lines separated by CR LF.
std::string ConnectionDetailText(const std::string& environmentDetail, const TConnResponse& conn);
