#include "common/responsive_wait.h"

#include <cstdint>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

namespace orvane {

namespace {

bool g_quitting = false;
std::vector<QEventLoop*> g_running_waits;  // innermost last

// Notices QCoreApplication::quit(): it reaches the application object as a Quit event.
// Busy pauses run no QEventLoop of their own, so this is how they learn of it.
class QuitWatcher : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) {
      quit_all_waits();
    }
    return false;
  }
};

void watch_for_quit() {
  static QuitWatcher* watcher = nullptr;
  QCoreApplication* app = QCoreApplication::instance();
  if (watcher != nullptr || app == nullptr) return;
  watcher = new QuitWatcher;
  watcher->setParent(app);
  app->installEventFilter(watcher);
}

bool shutting_down() {
  return g_quitting || QCoreApplication::closingDown() || QCoreApplication::instance() == nullptr;
}

std::int64_t ms_per_unit(int unit) {
  switch (unit) {
    case 0:
      return 1;
    case 1:
      return 1000;
    case 2:
      return 60000;
    case 3:
      return 3600000;
    default:
      return unit;
  }
}

}  // namespace

void quit_all_waits() {
  g_quitting = true;
  for (QEventLoop* loop : g_running_waits) loop->exit(-1);
}

bool waits_quitting() { return shutting_down(); }

bool wait_responsive(int interval, int unit) {
  if (shutting_down()) return false;
  const std::int64_t ms = static_cast<std::int64_t>(interval) * ms_per_unit(unit);
  if (ms <= 0) return true;
  watch_for_quit();

  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  bool fired = false;
  QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
    fired = true;
    loop.quit();
  });
  // QTimer takes an int: longer intervals run as a chain of whole-int steps.
  std::int64_t left = ms;
  while (!fired && !shutting_down()) {
    const std::int64_t step = left > INT32_MAX ? INT32_MAX : left;
    left -= step;
    timer.start(static_cast<int>(step));
    g_running_waits.push_back(&loop);
    loop.exec();
    g_running_waits.pop_back();
    if (fired && left > 0) fired = false;
    if (!fired && timer.isActive()) break;  // the loop ended without its timer: quitting
  }
  if (!fired) {
    g_quitting = true;  // exec() returned early: the application is quitting
    return false;
  }
  return true;
}

void process_pending_events() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void pump_events_for(int ms) {
  if (ms <= 0) return;
  watch_for_quit();
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    process_pending_events();
    process_pending_events();
    // Nanoseconds: a millisecond clock would overshoot every pause by up to 1 ms.
    if (clock.nsecsElapsed() > std::int64_t{ms} * 1000000 || shutting_down()) return;
    process_pending_events();
    process_pending_events();
  }
}

}  // namespace orvane
