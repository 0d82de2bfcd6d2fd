#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "gui/conn_gui.h"

// The part of the connection window that image tasks share: the window's one HTTP client and the
// way back to the window. Every task keeps it alive, so the client outlives its requests; the
// window detaches from it when it goes, and answers that arrive later are dropped.
class TImageLoader : public std::enable_shared_from_this<TImageLoader> {
 public:
  TImageLoader(TConnGUI& owner, const TConnGUIServices& services, const TConnGUITimings& timings);
  TImageLoader(const TImageLoader&) = delete;
  TImageLoader& operator=(const TImageLoader&) = delete;

  // Starts a task that fetches `url` for the tile of `request` and returns at once.
  void Start(std::shared_ptr<TImageRequest> request, std::string url);
  // GUI thread: the window is going; running requests are cancelled.
  void Detach();

 private:
  void Run(const std::shared_ptr<TImageRequest>& request, const std::string& url);
  bool Fetch(TImageRequest& request, const std::string& url, THttpResponse& answer);
  void Deliver(const std::shared_ptr<TImageRequest>& request, const THttpResponse& answer);
  void ReportError(std::exception_ptr error);
  // Runs `work` on the GUI thread, waiting for it, unless the window is gone by then.
  void OnGuiThread(const std::function<void(TConnGUI&)>& work);
  void ValidateCertificate(bool& accepted);

  TConnGUI* FOwner;  // read and written on the GUI thread only
  IThreadPool& FPool;
  IGuiThread& FGui;
  IURIParser& FUri;
  IDialogs& FDialogs;
  const std::shared_ptr<std::atomic<bool>> FCancel;
  std::unique_ptr<IHttpClient> FClient;
};
