#include <QApplication>

#include "app/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Ties the window to its menu entry (Wayland app id, task bar icon).
  QGuiApplication::setDesktopFileName(QStringLiteral("example.vellix.Orvane"));
  orvane::MainWindow window({ORVANE_API_HOST, ORVANE_WEB_HOST});
  window.start();
  // Closed during start-up: there is no loop left to run.
  if (window.is_closed()) return 0;
  return app.exec();
}
