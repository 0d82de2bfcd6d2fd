#pragma once

#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>

// A tile's button: its text word-wraps and turns royal blue while the pointer is over it; the
// blocked sign, when set, stands beside the text.
class TTileButton : public QPushButton {
  Q_OBJECT
 public:
  static inline const QColor kHoverTextColor{0x41, 0x69, 0xe1};

  TTileButton(const QString& text, const QPixmap& blockedSign, QWidget* parent);

  void SetImageIndex(int index);
  int ImageIndex() const { return FImageIndex; }
  QLabel* TextLabel() const { return FText; }
  QLabel* IconLabel() const { return FIcon; }
  void SetTextBold(bool bold);

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap FBlockedSign;
  QLabel* FIcon;
  QLabel* FText;
  QPalette FTextPalette;
  int FImageIndex = -1;
};

// A tile's status image; a click on it is reported.
class TTileImage : public QLabel {
  Q_OBJECT
 public:
  explicit TTileImage(QWidget* parent);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};
