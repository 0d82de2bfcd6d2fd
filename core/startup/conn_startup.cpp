#include "startup/conn_startup.h"

#include "common/text.h"

void TConnStartup::FormShow() {
  TAppConfig& config = FServices.Config;
  TQXConnection& conn = FServices.Conn;
  config.Initialize();

  TConnResponse response;
  int communicationRepeats = 0;
  for (;;) {
    if (!config.CanConnect() || config.ShowHelp()) {
      FServices.Host.Terminate();
      return;
    }
    conn.SetConnectMode(config.ConnectMode());
    conn.SetConnectUrl(config.ConnectUrl());
    conn.SetAccountNumber(config.AccountNumber());
    conn.SetQXUserName(config.QXUserName());
    conn.Connect(response);

    TPassOutcome outcome = Examine(response);
    if (outcome == TPassOutcome::Terminated) return;
    if (outcome == TPassOutcome::Launch) break;
    if (response == ResetConnResponse) {
      communicationRepeats = 0;
    } else if (++communicationRepeats > kMaxCommunicationRepeats) {
      EndWithError(sInvalidResponseMessage);
      return;
    }
  }
  LaunchOrShowWindow(response);
}

TConnStartup::TPassOutcome TConnStartup::Examine(TConnResponse& response) {
  TQXConnection& conn = FServices.Conn;
  if (conn.IsURLNotFound()) {
    EndWithError(NotFoundMessage());
    return TPassOutcome::Terminated;
  }
  if (conn.IsBadRequest()) {
    EndWithError(BadRequestMessage());
    return TPassOutcome::Terminated;
  }
  if (!conn.ResponseContainsComm() && !(response.IsValid() && !conn.IsResponseUnknown())) {
    EndWithError(sInvalidResponseMessage);
    return TPassOutcome::Terminated;
  }

  if (conn.IsAccountInvalid()) {
    FServices.Config.PromptForAccount(AccountInvalidPrompt());
    FServices.Config.ValidateConnect();
    response = ResetConnResponse;
  } else if (conn.IsParamRejectFatal()) {
    const std::string text = FatalRejectMessage(response.IsValid());
    if (!text.empty()) FServices.Dialogs.ShowMessage(TMsgDlgType::mtError, text);
    if (!response.IsValid()) {
      FServices.Host.Terminate();
      return TPassOutcome::Terminated;
    }
  } else if (conn.IsParamRejected()) {
    FServices.Dialogs.ShowMessage(TMsgDlgType::mtWarning, RejectWarningMessage());
  }
  return response.IsValid() ? TPassOutcome::Launch : TPassOutcome::Repeat;
}

void TConnStartup::LaunchOrShowWindow(const TConnResponse& response) {
  TAppConfig& config = FServices.Config;
  TQXConnection& conn = FServices.Conn;
  config.UpdateConfig(conn);
  const bool windowWanted =
      conn.UseMultiConn() || config.ShowStatus() || config.ShowGui() || config.UseMultiConnect();
  if (conn.IsParamRejectFatal() || !windowWanted) {
    conn.Redirect(response);
  } else {
    FServices.Host.ShowConnectionWindow();
  }
  FServices.Host.CloseStartupForm();
}

void TConnStartup::EndWithError(const std::string& text) {
  FServices.Dialogs.ShowMessage(TMsgDlgType::mtError, text);
  FServices.Host.Terminate();
}

std::string TConnStartup::NotFoundMessage() {
  std::string text = std::string("Received a not found Response from the server when trying") +
                     " to access the following URL:" + sLineBreak;
  const std::string& url = FServices.Config.ConnectUrl();
  if (!url.empty()) text += std::string(sLineBreak) + "Connect URL: " + url;
  return text;
}

std::string TConnStartup::BadRequestMessage() {
  TAppConfig& config = FServices.Config;
  std::string text =
      std::string(
          "Received 'Bad Request' Response from the server when trying to access using the "
          "following information:") +
      sLineBreak;
  text += std::string(sLineBreak) +
          "Pellanor Product Version: " + FServices.VersionInfo.ProductVersion.AsString();
  text += std::string(sLineBreak) +
          "Pellanor File Version: " + FServices.VersionInfo.FileVersion.AsString();
  auto addLine = [&text](const char* label, const std::string& value) {
    if (!value.empty()) text += std::string(sLineBreak) + label + value;
  };
  addLine("Connect URL: ", config.ConnectUrl());
  addLine("Account #: ", config.AccountNumber());
  addLine("QX User Name: ", config.QXUserName());
  return text;
}

std::string TConnStartup::AccountInvalidPrompt() {
  return "The Account '" + FServices.Config.AccountNumber() + "' is invalid. " +
         "Please enter a valid Account to connect.";
}

std::string TConnStartup::FatalRejectMessage(bool responseValid) const {
  std::string text;
  const std::string messages = FServices.Conn.MessagesText();
  if (!messages.empty()) text = messages + sLineBreak;
  if (!responseValid) text += "The connection will now terminate.";
  return text;
}

std::string TConnStartup::RejectWarningMessage() const {
  std::string text;
  const std::string messages = FServices.Conn.MessagesText();
  if (!messages.empty()) text = messages + sLineBreak;
  return text + "Click OK to continue connecting.";
}
