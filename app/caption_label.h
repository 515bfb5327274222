#pragma once

#include <QColor>
#include <QWidget>

namespace orvane {

// Label drawn by the program: filled with the button-face colour, caption on one line,
// left-aligned, vertically centred, cut at the right edge.
class CaptionLabel : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString text READ text WRITE setText)

 public:
  explicit CaptionLabel(const QString& text, QWidget* parent = nullptr);
  QString text() const { return m_text; }
  void setText(const QString& text);
  QColor text_color() const { return m_color; }
  void set_text_color(const QColor& color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void repaint_now();

  QString m_text;
  QColor m_color{0, 0, 0};
};

}  // namespace orvane
