#include "qt_application.h"

#include <QCoreApplication>

void TQtApplication::Terminate() {
  QCoreApplication::quit();
}

void TQtApplication::ProcessPendingEvents() {
  QCoreApplication::processEvents();
}
