#include "connect/qx_connection.h"

#include <utility>

#include "common/text.h"
#include "common/user_agent.h"
#include "connect/connect_answer.h"

namespace {

constexpr const char* sInvalidCertificatePrompt = "Invalid Certificate!  Continue?";
constexpr const char* sErrorStatusName = "Error";
constexpr const char* sUnableToConnect = "Unable to connect to Cloud.";

int DefaultPort(const std::string& scheme) {
  return scheme == "https" ? 443 : 80;
}

// The path without one leading and one trailing "/".
std::string TrimmedPath(std::string path) {
  if (!path.empty() && path.front() == '/') path.erase(0, 1);
  if (!path.empty() && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

TQXConnection::TQXConnection(TConnectionServices services, TQueryTimeouts timeouts,
                             TLaunchTimings launchTimings)
    : FServices(services),
      FTimeouts(timeouts),
      FLaunchTimings(launchTimings),
      FRandom(std::random_device{}()) {}

void TQXConnection::Connect(TConnResponse& result, const std::string& Mode, const std::string& Url,
                            const std::string& AccountNum, const std::string& QXUser) {
  ResetConnections();
  const std::string url = Url.empty() ? FConnectUrl : Url;
  const std::string account = AccountNum.empty() ? FAccountNumber : AccountNum;
  if (url.empty() || account.empty()) return;
  const std::string mode = Mode.empty() ? FConnectMode : Mode;
  const std::string user = QXUser.empty() ? FQXUserName : QXUser;
  if (!IsValidURL(FServices.Uri, url)) return;
  Exchange(BuildRequestUrl(FServices.Uri.Parse(url), mode, account, user), result);
}

std::string TQXConnection::BuildRequestUrl(const TURI& uri, const std::string& mode,
                                           const std::string& account, const std::string& user) {
  std::vector<std::pair<std::string, std::string>> parameters;
  if (!mode.empty()) parameters.emplace_back("mode", mode);
  parameters.emplace_back("accountnum", account);
  parameters.emplace_back("username", user);
  parameters.emplace_back("osinfo", FormatOSDescription(FServices.System.OSVersion()));
  parameters.emplace_back("clientver", FServices.VersionInfo.ProductVersion.AsString() + ";" +
                                           FServices.VersionInfo.FileVersion.AsString());
  parameters.emplace_back("hostname", FServices.System.HostName());

  std::string query = uri.Query;
  for (const auto& [name, value] : parameters) {
    if (!query.empty()) query += "&";
    query +=
        FServices.Uri.EncodeQueryComponent(name) + "=" + FServices.Uri.EncodeQueryComponent(value);
  }

  const int port = uri.Port != 0 ? uri.Port : DefaultPort(uri.Scheme);
  const std::string baseUrl = uri.Scheme + "://" + uri.Host + ":" + std::to_string(port) + "/";
  const std::string path = TrimmedPath(uri.Path);
  // A URL that names no path has nowhere to put the query: the base URL is asked alone.
  if (path.empty()) return baseUrl;
  return baseUrl + path + "/?" + query;
}

void TQXConnection::Exchange(const std::string& requestUrl, TConnResponse& result) {
  THttpClientSettings settings;
  settings.UserAgent = sUserAgent;
  settings.FollowRedirects = true;
  settings.MaxRedirects = kQueryMaxRedirects;
  settings.ConnectTimeout = FTimeouts.Connect;
  settings.ResponseTimeout = FTimeouts.Response;
  settings.OnInvalidCertificate = [this](bool& accepted) { ConfirmCertificate(accepted); };
  std::unique_ptr<IHttpClient> client = FServices.Http.Create(settings);
  THttpResponse answer;
  try {
    answer = client->Get(requestUrl);
  } catch (const EHttpError&) {
    RecordFailedExchange(result);
    return;
  }
  ClassifyAnswer(answer, requestUrl, result);
}

void TQXConnection::ClassifyAnswer(const THttpResponse& answer, const std::string& requestUrl,
                                   TConnResponse& result) {
  switch (answer.StatusCode) {
    case 200:
      FResponseStatus = TResponseStatus::rstOk;
      ReadAnswer(answer, requestUrl, result);
      return;
    case 406:
      FResponseStatus = TResponseStatus::rstCommunication;
      ReadAnswer(answer, requestUrl, result);
      return;
    case 400:
      FResponseStatus = TResponseStatus::rstBadRequest;
      result = InvalidConnResponse;
      return;
    case 404:
      FResponseStatus = TResponseStatus::rstNotFound;
      result = InvalidConnResponse;
      return;
  }
  if (answer.StatusCode >= 500) {
    RecordFailedExchange(result);
    return;
  }
  FResponseStatus = TResponseStatus::rstUnknown;
  result = UnknownConnResponse;
}

void TQXConnection::ReadAnswer(const THttpResponse& answer, const std::string& requestUrl,
                               TConnResponse& result) {
  if (TConnectAnswerReader::Read(answer.Body, requestUrl, *this) == TAnswerOutcome::aoFailed) {
    RecordFailedExchange(result);
    return;
  }
  result = ActiveResponse();
}

void TQXConnection::RecordFailedExchange(TConnResponse& result) {
  FResponseStatus = TResponseStatus::rstUnknown;
  result = InvalidConnResponse;
  result.Status.Name = sErrorStatusName;
  result.StatusDetail = sUnableToConnect;
}

void TQXConnection::ConfirmCertificate(bool& accepted) {
  if (FServices.Dialogs.ConfirmWarning(sInvalidCertificatePrompt)) accepted = true;
}

TConnResponse TQXConnection::ActiveResponse() const {
  if (FActiveConnection < 0 || FActiveConnection >= Count()) return InvalidConnResponse;
  TConnResponse response = FConnections[size_t(FActiveConnection)];
  if (!FUseMultiConn && FStatus.Id > response.Status.Id) response.Status = FStatus;
  return response;
}

TConnResponse TQXConnection::GetConn(int32_t Index) const {
  if (Index < 0 || Index >= Count()) return InvalidConnResponse;
  return FConnections[size_t(Index)];
}

TConnStatus TQXConnection::Status() const {
  TConnStatus worst = FStatus;
  if (FUseMultiConn) {
    for (const TConnResponse& connection : FConnections)
      if (connection.Status.Id > worst.Id) worst = connection.Status;
  } else if (FActiveConnection >= 0 && FActiveConnection < Count()) {
    const TConnStatus& active = FConnections[size_t(FActiveConnection)].Status;
    if (active.Id > worst.Id) worst = active;
  }
  return worst;
}

void TQXConnection::ResetConnections() {
  FResponseStatus = TResponseStatus::rstUnknown;
  FResponseParamRejects = {};
  FResponseParamFatals = {};
  FStatus = UnknownConnStatus;
  FStatusDetail.clear();
  FBlockLaunch = false;
  FUseMultiConn = false;
  FActiveConnection = -1;
  FConnPriority.clear();
  FStatusDefs.Clear();
  FMessages.clear();
  FConnections.clear();
}

bool TQXConnection::IsParamRejectFatal() const {
  for (unsigned n = 0; n <= static_cast<unsigned>(TConnParamReject::cprOther); ++n)
    if (FResponseParamRejects.ContainsOrdinal(n) && FResponseParamFatals.ContainsOrdinal(n))
      return true;
  return false;
}

bool TQXConnection::IsAccountInvalid() const {
  return FResponseParamRejects.Contains(TConnParamReject::cprAccountNum) &&
         FResponseParamFatals.Contains(TConnRejectFatal::crfAccountNum);
}

bool TQXConnection::IsClientVerFatal() const {
  return FResponseParamRejects.Contains(TConnParamReject::cprClientVer) &&
         FResponseParamFatals.Contains(TConnRejectFatal::crfClientVer);
}

bool TQXConnection::IsClientVerWarning() const {
  return FResponseParamRejects.Contains(TConnParamReject::cprClientVer);
}

std::string TQXConnection::MessagesText() const {
  std::string text;
  for (const std::string& message : FMessages) text += message + sLineBreak;
  return text;
}
