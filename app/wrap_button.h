#pragma once

#include <QPushButton>

namespace orvane {

// Push button whose caption is centred and wraps onto further lines when it is wider
// than the button (the share check writes long progress captions into it).
class WrapButton : public QPushButton {
  Q_OBJECT

 public:
  explicit WrapButton(const QString& text, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace orvane
