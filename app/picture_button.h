#pragma once

#include <QImage>
#include <QWidget>

namespace orvane {

// Button that shows a picture per state (normal, hover, pressed, disabled) at its
// top-left corner on black. Emits clicked() when the left button is released over it
// while enabled; a disabled one takes no mouse input.
class PictureButton : public QWidget {
  Q_OBJECT

 public:
  enum class State { Normal, Hover, Pressed };
  struct Pictures {
    QImage normal, hover, pressed, disabled;
  };
  PictureButton(const Pictures& pictures, QWidget* parent = nullptr);
  State state() const { return m_state; }
  const QImage& shown_picture() const;
  // Emits clicked() when enabled, as a release over the button does (assistive tools).
  void click();
  // The left button is held by a press that began elsewhere, and Qt keeps the mouse with
  // that widget: the window says whether the pointer is over this button. Pressed
  // picture while it is; no click follows.
  void follow_held_pointer(bool over);

 signals:
  void clicked();
  void mouse_moved();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void set_state(State state);
  void follow_pointer(const QPointF& pos, Qt::MouseButtons buttons);

  Pictures m_pictures;
  State m_state = State::Normal;
};

}  // namespace orvane
