// The hidden web view: a background request on the window's event loop that never blocks
// it, is replaced by the next one, ends on its own against any server and then leaves
// nothing running.
#include <QtTest>

#include <QElapsedTimer>
#include <QSocketNotifier>

#include <memory>

#include "app/stats_page.h"
#include "common/fetch.h"
#include "tests/ui/window_fixture.h"

using namespace orvane;
using namespace orvane::test;
using namespace std::chrono_literals;

namespace {

// Counts what wakes the thread: timers and socket activity.
class WakeCounter : public QObject {
 public:
  int wakes = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Timer || event->type() == QEvent::SockAct) ++wakes;
    return false;
  }
};

bool finishes(const StatsPageLoader& view, int within_ms) {
  QElapsedTimer clock;
  clock.start();
  while (view.loading() && clock.elapsed() < within_ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QTest::qSleep(1);
  }
  return !view.loading();
}

QString stats_address(const ScriptedServer& server) {
  return QString::fromStdString(server.base_url() + "/tj.html?ver=1.0");
}

}  // namespace

class StatsPageTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    FetchLimits limits;
    limits.stall_timeout_s = 1;
    limits.max_body_bytes = 64 * 1024;
    set_fetch_limits(limits);
  }
  void cleanup() { set_fetch_limits(FetchLimits{}); }

  void loads_without_blocking_the_thread();
  void new_load_replaces_a_running_one();
  void ends_against_hostile_servers_data();
  void ends_against_hostile_servers();
  void unusable_addresses_start_nothing_data();
  void unusable_addresses_start_nothing();
  void nothing_wakes_the_thread_once_done();
  void destroyed_while_loading();
  void hung_stats_page_does_not_hold_up_start_up();
};

void StatsPageTest::loads_without_blocking_the_thread() {
  ScriptedServer server;
  server.on("/tj.html", Script().sleep(300ms).send(Reply::head(200) + "<html></html>"));
  StatsPageLoader view;
  QElapsedTimer clock;
  clock.start();
  view.load(stats_address(server));
  QVERIFY(view.loading());
  QVERIFY(clock.elapsed() < 300);  // the reply is still on its way
  QVERIFY(finishes(view, 5000));
  QVERIFY(clock.elapsed() >= 290);
  const std::vector<Request> requests = server.requests();
  QCOMPARE(requests.size(), std::size_t{1});
  QCOMPARE(requests[0].method, std::string("GET"));
  QCOMPARE(requests[0].target, std::string("/tj.html?ver=1.0"));
  QCOMPARE(requests[0].header("User-Agent"),
           std::string("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"));
  QCOMPARE(view.requests_started(), 1);
}

void StatsPageTest::new_load_replaces_a_running_one() {
  ScriptedServer server;
  int served = 0;
  server.on("/tj.html", [&served](const Request&) {
    return served++ == 0 ? Script().hang() : Reply::ok("<html></html>");
  });
  StatsPageLoader view;
  view.load(stats_address(server));
  QTRY_COMPARE_WITH_TIMEOUT(server.connection_count(), std::size_t{1}, 3000);
  view.load(stats_address(server));
  // The hung first request is dropped: the second one ends the only transfer there is.
  QVERIFY(finishes(view, 800));
  QCOMPARE(server.connection_count(), std::size_t{2});
  QCOMPARE(view.requests_started(), 2);
}

void StatsPageTest::ends_against_hostile_servers_data() {
  QTest::addColumn<int>("kind");
  QTest::newRow("accepts, never answers") << 0;
  QTest::newRow("headers, then stalls") << 1;
  QTest::newRow("endless body") << 2;
  QTest::newRow("reset mid-body") << 3;
  QTest::newRow("redirect loop") << 4;
  QTest::newRow("nothing listening") << 5;
}

void StatsPageTest::ends_against_hostile_servers() {
  QFETCH(int, kind);
  ScriptedServer server;
  const std::string head = Reply::head(200);
  switch (kind) {
    case 0:
      server.on("/tj.html", Script().hang());
      break;
    case 1:
      server.on("/tj.html", Reply::headers_then_hang(head));
      break;
    case 2:
      server.on("/tj.html",
                Script().send(head).endless(std::string(4096, 'x'), std::size_t{1} << 40));
      break;
    case 3:
      server.on("/tj.html", Script().send(head + "<html>").reset());
      break;
    case 4:
      server.on("/tj.html", Reply::redirect(server.base_url() + "/tj.html"));
      break;
    default:
      break;
  }
  StatsPageLoader view;
  const QString address =
      kind == 5 ? QStringLiteral("http://127.0.0.1:1/tj.html?ver=1.0") : stats_address(server);
  view.load(address);
  // The stall limit is 1 s here; the body cap is 64 KiB; at most 10 redirects are followed.
  QVERIFY(finishes(view, 8000));
  if (kind == 4) QCOMPARE(server.connection_count(), std::size_t{11});
}

void StatsPageTest::unusable_addresses_start_nothing_data() {
  QTest::addColumn<QString>("address");
  QTest::newRow("empty") << QString();
  QTest::newRow("not http") << QStringLiteral("ftp://127.0.0.1/tj.html");
  QTest::newRow("a space") << QStringLiteral("http://127.0.0.1/tj.html?ver=1 0");
  QTest::newRow("a line break") << QStringLiteral("http://127.0.0.1/tj.html\r\nX: y");
}

void StatsPageTest::unusable_addresses_start_nothing() {
  QFETCH(QString, address);
  StatsPageLoader view;
  view.load(address);
  QVERIFY(!view.loading());
  QCOMPARE(view.address(), address);
  QCOMPARE(view.requests_started(), 1);
}

void StatsPageTest::nothing_wakes_the_thread_once_done() {
  ScriptedServer server;
  server.on("/tj.html", Reply::ok("<html></html>"));
  StatsPageLoader view;
  view.load(stats_address(server));
  QVERIFY(finishes(view, 5000));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QVERIFY(view.findChildren<QSocketNotifier*>().isEmpty());
  WakeCounter counter;
  qApp->installEventFilter(&counter);
  QTest::qWait(500);
  qApp->removeEventFilter(&counter);
  QCOMPARE(counter.wakes, 0);
}

void StatsPageTest::destroyed_while_loading() {
  set_fetch_limits(FetchLimits{});  // the real 20 s stall limit: only the destruction ends it
  ScriptedServer server;
  server.on("/tj.html", Script().hang());
  auto view = std::make_unique<StatsPageLoader>();
  view->load(stats_address(server));
  QTRY_COMPARE_WITH_TIMEOUT(server.connection_count(), std::size_t{1}, 3000);
  QCOMPARE(server.peer_closed_count(), std::size_t{0});
  view.reset();
  // The hung connection is closed with the view, not left to the stall limit.
  QVERIFY(server.wait_for_peer_closes(1, 5000ms));
  // No notifier or timer of the dead view may fire into it.
  QTest::qWait(100);
}

void StatsPageTest::hung_stats_page_does_not_hold_up_start_up() {
  set_fetch_limits(FetchLimits{});  // the real 20 s stall limit
  WindowFixture f;
  f.server.on("/tj.html", Script().hang());
  QElapsedTimer clock;
  clock.start();
  MainWindow& w = f.start();
  QVERIFY(w.isVisible());
  QVERIFY(clock.elapsed() >= 200);  // the two waits
  QVERIFY(clock.elapsed() < 20000);
  QVERIFY(w.web_view()->loading());
}

QTEST_MAIN(StatsPageTest)
#include "stats_page_test.moc"
