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
  if (m_address.isEmpty()) {
    m_visited = false;
    update();
    return;
  }
  // Drawn visited at once: a browser may keep its opener running for as long as it is
  // open. An open that turns out to have failed puts the normal colour back.
  m_visited = true;
  const int attempt = ++m_opens;
  open_in_browser_with_fallback(m_address, this, [this, attempt](bool opened) {
    if (attempt != m_opens) return;  // a later press decides
    m_visited = opened;
    update();
  });
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
