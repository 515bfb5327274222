#pragma once

#include <functional>

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QSize>
#include <QString>

namespace orvane::art {

// Every picture is drawn in its 1x coordinates; the painter is pre-scaled for @2x.
using Draw = std::function<void(QPainter&)>;

inline const QColor kOlive(98, 142, 3);
inline const QString kCjkFace = QStringLiteral("WenQuanYi Micro Hei");
inline const QString kLatinFace = QStringLiteral("DejaVu Sans");

QFont cjk_font(qreal pixel_size, bool bold = false);
QFont latin_font(qreal pixel_size, bool bold = false);

// Opaque picture on `ground`, or fully transparent when ground is Qt::transparent.
QImage render(QSize logical, int scale, const QColor& ground, const Draw& draw);

// GIF keeps one-bit transparency: edge pixels are composed on white (the ground the
// player shows) and kept opaque above a threshold, so the edges stay smooth on white.
QImage gif_ready(const QImage& argb);

bool save_jpeg(const QImage& image, const QString& path);
bool save_png(const QImage& image, const QString& path);

}  // namespace orvane::art
