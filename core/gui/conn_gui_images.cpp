// Status images: fetched on the thread pool, shown on the GUI thread.
#include <exception>
#include <utility>

#include "common/error_handling.h"
#include "common/user_agent.h"
#include "gui/conn_gui.h"
#include "gui/image_loader.h"

TImageLoader::TImageLoader(TConnGUI& owner, const TConnGUIServices& services,
                           const TConnGUITimings& timings)
    : FOwner(&owner),
      FPool(services.Pool),
      FGui(services.Gui),
      FUri(services.Uri),
      FDialogs(services.Dialogs),
      FCancel(std::make_shared<std::atomic<bool>>(false)) {
  THttpClientSettings settings;
  settings.UserAgent = sUserAgent;
  settings.FollowRedirects = true;
  settings.MaxRedirects = kImageMaxRedirects;
  settings.ConnectTimeout = timings.ImageConnectTimeout;
  settings.ResponseTimeout = timings.ImageResponseTimeout;
  settings.MaxBodyBytes = timings.ImageMaxBodyBytes;
  // Only called during a request, which a task runs while it keeps this object alive.
  settings.OnInvalidCertificate = [this](bool& accepted) { ValidateCertificate(accepted); };
  settings.Cancel = FCancel;
  FClient = services.Http.Create(settings);
}

void TImageLoader::Start(std::shared_ptr<TImageRequest> request, std::string url) {
  FPool.Run([self = shared_from_this(), request = std::move(request), url = std::move(url)] {
    self->Run(request, url);
  });
}

void TImageLoader::Detach() {
  FOwner = nullptr;
  FCancel->store(true);
}

void TImageLoader::Run(const std::shared_ptr<TImageRequest>& request, const std::string& url) {
  try {
    if (FCancel->load()) return;
    if (!IsValidURL(FUri, url)) {
      OnGuiThread([](TConnGUI& gui) { gui.HideIndicator(); });
      return;
    }
    // The tile's previous request is still running; its answer counts when it arrives.
    if (!request->TryBegin()) return;
    THttpResponse answer;
    if (Fetch(*request, url, answer)) Deliver(request, answer);
  } catch (...) {
    ReportError(std::current_exception());
  }
}

bool TImageLoader::Fetch(TImageRequest& request, const std::string& url, THttpResponse& answer) {
  try {
    answer = FClient->Get(url);
    return true;
  } catch (const EHttpError&) {
    request.End();
    return false;
  } catch (...) {
    request.End();
    throw;
  }
}

void TImageLoader::Deliver(const std::shared_ptr<TImageRequest>& request,
                           const THttpResponse& answer) {
  bool delivered = false;
  try {
    FGui.RunAndWait([&] {
      delivered = true;
      request->End();
      if (FOwner == nullptr) return;
      RunHandler(FDialogs, [&] { FOwner->ImageRequestRequestCompleted(*request, answer); });
    });
  } catch (...) {
    if (!delivered) request->End();
    throw;
  }
  if (!delivered) request->End();
}

void TImageLoader::ReportError(std::exception_ptr error) {
  try {
    OnGuiThread([&](TConnGUI&) { std::rethrow_exception(error); });
  } catch (...) {
    // Nothing is left to tell on a pool thread; the task ends.
  }
}

void TImageLoader::OnGuiThread(const std::function<void(TConnGUI&)>& work) {
  FGui.RunAndWait([&] {
    if (FOwner == nullptr) return;
    RunHandler(FDialogs, [&] { work(*FOwner); });
  });
}

void TImageLoader::ValidateCertificate(bool& accepted) {
  if (FCancel->load()) return;
  OnGuiThread([&](TConnGUI& gui) { gui.NetHTTPClientValidateServerCertificate(accepted); });
}

void TConnGUI::LoadImage(int Idx, const std::string& ImageUrl) {
  FImageLoader->Start(FConnectionsViewList.ImageRequests(Idx), ImageUrl);
}

void TConnGUI::ImageRequestRequestCompleted(const TImageRequest& Sender,
                                            const THttpResponse& AResponse) {
  const int tile = FConnectionsViewList.IndexOfImageRequest(&Sender);
  if (tile < 0) return;  // the tile was removed by a refresh while its request ran
  if (AResponse.ContentType().starts_with("image")) {
    if (!FView.SetTileImage(tile, AResponse.Body)) return;  // undecodable: as a failed request
  } else {
    FView.SetTileImageUnknown(tile);
  }
  ++FImageLoadCount;
  if (FImageLoadCount >= FConnectionsViewList.Count()) {
    HideIndicator();
    FitConnViewsToImages();
  }
}

void TConnGUI::NetHTTPClientValidateServerCertificate(bool& Accepted) {
  if (FServices.Dialogs.ConfirmWarning(sImageCertificatePrompt)) Accepted = true;
}

void TConnGUI::HideIndicator() {
  FView.ShowIndicator(false);
}
