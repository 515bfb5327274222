#include "emblem.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QRadialGradient>
#include <QTextStream>

#include "canvas.h"

namespace orvane::art {

namespace {

constexpr qreal kIconDesign = 256.0;

QRectF unit_to(const QRectF& box, qreal x, qreal y, qreal w, qreal h) {
  return QRectF(box.left() + x * box.width(), box.top() + y * box.height(), w * box.width(),
                h * box.height());
}

QPainterPath puff(const QRectF& box, qreal cx, qreal cy, qreal r) {
  // Radii are fractions of the width so the puffs stay round in any box.
  const qreal rr = r * box.width();
  QPainterPath path;
  path.addEllipse(QPointF(box.left() + cx * box.width(), box.top() + cy * box.height()), rr, rr);
  return path;
}

struct IconGeometry {
  QRectF badge;
  QRectF cloud;
  qreal stroke;
  qreal rim;
  qreal letter;
};

IconGeometry icon_geometry(int size) {
  // Strokes are at least ~1.3 device pixels so the 16 px icon does not dissolve.
  const qreal min_stroke = 1.35 * kIconDesign / size;
  IconGeometry g;
  g.badge = QRectF(4, 4, 248, 248);
  // The smallest icon gets a bigger cloud and letter; there is no room for margins.
  const bool tiny = size <= 16;
  g.cloud = tiny ? QRectF(24, 56, 208, 146) : QRectF(40, 66, 176, 124);
  g.letter = tiny ? 0.52 : 0.42;
  g.stroke = qMax<qreal>(13.0, min_stroke);
  g.rim = qMax<qreal>(5.0, 0.9 * kIconDesign / size);
  return g;
}

EmblemStyle icon_emblem_style(const IconGeometry& g) {
  return {QColor(47, 52, 56), QColor(255, 255, 255), QColor(62, 98, 0), g.stroke, g.letter};
}

QString svg_path_data(const QPainterPath& path) {
  QString d;
  QTextStream out(&d);
  out.setRealNumberPrecision(5);
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    if (e.isMoveTo()) {
      if (i > 0) out << "Z ";
      out << 'M' << e.x << ' ' << e.y << ' ';
    } else if (e.isLineTo()) {
      out << 'L' << e.x << ' ' << e.y << ' ';
    } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
      const QPainterPath::Element c2 = path.elementAt(i + 1);
      const QPainterPath::Element end = path.elementAt(i + 2);
      out << 'C' << e.x << ' ' << e.y << ' ' << c2.x << ' ' << c2.y << ' ' << end.x << ' ' << end.y
          << ' ';
      i += 2;
    }
  }
  out << 'Z';
  return d;
}

}  // namespace

QPainterPath cloud_path(const QRectF& box) {
  QPainterPath base;
  base.addRoundedRect(unit_to(box, 0.0, 0.48, 1.0, 0.52), 0.26 * box.height(), 0.26 * box.height());
  QPainterPath cloud = base.united(puff(box, 0.30, 0.56, 0.19))
                           .united(puff(box, 0.54, 0.40, 0.245))
                           .united(puff(box, 0.77, 0.60, 0.16));
  return cloud.simplified();
}

QPainterPath short_name_path(const QPointF& centre, qreal cap_height) {
  QFont font = latin_font(100, true);
  QPainterPath glyphs;
  glyphs.addText(0, 0, font, kShortName);
  const QRectF r = glyphs.boundingRect();
  QTransform t;
  const qreal k = cap_height / r.height();
  t.translate(centre.x(), centre.y());
  t.scale(k, k);
  t.translate(-r.center().x(), -r.center().y());
  return t.map(glyphs);
}

void draw_emblem(QPainter& painter, const QRectF& box, const EmblemStyle& style) {
  const QPainterPath cloud = cloud_path(box);
  QPen pen(style.outline, style.stroke_width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter.setPen(pen);
  painter.setBrush(style.fill);
  painter.drawPath(cloud);
  // The letter sits in the body of the cloud, a little below its middle.
  const QPointF centre(box.left() + 0.52 * box.width(), box.top() + 0.64 * box.height());
  painter.setPen(Qt::NoPen);
  painter.setBrush(style.letter);
  painter.drawPath(short_name_path(centre, style.letter_height * box.height()));
}

void draw_icon(QPainter& painter, int size) {
  const IconGeometry g = icon_geometry(size);
  painter.save();
  painter.scale(size / kIconDesign, size / kIconDesign);
  QLinearGradient face(0, g.badge.top(), 0, g.badge.bottom());
  face.setColorAt(0.0, QColor(246, 247, 246));
  face.setColorAt(1.0, QColor(210, 213, 212));
  painter.setPen(QPen(QColor(160, 164, 163), g.rim));
  painter.setBrush(face);
  painter.drawEllipse(g.badge.adjusted(g.rim / 2, g.rim / 2, -g.rim / 2, -g.rim / 2));
  draw_emblem(painter, g.cloud, icon_emblem_style(g));
  painter.restore();
}

QString icon_svg() {
  const IconGeometry g = icon_geometry(256);
  const EmblemStyle s = icon_emblem_style(g);
  const QRectF badge = g.badge.adjusted(g.rim / 2, g.rim / 2, -g.rim / 2, -g.rim / 2);
  const QPointF centre(g.cloud.left() + 0.52 * g.cloud.width(),
                       g.cloud.top() + 0.64 * g.cloud.height());
  QString svg;
  QTextStream out(&svg);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
         "viewBox=\"0 0 256 256\">\n"
      << "  <title>Orvane</title>\n"
      << "  <defs><linearGradient id=\"face\" x1=\"0\" y1=\"" << g.badge.top()
      << "\" x2=\"0\" y2=\"" << g.badge.bottom() << "\" gradientUnits=\"userSpaceOnUse\">"
      << "<stop offset=\"0\" stop-color=\"#f6f7f6\"/><stop offset=\"1\" stop-color=\"#d2d5d4\"/>"
      << "</linearGradient></defs>\n"
      << "  <circle cx=\"" << badge.center().x() << "\" cy=\"" << badge.center().y() << "\" r=\""
      << badge.width() / 2 << "\" fill=\"url(#face)\" stroke=\"#a0a4a3\" stroke-width=\"" << g.rim
      << "\"/>\n"
      << "  <path d=\"" << svg_path_data(cloud_path(g.cloud)) << "\" fill=\"" << s.fill.name()
      << "\" stroke=\"" << s.outline.name() << "\" stroke-width=\"" << s.stroke_width
      << "\" stroke-linejoin=\"round\"/>\n"
      << "  <path d=\""
      << svg_path_data(short_name_path(centre, s.letter_height * g.cloud.height())) << "\" fill=\""
      << s.letter.name() << "\"/>\n"
      << "</svg>\n";
  return svg;
}

}  // namespace orvane::art
