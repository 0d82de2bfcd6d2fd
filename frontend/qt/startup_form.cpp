#include "startup_form.h"

#include <QTimer>

#include "common/error_handling.h"

TConnStartupForm::TConnStartupForm(TAppConfig& config, TQXConnection& conn, IDialogs& dialogs,
                                   IApplication& app, TWindowFactory showWindow)
    : FStartup(TStartupServices{config, conn, dialogs, *this, AppResVersionInfo}),
      FDialogs(dialogs),
      FApp(app),
      FShowWindow(std::move(showWindow)) {
  setObjectName(QStringLiteral("ConnStartup"));
  setWindowTitle(QStringLiteral("Initializing Pellanor..."));
  setWindowFlags(Qt::FramelessWindowHint);
  setAttribute(Qt::WA_TranslucentBackground);
  resize(229, 51);
}

void TConnStartupForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (FShown) return;
  FShown = true;
  // Run once the show has completed and the event loop is running, so that terminating works.
  QTimer::singleShot(0, this, [this] {
    RunHandler(FDialogs, [this] { FStartup.FormShow(); });
    // An error out of the sequence would leave this invisible form as the main window for ever.
    if (isVisible()) close();
  });
}

void TConnStartupForm::Terminate() {
  FApp.Terminate();
}

void TConnStartupForm::ShowConnectionWindow() {
  if (FShowWindow) FShowWindow();
}

void TConnStartupForm::CloseStartupForm() {
  close();
}
