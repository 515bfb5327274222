#pragma once

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>

namespace orvane::art {

// The brand's short name, shown inside the cloud.
inline const QString kShortName = QStringLiteral("V");

// Outline of a cloud filling `box` (flat base, three puffs).
QPainterPath cloud_path(const QRectF& box);

// The letter(s) as an outline, centred on `centre` with the given cap height.
QPainterPath short_name_path(const QPointF& centre, qreal cap_height);

struct EmblemStyle {
  QColor outline;
  QColor fill;
  QColor letter;
  qreal stroke_width;
  qreal letter_height = 0.42;  // cap height as a fraction of the cloud's height
};

// Cloud with the short name inside, as used in the banner and the icon.
void draw_emblem(QPainter& painter, const QRectF& box, const EmblemStyle& style);

// Round light-grey badge holding the emblem; `size` is the icon's pixel size, which
// sets how heavy the strokes are so that the small sizes stay legible.
void draw_icon(QPainter& painter, int size);

// The icon at 256 x 256 as a standalone SVG document (paths only, no fonts needed).
QString icon_svg();

}  // namespace orvane::art
