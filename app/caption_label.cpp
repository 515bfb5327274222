#include "app/caption_label.h"

#include <QAccessible>
#include <QPainter>

namespace orvane {

CaptionLabel::CaptionLabel(const QString& text, QWidget* parent) : QWidget(parent), m_text(text) {
  setFocusPolicy(Qt::NoFocus);
}

void CaptionLabel::setText(const QString& text) {
  m_text = text;
  repaint_now();
  QAccessibleEvent changed(this, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&changed);
}

void CaptionLabel::set_text_color(const QColor& color) {
  m_color = color;
  repaint_now();
}

void CaptionLabel::repaint_now() {
  if (isVisible()) repaint();
}

void CaptionLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Button));
  painter.setPen(m_color);
  painter.setClipRect(rect());
  painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_text);
}

}  // namespace orvane
