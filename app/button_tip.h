#pragma once

#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QTimer>

namespace orvane {

// The window's one tooltip: each registration is (button, text); the tip shows after
// the usual hover delay, centred below its button, and goes when the pointer leaves.
// Registering the same button again changes nothing: one tip, however often.
class ButtonTip : public QLabel {
  Q_OBJECT

 public:
  explicit ButtonTip(QWidget* owner);
  void register_tool(QWidget* tool, const QString& text);
  QWidget* current_tool() const { return m_tool; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void show_for_current();
  void withdraw();

  QHash<QWidget*, QString> m_texts;
  QPointer<QWidget> m_tool;
  QTimer m_delay;
};

}  // namespace orvane
