#pragma once

#include <QTimer>
#include <QWidget>

// A small spinner: a ring of dots whose brightest dot runs round while it animates.
class TActivityIndicator : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kSize = 32;
  static constexpr int kDots = 12;
  static constexpr int kFrameMillis = 80;

  explicit TActivityIndicator(QWidget* parent = nullptr);

  void StartAnimation();
  void StopAnimation();
  bool IsAnimating() const { return FTimer.isActive(); }
  int Frame() const { return FFrame; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QTimer FTimer;
  int FFrame = 0;
};
