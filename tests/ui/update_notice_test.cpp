// The start-up update notice for each kind of version reply.
#include <QtTest>

#include "app/caption_label.h"
#include "app/hyperlink.h"
#include "app/stats_page.h"
#include "tests/ui/window_fixture.h"

using namespace orvane;
using namespace orvane::test;

class UpdateNoticeTest : public QObject {
  Q_OBJECT

 private slots:
  void version_replies_data();
  void version_replies();
  void unreachable_service_counts_as_current();
  void stats_page_requested_twice();
};

void UpdateNoticeTest::version_replies_data() {
  QTest::addColumn<QByteArray>("reply");
  QTest::addColumn<bool>("newer");
  QTest::newRow("current") << QByteArray("1.0") << false;
  QTest::newRow("empty") << QByteArray() << false;
  QTest::newRow("newer") << QByteArray("1.1") << true;
  QTest::newRow("older is announced too") << QByteArray("0.9") << true;
  QTest::newRow("current with line break") << QByteArray("1.0\r\n") << true;
  QTest::newRow("19 bytes") << QByteArray(19, '9') << true;
  QTest::newRow("20 bytes") << QByteArray(20, '9') << false;
  QTest::newRow("short error text with 502") << QByteArray("Bad Gateway") << false;
}

void UpdateNoticeTest::version_replies() {
  QFETCH(QByteArray, reply);
  QFETCH(bool, newer);
  WindowFixture f;
  f.server.on("/version.txt",
              Reply::status(reply == "Bad Gateway" ? 502 : 200, reply.toStdString()));
  MainWindow& w = f.start();
  const QColor label_default(0, 0, 0);
  if (newer) {
    QCOMPARE(w.announcement()->text(),
             QStringLiteral(" 公告：有新版本可更新，版本号为：") + QString::fromLatin1(reply));
    QCOMPARE(w.announcement()->text_color(), QColor(255, 0, 0));
    QVERIFY(w.upgrade_link()->isVisible());
    QCOMPARE(w.upgrade_link()->address(),
             QString::fromStdString(f.server.base_url() + "/download/?ver"));
  } else {
    QCOMPARE(w.announcement()->text(),
             QStringLiteral(" 公告：当前版本为1.0，已是最新版本。绿色、稳定、快速！"));
    QCOMPARE(w.announcement()->text_color(), label_default);
    QVERIFY(!w.upgrade_link()->isVisible());
    QVERIFY(w.upgrade_link()->address().isEmpty());
  }
  QVERIFY(w.isVisible());
}

void UpdateNoticeTest::unreachable_service_counts_as_current() {
  const std::string dead = "http://127.0.0.1:1";
  MainWindow w(Endpoints{dead, dead});
  w.start();
  QVERIFY(w.isVisible());
  QCOMPARE(w.announcement()->text(),
           QStringLiteral(" 公告：当前版本为1.0，已是最新版本。绿色、稳定、快速！"));
  QVERIFY(!w.upgrade_link()->isVisible());
}

void UpdateNoticeTest::stats_page_requested_twice() {
  WindowFixture f;
  MainWindow& w = f.start();
  QCOMPARE(w.web_view()->requests_started(), 2);
  QCOMPARE(w.web_view()->address(),
           QString::fromStdString(f.server.base_url() + "/tj.html?ver=1.0"));
  QVERIFY(f.server.wait_for_requests(3, std::chrono::milliseconds(3000)));
  const auto stats = f.requests_to("/tj.html");
  QCOMPARE(stats.size(), std::size_t{2});
  for (const Request& r : stats) QCOMPARE(r.query(), std::string("ver=1.0"));
  // The version file is read first, before the stats page.
  QCOMPARE(f.server.requests().front().path(), std::string("/version.txt"));
}

QTEST_MAIN(UpdateNoticeTest)
#include "update_notice_test.moc"
