// Hostile servers behind the start-up version fetch, the search and the share check,
// driven through the real window with shortened fetch limits: every operation ends
// within the limits, the window stays up, and the state is the one the program gives
// for an empty or a partial reply.
#include <QElapsedTimer>
#include <QtTest>

#include <random>

#include "app/assets.h"
#include "app/caption_label.h"
#include "app/hyperlink.h"
#include "app/picture_box.h"
#include "app/picture_button.h"
#include "app/results_list.h"
#include "app/wrap_button.h"
#include "check/share_check.h"
#include "common/fetch.h"
#include "search/search_command.h"
#include "tests/ui/window_fixture.h"

using namespace orvane;
using namespace orvane::test;

namespace {

// Limits for this test: a stalled server is given up after about a second, a body after
// 1 MiB. The total limit is far above both, so it never ends a case here.
constexpr long kTotalLimitS = 40;

FetchLimits test_limits() {
  FetchLimits limits;
  limits.connect_timeout_ms = 1000;
  limits.stall_timeout_s = 1;
  limits.total_timeout_s = kTotalLimitS;
  limits.max_body_bytes = 1u << 20;
  return limits;
}

// Below the total limit, so a stalled server that only the total limit ended fails the case.
// Above the stall limit by its averaging window (it counts from when the last few seconds
// averaged under 1 byte/s), the check's one-second wait, the start-up waits and slack for a
// loaded machine.
constexpr qint64 kHangBoundMs = 16000;
static_assert(kHangBoundMs < kTotalLimitS * 1000);

enum class Operation { version, search, check };

// The good body each operation expects, and its path on the service.
struct Target {
  std::string path;
  std::string body;     // the whole reply
  std::string partial;  // a prefix of it that a cut-short transfer delivers
};

std::string search_reply() { return reply_of(4); }

// Two whole records of the four, and the start of the third.
std::string search_prefix() {
  const std::string reply = search_reply();
  std::size_t at = 0;
  for (int i = 0; i < 3; ++i) at = reply.find("{\"title\"", at + 1);
  return reply.substr(0, at + 12);
}

// The not-found marker comes late in the page, so a page cut short never holds it.
std::string share_page() {
  return "<html><body>" + std::string(3000, ' ') + "<div class=\"share_nofound_des\"></div>";
}

Target target_of(Operation op) {
  switch (op) {
    case Operation::version:
      return {"/version.txt", "1.1", "1."};
    case Operation::search:
      return {"/s/", search_reply(), search_prefix()};
    case Operation::check:
      return {"/go/x", share_page(), share_page().substr(0, 1000)};
  }
  return {};
}

std::string random_bytes(std::size_t count) {
  std::mt19937 gen(7);
  std::string bytes(count, '\0');
  for (char& c : bytes) c = char(gen() & 0xFF);
  bytes[0] = '\x8F';  // never "H" of a status line
  return bytes;
}

const std::string kFiller(64 * 1024, 'x');

// What a hostile server does for the target path.
enum class Hostile {
  never_answers,
  headers_then_stall,
  part_then_stall,
  trickle_forever,
  endless_body,
  length_10_gib,
  beyond_cap,
  redirect_loop,
  redirect_file,
  redirect_ftp,
  redirect_other_port,
  reset_mid_body,
  binary_garbage,
  header_line_1_mib,
  tls_on_plain_port,
};

Script script_for(Hostile hostile, const Target& target, const ScriptedServer& server,
                  const ScriptedServer& other) {
  const std::string url = server.base_url() + target.path;
  switch (hostile) {
    case Hostile::never_answers:
      return Script().hang();
    case Hostile::headers_then_stall:
      return Reply::headers_then_hang(Reply::head(200, "Content-Type: text/html\r\n"));
    case Hostile::part_then_stall:
      return Script()
          .send(Reply::head(200, "Content-Length: " + std::to_string(target.body.size()) + "\r\n") +
                target.partial)
          .hang();
    case Hostile::trickle_forever:
      return Script().send(Reply::head(200)).trickle(target.body + kFiller, Millis(1500));
    case Hostile::endless_body:
      return Script().send(Reply::head(200) + target.partial).endless(kFiller, 64u << 20);
    case Hostile::length_10_gib:
      return Script().send(Reply::head(200, "Content-Length: 10737418240\r\n") + target.body);
    case Hostile::beyond_cap:
      return Script().send(Reply::head(200) + target.body).endless(kFiller, 4u << 20);
    case Hostile::redirect_loop:
      return Reply::redirect(url);
    case Hostile::redirect_file:
      return Reply::redirect("file:///etc/hostname");
    case Hostile::redirect_ftp:
      return Reply::redirect("ftp://127.0.0.1:" + std::to_string(other.port()) + "/x");
    case Hostile::redirect_other_port:
      return Reply::redirect(other.base_url() + target.path);
    case Hostile::reset_mid_body:
      return Script()
          .send(Reply::head(
                    200, "Content-Length: " + std::to_string(target.body.size() + 500) + "\r\n") +
                target.partial)
          .sleep(Millis(100))
          .reset();
    case Hostile::binary_garbage:
      return Reply::raw(random_bytes(4096));
    case Hostile::header_line_1_mib:
      return Reply::raw("HTTP/1.0 200 OK\r\nX-Padding: " + std::string(1u << 20, 'a') + "\r\n\r\n" +
                        target.body);
    case Hostile::tls_on_plain_port:
      return Reply::ok(target.body);  // never reached by a TLS client as such
  }
  return Script();
}

// How each operation ends, in the terms the program shows.
enum class Outcome {
  current_version,     // version: current-version caption, no upgrade link
  newer_version,       // version: the reply announced as a newer version
  connection_problem,  // search: the connection-problem picture, list hidden
  empty_list,          // search: a visible list with no rows
  partial_rows,        // search: the two whole records before the cut
  all_rows,            // search: all four records
  unknown,             // check: "未知"
  invalid,             // check: "失效" (the marker arrived)
};

const char* outcome_name(Outcome outcome) {
  switch (outcome) {
    case Outcome::current_version:
      return "current-version caption";
    case Outcome::newer_version:
      return "newer-version caption";
    case Outcome::connection_problem:
      return "connection-problem picture";
    case Outcome::empty_list:
      return "empty visible list";
    case Outcome::partial_rows:
      return "the 2 whole records before the cut";
    case Outcome::all_rows:
      return "all 4 records";
    case Outcome::unknown:
      return "unknown";
    case Outcome::invalid:
      return "invalid";
  }
  return "";
}

const std::string kStatusInvalid = "\xCA\xA7\xD0\xA7";
const std::string kStatusUnknown = "\xCE\xB4\xD6\xAA";

}  // namespace

Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(Hostile)
Q_DECLARE_METATYPE(Outcome)

class HostileServerTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { set_fetch_limits(test_limits()); }
  void cleanupTestCase() { set_fetch_limits(FetchLimits{}); }
  void operation_ends_in_bounded_time_data();
  void operation_ends_in_bounded_time();
};

void HostileServerTest::operation_ends_in_bounded_time_data() {
  QTest::addColumn<Operation>("op");
  QTest::addColumn<Hostile>("hostile");
  QTest::addColumn<Outcome>("outcome");
  QTest::addColumn<qint64>("at_least_ms");  // the limit that has to cut it

  using H = Hostile;
  using O = Outcome;
  struct Case {
    const char* name;
    Hostile hostile;
    Outcome version, search, check;
    qint64 at_least_ms;
  };
  // A cut-short transfer is used as far as it got, except where it would claim more
  // than it saw: a cut version reply is no version, a cut share page proves nothing.
  const Case cases[] = {
      {"never answers", H::never_answers, O::current_version, O::connection_problem, O::unknown,
       900},
      {"headers then stall", H::headers_then_stall, O::current_version, O::connection_problem,
       O::unknown, 900},
      {"part of the body then stall", H::part_then_stall, O::current_version, O::partial_rows,
       O::unknown, 900},
      {"trickle for ever", H::trickle_forever, O::current_version, O::empty_list, O::unknown, 900},
      {"endless body", H::endless_body, O::current_version, O::partial_rows, O::unknown, 0},
      {"content-length 10 GiB", H::length_10_gib, O::newer_version, O::all_rows, O::invalid, 0},
      {"body far beyond the cap", H::beyond_cap, O::current_version, O::all_rows, O::invalid, 0},
      {"redirect loop", H::redirect_loop, O::current_version, O::connection_problem, O::unknown, 0},
      {"redirect to file://", H::redirect_file, O::current_version, O::connection_problem,
       O::unknown, 0},
      {"redirect to ftp://", H::redirect_ftp, O::current_version, O::connection_problem, O::unknown,
       0},
      {"redirect to another loopback port", H::redirect_other_port, O::newer_version, O::all_rows,
       O::invalid, 0},
      {"reset mid-body", H::reset_mid_body, O::current_version, O::partial_rows, O::unknown, 0},
      {"binary garbage", H::binary_garbage, O::current_version, O::connection_problem, O::unknown,
       0},
      {"header line of 1 MiB", H::header_line_1_mib, O::current_version, O::connection_problem,
       O::unknown, 0},
      {"https host on a plain port", H::tls_on_plain_port, O::current_version,
       O::connection_problem, O::unknown, 0},
  };
  for (const Case& c : cases) {
    QTest::addRow("version: %s", c.name)
        << Operation::version << c.hostile << c.version << c.at_least_ms;
    QTest::addRow("search: %s", c.name)
        << Operation::search << c.hostile << c.search << c.at_least_ms;
    QTest::addRow("check: %s", c.name) << Operation::check << c.hostile << c.check << c.at_least_ms;
  }
}

void HostileServerTest::operation_ends_in_bounded_time() {
  QFETCH(Operation, op);
  QFETCH(Hostile, hostile);
  QFETCH(Outcome, outcome);
  QFETCH(qint64, at_least_ms);

  WindowFixture f;
  ScriptedServer other;  // the far end of a redirect to another port
  const Target target = target_of(op);
  other.on(target.path, Reply::ok(target.body));
  f.server.on(target.path, script_for(hostile, target, f.server, other));

  // Only the host of the operation under test speaks TLS to the plain port.
  const std::string plain = f.server.base_url();
  std::string tls = plain;
  tls.replace(0, 4, "https");
  const bool tls_case = hostile == Hostile::tls_on_plain_port;
  const Endpoints hosts{tls_case && op != Operation::check ? tls : plain,
                        tls_case && op == Operation::check ? tls : plain};
  f.window = std::make_unique<MainWindow>(hosts);
  MainWindow& w = *f.window;

  QElapsedTimer clock;
  clock.start();
  switch (op) {
    case Operation::version:
      w.start();
      break;
    case Operation::search:
      w.start();
      clock.restart();
      run_search(w, "ab");
      break;
    case Operation::check: {
      w.start();
      ResultsList* list = w.results_list();
      list->set_cell(list->append_row(), 6, "x");
      list->setVisible(true);
      clock.restart();
      check_all_shares(w);
      break;
    }
  }
  const qint64 elapsed = clock.elapsed();
  qInfo("TABLE | %s | %s | %lld ms", QTest::currentDataTag(), outcome_name(outcome), elapsed);

  QVERIFY2(elapsed < kHangBoundMs, qPrintable(QString::number(elapsed)));
  QVERIFY2(elapsed >= at_least_ms, qPrintable(QString::number(elapsed)));
  QVERIFY(w.isVisible());
  QVERIFY(!w.is_closed());
  QVERIFY(f.messages.isEmpty());
  // Nothing but loopback http was ever contacted: a file or ftp target is not read.
  QCOMPARE(other.accepted_count(), std::size_t(hostile == Hostile::redirect_other_port));

  ResultsList* list = w.results_list();
  switch (outcome) {
    case Outcome::current_version:
      QCOMPARE(w.announcement()->text(),
               QStringLiteral(" 公告：当前版本为1.0，已是最新版本。绿色、稳定、快速！"));
      QVERIFY(!w.upgrade_link()->isVisible());
      break;
    case Outcome::newer_version:
      QCOMPARE(w.announcement()->text(), QStringLiteral(" 公告：有新版本可更新，版本号为：1.1"));
      QVERIFY(w.upgrade_link()->isVisible());
      break;
    case Outcome::connection_problem:
      QVERIFY(w.message_picture()->isVisible());
      QCOMPARE(w.message_picture()->picture_bytes(), asset_bytes("connection_problem.jpg"));
      QVERIFY(!list->isVisible());
      QVERIFY(w.searching);
      break;
    case Outcome::empty_list:
    case Outcome::partial_rows:
    case Outcome::all_rows: {
      const int rows = outcome == Outcome::empty_list     ? 0
                       : outcome == Outcome::partial_rows ? 2
                                                          : 4;
      QCOMPARE(list->row_count(), rows);
      for (int row = 0; row < rows; ++row) QCOMPARE(list->cell(row, 6), "s" + std::to_string(row));
      QVERIFY(list->isVisible());
      QVERIFY(!w.searching);
      QVERIFY(w.search_button()->isEnabled());
      break;
    }
    case Outcome::unknown:
    case Outcome::invalid:
      QCOMPARE(list->cell(0, 5), outcome == Outcome::unknown ? kStatusUnknown : kStatusInvalid);
      QVERIFY(!w.checking);
      QVERIFY(w.check_button()->isEnabled());
      QCOMPARE(w.check_button()->text(), outcome == Outcome::unknown
                                             ? QStringLiteral("正常：0，失效：0，未知：1")
                                             : QStringLiteral("正常：0，失效：1，未知：0"));
      break;
  }
}

QTEST_MAIN(HostileServerTest)
#include "hostile_server_test.moc"
