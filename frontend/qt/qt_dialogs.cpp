#include "qt_dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

namespace {

QString ToDisplay(const std::string& text) {
  return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Runs `work` on the GUI thread and waits for it.
template <typename F>
auto OnGuiThread(F work) {
  if (QThread::currentThread() == qApp->thread()) return work();
  decltype(work()) result{};
  QMetaObject::invokeMethod(
      qApp, [&] { result = work(); }, Qt::BlockingQueuedConnection);
  return result;
}

QMessageBox::Icon IconOf(TMsgDlgType kind) {
  switch (kind) {
    case TMsgDlgType::mtError:
      return QMessageBox::Critical;
    case TMsgDlgType::mtWarning:
      return QMessageBox::Warning;
    case TMsgDlgType::mtInformation:
      break;
  }
  return QMessageBox::Information;
}

QString TitleOf(TMsgDlgType kind) {
  switch (kind) {
    case TMsgDlgType::mtError:
      return QStringLiteral("Error");
    case TMsgDlgType::mtWarning:
      return QStringLiteral("Warning");
    case TMsgDlgType::mtInformation:
      break;
  }
  return QStringLiteral("Information");
}

}  // namespace

void TQtDialogs::ShowMessage(TMsgDlgType kind, const std::string& text) {
  OnGuiThread([&] {
    QMessageBox box(IconOf(kind), TitleOf(kind), ToDisplay(text), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("MessageDialog"));
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return 0;
  });
}

bool TQtDialogs::ConfirmWarning(const std::string& text) {
  return OnGuiThread([&] {
    QMessageBox box(QMessageBox::Warning, TitleOf(TMsgDlgType::mtWarning), ToDisplay(text),
                    QMessageBox::Yes | QMessageBox::No);
    box.setObjectName(QStringLiteral("ConfirmDialog"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
  });
}

std::string TQtDialogs::InputQuery(const std::string& caption, const std::string& prompt,
                                   const std::string& initial) {
  return OnGuiThread([&] {
    QInputDialog dialog;
    dialog.setObjectName(QStringLiteral("InputDialog"));
    dialog.setWindowTitle(QString::fromStdString(caption));
    dialog.setLabelText(ToDisplay(prompt));
    dialog.setTextValue(QString::fromStdString(initial));
    return dialog.exec() == QDialog::Accepted ? dialog.textValue().toStdString() : initial;
  });
}
