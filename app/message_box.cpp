#include "app/message_box.h"

#include <utility>

#include <QMessageBox>

#include "common/codepage.h"

namespace orvane {

namespace {

std::function<void(const QString&)>& observer() {
  static std::function<void(const QString&)> current;
  return current;
}

}  // namespace

void show_message(const std::string& gbk_text) {
  show_message(QString::fromStdString(gbk_to_utf8(gbk_text)));
}

void show_message(const QString& text) {
  if (observer()) {
    // A copy: the observer may replace itself while it runs.
    const auto current = observer();
    current(text);
    return;
  }
  QMessageBox box;
  box.setWindowTitle(QStringLiteral("Vellix提示："));
  box.setTextFormat(Qt::PlainText);
  box.setText(text);
  box.setIcon(QMessageBox::NoIcon);
  box.setStandardButtons(QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void set_message_observer(std::function<void(const QString&)> observer_function) {
  observer() = std::move(observer_function);
}

}  // namespace orvane
