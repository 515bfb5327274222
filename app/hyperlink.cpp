#include "app/hyperlink.h"

#include <QMouseEvent>
#include <QPainter>

#include "app/browser.h"

namespace orvane {

HyperLink::HyperLink(const QString& text, const Colors& colors, QWidget* parent)
    : QWidget(parent), m_text(text), m_colors(colors) {
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::NoFocus);
}

void HyperLink::setText(const QString& text) {
  m_text = text;
  update();
}

void HyperLink::set_address(const QString& address) {
  m_address = address;
  update();
}

QColor HyperLink::current_color() const {
  if (m_hovered) return m_colors.hover;
  return m_visited ? m_colors.visited : m_colors.normal;
}

void HyperLink::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Button));
  painter.setPen(current_color());
  const QString caption = m_text.isEmpty() ? m_address : m_text;
  painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, caption);
}

void HyperLink::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  open();
}

void HyperLink::open() {
  // An empty address opens nothing and leaves the link not visited.
  m_visited = !m_address.isEmpty() && open_in_browser_with_fallback(m_address);
  update();
}

void HyperLink::enterEvent(QEnterEvent*) {
  m_hovered = true;
  update();
}

void HyperLink::leaveEvent(QEvent*) {
  m_hovered = false;
  update();
}

}  // namespace orvane
