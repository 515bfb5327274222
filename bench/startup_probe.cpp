// Child process of window_bench, the program's own window against the given host.
//   startup_probe window HOST         print "<first paint ns> <resident KiB>" and exit
//   startup_probe idle HOST S AFTER   AFTER is "start" (just shown) or "search" (after a
//                                     search and a check of its rows); then idle for S
//                                     seconds and print "<cpu ms> <timer events> <events>"
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QApplication>
#include <QKeyEvent>
#include <QMap>
#include <QTimer>

#include "app/keyword_edit.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "app/wrap_button.h"
#include "bench/probe_common.h"

namespace {

// Counts what wakes the idle window's thread, skipping the probe's own end timer.
class WakeCounter : public QObject {
 public:
  explicit WakeCounter(const QObject* own_timer) : m_own_timer(own_timer) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == m_own_timer) return false;
    ++m_events;
    if (event->type() == QEvent::Timer) {
      ++m_timer_events;
      ++m_by_receiver[QString::fromLatin1(watched->metaObject()->className()) + u' ' +
                      watched->objectName()];
    }
    return false;
  }
  long timer_events() const { return m_timer_events; }
  long events() const { return m_events; }
  void report() const {
    for (auto it = m_by_receiver.begin(); it != m_by_receiver.end(); ++it)
      std::fprintf(stderr, "idle timer events: %ld to %s\n", it.value(), qPrintable(it.key()));
  }

 private:
  const QObject* m_own_timer;
  long m_timer_events = 0;
  long m_events = 0;
  QMap<QString, long> m_by_receiver;
};

void search_and_check(orvane::MainWindow& window) {
  window.keyword_box()->setText(QStringLiteral("book"));
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  QCoreApplication::sendEvent(window.keyword_box(), &enter);
  window.check_button()->click();
}

int idle(orvane::MainWindow& window, int seconds, bool after_search) {
  if (after_search) search_and_check(window);
  // Let the last repaints of the shown window go through before counting.
  QTimer settle;
  settle.setSingleShot(true);
  QObject::connect(&settle, &QTimer::timeout, qApp, &QCoreApplication::quit);
  settle.start(500);
  QCoreApplication::exec();

  QTimer end;
  end.setSingleShot(true);
  QObject::connect(&end, &QTimer::timeout, qApp, &QCoreApplication::quit);
  WakeCounter counter(&end);
  qApp->installEventFilter(&counter);
  const double cpu_before = orvane::bench::process_cpu_ms();
  end.start(seconds * 1000);
  QCoreApplication::exec();
  const double cpu = orvane::bench::process_cpu_ms() - cpu_before;
  qApp->removeEventFilter(&counter);
  counter.report();
  std::printf("%.3f %ld %ld\n", cpu, counter.timer_events(), counter.events());
  std::fflush(stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  QApplication app(argc, argv);
  orvane::set_message_observer([](const QString&) {});
  orvane::MainWindow window(orvane::Endpoints{argv[2], argv[2]});
  if (std::strcmp(argv[1], "idle") == 0) {
    if (argc < 5) return 2;
    window.start();
    return idle(window, std::atoi(argv[3]), std::strcmp(argv[4], "search") == 0);
  }
  orvane::bench::FirstShown watcher;
  window.installEventFilter(&watcher);
  window.start();
  return app.exec();
}
