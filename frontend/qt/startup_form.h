#pragma once

#include <QWidget>
#include <functional>

#include "common/application.h"
#include "common/dialogs.h"
#include "startup/conn_startup.h"

// The invisible start-up form: its showing runs the decision sequence inside the event loop.
class TConnStartupForm : public QWidget, public IStartupHost {
  Q_OBJECT
 public:
  using TWindowFactory = std::function<void()>;

  TConnStartupForm(TAppConfig& config, TQXConnection& conn, IDialogs& dialogs, IApplication& app,
                   TWindowFactory showWindow);

  void Terminate() override;
  void ShowConnectionWindow() override;
  void CloseStartupForm() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TConnStartup FStartup;
  IDialogs& FDialogs;
  IApplication& FApp;
  TWindowFactory FShowWindow;
  bool FShown = false;
};
