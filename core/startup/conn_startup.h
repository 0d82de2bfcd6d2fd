#pragma once

#include "common/app_version_info.h"
#include "common/dialogs.h"
#include "config/app_config.h"
#include "connect/qx_connection.h"

// What the decision sequence asks of the application around it.
class IStartupHost {
 public:
  virtual ~IStartupHost() = default;
  virtual void Terminate() = 0;
  // Creates the connection window, makes it the main window and shows it.
  virtual void ShowConnectionWindow() = 0;
  // Closes the start-up form; while it is still the main window this ends the program.
  virtual void CloseStartupForm() = 0;
};

struct TStartupServices {
  TAppConfig& Config;
  TQXConnection& Conn;
  IDialogs& Dialogs;
  IStartupHost& Host;
  const TAppResVersionInfo& VersionInfo;
};

// The start-up form's logic: turns the configuration and the service's answer into one ending.
class TConnStartup {
 public:
  // A 406 answer without a usable connection is asked again at most this many times in a row
  // before the program gives up with the invalid-response message.
  static constexpr int kMaxCommunicationRepeats = 3;

  explicit TConnStartup(TStartupServices services) : FServices(services) {}

  // Runs the whole decision sequence; called once, when the start-up form is shown.
  void FormShow();

  std::string NotFoundMessage();
  std::string BadRequestMessage();
  std::string AccountInvalidPrompt();
  std::string FatalRejectMessage(bool responseValid) const;
  std::string RejectWarningMessage() const;

 private:
  enum class TPassOutcome { Terminated, Repeat, Launch };
  TPassOutcome Examine(TConnResponse& response);
  void EndWithError(const std::string& text);
  void LaunchOrShowWindow(const TConnResponse& response);

  TStartupServices FServices;
};

inline constexpr const char* sInvalidResponseMessage =
    "Received an invalid response from the server.";
