#include "activity_indicator.h"

#include <QPainter>

TActivityIndicator::TActivityIndicator(QWidget* parent) : QWidget(parent) {
  setFixedSize(kSize, kSize);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  FTimer.setInterval(kFrameMillis);
  connect(&FTimer, &QTimer::timeout, this, [this] {
    FFrame = (FFrame + 1) % kDots;
    update();
  });
}

void TActivityIndicator::StartAnimation() {
  FTimer.start();
}

void TActivityIndicator::StopAnimation() {
  FTimer.stop();
}

void TActivityIndicator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(width() / 2.0, height() / 2.0);
  const qreal ring = kSize * 0.36;
  const qreal dot = kSize * 0.07;
  // The highlight colour shows on the dark status banner and on the window's background alike.
  const QColor base = palette().color(QPalette::Highlight);
  for (int i = 0; i < kDots; ++i) {
    // Dots trail behind the leading one, fading with their distance from it.
    const int behind = (FFrame - i + kDots) % kDots;
    QColor color = base;
    color.setAlphaF(1.0 - 0.8 * behind / (kDots - 1.0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.save();
    painter.rotate(360.0 * i / kDots);
    painter.drawEllipse(QPointF(0.0, -ring), dot, dot);
    painter.restore();
  }
}
