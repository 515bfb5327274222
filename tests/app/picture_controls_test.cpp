// Picture buttons and picture boxes: states, drawing modes, animation, the JPEG decoder.
#include <QBuffer>
#include <QElapsedTimer>
#include <QImageReader>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include "app/assets.h"
#include "app/picture_box.h"
#include "app/picture_button.h"

using namespace orvane;

namespace {

QImage filled(QSize size, QColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

QByteArray as_jpeg(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPG", 95);
  return bytes;
}

// Counts the presses that reach it, whoever they were aimed at.
class Surface : public QWidget {
 public:
  int presses = 0;

 protected:
  void mousePressEvent(QMouseEvent*) override { ++presses; }
};

}  // namespace

class PictureControlsTest : public QObject {
  Q_OBJECT

 private:
  const QImage m_normal = filled({20, 10}, Qt::red);
  const QImage m_hover = filled({20, 10}, Qt::green);
  const QImage m_pressed = filled({20, 10}, Qt::blue);

  struct Scene {
    Surface surface;
    PictureButton* button;
    QWindow* window() { return surface.windowHandle(); }
  };

  void set_up(Scene& scene, const PictureButton::Pictures& pictures) {
    scene.surface.resize(200, 100);
    scene.button = new PictureButton(pictures, &scene.surface);
    scene.button->setGeometry(50, 30, 30, 20);
    scene.surface.show();
    QVERIFY(QTest::qWaitForWindowExposed(&scene.surface));
  }

 private slots:
  void button_states_follow_the_pointer() {
    Scene scene;
    set_up(scene, {m_normal, m_hover, m_pressed, {}});
    PictureButton* button = scene.button;
    QSignalSpy clicks(button, &PictureButton::clicked);
    QSignalSpy moves(button, &PictureButton::mouse_moved);
    QCOMPARE(button->shown_picture(), m_normal);
    QTest::mouseMove(scene.window(), QPoint(60, 40));
    QTRY_COMPARE(button->state(), PictureButton::State::Hover);
    QCOMPARE(button->shown_picture(), m_hover);
    QTest::mouseMove(scene.window(), QPoint(62, 41));
    QVERIFY(moves.count() >= 1);
    QTest::mousePress(scene.window(), Qt::LeftButton, {}, QPoint(62, 41));
    QCOMPARE(button->state(), PictureButton::State::Pressed);
    QCOMPARE(button->shown_picture(), m_pressed);
    // The button keeps the mouse while held: it sees the pointer leave and come back.
    QTest::mouseMove(scene.window(), QPoint(150, 80));
    QCOMPARE(button->state(), PictureButton::State::Normal);
    QTest::mouseMove(scene.window(), QPoint(61, 40));
    QCOMPARE(button->state(), PictureButton::State::Pressed);
    QTest::mouseRelease(scene.window(), Qt::LeftButton, {}, QPoint(61, 40));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(button->state(), PictureButton::State::Normal);
    QCOMPARE(scene.surface.presses, 0);
  }

  void release_off_the_button_is_no_click() {
    Scene scene;
    set_up(scene, {m_normal, m_hover, m_pressed, {}});
    QSignalSpy clicks(scene.button, &PictureButton::clicked);
    QTest::mousePress(scene.window(), Qt::LeftButton, {}, QPoint(60, 40));
    QTest::mouseMove(scene.window(), QPoint(150, 80));
    QTest::mouseRelease(scene.window(), Qt::LeftButton, {}, QPoint(150, 80));
    QCOMPARE(clicks.count(), 0);
  }

  void missing_state_pictures_fall_back_to_normal() {
    Scene scene;
    set_up(scene, {m_normal, m_hover, {}, {}});  // the search button has no pressed picture
    QTest::mousePress(scene.window(), Qt::LeftButton, {}, QPoint(60, 40));
    QCOMPARE(scene.button->state(), PictureButton::State::Pressed);
    QCOMPARE(scene.button->shown_picture(), m_normal);
    QTest::mouseRelease(scene.window(), Qt::LeftButton, {}, QPoint(60, 40));
  }

  void disabled_button_ignores_the_mouse() {
    Scene scene;
    set_up(scene, {m_normal, m_hover, m_pressed, {}});
    QTest::mouseMove(scene.window(), QPoint(5, 5));
    QTest::mouseMove(scene.window(), QPoint(60, 40));
    QTRY_COMPARE(scene.button->state(), PictureButton::State::Hover);
    scene.button->setEnabled(false);
    QSignalSpy clicks(scene.button, &PictureButton::clicked);
    QTest::mouseClick(scene.window(), Qt::LeftButton, {}, QPoint(60, 40));
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(scene.surface.presses, 1);  // the press fell through to what lies below
    QTest::mouseMove(scene.window(), QPoint(150, 80));
    QCOMPARE(scene.button->state(), PictureButton::State::Hover);  // kept as it was
    QCOMPARE(scene.button->shown_picture(), m_hover);
  }

  void disabled_picture_shows_when_given() {
    const QImage grey = filled({20, 10}, Qt::gray);
    PictureButton button({m_normal, m_hover, m_pressed, grey});
    button.setEnabled(false);
    QCOMPARE(button.shown_picture(), grey);
  }

  void button_is_black_where_the_picture_ends() {
    PictureButton button({m_normal, {}, {}, {}});
    button.resize(30, 20);
    const QImage drawn = button.grab().toImage().scaled(30, 20);
    QCOMPARE(drawn.pixelColor(5, 5), QColor(Qt::red));
    QCOMPARE(drawn.pixelColor(25, 5), QColor(Qt::black));
    QCOMPARE(drawn.pixelColor(5, 15), QColor(Qt::black));
  }

  void box_modes_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("drawn");
    const int centred = int(PictureBox::Mode::Centred), natural = int(PictureBox::Mode::Natural);
    QTest::newRow("smaller, centred")
        << centred << QSize(537, 227) << QSize(500, 150) << QRect(18, 38, 500, 150);
    QTest::newRow("same size") << centred << QSize(500, 150) << QSize(500, 150)
                               << QRect(0, 0, 500, 150);
    QTest::newRow("wider, scaled down")
        << centred << QSize(537, 227) << QSize(1074, 150) << QRect(0, 76, 537, 75);
    QTest::newRow("taller, scaled down")
        << centred << QSize(100, 100) << QSize(50, 400) << QRect(44, 0, 12, 100);
    QTest::newRow("natural, at the corner")
        << natural << QSize(24, 24) << QSize(10, 8) << QRect(0, 0, 10, 8);
    QTest::newRow("natural, larger, cut")
        << natural << QSize(24, 24) << QSize(40, 30) << QRect(0, 0, 40, 30);
  }

  void box_modes() {
    QFETCH(int, mode);
    QFETCH(QSize, box);
    QFETCH(QSize, picture);
    QFETCH(QRect, drawn);
    PictureBox target{static_cast<PictureBox::Mode>(mode)};
    target.resize(box);
    target.set_picture(as_jpeg(filled(picture, Qt::blue)));
    QCOMPARE(target.picture_size(), picture);
    QCOMPARE(target.picture_rect(), drawn);
    QCOMPARE(target.frame_count(), 1);
    QCOMPARE(target.current_frame(), 0);
  }

  void message_picture_resized_to_its_picture() {
    // The search puts a 500 x 150 picture in, then shrinks the box to it.
    QWidget window;
    window.resize(850, 550);
    PictureBox box(PictureBox::Mode::Centred, &window);
    box.setGeometry(156, 213, 537, 227);
    box.set_picture(asset_bytes("nothing_found.jpg"));
    QCOMPARE(box.picture_size(), QSize(500, 150));
    QCOMPARE(box.picture_rect(), QRect(18, 38, 500, 150));
    box.resize(500, 150);
    QCOMPARE(box.geometry(), QRect(156, 213, 500, 150));
    QCOMPARE(box.picture_rect(), QRect(0, 0, 500, 150));
  }

  void empty_and_cleared_box() {
    PictureBox box(PictureBox::Mode::Centred);
    box.resize(50, 50);
    QVERIFY(box.picture_rect().isEmpty());
    QCOMPARE(box.frame_count(), 0);
    box.set_picture("not a picture");
    QVERIFY(box.picture_rect().isEmpty());
    box.set_picture(asset_bytes("loading.gif"));
    QVERIFY(!box.picture_rect().isEmpty());
    box.clear_picture();
    QVERIFY(box.picture_bytes().isEmpty());
    QCOMPARE(box.frame_count(), 0);
  }

  void gif_plays_with_its_delays_and_loops_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("frames");
    QTest::newRow("checking") << "checking.gif" << QSize(24, 24) << 12;
    QTest::newRow("loading") << "loading.gif" << QSize(146, 95) << 15;
  }

  void gif_plays_with_its_delays_and_loops() {
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(int, frames);
    const QByteArray bytes = asset_bytes(name.toUtf8().constData());
    QBuffer file;
    file.setData(bytes);
    QImageReader reader(&file, "gif");
    for (int frame = 0; frame < frames; ++frame) {
      QVERIFY(!reader.read().isNull());
      QCOMPARE(reader.nextImageDelay(), 70);
    }
    PictureBox box(PictureBox::Mode::Natural);
    box.resize(size);
    box.show();
    box.set_picture(bytes);
    QCOMPARE(box.picture_size(), size);
    QCOMPARE(box.frame_count(), frames);
    QVERIFY(box.frame_delay() > 0 && box.frame_delay() <= 70);  // time left of frame 0
    QTRY_COMPARE_WITH_TIMEOUT(box.current_frame(), 1, 2000);
    QElapsedTimer clock;
    clock.start();
    QTRY_COMPARE_WITH_TIMEOUT(box.current_frame(), frames - 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(box.current_frame(), 0, 2000);  // wraps round
    // frames - 1 steps of 70 ms lie between seeing frame 1 and frame 0 again.
    QVERIFY2(clock.elapsed() >= (frames - 1) * 70 * 8 / 10,
             qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE_WITH_TIMEOUT(box.current_frame(), 1, 2000);  // and goes on playing
  }

  void same_animation_again_starts_from_its_first_frame() {
    PictureBox box(PictureBox::Mode::Natural);
    box.resize(146, 95);
    box.show();
    for (const char* name : {"loading.gif", "loading.gif", "checking.gif", "loading.gif"}) {
      box.set_picture_asset(name);
      QCOMPARE(box.asset_name(), QString::fromUtf8(name));
      QCOMPARE(box.current_frame(), 0);
      QTRY_VERIFY_WITH_TIMEOUT(box.current_frame() >= 2, 2000);  // and it plays
    }
    QCOMPARE(box.picture_size(), QSize(146, 95));
  }

  void gif_frames_are_composed_on_white() {
    const QByteArray bytes = asset_bytes("checking.gif");
    QImageReader reader(QByteArray("gif"));
    QBuffer buffer;
    buffer.setData(bytes);
    reader.setDevice(&buffer);
    const QImage first = reader.read();
    QPoint clear(-1, -1);
    for (int y = 0; y < first.height() && clear.x() < 0; ++y)
      for (int x = 0; x < first.width(); ++x)
        if (qAlpha(first.pixel(x, y)) == 0) {
          clear = QPoint(x, y);
          break;
        }
    if (clear.x() < 0) QSKIP("the animation has no transparent pixel");
    PictureBox box(PictureBox::Mode::Natural);
    box.resize(24, 24);
    box.set_picture(bytes);
    const QImage drawn = box.grab().toImage().scaled(24, 24);
    QCOMPARE(drawn.pixelColor(clear), QColor(Qt::white));
  }

  void jpeg_decoder() {
    const QImage picture = decode_jpeg(asset_bytes("background.jpg"));
    QCOMPARE(picture.size(), QSize(850, 550));
    QVERIFY(decode_jpeg(QByteArray()).isNull());
    QVERIFY(decode_jpeg("GIF89a not a jpeg").isNull());
    QByteArray cut = asset_bytes("search.jpg");
    QVERIFY(!decode_jpeg(cut).isNull());
    QCOMPARE(decode_jpeg(cut).size(), QSize(91, 35));
    cut.truncate(cut.size() / 3);
    decode_jpeg(cut);  // a truncated file must not crash; libjpeg pads it
    QVERIFY(decode_jpeg(cut.left(20)).isNull());
  }

  void double_size_assets_on_a_2x_screen() {
    const QImage plain = asset_image_for_ratio("close.jpg", 1.0);
    const QImage sharp = asset_image_for_ratio("close.jpg", 2.0);
    QCOMPARE(plain.size(), QSize(35, 24));
    QCOMPARE(sharp.size(), QSize(70, 48));
    QCOMPARE(sharp.devicePixelRatio(), 2.0);
    QCOMPARE(sharp.deviceIndependentSize().toSize(), QSize(35, 24));
    QVERIFY(!asset_image("icon_32.png").isNull());
  }
};

QTEST_MAIN(PictureControlsTest)
#include "picture_controls_test.moc"
