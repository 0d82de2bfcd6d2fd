#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "common/app_version_info.h"
#include "common/application.h"
#include "common/dialogs.h"
#include "common/http_client.h"
#include "common/launch_files.h"
#include "common/shell.h"
#include "common/system_info.h"
#include "common/uri.h"
#include "connect/conn_records.h"
#include "connect/status_defs.h"

// What the connection needs of the world. Every member must outlive the connection.
struct TConnectionServices {
  IHttpClientFactory& Http;
  IURIParser& Uri;
  ISystemInfo& System;
  IDialogs& Dialogs;
  const TAppResVersionInfo& VersionInfo;
  // Needed by the session launch only.
  IShell* Shell = nullptr;
  ILaunchFiles* Files = nullptr;
  // Without an application the launch pause sleeps without processing GUI events.
  IApplication* App = nullptr;
};

inline constexpr std::chrono::milliseconds kQueryConnectTimeout{30000};
inline constexpr std::chrono::milliseconds kQueryResponseTimeout{30000};
inline constexpr int kQueryMaxRedirects = 5;

// How long one query may wait for the service.
struct TQueryTimeouts {
  std::chrono::milliseconds Connect = kQueryConnectTimeout;
  std::chrono::milliseconds Response = kQueryResponseTimeout;
};

inline constexpr std::chrono::milliseconds kLaunchConnectTimeout{60000};
inline constexpr std::chrono::milliseconds kLaunchResponseTimeout{60000};
inline constexpr int kLaunchMaxRedirects = 5;

// The waits of a session launch.
struct TLaunchTimings {
  std::chrono::milliseconds ConnectTimeout = kLaunchConnectTimeout;
  std::chrono::milliseconds ResponseTimeout = kLaunchResponseTimeout;
  // About two seconds for the RDP client to start, with the GUI kept responsive.
  int StartPauseRounds = 40;
  std::chrono::milliseconds StartPauseRound{50};
  std::chrono::milliseconds ReleasePoll{100};
  // The wait for the RDP client to let go of the file blocks the GUI, so it has an end.
  std::chrono::milliseconds ReleaseWaitBound{30000};
  // An RDP file is a few KiB; anything larger is not one.
  size_t MaxRdpFileBytes = 16 * 1024 * 1024;
};

// The client of the connection query service, and the list of connections of its last answer.
class TQXConnection {
 public:
  explicit TQXConnection(TConnectionServices services, TQueryTimeouts timeouts = {},
                         TLaunchTimings launchTimings = {});

  // Queries the service; an empty argument stands for the stored default of the same name. On the
  // two early returns (no URL or account; a URL that fails the check) `result` stays as supplied.
  void Connect(TConnResponse& result, const std::string& Mode = {}, const std::string& Url = {},
               const std::string& AccountNum = {}, const std::string& QXUser = {});
  TConnResponse Connect() {
    TConnResponse result;
    Connect(result);
    return result;
  }

  // Launches the entry (or, given UseActiveConnResponse, the active connection): true when a
  // launch was handed to the shell. Refusals and failures are shown to the user.
  bool Redirect(const TConnResponse& Response);
  bool Redirect();

  TConnResponse ActiveResponse() const;
  TConnResponse GetConn(int32_t Index) const;
  void ResetConnections();

  bool IsResponseUnknown() const { return FResponseStatus == TResponseStatus::rstUnknown; }
  bool ResponseContainsComm() const { return FResponseStatus == TResponseStatus::rstCommunication; }
  bool IsBadRequest() const { return FResponseStatus == TResponseStatus::rstBadRequest; }
  bool IsURLNotFound() const { return FResponseStatus == TResponseStatus::rstNotFound; }
  bool IsParamRejected() const { return !FResponseParamRejects.Empty(); }
  bool IsParamRejectFatal() const;
  bool IsAccountInvalid() const;
  bool IsClientVerFatal() const;
  bool IsClientVerWarning() const;

  TResponseStatus ResponseStatus() const { return FResponseStatus; }
  TConnParamRejects ResponseParamRejects() const { return FResponseParamRejects; }
  TConnRejectFatals ResponseFatals() const { return FResponseParamFatals; }
  const std::string& StatusDetail() const { return FStatusDetail; }
  bool BlockLaunch() const { return FBlockLaunch; }
  int32_t ActiveConnection() const { return FActiveConnection; }
  bool UseMultiConn() const { return FUseMultiConn; }
  const std::vector<int32_t>& ConnPriority() const { return FConnPriority; }
  const TStatusDefs& StatusDefs() const { return FStatusDefs; }
  const std::vector<std::string>& Messages() const { return FMessages; }
  // The messages each followed by CR LF, as the start-up sequence shows them.
  std::string MessagesText() const;
  // The worst status that counts.
  TConnStatus Status() const;
  int32_t Count() const { return int32_t(FConnections.size()); }

  const std::string& ConnectMode() const { return FConnectMode; }
  void SetConnectMode(const std::string& v) { FConnectMode = v; }
  const std::string& ConnectUrl() const { return FConnectUrl; }
  void SetConnectUrl(const std::string& v) { FConnectUrl = v; }
  const std::string& AccountNumber() const { return FAccountNumber; }
  void SetAccountNumber(const std::string& v) { FAccountNumber = v; }
  const std::string& QXUserName() const { return FQXUserName; }
  void SetQXUserName(const std::string& v) { FQXUserName = v; }

  // Fills the fields from the service's answer.
  friend class TConnectAnswerReader;

 private:
  void ConfirmCertificate(bool& accepted);
  std::string BuildRequestUrl(const TURI& uri, const std::string& mode, const std::string& account,
                              const std::string& user);
  void Exchange(const std::string& requestUrl, TConnResponse& result);
  void ClassifyAnswer(const THttpResponse& answer, const std::string& requestUrl,
                      TConnResponse& result);
  void ReadAnswer(const THttpResponse& answer, const std::string& requestUrl,
                  TConnResponse& result);
  void RecordFailedExchange(TConnResponse& result);

  bool DownloadAndOpen(IHttpClient& client, const TURI& uri, const TConnResponse& given);
  void GiveClientTimeToStart();
  void WaitForRelease(IFileUseWatch& watch, const std::string& fileName);
  std::string GetRDPFileName(const TConnResponse& Response);
  THttpClientSettings LaunchClientSettings();
  IShell& Shell();
  ILaunchFiles& Files();

  TConnectionServices FServices;
  TQueryTimeouts FTimeouts;
  TLaunchTimings FLaunchTimings;
  std::mt19937 FRandom;
  std::vector<TConnResponse> FConnections;

  TResponseStatus FResponseStatus = TResponseStatus::rstUnknown;
  TConnParamRejects FResponseParamRejects;
  TConnRejectFatals FResponseParamFatals;
  std::string FConnectMode;
  std::string FConnectUrl;
  std::string FAccountNumber;
  std::string FQXUserName;
  TConnStatus FStatus;
  std::string FStatusDetail;
  bool FBlockLaunch = false;
  int32_t FActiveConnection = -1;
  bool FUseMultiConn = false;
  std::vector<int32_t> FConnPriority;
  TStatusDefs FStatusDefs;
  std::vector<std::string> FMessages;
  bool FUseRandomRDPFileName = false;
};
