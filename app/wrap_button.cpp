#include "app/wrap_button.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace orvane {

WrapButton::WrapButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
  setAutoDefault(false);
  setDefault(false);
}

void WrapButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();  // the bevel only; the caption is drawn wrapped below
  painter.drawControl(QStyle::CE_PushButton, option);
  const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
  painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, text());
}

}  // namespace orvane
