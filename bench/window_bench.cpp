// What a user waits for in the window: start-up beside a bare Qt window, the fill of the
// results list beyond its 10 ms pauses, and the processor time a share check uses.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>

#include <sys/resource.h>
#include <sys/wait.h>
#include <spawn.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "app/main_window.h"
#include "app/message_box.h"
#include "app/results_list.h"
#include "check/share_check.h"
#include "search/results_fill.h"
#include "search/search_reply.h"
#include "tests/support/scripted_server.h"

extern char** environ;

namespace {

namespace Reply = orvane::test::Reply;
using orvane::test::ScriptedServer;

long long monotonic_ns() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

double cpu_seconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Starts the probe, returns {ms from spawn to first paint, resident KiB}.
std::pair<double, long> run_probe(const char* mode, const std::string& host) {
  int out[2];
  if (pipe(out) != 0) return {-1, -1};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::string probe = STARTUP_PROBE;
  char* args[] = {probe.data(), const_cast<char*>(mode), const_cast<char*>(host.c_str()), nullptr};
  const long long started = monotonic_ns();
  pid_t pid = 0;
  posix_spawn(&pid, probe.c_str(), &actions, nullptr, args, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  FILE* reader = fdopen(out[0], "r");
  long long shown = 0;
  long rss = 0;
  const bool ok = std::fscanf(reader, "%lld %ld", &shown, &rss) == 2;
  std::fclose(reader);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!ok) return {-1, -1};
  return {(shown - started) / 1e6, rss};
}

void startup(benchmark::State& state, const char* mode) {
  ScriptedServer server;
  server.on("/version.txt", Reply::ok("1.0"));
  server.on("/tj.html", Reply::ok("<html></html>"));
  double total_ms = 0;
  long rss = 0;
  for (auto _ : state) {
    auto [ms, kib] = run_probe(mode, server.base_url());
    if (ms < 0) {
      state.SkipWithError("probe failed");
      return;
    }
    state.SetIterationTime(ms / 1000.0);
    total_ms += ms;
    rss = kib;
  }
  state.counters["first_shown_ms"] = total_ms / state.iterations();
  state.counters["rss_MiB"] = rss / 1024.0;
}

void BM_StartupBareWindow(benchmark::State& state) { startup(state, "bare"); }
void BM_StartupProgram(benchmark::State& state) { startup(state, "window"); }
BENCHMARK(BM_StartupBareWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StartupProgram)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

std::string reply_of(int count) {
  std::string reply = "[";
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    reply += "{\"title\":\"\\u4e2d\\u6587 book " + n +
             "\",\"catid\":\"1\",\"filetype\":\"rar\",\"filesize\":\"12M\",\"hits\":\"" + n +
             "\",\"sharexiazai\":\"" + n + "\",\"url\":\"s" + n + "\"},";
  }
  return reply + "]";
}

// The fill of 200 rows: what it costs beyond its mandated 200 x 10 ms.
void BM_Fill200RowsBeyondPauses(benchmark::State& state) {
  ScriptedServer server;
  server.on("/version.txt", Reply::ok("1.0"));
  orvane::MainWindow window(orvane::Endpoints{server.base_url(), server.base_url()});
  window.start();
  const std::string reply = reply_of(200);
  double overhead_ms = 0;
  for (auto _ : state) {
    window.results_list()->delete_all_rows();
    orvane::SearchReplyReader records(reply);
    QElapsedTimer clock;
    clock.start();
    orvane::fill_results_list(window, records);
    const double ms = clock.nsecsElapsed() / 1e6;
    state.SetIterationTime(ms / 1000.0);
    overhead_ms += ms - 200 * 10.0;
  }
  state.counters["beyond_floor_ms"] = overhead_ms / state.iterations();
  state.counters["beyond_floor_pct"] = 100.0 * overhead_ms / state.iterations() / 2000.0;
}
BENCHMARK(BM_Fill200RowsBeyondPauses)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// A 20-row check: its processor time beside its wall time (the waits must sleep).
void BM_Check20Rows(benchmark::State& state) {
  ScriptedServer server;
  server.on("/version.txt", Reply::ok("1.0"));
  server.set_default(Reply::ok("<html>share page</html>"));
  orvane::MainWindow window(orvane::Endpoints{server.base_url(), server.base_url()});
  window.start();
  for (int i = 0; i < 20; ++i)
    window.results_list()->set_cell(window.results_list()->append_row(), 6,
                                    "s" + std::to_string(i));
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    const double cpu_before = cpu_seconds();
    orvane::check_all_shares(window);
    const double cpu = cpu_seconds() - cpu_before;
    const double wall = clock.nsecsElapsed() / 1e9;
    state.SetIterationTime(wall);
    state.counters["cpu_s"] = cpu;
    state.counters["cpu_pct_of_wall"] = 100.0 * cpu / wall;
    state.counters["beyond_floor_ms"] = (wall - 20.0) * 1000.0;
  }
}
BENCHMARK(BM_Check20Rows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  orvane::set_message_observer([](const QString&) {});
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
