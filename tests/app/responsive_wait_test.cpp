// wait_responsive and the busy pause: how long they last, what they let through, nesting.
#include <ctime>

#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "common/responsive_wait.h"

using namespace orvane;

namespace {

// Counts the events posted to it as they are handled.
class Counter : public QObject {
 public:
  int handled = 0;
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) {
      ++handled;
      return true;
    }
    return QObject::event(e);
  }
};

qint64 timed_wait(int interval, int unit = 0, bool* result = nullptr) {
  QElapsedTimer clock;
  clock.start();
  const bool ok = wait_responsive(interval, unit);
  if (result != nullptr) *result = ok;
  return clock.elapsed();
}

}  // namespace

class ResponsiveWaitTest : public QObject {
  Q_OBJECT

 private slots:
  void lasts_at_least_the_interval_data() {
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("ms");
    QTest::newRow("1000 ms, unit omitted") << 1000 << 0 << 1000;
    QTest::newRow("1 s") << 1 << 1 << 1000;
    QTest::newRow("unit code 7 = 7 ms per unit") << 30 << 7 << 210;
  }

  void lasts_at_least_the_interval() {
    QFETCH(int, interval);
    QFETCH(int, unit);
    QFETCH(int, ms);
    bool ok = false;
    const qint64 took = timed_wait(interval, unit, &ok);
    QVERIFY(ok);
    QVERIFY2(took >= ms - 10, qPrintable(QString::number(took)));
    QVERIFY2(took < ms + 5000, "hung");
  }

  void zero_or_negative_returns_at_once_data() {
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("unit");
    QTest::newRow("omitted") << 0 << 0;
    QTest::newRow("negative") << -5 << 0;
    QTest::newRow("negative unit code") << 10 << -3;
    QTest::newRow("zero minutes") << 0 << 2;
  }

  void zero_or_negative_returns_at_once() {
    QFETCH(int, interval);
    QFETCH(int, unit);
    bool ok = false;
    QVERIFY(timed_wait(interval, unit, &ok) < 500);
    QVERIFY(ok);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(wait_responsive());
    QVERIFY(clock.elapsed() < 500);
  }

  void input_is_handled_during_the_wait() {
    QPushButton button("other control");
    button.resize(100, 30);
    button.show();
    QSignalSpy clicks(&button, &QPushButton::clicked);
    QTimer::singleShot(200, &button, [&] { QTest::mouseClick(&button, Qt::LeftButton); });
    Counter counter;
    QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
    QVERIFY(wait_responsive(600));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(counter.handled, 1);
  }

  void sleeps_instead_of_spinning() {
    const std::clock_t cpu_before = std::clock();
    QVERIFY(wait_responsive(500));
    const double cpu_ms = 1000.0 * double(std::clock() - cpu_before) / CLOCKS_PER_SEC;
    QVERIFY2(cpu_ms < 250, qPrintable(QString::number(cpu_ms)));  // a spin would use ~500
  }

  void outer_wait_returns_after_the_nested_one() {
    QElapsedTimer clock;
    clock.start();
    qint64 inner_end = -1;
    bool inner_ok = false;
    QTimer::singleShot(100, [&] {
      inner_ok = wait_responsive(2000);
      inner_end = clock.elapsed();
    });
    const bool outer_ok = wait_responsive(1000);
    const qint64 outer_end = clock.elapsed();
    QVERIFY(inner_ok);
    QVERIFY(outer_ok);
    QVERIFY2(inner_end >= 2090, qPrintable(QString::number(inner_end)));
    QVERIFY(outer_end >= inner_end);
    // Its own timer fired long ago: no further waiting once the nested one is done.
    QVERIFY2(outer_end - inner_end < 500, qPrintable(QString::number(outer_end - inner_end)));
  }

  void nested_shorter_wait_inside_a_longer_one() {
    QElapsedTimer clock;
    clock.start();
    qint64 inner_end = -1;
    QTimer::singleShot(50, [&] {
      wait_responsive(100);
      inner_end = clock.elapsed();
    });
    QVERIFY(wait_responsive(600));
    QVERIFY(inner_end >= 140 && inner_end < 600);
    QVERIFY(clock.elapsed() >= 590);
  }

  void pump_of_zero_or_less_dispatches_nothing_data() {
    QTest::addColumn<int>("ms");
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -1;
    QTest::newRow("most negative") << int(INT32_MIN);
  }

  void pump_of_zero_or_less_dispatches_nothing() {
    QFETCH(int, ms);
    Counter counter;
    QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
    pump_events_for(ms);
    QCOMPARE(counter.handled, 0);
    QCoreApplication::sendPostedEvents(&counter);
    QCOMPARE(counter.handled, 1);
  }

  void pump_dispatches_for_its_time() {
    Counter counter;
    QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
    QElapsedTimer clock;
    clock.start();
    pump_events_for(30);
    QVERIFY(clock.elapsed() >= 30);
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(counter.handled, 1);
  }
};

QTEST_MAIN(ResponsiveWaitTest)
#include "responsive_wait_test.moc"
