// The window on a scaled screen. ctest runs this at QT_SCALE_FACTOR 1, 1.5 and 2: the
// window keeps its logical 850 x 550, and from 1.5 on every picture comes from its "@2x"
// file; at exactly 2 the drawn pixels are the 2x file's own, one to one.
#include <QGuiApplication>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <memory>

#include "app/assets.h"
#include "app/main_window.h"
#include "app/picture_box.h"
#include "app/picture_button.h"

using namespace orvane;

namespace {

const Endpoints kNowhere{"http://127.0.0.1:9", "http://127.0.0.1:9"};

qreal screen_ratio() { return qGuiApp->devicePixelRatio(); }
bool exact_2x() { return qFuzzyCompare(screen_ratio(), 2.0); }

QImage as_rgb(const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); }

// The drawn widget and the picture agree where both have pixels.
bool same_pixels(const QImage& drawn, const QImage& picture) {
  const int w = std::min(drawn.width(), picture.width());
  const int h = std::min(drawn.height(), picture.height());
  const QImage a = as_rgb(drawn), b = as_rgb(picture);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (a.pixel(x, y) != b.pixel(x, y)) return false;
    }
  }
  return w > 0 && h > 0;
}

}  // namespace

class HiDpiTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    const QByteArray factor = qgetenv("QT_SCALE_FACTOR");
    QVERIFY2(factor.isEmpty() || qFuzzyCompare(screen_ratio(), factor.toDouble()),
             "the screen ratio does not follow QT_SCALE_FACTOR");
    // The scales this runs at: 100 % takes the plain files, 150 % and 200 % the "@2x" ones.
    const qreal ratio = screen_ratio();
    QVERIFY2(qFuzzyCompare(ratio, 1.0) || qFuzzyCompare(ratio, 1.5) || qFuzzyCompare(ratio, 2.0),
             "expected files are stated for scales 1, 1.5 and 2 only");
    m_2x = !qFuzzyCompare(ratio, 1.0);
    m_window = std::make_unique<MainWindow>(kNowhere);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
  }

  void window_is_850_by_550_logical() {
    QCOMPARE(m_window->size(), QSize(850, 550));
    QCOMPARE(m_window->windowHandle()->devicePixelRatio(), screen_ratio());
    const QPixmap drawn = m_window->grab();
    QCOMPARE(drawn.deviceIndependentSize().toSize(), QSize(850, 550));
    QCOMPARE(drawn.size(), (QSizeF(850, 550) * screen_ratio()).toSize());
  }

  void picture_buttons_use_the_file_for_the_screen_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("asset");
    QTest::addColumn<QString>("asset_2x");
    QTest::newRow("search") << "图形按钮_搜索"
                            << "search.jpg"
                            << "search@2x.jpg";
    QTest::newRow("close") << "图形按钮_关闭"
                           << "close.jpg"
                           << "close@2x.jpg";
    QTest::newRow("minimize") << "图形按钮_最小化"
                              << "minimize.jpg"
                              << "minimize@2x.jpg";
    QTest::newRow("banner") << "图形按钮1"
                            << "banner.jpg"
                            << "banner@2x.jpg";
  }

  void picture_buttons_use_the_file_for_the_screen() {
    QFETCH(QString, control);
    QFETCH(QString, asset);
    QFETCH(QString, asset_2x);
    auto* button = m_window->findChild<PictureButton*>(control);
    QVERIFY(button != nullptr);
    const QString file = m_2x ? asset_2x : asset;
    const QImage expected = decode_jpeg(asset_bytes(file.toUtf8().constData()));
    QVERIFY(!expected.isNull());
    const QImage& shown = button->shown_picture();
    QCOMPARE(shown.size(), expected.size());
    QCOMPARE(shown.devicePixelRatio(), m_2x ? 2.0 : 1.0);
    // Same logical size whichever file is used.
    QCOMPARE(shown.deviceIndependentSize().toSize(),
             decode_jpeg(asset_bytes(asset.toUtf8().constData())).size());
    // Between whole ratios the picture is resampled; at 1 and 2 it is copied.
    if (qFuzzyCompare(screen_ratio(), 1.0) || exact_2x()) {
      QVERIFY(same_pixels(button->grab().toImage(), expected));
    }
  }

  void picture_box_uses_the_file_for_the_screen_data() {
    QTest::addColumn<QString>("asset");
    QTest::addColumn<QString>("asset_2x");
    QTest::addColumn<QSize>("logical");
    QTest::newRow("nothing found") << "nothing_found.jpg"
                                   << "nothing_found@2x.jpg" << QSize(500, 150);
    QTest::newRow("connection problem") << "connection_problem.jpg"
                                        << "connection_problem@2x.jpg" << QSize(500, 150);
    QTest::newRow("loading") << "loading.gif"
                             << "loading@2x.gif" << QSize(146, 95);
    QTest::newRow("checking") << "checking.gif"
                              << "checking@2x.gif" << QSize(24, 24);
  }

  void picture_box_uses_the_file_for_the_screen() {
    QFETCH(QString, asset);
    QFETCH(QString, asset_2x);
    QFETCH(QSize, logical);
    PictureBox* box = m_window->message_picture();
    box->setVisible(true);
    box->resize(537, 227);
    box->set_picture_asset(asset.toUtf8().constData());
    const QString file = m_2x ? asset_2x : asset;
    QCOMPARE(box->picture_bytes(), asset_bytes(file.toUtf8().constData()));
    QCOMPARE(box->picture_ratio(), m_2x ? 2.0 : 1.0);
    QCOMPARE(box->asset_name(), asset);
    QCOMPARE(box->picture_size(), logical);
    // Drawn centred at its logical size, as the 1x file would be.
    QCOMPARE(box->picture_rect().size(), logical);
    box->setVisible(false);
  }

  // A 500 x 150 picture filling the box shows the 2x file's pixels one to one.
  void message_picture_is_sharp_at_2x() {
    if (!exact_2x()) QSKIP("pixel-exact only at a scale of exactly 2");
    PictureBox* box = m_window->message_picture();
    box->setVisible(true);
    box->set_picture_asset("nothing_found.jpg");
    box->resize(500, 150);
    const QImage drawn = box->grab().toImage();
    QCOMPARE(drawn.size(), QSize(1000, 300));
    QVERIFY(same_pixels(drawn, decode_jpeg(asset_bytes("nothing_found@2x.jpg"))));
    box->setVisible(false);
  }

  // Bytes given directly are drawn at their own size, whatever the screen.
  void picture_bytes_keep_their_natural_size() {
    PictureBox* box = m_window->message_picture();
    box->set_picture(asset_bytes("nothing_found@2x.jpg"));
    QCOMPARE(box->picture_ratio(), 1.0);
    QCOMPARE(box->picture_size(), QSize(1000, 300));
    QVERIFY(box->asset_name().isEmpty());
  }

 private:
  std::unique_ptr<MainWindow> m_window;
  bool m_2x = false;  // the screen takes the "@2x" files
};

QTEST_MAIN(HiDpiTest)
#include "hidpi_test.moc"
