#pragma once

#include <QColor>
#include <QWidget>

namespace orvane {

// Web link drawn by the program: caption centred in the normal, hover or visited
// colour; opens its address on the left-button press.
class HyperLink : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString text READ text WRITE setText)

 public:
  struct Colors {
    QColor normal, hover, visited;
  };
  HyperLink(const QString& text, const Colors& colors, QWidget* parent = nullptr);
  QString text() const { return m_text; }
  void setText(const QString& text);
  QString address() const { return m_address; }
  void set_address(const QString& address);
  bool visited() const { return m_visited; }
  bool hovered() const { return m_hovered; }
  QColor current_color() const;
  // Opens the address as a left press does (assistive tools use it too).
  void open();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QString m_text;
  QString m_address;
  Colors m_colors;
  bool m_visited = false;
  bool m_hovered = false;
  int m_opens = 0;  // presses so far: only the latest one's outcome is kept
};

}  // namespace orvane
