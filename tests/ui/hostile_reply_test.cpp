// Hostile search replies through the window: huge and odd titles, share ids that try to
// leave the web host or smuggle header lines, and a reply of 10,000 records.
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include "app/picture_button.h"
#include "app/results_list.h"
#include "app/wrap_button.h"
#include "check/share_check.h"
#include "search/results_fill.h"
#include "search/search_command.h"
#include "tests/ui/window_fixture.h"

using namespace orvane;
using namespace orvane::test;

namespace {

// Characters that would break a cell out of its single line or turn its text around.
bool breaks_the_line(QChar c) {
  const char16_t u = c.unicode();
  return u < 0x20 || (u >= 0x7F && u < 0xA0) || u == 0x2028 || u == 0x2029 ||
         (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069) || u == 0x200E ||
         u == 0x200F || u == 0x061C;
}

// The height of one row of plain text in a list like the window's.
int plain_row_height() {
  ResultsList list;
  list.resize(836, 384);
  list.set_cell(list.append_row(), 1, "plain");
  list.show();
  QCoreApplication::processEvents();
  return list.visualItemRect(list.topLevelItem(0)).height();
}

const std::string kStatusNormal = "\xD5\xFD\xB3\xA3";
const std::string kStatusUnknown = "\xCE\xB4\xD6\xAA";

// The header lines a check request may carry, besides its request line.
bool only_the_fixed_headers(const Request& request) {
  if (request.headers.size() != 3) return false;
  const char* names[] = {"Host", "User-Agent", "Accept"};
  for (int i = 0; i < 3; ++i)
    if (QString::fromStdString(request.headers[i].first).compare(names[i], Qt::CaseInsensitive))
      return false;
  // Exactly four lines and the blank one: no header hidden in a folded or split line.
  return QByteArray::fromStdString(request.raw).count("\r\n") == 5 &&
         request.raw.find('\n') == request.raw.find("\r\n") + 1;
}

}  // namespace

class HostileReplyTest : public QObject {
  Q_OBJECT

 private slots:
  void titles_keep_the_list_single_line_data();
  void titles_keep_the_list_single_line();
  void share_ids_stay_on_the_web_host();
  void check_requests_carry_no_injected_header();
  // Closes its window, which ends every wait of the process: keep it last.
  void ten_thousand_records_fill_steadily_until_closed();
};

void HostileReplyTest::titles_keep_the_list_single_line_data() {
  QTest::addColumn<QByteArray>("title");  // as sent in the reply
  QTest::addColumn<QByteArray>("id");     // of the record that carries it
  QTest::newRow("control characters")
      << QByteArray("a\\u0001b\\u0007c\\u001bd\\u007fe\\u0085f") << QByteArray("odd");
  QTest::newRow("escaped line breaks")
      << QByteArray("first\\nsecond\\r\\nthird\\u2028fourth") << QByteArray("odd");
  QTest::newRow("tab and vertical tab") << QByteArray("a\\tb\\u000bc\\fd") << QByteArray("odd");
  QTest::newRow("escaped bidi override")
      << QByteArray("abc\\u202etxt.exe\\u2066x\\u200f") << QByteArray("odd");
  QTest::newRow("raw bidi override bytes")
      << QByteArray("abc\xE2\x80\xAEtxt.exe") << QByteArray("odd");
  QTest::newRow("invalid gbk") << QByteArray(
                                      "a\x81\x20"
                                      "b\xFF\xFF"
                                      "c\x80"
                                      "d\xA1"
                                      "ef")
                               << QByteArray("odd");
  // Text steps over a GBK character at a time: a lead byte takes the closing quote with
  // it, so that one record loses its shape and comes out empty; the others are unharmed.
  QTest::newRow("lone lead byte before the quote") << QByteArray("a\xA1") << QByteArray();
  QTest::newRow("1 MiB of letters") << QByteArray(1 << 20, 'A') << QByteArray("odd");
  QTest::newRow("1 MiB of chinese")
      << QByteArray("\xD6\xD0").repeated(1 << 19) << QByteArray("odd");
}

void HostileReplyTest::titles_keep_the_list_single_line() {
  QFETCH(QByteArray, title);
  QFETCH(QByteArray, id);
  WindowFixture f;
  // The odd title comes first: a list of uniform rows takes its height from row 0.
  const std::string reply = "[" + record_json(title.toStdString(), "rar", "1M", "1", "1", "odd") +
                            "," + record_json("plain", "rar", "1M", "1", "1", "p1") + "," +
                            record_json("plain", "rar", "1M", "1", "1", "p2") + "]";
  f.server.on("/s/", Reply::ok(reply));
  MainWindow& w = f.start();
  QElapsedTimer clock;
  clock.start();
  run_search(w, "ab");
  const qint64 fill_ms = clock.elapsed();

  ResultsList* list = w.results_list();
  QCOMPARE(list->row_count(), 3);
  QCOMPARE(QByteArray::fromStdString(list->cell(0, 6)), id);
  QCOMPARE(list->cell(2, 6), std::string("p2"));
  QVERIFY(list->isVisible());
  QVERIFY(QTest::qWaitForWindowExposed(&w));

  const int height = plain_row_height();
  for (int row = 0; row < 3; ++row)
    QCOMPARE(list->visualItemRect(list->topLevelItem(row)).height(), height);
  for (int column = 0; column < 7; ++column)
    for (QChar c : list->topLevelItem(0)->text(column))
      QVERIFY2(!breaks_the_line(c), qPrintable(QString::number(c.unicode(), 16)));

  clock.restart();
  list->viewport()->repaint();
  const qint64 paint_ms = clock.elapsed();
  qInfo("fill %lld ms, one paint %lld ms", fill_ms, paint_ms);
  QVERIFY2(fill_ms < 5000 && paint_ms < 2000, "a hostile title froze the window");
}

void HostileReplyTest::share_ids_stay_on_the_web_host() {
  const QList<QByteArray> ids = {"a b",
                                 "@evil.example/x",
                                 "//evil.example/y",
                                 "../../z",
                                 "a%0d%0aX-Injected:%201",
                                 "a\r\nX-Injected: 1",
                                 "http://evil.example/"};
  std::string reply = "[";
  for (const QByteArray& id : ids)
    reply +=
        (reply.size() > 1 ? "," : "") + record_json("t", "rar", "1M", "1", "1", id.toStdString());
  WindowFixture f;
  f.server.on("/s/", Reply::ok(reply + "]"));
  MainWindow& w = f.start();
  run_search(w, "ab");
  ResultsList* list = w.results_list();
  QCOMPARE(list->row_count(), int(ids.size()));
  for (int row = 0; row < ids.size(); ++row) {
    QCOMPARE(QByteArray::fromStdString(list->cell(row, 6)), ids[row]);
    list->clearSelection();
    list->topLevelItem(row)->setSelected(true);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                       list->visualItemRect(list->topLevelItem(row)).center());
  }
  QCOMPARE(f.browser.urls.size(), ids.size());
  for (const QUrl& url : f.browser.urls) {
    QCOMPARE(url.scheme(), QStringLiteral("http"));
    QCOMPARE(url.host(), QStringLiteral("127.0.0.1"));
    QCOMPARE(url.port(), int(f.server.port()));
    QVERIFY(url.userInfo().isEmpty());
    const QByteArray encoded = url.toEncoded();
    QVERIFY2(!encoded.contains('\r') && !encoded.contains('\n') && !encoded.contains(' '),
             encoded.constData());
    QVERIFY(url.path().startsWith(QStringLiteral("/go/")));
  }
}

void HostileReplyTest::check_requests_carry_no_injected_header() {
  const QList<QByteArray> ids = {"a b",     "@evil.example/x",        "//evil.example/y",
                                 "../../z", "a%0d%0aX-Injected:%201", "a\r\nX-Injected: 1"};
  WindowFixture f;
  f.server.set_default(Reply::ok("<html>alive</html>"));  // every share page
  MainWindow& w = f.start();
  ResultsList* list = w.results_list();
  for (const QByteArray& id : ids) list->set_cell(list->append_row(), 6, id.toStdString());
  list->setVisible(true);
  check_all_shares(w);

  std::vector<Request> checks;
  for (const Request& r : f.server.requests())
    if (r.path() != "/version.txt" && r.path() != "/tj.html") checks.push_back(r);
  // An id with a raw space or line break is not sent at all: that row stays unchecked.
  QCOMPARE(list->cell(0, 5), kStatusUnknown);
  QCOMPARE(list->cell(5, 5), kStatusUnknown);
  for (int row = 1; row <= 4; ++row) QCOMPARE(list->cell(row, 5), kStatusNormal);
  QCOMPARE(checks.size(), std::size_t{4});
  std::vector<std::string> targets;
  for (const Request& r : checks) {
    QVERIFY2(only_the_fixed_headers(r), r.raw.c_str());
    QVERIFY(!r.has_header("X-Injected"));
    QCOMPARE(r.header("Host"), "127.0.0.1:" + std::to_string(f.server.port()));
    targets.push_back(r.target);
  }
  // Dot segments are resolved on the web host itself; encoded line breaks stay encoded.
  QCOMPARE(targets, (std::vector<std::string>{"/go/@evil.example/x", "/go///evil.example/y", "/z",
                                              "/go/a%0d%0aX-Injected:%201"}));
}

void HostileReplyTest::ten_thousand_records_fill_steadily_until_closed() {
  WindowFixture f;
  f.server.on("/s/", Reply::ok(reply_of(10000)));
  MainWindow& w = f.start();
  QElapsedTimer clock;
  qint64 first_row_ms = -1;
  int rows_at_close = -1;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    if (first_row_ms < 0 && w.results_list()->row_count() > 0) first_row_ms = clock.elapsed();
    if (clock.elapsed() >= 1500 && rows_at_close < 0) {
      rows_at_close = w.results_list()->row_count();
      w.close();
    }
  });
  probe.start(5);
  clock.start();
  run_search(w, "ab");
  const qint64 total_ms = clock.elapsed();
  probe.stop();
  qInfo("first row after %lld ms, %d rows in 1.5 s, search returned after %lld ms", first_row_ms,
        rows_at_close, total_ms);
  QVERIFY(w.is_closed());
  QVERIFY2(first_row_ms >= 0 && first_row_ms < 1000, "the reply was not cut up promptly");
  // Every row costs its 10 ms pause, and no more than a few times that.
  QVERIFY2(rows_at_close >= 15 && rows_at_close <= 150, qPrintable(QString::number(rows_at_close)));
  QCOMPARE(w.results_list()->row_count(), rows_at_close);
  QVERIFY2(total_ms < 4000, "the fill went on after the window closed");
}

QTEST_MAIN(HostileReplyTest)
#include "hostile_reply_test.moc"
