#include "tile_widgets.h"

#include <QEnterEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "gui/conn_gui_view.h"

TTileButton::TTileButton(const QString& text, const QPixmap& blockedSign, QWidget* parent)
    : QPushButton(text, parent),
      FBlockedSign(blockedSign),
      FIcon(new QLabel(this)),
      FText(new QLabel(text, this)) {
  setIconSize(blockedSign.size());
  FIcon->setObjectName(QStringLiteral("icon"));
  FIcon->setPixmap(blockedSign);
  FIcon->setFixedSize(blockedSign.size());
  FIcon->hide();
  FText->setObjectName(QStringLiteral("text"));
  FText->setWordWrap(true);
  FText->setAlignment(Qt::AlignCenter);
  for (QLabel* label : {FIcon, FText}) label->setAttribute(Qt::WA_TransparentForMouseEvents);
  FTextPalette = FText->palette();
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->setSpacing(4);
  layout->addWidget(FIcon);
  layout->addWidget(FText, 1);
}

void TTileButton::SetImageIndex(int index) {
  FImageIndex = index;
  const bool blocked = index == kBlockedImageIndex;
  setIcon(blocked ? QIcon(FBlockedSign) : QIcon());
  FIcon->setVisible(blocked);
}

void TTileButton::SetTextBold(bool bold) {
  QFont font = FText->font();
  font.setBold(bold);
  FText->setFont(font);
}

void TTileButton::enterEvent(QEnterEvent* event) {
  QPushButton::enterEvent(event);
  QPalette hover = FTextPalette;
  for (auto group : {QPalette::Active, QPalette::Inactive})
    hover.setColor(group, QPalette::WindowText, kHoverTextColor);
  FText->setPalette(hover);
}

void TTileButton::leaveEvent(QEvent* event) {
  QPushButton::leaveEvent(event);
  FText->setPalette(FTextPalette);
}

// The style draws the button's frame only: its text and icon are the labels inside it.
void TTileButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  option.icon = QIcon();
  painter.drawControl(QStyle::CE_PushButton, option);
}

TTileImage::TTileImage(QWidget* parent) : QLabel(parent) {
  setFocusPolicy(Qt::NoFocus);
  setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void TTileImage::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    emit clicked();
}
