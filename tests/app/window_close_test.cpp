// Closing the window while handlers wait inside nested loops: every wait ends at once,
// the window object stays usable and the process ends normally.
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "app/main_window.h"
#include "app/message_box.h"
#include "app/picture_button.h"
#include "app/results_list.h"
#include "common/responsive_wait.h"

using namespace orvane;

class WindowCloseTest : public QObject {
  Q_OBJECT

 private slots:
  void close_button_ends_nested_waits() {
    set_message_observer([](const QString&) {});
    MainWindow window({"http://127.0.0.1:1", "http://127.0.0.1:1"});
    window.start();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(wait_responsive(10));

    QElapsedTimer clock;
    clock.start();
    bool inner_result = true;
    qint64 inner_end = -1;
    bool clicked_while_open = false;
    // A handler that waits, and inside it another one that clicks the close button.
    QTimer::singleShot(100, &window, [&] {
      QTimer::singleShot(100, &window, [&] {
        QTest::mouseClick(window.close_button(), Qt::LeftButton);
        // The close is posted, not done inside the click.
        clicked_while_open = !window.is_closed() && window.isVisible();
      });
      inner_result = wait_responsive(10000);
      inner_end = clock.elapsed();
      if (window.is_closed()) return;  // what every long operation does after a wait
      window.results_list()->delete_all_rows();
    });
    const bool outer_result = wait_responsive(20000);
    const qint64 outer_end = clock.elapsed();

    QVERIFY(clicked_while_open);
    QVERIFY(window.is_closed());
    QVERIFY(!window.isVisible());
    QVERIFY(!inner_result);
    QVERIFY(!outer_result);
    QVERIFY2(inner_end >= 0 && inner_end < 3000, qPrintable(QString::number(inner_end)));
    QVERIFY2(outer_end < 3000, qPrintable(QString::number(outer_end)));
    // Later waits and pauses end at once too.
    QElapsedTimer later;
    later.start();
    QVERIFY(!wait_responsive(5000));
    pump_events_for(5000);
    QVERIFY(later.elapsed() < 1000);
    // The window object is still whole.
    QCOMPARE(window.results_list()->row_count(), 0);
    set_message_observer({});
  }
};

QTEST_MAIN(WindowCloseTest)
#include "window_close_test.moc"
