#include "canvas.h"

#include <QImageWriter>

namespace orvane::art {

namespace {

QFont make_font(const QString& face, qreal pixel_size, bool bold) {
  QFont font(face);
  font.setPixelSize(qRound(pixel_size));
  font.setBold(bold);
  font.setStyleStrategy(QFont::PreferAntialias);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

}  // namespace

QFont cjk_font(qreal pixel_size, bool bold) { return make_font(kCjkFace, pixel_size, bold); }

QFont latin_font(qreal pixel_size, bool bold) { return make_font(kLatinFace, pixel_size, bold); }

QImage render(QSize logical, int scale, const QColor& ground, const Draw& draw) {
  QImage image(logical * scale, QImage::Format_ARGB32_Premultiplied);
  image.fill(ground);
  QPainter painter(&image);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                         QPainter::SmoothPixmapTransform);
  painter.scale(scale, scale);
  draw(painter);
  painter.end();
  return image;
}

QImage gif_ready(const QImage& argb) {
  constexpr int kKeepAlpha = 100;
  QImage in = argb.convertToFormat(QImage::Format_ARGB32);
  QImage out(in.size(), QImage::Format_ARGB32);
  for (int y = 0; y < in.height(); ++y) {
    const QRgb* src = reinterpret_cast<const QRgb*>(in.constScanLine(y));
    QRgb* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < in.width(); ++x) {
      const int a = qAlpha(src[x]);
      if (a < kKeepAlpha) {
        dst[x] = qRgba(255, 255, 255, 0);
        continue;
      }
      auto on_white = [a](int c) { return (c * a + 255 * (255 - a)) / 255; };
      dst[x] = qRgb(on_white(qRed(src[x])), on_white(qGreen(src[x])), on_white(qBlue(src[x])));
    }
  }
  return out;
}

bool save_jpeg(const QImage& image, const QString& path) {
  QImageWriter writer(path, "jpeg");
  writer.setQuality(92);
  writer.setOptimizedWrite(true);
  writer.setProgressiveScanWrite(false);
  return writer.write(image.convertToFormat(QImage::Format_RGB888));
}

bool save_png(const QImage& image, const QString& path) {
  QImageWriter writer(path, "png");
  return writer.write(image.convertToFormat(QImage::Format_ARGB32));
}

}  // namespace orvane::art
