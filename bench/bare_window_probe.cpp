// Child process of window_bench: a bare Qt window of the program's size, linked against
// Qt Widgets alone, so the comparison carries none of the program's libraries.
#include <QApplication>
#include <QWidget>

#include "bench/probe_common.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  orvane::bench::FirstShown watcher;
  QWidget bare;
  bare.setFixedSize(850, 550);
  bare.installEventFilter(&watcher);
  bare.show();
  return app.exec();
}
