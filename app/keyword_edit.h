#pragma once

#include <QLineEdit>

namespace orvane {

// 关键字搜索框: one-line edit that turns letters into lower case however they arrive.
// Emits enter_pressed() for Enter or Return with any modifiers.
class KeywordEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit KeywordEdit(QWidget* parent = nullptr);

 signals:
  void enter_pressed();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void lower_letters(const QString& text);
};

}  // namespace orvane
