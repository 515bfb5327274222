#pragma once

// Shared by the child probes that window_bench starts: when the window was first painted,
// and what the process holds once it is.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

namespace orvane::bench {

inline long long monotonic_ns() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

inline long resident_kib() {
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

inline double process_cpu_ms() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// For finding where the memory goes: a copy of /proc/self/smaps, when
// ORVANE_PROBE_SMAPS names a file.
inline void save_mappings() {
  const char* path = std::getenv("ORVANE_PROBE_SMAPS");
  if (path == nullptr) return;
  std::ifstream in("/proc/self/smaps");
  std::ofstream out(path);
  out << in.rdbuf();
}

// Prints "<first paint, CLOCK_MONOTONIC ns> <resident KiB>" once the window has settled
// (200 ms after its first paint, so late allocations of the first frame count), then quits.
class FirstShown : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !m_done) {
      m_done = true;
      const long long shown = monotonic_ns();
      QTimer::singleShot(200, [shown] {
        std::printf("%lld %ld\n", shown, resident_kib());
        save_mappings();
        std::fflush(stdout);
        QCoreApplication::quit();
      });
    }
    return false;
  }

 private:
  bool m_done = false;
};

}  // namespace orvane::bench
