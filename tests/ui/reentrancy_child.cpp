// The program's own flow (build the window, start it, run the loop) with the window
// closed at one chosen moment, for reentrancy_test to run as a child process.
//
//   reentrancy_child PHASE METHOD
//   PHASE:  startup | fill | check | box | box-in-check
//   METHOD: button | close | wm
//
// Prints one line of the window's state after the loop ended and returns the loop's
// result, as main() does.
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstring>

#include "app/keyword_edit.h"
#include "app/main_window.h"
#include "app/picture_button.h"
#include "app/results_list.h"
#include "app/wrap_button.h"
#include "tests/ui/window_fixture.h"

using namespace orvane;
using namespace orvane::test;

namespace {

int g_boxes = 0;      // message boxes opened
bool g_held = false;  // a close that a modal box held back

// The window manager's close: the platform window's close when there is one, else the
// close event it would deliver.
void close_like_window_manager(MainWindow& window) {
  if (QWindow* handle = window.windowHandle(); handle != nullptr && window.isVisible()) {
    handle->close();
    return;
  }
  QCloseEvent event;
  QCoreApplication::sendEvent(&window, &event);
}

void close_window(MainWindow& window, const char* method) {
  if (std::strcmp(method, "button") == 0) {
    QTest::mouseClick(window.close_button(), Qt::LeftButton);
  } else if (std::strcmp(method, "close") == 0) {
    window.close();
  } else {
    close_like_window_manager(window);
  }
}

// While a modal box is open the platform drops a close of the window it blocks; the user
// closes the box first, then the window.
void close_past_a_box(MainWindow& window, const char* method) {
  close_window(window, method);
  QTimer::singleShot(300, &window, [&window, method] {
    if (window.is_closed()) return;
    g_held = true;
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
    QTimer::singleShot(100, &window, [&window, method] { close_window(window, method); });
  });
}

void add_rows(MainWindow& window, int count) {
  ResultsList* list = window.results_list();
  for (int i = 0; i < count; ++i) list->set_cell(list->append_row(), 6, "s" + std::to_string(i));
  list->setVisible(true);
}

void begin_phase(MainWindow& window, const char* phase, const char* method) {
  auto close_at = [&window, method](int ms) {
    QTimer::singleShot(ms, &window, [&window, method] { close_past_a_box(window, method); });
  };
  if (std::strcmp(phase, "fill") == 0) {
    close_at(300);
    window.keyword_box()->setText(QStringLiteral("ab"));
    QTest::keyClick(window.keyword_box(), Qt::Key_Return);
  } else if (std::strcmp(phase, "check") == 0) {
    add_rows(window, 20);
    close_at(1500);
    window.check_button()->click();
  } else if (std::strcmp(phase, "box") == 0) {
    close_at(300);
    window.check_button()->click();  // empty list: a real message box
  } else if (std::strcmp(phase, "box-in-check") == 0) {
    add_rows(window, 5);
    // Inside the first wait a search is refused with a box, which stays open.
    QTimer::singleShot(500, &window, [&window] {
      window.keyword_box()->setText(QStringLiteral("ab"));
      QTest::keyClick(window.keyword_box(), Qt::Key_Return);
    });
    close_at(1200);
    window.check_button()->click();
  }
}

// Counts the boxes as they open.
class BoxCounter : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched->inherits("QMessageBox")) ++g_boxes;
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const char* phase = argv[1];
  const char* method = argv[2];
  QApplication app(argc, argv);
  BoxCounter counter;
  app.installEventFilter(&counter);

  ScriptedServer server;
  server.on("/version.txt", Reply::ok("1.0"));
  server.on("/tj.html", Reply::ok("<html></html>"));
  server.on("/s/", Reply::ok(reply_of(1000)));  // ten seconds of fill
  server.set_default(Reply::ok("<html>share</html>"));

  QElapsedTimer clock;
  clock.start();
  int result = 0;
  {
    MainWindow window({server.base_url(), server.base_url()});
    if (std::strcmp(phase, "startup") == 0) {
      // Lands in the first wait after the version fetch.
      QTimer::singleShot(30, &window, [&window, method] { close_window(window, method); });
    }
    window.start();
    if (!window.is_closed()) {
      QTimer::singleShot(0, &window,
                         [&window, phase, method] { begin_phase(window, phase, method); });
      result = app.exec();
    }
    int statuses = 0;
    for (int row = 0; row < window.results_list()->row_count(); ++row)
      statuses += !window.results_list()->cell(row, 5).empty();
    std::printf("closed=%d visible=%d rows=%d statuses=%d boxes=%d held=%d ms=%lld\n",
                int(window.is_closed()), int(window.isVisible()),
                window.results_list()->row_count(), statuses, g_boxes, int(g_held),
                static_cast<long long>(clock.elapsed()));
    std::fflush(stdout);
  }
  return result;
}
