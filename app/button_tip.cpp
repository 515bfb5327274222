#include "app/button_tip.h"

#include <QApplication>
#include <QEvent>
#include <QStyle>

namespace orvane {

ButtonTip::ButtonTip(QWidget* owner) : QLabel(owner, Qt::ToolTip | Qt::FramelessWindowHint) {
  setTextFormat(Qt::PlainText);  // shown literally: no accelerators, no markup
  setWordWrap(false);
  setForegroundRole(QPalette::ToolTipText);
  setBackgroundRole(QPalette::ToolTipBase);
  setAutoFillBackground(true);
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setMargin(2);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  m_delay.setSingleShot(true);
  m_delay.setInterval(style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, this));
  connect(&m_delay, &QTimer::timeout, this, &ButtonTip::show_for_current);
}

void ButtonTip::register_tool(QWidget* tool, const QString& text) {
  if (tool == nullptr) return;
  if (!m_texts.contains(tool)) tool->installEventFilter(this);
  m_texts.insert(tool, text);
  if (m_tool == tool && (isVisible() || m_delay.isActive())) return;
  m_tool = tool;
  m_delay.start();
}

void ButtonTip::show_for_current() {
  if (m_tool == nullptr || !m_tool->isVisible()) return;
  setText(m_texts.value(m_tool));
  adjustSize();
  const QPoint bottom_centre = m_tool->mapToGlobal(QPoint(m_tool->width() / 2, m_tool->height()));
  move(bottom_centre.x() - width() / 2, bottom_centre.y());
  show();
}

void ButtonTip::withdraw() {
  m_delay.stop();
  hide();
  m_tool = nullptr;
}

// Activation plays no part: the chrome of a window in the background is explained too.
bool ButtonTip::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_tool) {
    switch (event->type()) {
      case QEvent::Leave:
      case QEvent::Hide:
      case QEvent::MouseButtonPress:
        withdraw();
        break;
      default:
        break;
    }
  }
  return QLabel::eventFilter(watched, event);
}

}  // namespace orvane
