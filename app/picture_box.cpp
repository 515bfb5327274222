#include "app/picture_box.h"

#include <algorithm>

#include <QBuffer>
#include <QMovie>
#include <QPainter>

#include "app/assets.h"

namespace orvane {

struct PictureBox::Impl {
  QImage still;
  QBuffer buffer;
  QMovie* movie = nullptr;  // child of the box
  qreal ratio = 1.0;        // pixels of the picture per logical pixel
  QString asset;
};

namespace {

bool is_gif(const QByteArray& bytes) { return bytes.startsWith("GIF8"); }

}  // namespace

PictureBox::PictureBox(Mode mode, QWidget* parent)
    : QWidget(parent), m_mode(mode), m_impl(std::make_unique<Impl>()) {
  setFocusPolicy(Qt::NoFocus);
}

PictureBox::~PictureBox() { clear_picture(); }

void PictureBox::clear_picture() {
  if (m_impl->movie != nullptr) {
    m_impl->movie->stop();
    delete m_impl->movie;
    m_impl->movie = nullptr;
  }
  m_impl->buffer.close();
  m_impl->buffer.setData(QByteArray());
  m_impl->still = QImage();
  m_impl->ratio = 1.0;
  m_impl->asset.clear();
  m_bytes.clear();
  update();
}

void PictureBox::set_picture(const QByteArray& bytes) { show_bytes(bytes, 1.0, QString()); }

void PictureBox::set_picture_asset(const char* name) {
  const QString plain = QString::fromUtf8(name);
  const bool sharp_screen = devicePixelRatioF() >= kSharpRatio;
  // The same animation again (the loading picture of every search) starts over from its
  // first frame; it is not read again, and its frames stay decoded.
  if (m_impl->movie != nullptr && plain == m_impl->asset &&
      m_impl->ratio == (sharp_screen ? 2.0 : 1.0)) {
    m_impl->movie->stop();
    m_impl->movie->start();
    repaint_now();
    return;
  }
  if (sharp_screen) {
    const QByteArray sharp = asset_bytes(asset_name_at_2x(plain).toUtf8().constData());
    if (!sharp.isEmpty()) {
      show_bytes(sharp, 2.0, plain);
      return;
    }
  }
  show_bytes(asset_bytes(name), 1.0, plain);
}

void PictureBox::show_bytes(const QByteArray& bytes, qreal ratio, const QString& asset) {
  clear_picture();
  m_bytes = bytes;
  m_impl->ratio = ratio;
  m_impl->asset = asset;
  if (is_gif(bytes)) {
    start_movie();
  } else {
    m_impl->still = decode_jpeg(bytes);
    if (m_impl->still.isNull()) m_impl->still = QImage::fromData(bytes);
    m_impl->still.setDevicePixelRatio(ratio);
  }
  repaint_now();
}

QString PictureBox::asset_name() const { return m_impl->asset; }

qreal PictureBox::picture_ratio() const { return m_impl->ratio; }

void PictureBox::start_movie() {
  m_impl->buffer.setData(m_bytes);
  m_impl->buffer.open(QIODevice::ReadOnly);
  // Named, so that only the GIF reader is loaded instead of every image plugin probed.
  m_impl->movie = new QMovie(&m_impl->buffer, QByteArrayLiteral("gif"), this);
  m_impl->movie->setCacheMode(QMovie::CacheAll);
  connect(m_impl->movie, &QMovie::frameChanged, this, [this] { update(); });
  // Play without end whatever loop count the file carries.
  connect(m_impl->movie, &QMovie::finished, this, [this] {
    if (m_impl->movie != nullptr) m_impl->movie->start();
  });
  m_impl->movie->start();
}

void PictureBox::repaint_now() {
  if (isVisible()) repaint();
}

QSize PictureBox::picture_size() const {
  if (m_impl->movie != nullptr) {
    return (QSizeF(m_impl->movie->frameRect().size()) / m_impl->ratio).toSize();
  }
  if (m_impl->still.isNull()) return {};
  return m_impl->still.deviceIndependentSize().toSize();
}

QRect PictureBox::picture_rect() const {
  const QSize natural = picture_size();
  if (natural.isEmpty()) return {};
  if (m_mode == Mode::Natural) return QRect(QPoint(0, 0), natural);
  QSize drawn = natural;
  if (natural.width() > width() || natural.height() > height()) {
    const double ratio =
        std::min(double(width()) / natural.width(), double(height()) / natural.height());
    drawn = QSize(int(natural.width() * ratio), int(natural.height() * ratio));
  }
  return QRect(QPoint((width() - drawn.width()) / 2, (height() - drawn.height()) / 2), drawn);
}

int PictureBox::current_frame() const {
  return m_impl->movie != nullptr ? std::max(0, m_impl->movie->currentFrameNumber()) : 0;
}

int PictureBox::frame_count() const {
  return m_impl->movie != nullptr ? m_impl->movie->frameCount() : (m_impl->still.isNull() ? 0 : 1);
}

int PictureBox::frame_delay() const {
  return m_impl->movie != nullptr ? m_impl->movie->nextFrameDelay() : 0;
}

// A hidden animation would keep its frame timer waking the thread for nothing.
void PictureBox::hideEvent(QHideEvent*) {
  if (m_impl->movie != nullptr && m_impl->movie->state() == QMovie::Running)
    m_impl->movie->setPaused(true);
}

void PictureBox::showEvent(QShowEvent*) {
  if (m_impl->movie != nullptr && m_impl->movie->state() == QMovie::Paused)
    m_impl->movie->setPaused(false);
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Button));
  const QRect target = picture_rect();
  if (target.isEmpty()) return;
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (m_impl->movie != nullptr) {
    // Frames are composed on white: transparent pixels show white.
    painter.fillRect(target, Qt::white);
    painter.drawImage(target, m_impl->movie->currentImage());
  } else {
    painter.drawImage(target, m_impl->still);
  }
}

}  // namespace orvane
