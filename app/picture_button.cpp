#include "app/picture_button.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace orvane {

PictureButton::PictureButton(const Pictures& pictures, QWidget* parent)
    : QWidget(parent), m_pictures(pictures) {
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
}

const QImage& PictureButton::shown_picture() const {
  if (!isEnabled() && !m_pictures.disabled.isNull()) return m_pictures.disabled;
  const QImage* own = &m_pictures.normal;
  if (m_state == State::Hover) own = &m_pictures.hover;
  if (m_state == State::Pressed) own = &m_pictures.pressed;
  return own->isNull() ? m_pictures.normal : *own;
}

void PictureButton::click() {
  if (isEnabled()) emit clicked();
}

void PictureButton::follow_held_pointer(bool over) {
  if (isEnabled()) set_state(over ? State::Pressed : State::Normal);
}

void PictureButton::set_state(State state) {
  if (m_state == state) return;
  m_state = state;
  update();
}

void PictureButton::follow_pointer(const QPointF& pos, Qt::MouseButtons buttons) {
  if (!rect().contains(pos.toPoint())) {
    set_state(State::Normal);
  } else {
    set_state(buttons & Qt::LeftButton ? State::Pressed : State::Hover);
  }
}

void PictureButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  painter.drawImage(QPointF(0, 0), shown_picture());
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  set_state(State::Pressed);
}

void PictureButton::mouseMoveEvent(QMouseEvent* event) {
  follow_pointer(event->position(), event->buttons());
  if (rect().contains(event->position().toPoint())) emit mouse_moved();
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const bool over = rect().contains(event->position().toPoint());
  set_state(State::Normal);
  if (over && isEnabled()) emit clicked();
}

// A disabled button keeps the state it had, whatever the pointer does.
void PictureButton::enterEvent(QEnterEvent* event) {
  if (isEnabled()) follow_pointer(event->position(), event->buttons());
}

void PictureButton::leaveEvent(QEvent*) {
  if (isEnabled()) set_state(State::Normal);
}

void PictureButton::changeEvent(QEvent* event) {
  // A disabled button lets presses fall through to the window, which starts a move.
  if (event->type() == QEvent::EnabledChange) {
    setAttribute(Qt::WA_TransparentForMouseEvents, !isEnabled());
    update();
  }
  QWidget::changeEvent(event);
}

}  // namespace orvane
