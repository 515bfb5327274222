// The share check through the real window, against scripted share pages.
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include "app/assets.h"
#include "app/keyword_edit.h"
#include "app/picture_box.h"
#include "app/results_list.h"
#include "app/wrap_button.h"
#include "check/share_check.h"
#include "search/search_command.h"
#include "tests/ui/window_fixture.h"

using namespace orvane;
using namespace orvane::test;

namespace {

void add_rows(MainWindow& window, const std::vector<std::string>& ids) {
  for (const std::string& id : ids) {
    ResultsList* list = window.results_list();
    list->set_cell(list->append_row(), 6, id);
  }
}

// Every caption the check button shows while `run` runs, with when it first showed.
struct CaptionLog {
  QStringList captions;
  QList<qint64> at_ms;
};

CaptionLog log_captions(MainWindow& window, const std::function<void()>& run) {
  CaptionLog log;
  QElapsedTimer clock;
  clock.start();
  QTimer poll;
  auto sample = [&] {
    const QString caption = window.check_button()->text();
    if (log.captions.isEmpty() || log.captions.last() != caption) {
      log.captions.append(caption);
      log.at_ms.append(clock.elapsed());
    }
  };
  QObject::connect(&poll, &QTimer::timeout, sample);
  sample();
  poll.start(10);
  run();
  sample();
  return log;
}

const std::string kStatusNormal = "\xD5\xFD\xB3\xA3";
const std::string kStatusInvalid = "\xCA\xA7\xD0\xA7";
const std::string kStatusUnknown = "\xCE\xB4\xD6\xAA";

}  // namespace

class ShareCheckTest : public QObject {
  Q_OBJECT

 private slots:
  void three_rows_captions_statuses_and_counts();
  void second_check_shows_previous_summary_until_first_wait();
  void page_that_never_arrived_is_unknown();
  void refusals_leave_everything_as_it_was();
  void window_stays_live_during_the_check();
  void closing_during_the_check_stops_it();
};

void ShareCheckTest::three_rows_captions_statuses_and_counts() {
  WindowFixture f;
  f.server.on("/go/alive", Reply::ok("<html>share</html>"));
  f.server.on("/go/gone", Reply::status(404, "<div class=\"SHARE_NOFOUND_DES\">x</div>"));
  f.server.on("/go/broken", Reply::ok("<p class=\"module-error\"></p>"));
  MainWindow& w = f.start();
  add_rows(w, {"alive", "gone", "broken"});
  bool picture_seen = false, disabled_seen = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    picture_seen =
        picture_seen || (w.check_picture()->isVisible() &&
                         w.check_picture()->picture_bytes() == asset_bytes("checking.gif"));
    disabled_seen = disabled_seen || (!w.check_button()->isEnabled() && w.checking);
  });
  watch.start(50);

  const CaptionLog log = log_captions(w, [&] { w.check_button()->click(); });

  // The last row's progress caption is replaced by the summary in the same step, so it
  // is never on screen.
  const QStringList expected = {QStringLiteral("马上一键检查所有分享是否失效？"),
                                QStringLiteral("稍等一会，约3个分享，当前：1"),
                                QStringLiteral("稍等一会，约3个分享，当前：2"),
                                QStringLiteral("正常：1，失效：1，未知：1")};
  QCOMPARE(log.captions, expected);
  // Each caption comes after that row's one-second wait.
  for (int k = 1; k <= 3; ++k)
    QVERIFY2(log.at_ms[k] >= 990 * k, qPrintable(QString::number(log.at_ms[k])));
  ResultsList* list = w.results_list();
  QCOMPARE(list->cell(0, 5), kStatusNormal);
  QCOMPARE(list->cell(1, 5), kStatusInvalid);
  QCOMPARE(list->cell(2, 5), kStatusUnknown);
  const auto pages = f.server.requests();
  std::vector<std::string> order;
  for (const Request& r : pages)
    if (r.path().rfind("/go/", 0) == 0) order.push_back(r.path());
  QCOMPARE(order, (std::vector<std::string>{"/go/alive", "/go/gone", "/go/broken"}));
  QVERIFY(picture_seen);
  QVERIFY(disabled_seen);
  QVERIFY(w.check_button()->isEnabled());
  QVERIFY(!w.checking);
  QVERIFY(!w.check_picture()->isVisible());
}

void ShareCheckTest::second_check_shows_previous_summary_until_first_wait() {
  WindowFixture f;
  int visits = 0;
  f.server.on("/go/a", [&visits](const Request&) {
    return Reply::ok(++visits == 1 ? "share_nofound_des" : "alive");
  });
  f.server.on("/go/b", Reply::ok("alive"));
  MainWindow& w = f.start();
  add_rows(w, {"a", "b"});
  w.check_button()->click();
  QCOMPARE(w.check_button()->text(), QStringLiteral("正常：1，失效：1，未知：0"));
  const CaptionLog log = log_captions(w, [&] { w.check_button()->click(); });
  QCOMPARE(log.captions, (QStringList{QStringLiteral("正常：1，失效：1，未知：0"),
                                      QStringLiteral("稍等一会，约2个分享，当前：1"),
                                      QStringLiteral("正常：2，失效：0，未知：0")}));
  QVERIFY(log.at_ms[1] >= 990);
  QCOMPARE(w.results_list()->cell(0, 5), kStatusNormal);
}

void ShareCheckTest::page_that_never_arrived_is_unknown() {
  WindowFixture f;
  MainWindow& w = f.start();
  // The web host of this window is a port where nothing listens; an empty page that did
  // arrive is judged by its markers like any other.
  const std::string dead = "http://127.0.0.1:1";
  MainWindow other(Endpoints{f.server.base_url(), dead});
  other.start();
  add_rows(other, {"a", "b"});
  other.check_button()->click();
  QCOMPARE(other.results_list()->cell(0, 5), kStatusUnknown);
  QCOMPARE(other.check_button()->text(), QStringLiteral("正常：0，失效：0，未知：2"));

  f.server.on("/go/empty", Reply::ok(""));
  add_rows(w, {"empty"});
  w.check_button()->click();
  QCOMPARE(w.results_list()->cell(0, 5), kStatusNormal);
  QCOMPARE(w.check_button()->text(), QStringLiteral("正常：1，失效：0，未知：0"));
}

void ShareCheckTest::refusals_leave_everything_as_it_was() {
  WindowFixture f;
  MainWindow& w = f.start();
  const QString caption = w.check_button()->text();
  w.check_button()->click();
  QCOMPARE(f.messages, QStringList{QStringLiteral("暂时未找到分享，请先输入关键字进行搜索。")});

  add_rows(w, {"a"});
  w.searching = true;
  w.check_button()->click();
  QCOMPARE(f.messages.last(), QStringLiteral("正在搜索中...稍等一会再检查！"));
  QCOMPARE(w.check_button()->text(), caption);
  QVERIFY(w.check_button()->isEnabled());
  QVERIFY(!w.checking);
  QCOMPARE(w.results_list()->cell(0, 5), std::string());
  QVERIFY(f.requests_to("/go/a").empty());
}

void ShareCheckTest::window_stays_live_during_the_check() {
  WindowFixture f;
  f.server.on("/s/", Reply::ok("empty"));
  MainWindow& w = f.start();
  add_rows(w, {"x", "y"});
  w.results_list()->setVisible(true);
  w.results_list()->topLevelItem(1)->setSelected(true);
  QTimer::singleShot(300, &w, [&] {
    w.keyword_box()->setText("ab");
    QTest::keyClick(w.keyword_box(), Qt::Key_Return);
    w.check_button()->click();  // disabled: nothing happens
    QTest::mouseDClick(
        w.results_list()->viewport(), Qt::LeftButton, {},
        w.results_list()->visualItemRect(w.results_list()->topLevelItem(1)).center());
  });
  w.check_button()->click();
  QCOMPARE(f.messages, QStringList{QStringLiteral("检查分享中，请稍等一会再搜索。")});
  QVERIFY(f.requests_to("/s/").empty());
  QCOMPARE(f.browser.urls.size(), 1);
  QCOMPARE(f.browser.urls[0].path(), QStringLiteral("/go/y"));
  QCOMPARE(f.requests_to("/go/x").size(), std::size_t{1});
}

void ShareCheckTest::closing_during_the_check_stops_it() {
  WindowFixture f;
  MainWindow& w = f.start();
  add_rows(w, std::vector<std::string>(20, "a"));
  QTimer::singleShot(200, &w, [&w] { w.close(); });
  QElapsedTimer clock;
  clock.start();
  w.check_button()->click();
  QVERIFY2(clock.elapsed() < 5000, "the check went on after the window closed");
  QVERIFY(w.is_closed());
  QCOMPARE(f.requests_to("/go/a").size(), std::size_t{1});
}

QTEST_MAIN(ShareCheckTest)
#include "share_check_test.moc"
