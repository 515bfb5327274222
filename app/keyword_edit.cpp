#include "app/keyword_edit.h"

#include <algorithm>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace orvane {

namespace {

const QString& placeholder() {
  static const QString text = QStringLiteral("请输入关键字");
  return text;
}

}  // namespace

KeywordEdit::KeywordEdit(QWidget* parent) : QLineEdit(parent) {
  setFrame(false);
  setTextMargins(1, 1, 1, 1);
  // Typed, pasted, dropped or composed: every user edit passes through textEdited.
  connect(this, &QLineEdit::textEdited, this, &KeywordEdit::lower_letters);
}

void KeywordEdit::lower_letters(const QString& text) {
  const QString lower = text.toLower();
  if (lower == text) return;
  const int cursor = cursorPosition();
  setText(lower);
  setCursorPosition(std::min(cursor, int(lower.size())));
}

void KeywordEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) emit enter_pressed();
  QLineEdit::keyPressEvent(event);
}

void KeywordEdit::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && text() == placeholder()) clear();
  QLineEdit::mousePressEvent(event);
}

void KeywordEdit::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace orvane
