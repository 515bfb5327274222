// Input storms while the window is busy (a fill, a check's waits, a message box), and the
// window closed at each of those moments. A close ends every wait of the process, so the
// closing cases run the program's flow in a child process each.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <set>

#include "app/keyword_edit.h"
#include "app/picture_button.h"
#include "app/results_list.h"
#include "app/wrap_button.h"
#include "check/share_check.h"
#include "search/search_command.h"
#include "tests/ui/window_fixture.h"

using namespace orvane;
using namespace orvane::test;

namespace {

// Places in the window, in window coordinates.
const QPoint kSearchButton(449, 103);
const QPoint kCheckButton(731, 142);
const QPoint kByTime(190, 142);

// Input as the window system delivers it: to what is under the pointer or has the focus,
// and not at all while a modal box blocks the window.
// The first row of the list, or where the list would be while it is hidden.
QPoint first_row(MainWindow& w) {
  const ResultsList* list = w.results_list();
  if (!list->isVisible() || list->row_count() == 0) return {400, 200};
  return list->viewport()->mapTo(&w, list->visualItemRect(list->topLevelItem(0)).center());
}

void storm_once(MainWindow& w) {
  QWindow* window = w.windowHandle();
  // Enter typed in the keyword box: the clicks below take the focus to the list and the
  // buttons, so it is put back first.
  w.keyword_box()->setFocus();
  QTest::keyClick(window, Qt::Key_Return);
  QTest::mouseClick(window, Qt::LeftButton, {}, kSearchButton);
  QTest::mouseClick(window, Qt::LeftButton, {}, kCheckButton);
  QTest::mouseDClick(window, Qt::LeftButton, {}, first_row(w));
  QTest::mouseClick(window, Qt::LeftButton, {}, kByTime);
}

// The window started, active and with the keyword box focused, so that the storm's keys
// reach the box as typed ones would; null when the window cannot be made active.
MainWindow* start_active(WindowFixture& f) {
  MainWindow& w = f.start();
  w.activateWindow();
  if (!QTest::qWaitForWindowActive(&w)) return nullptr;
  w.keyword_box()->setFocus();
  w.keyword_box()->setText(QStringLiteral("ab"));
  return QApplication::focusWidget() == w.keyword_box() ? &w : nullptr;
}
const char kNotActive[] = "the window could not be made active: keys would not reach the box";

const QString kCheckRefused = QStringLiteral("正在搜索中...稍等一会再检查！");
const QString kSearchRefused = QStringLiteral("检查分享中，请稍等一会再搜索。");

// A message box stand-in that keeps its handler waiting in a nested loop for `ms`.
void observe_with_nested_loop(WindowFixture& f, int ms) {
  set_message_observer([&f, ms](const QString& text) {
    f.messages.append(text);
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
  });
}

}  // namespace

class ReentrancyTest : public QObject {
  Q_OBJECT

 private slots:
  void storm_during_fill();
  void storm_during_check_waits();
  void storm_during_a_box_inside_the_fill();
  void storm_during_a_box_inside_the_check();
  void real_box_blocks_the_window();
  void closing_at_any_moment_data();
  void closing_at_any_moment();
};

void ReentrancyTest::storm_during_fill() {
  WindowFixture f;
  f.server.on("/s/", Reply::ok(reply_of(60)));
  MainWindow* active = start_active(f);
  QVERIFY2(active != nullptr, kNotActive);
  MainWindow& w = *active;
  QSignalSpy enters(w.keyword_box(), &KeywordEdit::enter_pressed);
  int storms = 0;
  QTimer storm;
  QObject::connect(&storm, &QTimer::timeout, [&] {
    if (!w.searching) return;
    storm_once(w);
    ++storms;
  });
  storm.start(7);
  search_from_keyword_box(w);
  storm.stop();

  QVERIFY(storms > 5);
  QCOMPARE(enters.count(), storms);  // every Enter of the storm reached the keyword box
  QCOMPARE(f.requests_to("/s/").size(), std::size_t{1});
  ResultsList* list = w.results_list();
  QCOMPARE(list->row_count(), 60);
  for (int row = 0; row < 60; ++row) QCOMPARE(list->cell(row, 6), "s" + std::to_string(row));
  // Only the check was tried, and refused each time; the hidden list opened nothing.
  QVERIFY(!f.messages.isEmpty());
  for (const QString& m : f.messages) QCOMPARE(m, kCheckRefused);
  QVERIFY(f.browser.urls.isEmpty());
  QVERIFY(!w.searching);
  QVERIFY(w.search_button()->isEnabled());
}

void ReentrancyTest::storm_during_check_waits() {
  WindowFixture f;
  f.server.on("/s/", Reply::ok(reply_of(3)));
  f.server.set_default(Reply::ok("<html>alive</html>"));  // the share pages
  MainWindow* active = start_active(f);
  QVERIFY2(active != nullptr, kNotActive);
  MainWindow& w = *active;
  run_search(w, "ab");
  f.messages.clear();
  QSignalSpy enters(w.keyword_box(), &KeywordEdit::enter_pressed);
  int storms = 0;
  QTimer storm;
  QObject::connect(&storm, &QTimer::timeout, [&] {
    if (!w.checking) return;
    storm_once(w);
    ++storms;
  });
  storm.start(20);
  w.check_button()->click();
  storm.stop();

  QVERIFY(storms > 0);
  QCOMPARE(enters.count(), storms);
  QCOMPARE(f.requests_to("/s/").size(), std::size_t{1});
  for (const char* id : {"/go/s0", "/go/s1", "/go/s2"})
    QCOMPARE(f.requests_to(id).size(), std::size_t{1});
  QCOMPARE(w.check_button()->text(), QStringLiteral("正常：3，失效：0，未知：0"));
  QVERIFY(!f.messages.isEmpty());
  for (const QString& m : f.messages) QCOMPARE(m, kSearchRefused);
  // The list is live during the check: double-clicks open the first row's page.
  QVERIFY(!f.browser.urls.isEmpty());
  for (const QUrl& url : f.browser.urls) QCOMPARE(url.path(), QStringLiteral("/go/s0"));
  QCOMPARE(w.results_list()->row_count(), 3);
}

void ReentrancyTest::storm_during_a_box_inside_the_fill() {
  WindowFixture f;
  f.server.on("/s/", Reply::ok(reply_of(30)));
  MainWindow* active = start_active(f);
  QVERIFY2(active != nullptr, kNotActive);
  MainWindow& w = *active;
  observe_with_nested_loop(f, 200);
  QSignalSpy enters(w.keyword_box(), &KeywordEdit::enter_pressed);
  int storms = 0;
  QTimer storm;
  QObject::connect(&storm, &QTimer::timeout, [&] {
    if (!w.searching || storms++ > 40) return;
    storm_once(w);
  });
  storm.start(10);
  search_from_keyword_box(w);
  storm.stop();
  set_message_observer([&f](const QString& text) { f.messages.append(text); });

  QVERIFY(enters.count() > 0);
  QCOMPARE(f.requests_to("/s/").size(), std::size_t{1});
  QCOMPARE(w.results_list()->row_count(), 30);
  for (int row = 0; row < 30; ++row)
    QCOMPARE(w.results_list()->cell(row, 6), "s" + std::to_string(row));
  QVERIFY(!f.messages.isEmpty());
  for (const QString& m : f.messages) QCOMPARE(m, kCheckRefused);
  QVERIFY(!w.searching);
}

void ReentrancyTest::storm_during_a_box_inside_the_check() {
  WindowFixture f;
  f.server.on("/go/s1", Reply::ok("share_nofound_des"));
  f.server.set_default(Reply::ok("<html>alive</html>"));  // the other share pages
  MainWindow* active = start_active(f);
  QVERIFY2(active != nullptr, kNotActive);
  MainWindow& w = *active;
  ResultsList* list = w.results_list();
  for (int i = 0; i < 3; ++i) list->set_cell(list->append_row(), 6, "s" + std::to_string(i));
  list->setVisible(true);
  // Each box outlasts the check's one-second wait around it.
  observe_with_nested_loop(f, 1300);
  QSignalSpy enters(w.keyword_box(), &KeywordEdit::enter_pressed);
  int storms = 0;
  QTimer storm;
  QObject::connect(&storm, &QTimer::timeout, [&] {
    if (!w.checking || storms++ > 6) return;
    storm_once(w);
  });
  storm.start(150);
  QElapsedTimer clock;
  clock.start();
  w.check_button()->click();
  const qint64 elapsed = clock.elapsed();
  storm.stop();
  set_message_observer([&f](const QString& text) { f.messages.append(text); });

  QVERIFY(enters.count() > 0);
  QCOMPARE(w.check_button()->text(), QStringLiteral("正常：2，失效：1，未知：0"));
  QVERIFY(!w.checking);
  QVERIFY(w.check_button()->isEnabled());
  QVERIFY(f.requests_to("/s/").empty());
  for (const char* id : {"/go/s0", "/go/s1", "/go/s2"})
    QCOMPARE(f.requests_to(id).size(), std::size_t{1});
  QVERIFY(!f.messages.isEmpty());
  for (const QString& m : f.messages) QCOMPARE(m, kSearchRefused);
  QVERIFY2(elapsed >= 3000 && elapsed < 60000, qPrintable(QString::number(elapsed)));
}

void ReentrancyTest::real_box_blocks_the_window() {
  WindowFixture f;
  f.server.on("/s/", Reply::ok(reply_of(3)));
  MainWindow* active = start_active(f);
  QVERIFY2(active != nullptr, kNotActive);
  MainWindow& w = *active;
  set_message_observer({});
  QSignalSpy enters(w.keyword_box(), &KeywordEdit::enter_pressed);
  w.keyword_box()->setText(QStringLiteral("a"));  // too short: a box
  std::set<QWidget*> boxes;
  QString title, text;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      boxes.insert(box);
      title = box->windowTitle();
      text = box->text();
    }
  });
  watch.start(10);
  QTimer::singleShot(100, &w, [&] {
    w.keyword_box()->setText(QStringLiteral("ab"));  // a search, were Enter let through
    for (int i = 0; i < 5; ++i) storm_once(w);
  });
  QTimer::singleShot(400, &w, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
      box->button(QMessageBox::Ok)->click();
  });
  QElapsedTimer clock;
  clock.start();
  search_from_keyword_box(w);
  watch.stop();
  set_message_observer([&f](const QString& message) { f.messages.append(message); });

  QVERIFY2(clock.elapsed() >= 350 && clock.elapsed() < 5000, "the box did not hold the handler");
  QCOMPARE(enters.count(), 0);  // the storm's Enter, which reaches the box elsewhere
  QCOMPARE(boxes.size(), std::size_t{1});
  QCOMPARE(title, QStringLiteral("Vellix提示："));
  QCOMPARE(text, QStringLiteral("你搜索的关键字太短了吧？"));
  QVERIFY(f.requests_to("/s/").empty());
  QVERIFY(QApplication::activeModalWidget() == nullptr);
  QVERIFY(!w.is_closed());
}

void ReentrancyTest::closing_at_any_moment_data() {
  QTest::addColumn<QString>("phase");
  QTest::addColumn<QString>("method");
  for (const char* phase : {"startup", "fill", "check", "box", "box-in-check"})
    for (const char* method : {"button", "close", "wm"})
      QTest::addRow("%s, %s", phase, method) << phase << method;
}

void ReentrancyTest::closing_at_any_moment() {
  QFETCH(QString, phase);
  QFETCH(QString, method);
  QProcess child;
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  QElapsedTimer clock;
  clock.start();
  child.start(QStringLiteral(ORVANE_REENTRANCY_CHILD), {phase, method});
  QVERIFY(child.waitForStarted(5000));
  if (!child.waitForFinished(20000)) {
    child.kill();
    child.waitForFinished(2000);
    QFAIL("the program did not end after its window closed");
  }
  const QString state = QString::fromLatin1(child.readAllStandardOutput()).trimmed();
  qInfo("%s: %s, exit after %lld ms", QTest::currentDataTag(), qPrintable(state), clock.elapsed());
  QCOMPARE(child.exitStatus(), QProcess::NormalExit);
  QCOMPARE(child.exitCode(), 0);

  QMap<QString, int> values;
  for (const QString& pair : state.split(' ')) {
    const QStringList kv = pair.split('=');
    if (kv.size() == 2) values[kv[0]] = kv[1].toInt();
  }
  QCOMPARE(values.value("closed", -1), 1);
  QCOMPARE(values.value("visible", -1), 0);
  if (phase == "fill") {
    QVERIFY(values["rows"] > 0 && values["rows"] < 1000);
  } else if (phase == "check") {
    // Closed in the second row's wait: the rest were never reached.
    QCOMPARE(values["rows"], 20);
    QVERIFY(values["statuses"] >= 1 && values["statuses"] <= 3);
  } else if (phase == "box") {
    QCOMPARE(values["boxes"], 1);
  } else if (phase == "box-in-check") {
    QCOMPARE(values["boxes"], 1);
    QVERIFY(values["statuses"] >= 1 && values["statuses"] < 5);
  }
  QVERIFY2(values["ms"] < 10000, "the operation went on after the close");
}

QTEST_MAIN(ReentrancyTest)
#include "reentrancy_test.moc"
