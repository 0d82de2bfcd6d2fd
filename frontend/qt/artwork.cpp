#include "artwork.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kBannerGrey(0x3a, 0x3d, 0x42);
const QColor kBannerEdge(0x26, 0x28, 0x2b);
const QColor kSignRed(0xd3, 0x2f, 0x2f);

QImage TransparentCanvas(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

void DrawQuestionBadge(QPainter& painter, const QRectF& box) {
  painter.setPen(QPen(Qt::white, 3.0));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(box);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setPixelSize(qRound(box.height() * 0.62));
  painter.setFont(font);
  painter.drawText(box, Qt::AlignCenter, QStringLiteral("?"));
}

// The largest type up to 22 pixels in which the words fit the box.
void DrawCaption(QPainter& painter, const QRectF& box) {
  const QString caption = QStringLiteral("Cloud Status Unknown");
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  for (int pixels = 22; pixels > 8; --pixels) {
    font.setPixelSize(pixels);
    if (QFontMetricsF(font).horizontalAdvance(caption) <= box.width()) break;
  }
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, caption);
}

}  // namespace

QPixmap StatusUnknownImage() {
  QImage image = TransparentCanvas(kStatusUnknownImageWidth, kStatusUnknownImageHeight);
  QPainter painter(&image);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
  const QRectF banner(0.5, 0.5, kStatusUnknownImageWidth - 1.0, kStatusUnknownImageHeight - 1.0);
  painter.setPen(QPen(kBannerEdge, 1.0));
  painter.setBrush(kBannerGrey);
  painter.drawRoundedRect(banner, 6.0, 6.0);
  const qreal badge = 40.0;
  const qreal margin = (kStatusUnknownImageHeight - badge) / 2.0;
  DrawQuestionBadge(painter, QRectF(margin + 4.0, margin, badge, badge));
  const qreal textLeft = margin + 4.0 + badge + 14.0;
  DrawCaption(painter, QRectF(textLeft, 0.0, kStatusUnknownImageWidth - textLeft - 8.0,
                              kStatusUnknownImageHeight));
  painter.end();
  return QPixmap::fromImage(image);
}

QPixmap BlockedSign() {
  QImage image = TransparentCanvas(kBlockedSignSize, kBlockedSignSize);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kSignRed);
  painter.drawEllipse(QRectF(0.5, 0.5, kBlockedSignSize - 1.0, kBlockedSignSize - 1.0));
  painter.setBrush(Qt::white);
  const qreal barHeight = kBlockedSignSize * 0.18;
  painter.drawRoundedRect(QRectF(kBlockedSignSize * 0.2, (kBlockedSignSize - barHeight) / 2.0,
                                 kBlockedSignSize * 0.6, barHeight),
                          1.0, 1.0);
  painter.end();
  return QPixmap::fromImage(image);
}
