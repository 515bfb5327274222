// Child process of window_bench: shows either the program's window or a bare window of
// the same size, then prints when it was first exposed (CLOCK_MONOTONIC, ns) and its
// resident memory, and exits.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

#include "app/main_window.h"

namespace {

long long monotonic_ns() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

long resident_kib() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      long kib = 0;
      status >> kib;
      return kib;
    }
    status.ignore(1 << 12, '\n');
  }
  return -1;
}

class FirstShown : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !m_done) {
      m_done = true;
      const long long shown = monotonic_ns();
      QTimer::singleShot(200, [shown] {
        std::printf("%lld %ld\n", shown, resident_kib());
        std::fflush(stdout);
        QCoreApplication::quit();
      });
    }
    return false;
  }

 private:
  bool m_done = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  QApplication app(argc, argv);
  FirstShown watcher;
  if (std::strcmp(argv[1], "bare") == 0) {
    QWidget bare;
    bare.setFixedSize(850, 550);
    bare.installEventFilter(&watcher);
    bare.show();
    return app.exec();
  }
  orvane::MainWindow window(orvane::Endpoints{argv[2], argv[2]});
  window.installEventFilter(&watcher);
  window.start();
  return app.exec();
}
