// Where the window opens on a desktop whose primary monitor does not start at (0, 0):
// the primary screen sits right of a wider second one. The offscreen platform takes its
// screens from a configuration file, written here before the application starts.
#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "app/main_window.h"

using namespace orvane;

namespace {

// The platform adds the screens in the order of their names; the first is the primary.
constexpr char kScreens[] = R"({
  "screens": [
    {"name": "1 primary, right", "x": 1920, "y": 0, "width": 1280, "height": 1024},
    {"name": "2 left", "x": 0, "y": 0, "width": 1920, "height": 1080}
  ]
})";

const QRect kPrimary(1920, 0, 1280, 1024);

}  // namespace

class ScreenPlaceTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY2(QGuiApplication::primaryScreen()->geometry() == kPrimary,
             "the offscreen platform did not take the screen configuration");
    QCOMPARE(QGuiApplication::screens().size(), 2);
  }

  void window_is_centred_on_the_primary_screen() {
    MainWindow window({"http://127.0.0.1:9", "http://127.0.0.1:9"});
    QCOMPARE(window.pos(), QPoint(1920 + (1280 - 850) / 2, (1024 - 550) / 2));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.frameGeometry().topLeft(), QPoint(2135, 237));
    QCOMPARE(window.screen(), QGuiApplication::primaryScreen());
    QVERIFY(kPrimary.contains(window.frameGeometry()));
  }
};

int main(int argc, char** argv) {
  QTemporaryDir dir;
  const QString config = dir.filePath(QStringLiteral("screens.json"));
  QFile file(config);
  if (!dir.isValid() || !file.open(QIODevice::WriteOnly) || file.write(kScreens) < 0) {
    qFatal("cannot write the screen configuration");
  }
  file.close();
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
  QApplication app(argc, argv);
  ScreenPlaceTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "screen_place_test.moc"
