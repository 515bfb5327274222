// The search from the keyword to the filled list, against a scripted loopback service.
#include <QElapsedTimer>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include "app/assets.h"
#include "app/keyword_edit.h"
#include "app/picture_box.h"
#include "app/picture_button.h"
#include "app/results_list.h"
#include "app/wrap_button.h"
#include "search/results_fill.h"
#include "search/search_command.h"
#include "tests/ui/window_fixture.h"

using namespace orvane;
using namespace orvane::test;

namespace {

const QByteArray kZhong = QByteArray("\xD6\xD0");             // 中
const QByteArray kZhongWen = QByteArray("\xD6\xD0\xCE\xC4");  // 中文
const QByteArray kPlaceholder = QByteArray("\xC7\xEB\xCA\xE4\xC8\xEB\xB9\xD8\xBC\xFC\xD7\xD6");

void select_order(MainWindow& window, int order) {
  QRadioButton* buttons[] = {window.order_default(), window.order_by_time(),
                             window.order_by_views()};
  if (order < 0) {
    for (QRadioButton* b : buttons) b->setAutoExclusive(false), b->setChecked(false);
    return;
  }
  buttons[order]->setChecked(true);
}

}  // namespace

class SearchCommandTest : public QObject {
  Q_OBJECT

 private slots:
  void refused_keywords_data();
  void refused_keywords();
  void refused_while_checking();
  void request_address_data();
  void request_address();
  void keyword_box_trims_and_any_enter_searches();
  void outcomes_without_data_data();
  void outcomes_without_data();
  void unreachable_service_shows_connection_picture();
  void rows_hold_the_records_byte_for_byte();
  void status_column_width_data();
  void status_column_width();
  void second_search_replaces_rows();
  void early_stop_keeps_searching_until_data_arrives();
  void enter_is_ignored_while_the_list_fills();
  void double_click_opens_share_page_data();
  void double_click_opens_share_page();
  void share_id_cannot_leave_web_host_data();
  void share_id_cannot_leave_web_host();
  void closing_during_fill_stops_it();
};

void SearchCommandTest::refused_keywords_data() {
  QTest::addColumn<QByteArray>("keyword");
  QTest::addColumn<QString>("message");
  const QString empty = QStringLiteral("搜索关键字不能为空");
  const QString too_short = QStringLiteral("你搜索的关键字太短了吧？");
  const QString too_long = QStringLiteral("你搜索的关键字太长了吧？");
  QTest::newRow("nothing") << QByteArray() << empty;
  QTest::newRow("only removed texts") << QByteArray("<>") << empty;
  QTest::newRow("placeholder in quotes") << ("'" + kPlaceholder + "'") << empty;
  QTest::newRow("one letter") << QByteArray("a") << too_short;
  QTest::newRow("letter after removal") << QByteArray("<b") << too_short;
  QTest::newRow("51 letters") << QByteArray(51, 'a') << too_long;
  QTest::newRow("26 double-byte characters") << kZhong.repeated(26) << too_long;
}

void SearchCommandTest::refused_keywords() {
  QFETCH(QByteArray, keyword);
  QFETCH(QString, message);
  WindowFixture f;
  MainWindow& w = f.start();
  run_search(w, keyword.toStdString());
  QCOMPARE(f.messages, QStringList{message});
  QVERIFY(f.requests_to("/s/").empty());
  QVERIFY(!w.searching);
}

void SearchCommandTest::refused_while_checking() {
  WindowFixture f;
  MainWindow& w = f.start();
  w.checking = true;
  run_search(w, "ab");
  QCOMPARE(f.messages, QStringList{QStringLiteral("检查分享中，请稍等一会再搜索。")});
  QVERIFY(f.requests_to("/s/").empty());
  QVERIFY(!w.searching);
}

void SearchCommandTest::request_address_data() {
  QTest::addColumn<QByteArray>("keyword");
  QTest::addColumn<int>("order");  // -1: no radio button selected
  QTest::addColumn<QString>("target");
  QTest::newRow("letters by views") << QByteArray("ab") << 2 << "/s/?kw=%61%62&order=2";
  QTest::newRow("chinese, default") << kZhongWen << 0 << "/s/?kw=%E4%B8%AD%E6%96%87";
  QTest::newRow("0x removed, by time") << QByteArray("a0xb") << 1 << "/s/?kw=%61%62&order=1";
  QTest::newRow("0X kept") << QByteArray("A0XB") << 0 << "/s/?kw=%41%30%58%42";
  QTest::newRow("one double-byte char") << kZhong << 0 << "/s/?kw=%E4%B8%AD";
  QTest::newRow("50 bytes") << kZhong.repeated(25) << 0
                            << "/s/?kw=" + QString("%E4%B8%AD").repeated(25);
  QTest::newRow("no order selected") << QByteArray("ab") << -1 << "/s/?kw=%61%62";
  QTest::newRow("tab counts") << QByteArray("\ta") << 0 << "/s/?kw=%09%61";
}

void SearchCommandTest::request_address() {
  QFETCH(QByteArray, keyword);
  QFETCH(int, order);
  QFETCH(QString, target);
  WindowFixture f;
  f.server.on("/s/", Reply::ok("empty"));
  MainWindow& w = f.start();
  select_order(w, order);
  run_search(w, keyword.toStdString());
  const auto searches = f.requests_to("/s/");
  QCOMPARE(searches.size(), std::size_t{1});
  QCOMPARE(QString::fromStdString(searches[0].target), target);
  QVERIFY(f.messages.isEmpty());
}

void SearchCommandTest::keyword_box_trims_and_any_enter_searches() {
  WindowFixture f;
  f.server.on("/s/", Reply::ok("empty"));
  MainWindow& w = f.start();
  w.keyword_box()->setText(QStringLiteral(" a b　"));
  QTest::keyClick(w.keyword_box(), Qt::Key_Return, Qt::ShiftModifier);
  QTest::keyClick(w.keyword_box(), Qt::Key_Enter, Qt::ControlModifier);
  const auto searches = f.requests_to("/s/");
  QCOMPARE(searches.size(), std::size_t{2});
  for (const Request& r : searches) QCOMPARE(r.target, std::string("/s/?kw=%61%20%62"));
  QCOMPARE(w.keyword_box()->text(), QStringLiteral(" a b　"));
}

void SearchCommandTest::outcomes_without_data_data() {
  QTest::addColumn<QByteArray>("reply");
  QTest::addColumn<QString>("picture");  // empty: the picture box stays untouched
  QTest::addColumn<QString>("message");
  QTest::newRow("empty body") << QByteArray() << "connection_problem.jpg" << QString();
  QTest::newRow("nothing found") << QByteArray("empty") << "nothing_found.jpg" << QString();
  QTest::newRow("refused keyword")
      << QByteArray("<html xmlns=\"http://www.w3.org/1999/xhtml\"><body>no</body></html>")
      << QString() << QStringLiteral("你搜索的关键字太短或太长了吧？");
}

void SearchCommandTest::outcomes_without_data() {
  QFETCH(QByteArray, reply);
  QFETCH(QString, picture);
  QFETCH(QString, message);
  WindowFixture f;
  f.server.on("/s/", Reply::ok(reply.toStdString()));
  MainWindow& w = f.start();
  run_search(w, "ab");
  PictureBox* box = w.message_picture();
  if (picture.isEmpty()) {
    QVERIFY(!box->isVisible());
    QVERIFY(box->picture_bytes().isEmpty());
  } else {
    QVERIFY(box->isVisible());
    QCOMPARE(box->picture_bytes(), asset_bytes(picture.toLatin1().constData()));
    QCOMPARE(box->geometry(), QRect(156, 213, 500, 150));
  }
  QCOMPARE(f.messages, message.isEmpty() ? QStringList{} : QStringList{message});
  QVERIFY(w.searching);  // an early stop leaves it set
  QVERIFY(!w.results_list()->isVisible());
  QVERIFY(w.search_button()->isEnabled());
}

void SearchCommandTest::unreachable_service_shows_connection_picture() {
  WindowFixture f;
  MainWindow& w = f.start();
  // The search goes to a port where nothing listens.
  const std::string dead = "http://127.0.0.1:1";
  MainWindow other(Endpoints{dead, dead});
  other.start();
  run_search(other, "ab");
  QCOMPARE(other.message_picture()->picture_bytes(), asset_bytes("connection_problem.jpg"));
  QVERIFY(other.searching);
  Q_UNUSED(w);
}

void SearchCommandTest::rows_hold_the_records_byte_for_byte() {
  WindowFixture f;
  // Title sent escaped, file type with %u, a raw GBK share id, empty counts.
  const std::string reply =
      "[" + record_json("\\u4e2d\\u6587 book", "%u538b%u7f29", "12M", "7", "", "s\xD6\xD0x") + "," +
      record_json("plain", "rar", "1K", "", "3", "s2") + "]";
  f.server.on("/s/", Reply::ok(reply));
  MainWindow& w = f.start();
  w.check_button()->setText(QStringLiteral("正常：1，失效：0，未知：0"));
  run_search(w, "ab");
  ResultsList* list = w.results_list();
  QCOMPARE(list->row_count(), 2);
  const std::vector<std::vector<std::string>> expected = {
      {"\xD1\xB9\xCB\xF5", "\xD6\xD0\xCE\xC4 book", "12M", "7\xB4\xCE", "\xB4\xCE", "",
       "s\xD6\xD0x"},
      {"rar", "plain", "1K", "\xB4\xCE", "3\xB4\xCE", "", "s2"}};
  for (int row = 0; row < 2; ++row)
    for (int column = 0; column < 7; ++column)
      QCOMPARE(list->cell(row, column), expected[row][column]);
  QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("中文 book"));
  // The finish.
  QVERIFY(!w.searching);
  QVERIFY(list->isVisible());
  QVERIFY(!w.message_picture()->isVisible());
  QVERIFY(w.search_button()->isEnabled());
  QVERIFY(w.check_button()->isEnabled());
  QCOMPARE(w.check_button()->text(), QStringLiteral("马上一键检查所有分享是否失效？"));
}

void SearchCommandTest::status_column_width_data() {
  QTest::addColumn<int>("records");
  QTest::addColumn<int>("width");
  QTest::newRow("none") << 0 << 81;
  QTest::newRow("17") << 17 << 81;
  QTest::newRow("18") << 18 << 63;
}

void SearchCommandTest::status_column_width() {
  QFETCH(int, records);
  QFETCH(int, width);
  WindowFixture f;
  // A reply without any record still carries data: "empty" followed by a line break.
  f.server.on("/s/", Reply::ok(records ? reply_of(records) : "empty\n"));
  MainWindow& w = f.start();
  run_search(w, "ab");
  QCOMPARE(w.results_list()->row_count(), records);
  QCOMPARE(w.results_list()->columnWidth(5), width);
  QVERIFY(w.results_list()->isVisible());
  for (int row = 0; row < records; ++row) {
    QCOMPARE(w.results_list()->cell(row, 6), "s" + std::to_string(row));
    QCOMPARE(w.results_list()->cell(row, 5), std::string());
  }
}

void SearchCommandTest::second_search_replaces_rows() {
  WindowFixture f;
  int calls = 0;
  f.server.on("/s/", [&calls](const Request&) {
    return Reply::ok(++calls == 1 ? reply_of(3)
                                  : "[" + record_json("x", "", "", "", "", "new") + "]");
  });
  MainWindow& w = f.start();
  run_search(w, "ab");
  run_search(w, "cd");
  QCOMPARE(w.results_list()->row_count(), 1);
  QCOMPARE(w.results_list()->cell(0, 6), std::string("new"));
}

void SearchCommandTest::early_stop_keeps_searching_until_data_arrives() {
  WindowFixture f;
  int calls = 0;
  f.server.on("/s/", [&calls](const Request&) {
    ++calls;
    return Reply::ok(calls == 2 ? "" : reply_of(2));
  });
  MainWindow& w = f.start();
  run_search(w, "ab");  // data
  run_search(w, "ab");  // connection problem: rows stay, hidden
  QVERIFY(w.searching);
  QCOMPARE(w.results_list()->row_count(), 2);
  QVERIFY(!w.results_list()->isVisible());
  w.check_button()->click();
  QCOMPARE(f.messages, QStringList{QStringLiteral("正在搜索中...稍等一会再检查！")});
  // Enter still starts the next search, which clears the flag.
  w.keyword_box()->setText("ab");
  QTest::keyClick(w.keyword_box(), Qt::Key_Return);
  QVERIFY(!w.searching);
  QVERIFY(w.results_list()->isVisible());
}

void SearchCommandTest::enter_is_ignored_while_the_list_fills() {
  WindowFixture f;
  f.server.on("/s/", Reply::ok(reply_of(40)));
  MainWindow& w = f.start();
  w.keyword_box()->setText("ab");
  int presses = 0;
  bool loading_shown = false;
  QTimer storm;
  QObject::connect(&storm, &QTimer::timeout, [&] {
    if (!w.searching) return;
    loading_shown =
        loading_shown || w.message_picture()->picture_bytes() == asset_bytes("loading.gif");
    QTest::keyClick(w.keyword_box(), Qt::Key_Return);
    QTest::mouseClick(w.search_button(), Qt::LeftButton);
    ++presses;
  });
  storm.start(15);
  search_from_keyword_box(w);
  storm.stop();
  QVERIFY(presses > 0);
  QVERIFY(loading_shown);
  QCOMPARE(f.requests_to("/s/").size(), std::size_t{1});
  QCOMPARE(w.results_list()->row_count(), 40);
  QVERIFY(!w.searching);
}

void SearchCommandTest::double_click_opens_share_page_data() {
  QTest::addColumn<QList<int>>("selected");
  QTest::addColumn<QString>("path");
  QTest::newRow("one row") << QList<int>{1} << "/go/s1";
  QTest::newRow("several rows: the lowest") << QList<int>{2, 0} << "/go/s0";
  QTest::newRow("no row") << QList<int>{} << "/go/";
}

void SearchCommandTest::double_click_opens_share_page() {
  QFETCH(QList<int>, selected);
  QFETCH(QString, path);
  WindowFixture f;
  f.server.on("/s/", Reply::ok(reply_of(3)));
  MainWindow& w = f.start();
  run_search(w, "ab");
  ResultsList* list = w.results_list();
  list->clearSelection();
  for (int row : selected) list->topLevelItem(row)->setSelected(true);
  // Below the last row: the double-click still counts, whatever is selected.
  const QPoint below = list->visualItemRect(list->topLevelItem(2)).bottomLeft() + QPoint(5, 20);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, below);
  QCOMPARE(f.browser.urls.size(), 1);
  QCOMPARE(f.browser.urls[0].toString(), QString::fromStdString(f.server.base_url()) + path);
}

void SearchCommandTest::share_id_cannot_leave_web_host_data() {
  QTest::addColumn<QByteArray>("id");
  QTest::addColumn<QString>("encoded_path");
  QTest::newRow("at sign") << QByteArray("@evil.example/x") << "/go/@evil.example/x";
  QTest::newRow("double slash") << QByteArray("//evil.example") << "/go///evil.example";
  QTest::newRow("dot segments") << QByteArray("../../x") << "/go/../../x";
  QTest::newRow("space") << QByteArray("a b") << "/go/a%20b";
  // Percent-encodings come out in upper case: the same address to every browser.
  QTest::newRow("encoded line break") << QByteArray("a%0d%0ab") << "/go/a%0D%0Ab";
  QTest::newRow("raw line break") << QByteArray("a\r\nb") << "/go/a%0D%0Ab";
  QTest::newRow("gbk bytes") << QByteArray("\xD6\xD0") << "/go/%D6%D0";
}

void SearchCommandTest::share_id_cannot_leave_web_host() {
  QFETCH(QByteArray, id);
  QFETCH(QString, encoded_path);
  WindowFixture f;
  MainWindow& w = f.start();
  ResultsList* list = w.results_list();
  list->set_cell(list->append_row(), 6, id.toStdString());
  list->topLevelItem(0)->setSelected(true);
  open_selected_share(w);
  QCOMPARE(f.browser.urls.size(), 1);
  const QUrl url = f.browser.urls[0];
  QCOMPARE(url.host(), QStringLiteral("127.0.0.1"));
  QCOMPARE(url.port(), int(f.server.port()));
  QCOMPARE(QString::fromLatin1(url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority)),
           encoded_path);
}

void SearchCommandTest::closing_during_fill_stops_it() {
  WindowFixture f;
  f.server.on("/s/", Reply::ok(reply_of(1000)));  // ten seconds of fill
  MainWindow& w = f.start();
  QTimer::singleShot(150, &w, [&w] { w.close(); });
  QElapsedTimer clock;
  clock.start();
  run_search(w, "ab");
  QVERIFY2(clock.elapsed() < 5000, "the fill went on after the window closed");
  QVERIFY(w.is_closed());
  QVERIFY(w.results_list()->row_count() < 1000);
}

QTEST_MAIN(SearchCommandTest)
#include "search_command_test.moc"
