// Window chrome: background, banner and the three small picture buttons.
#include <array>

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>

#include "canvas.h"
#include "emblem.h"
#include "pictures.h"

namespace orvane::art {

namespace {

const QColor kFrameGrey(170, 173, 170);
const QColor kButtonGround(243, 244, 242);
const QColor kButtonEdge(204, 207, 203);
const QColor kTaglineRed(214, 30, 30);
const QColor kSkyline(206, 210, 205);
const QColor kSkylineWindow(222, 225, 220);

// Banner layout: only columns 0-845 and rows 2-79 are ever seen.
constexpr qreal kBannerTop = 2;
constexpr qreal kBannerSeenRight = 846;
constexpr qreal kSkylineBase = 76.5;

void draw_banner_ground(QPainter& p) {
  QLinearGradient ground(0, kBannerTop, 0, 80);
  ground.setColorAt(0.0, QColor(248, 249, 247));
  ground.setColorAt(1.0, QColor(237, 239, 236));
  p.fillRect(QRectF(0, 0, 850, 80), ground);
  p.fillRect(QRectF(0, 79, 850, 1), QColor(216, 219, 215));
}

qreal draw_brand(QPainter& p) {
  const QRectF emblem(16, 12, 60, 42);
  draw_emblem(p, emblem, {kOlive, QColor(255, 255, 255), kOlive, 2.6});
  const QFont name_font = latin_font(31, true);
  p.setFont(name_font);
  p.setPen(QColor(58, 62, 60));
  const qreal name_x = 84;
  p.drawText(QPointF(name_x, 46), QStringLiteral("Vellix"));
  return name_x + QFontMetricsF(name_font).horizontalAdvance(QStringLiteral("Vellix"));
}

void draw_tagline(QPainter& p, qreal left, qreal right) {
  const QString tagline = QStringLiteral("网盘资源神奇搜索引擎");
  QFont font = cjk_font(15);
  const qreal natural = QFontMetricsF(font).horizontalAdvance(tagline);
  // Spread the letters so the line runs exactly under the emblem and the name.
  const qreal spacing = (right - left - natural) / (tagline.size() - 1);
  font.setLetterSpacing(QFont::AbsoluteSpacing, qMax<qreal>(0, spacing));
  p.setFont(font);
  p.setPen(kTaglineRed);
  p.drawText(QPointF(left, 73), tagline);
}

// One character of the slogan, slanted and nudged so the line looks written by hand.
struct Stroke {
  qreal angle;
  qreal dy;
  qreal scale;
};

constexpr std::array<Stroke, 9> kStrokes = {{{-5, 1, 1.06},
                                             {3, -2, 0.95},
                                             {-2, 1, 1.02},
                                             {5, -1, 0.97},
                                             {0, 0, 1.0},
                                             {-4, -2, 1.04},
                                             {2, 2, 0.96},
                                             {-3, -1, 1.03},
                                             {4, 1, 0.98}}};

qreal draw_lettered(QPainter& p, const QString& text, QPointF origin, const QColor& colour,
                    int first_stroke) {
  const QFont font = cjk_font(30);
  const QFontMetricsF metrics(font);
  QPainterPath all;
  qreal x = origin.x();
  for (int i = 0; i < text.size(); ++i) {
    const Stroke& s = kStrokes[(first_stroke + i) % kStrokes.size()];
    QPainterPath glyph;
    glyph.addText(0, 0, font, text.mid(i, 1));
    const qreal advance = metrics.horizontalAdvance(text.mid(i, 1));
    QTransform t;
    t.translate(x + advance / 2, origin.y() + s.dy);
    t.rotate(s.angle);
    t.shear(-0.22, 0);
    t.scale(s.scale, s.scale);
    t.translate(-advance / 2, 0);
    all.addPath(t.map(glyph));
    x += advance * s.scale - 1;
  }
  p.setPen(QPen(colour, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(colour);
  p.drawPath(all);
  return x;
}

// A tapered brush stroke under the slogan.
void draw_swash(QPainter& p, qreal left, qreal right, qreal y) {
  const qreal w = right - left;
  QPainterPath swash;
  swash.moveTo(left, y + 2);
  swash.cubicTo(left + w * 0.3, y - 3, left + w * 0.7, y - 4, right, y - 6);
  swash.cubicTo(left + w * 0.7, y - 1, left + w * 0.3, y + 1, left, y + 2);
  QLinearGradient ink(left, 0, right, 0);
  ink.setColorAt(0.0, QColor(98, 142, 3, 40));
  ink.setColorAt(0.5, QColor(98, 142, 3, 150));
  ink.setColorAt(1.0, QColor(230, 120, 20, 170));
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawPath(swash);
}

void draw_slogan(QPainter& p) {
  const qreal left = 286;
  qreal x = draw_lettered(p, QStringLiteral("自由存储"), QPointF(left, 49), kOlive, 0);
  x = draw_lettered(p, QStringLiteral("随心分享"), QPointF(x + 16, 51), QColor(226, 118, 22), 4);
  draw_swash(p, left + 6, x - 4, 62);
}

struct Building {
  qreal left;
  qreal width;
  qreal height;
  int roof;  // 0 flat, 1 spire, 2 dome, 3 stepped
};

constexpr std::array<Building, 14> kSkylineBuildings = {{{584, 18, 20, 0},
                                                         {602, 14, 33, 3},
                                                         {616, 22, 27, 0},
                                                         {638, 11, 44, 1},
                                                         {649, 25, 36, 0},
                                                         {674, 17, 23, 2},
                                                         {691, 19, 52, 1},
                                                         {710, 24, 30, 3},
                                                         {734, 14, 41, 0},
                                                         {748, 30, 25, 2},
                                                         {778, 18, 35, 0},
                                                         {796, 21, 47, 3},
                                                         {817, 16, 29, 1},
                                                         {833, 13, 22, 0}}};

QPainterPath building_outline(const Building& b) {
  const qreal top = kSkylineBase - b.height;
  const qreal l = b.left + 0.5;
  const qreal r = b.left + b.width + 0.5;
  QPainterPath path(QPointF(l, kSkylineBase));
  path.lineTo(l, top);
  if (b.roof == 1) {
    const qreal mid = (l + r) / 2;
    path.lineTo(mid - 2, top - 5);
    path.lineTo(mid, top - 14);
    path.lineTo(mid + 2, top - 5);
  } else if (b.roof == 2) {
    path.cubicTo(l, top - 8, r, top - 8, r, top);
  } else if (b.roof == 3) {
    path.lineTo(l + 3, top);
    path.lineTo(l + 3, top - 5);
    path.lineTo(r - 3, top - 5);
    path.lineTo(r - 3, top);
  }
  path.lineTo(r, top);
  path.lineTo(r, kSkylineBase);
  return path;
}

void draw_building_windows(QPainter& p, const Building& b) {
  p.setPen(Qt::NoPen);
  p.setBrush(kSkylineWindow);
  for (qreal y = kSkylineBase - b.height + 5; y < kSkylineBase - 5; y += 6) {
    for (qreal x = b.left + 3; x + 2 < b.left + b.width - 1; x += 5) {
      p.drawRect(QRectF(x, y, 2, 2));
    }
  }
}

void draw_skyline(QPainter& p) {
  for (const Building& b : kSkylineBuildings) {
    draw_building_windows(p, b);
  }
  p.setPen(QPen(kSkyline, 1));
  p.setBrush(Qt::NoBrush);
  for (const Building& b : kSkylineBuildings) {
    p.drawPath(building_outline(b));
  }
  p.drawLine(QPointF(572, kSkylineBase), QPointF(kBannerSeenRight, kSkylineBase));
}

void draw_button_ground(QPainter& p) {
  p.fillRect(QRectF(0, 0, 35, 24), kButtonGround);
  p.fillRect(QRectF(0, 0, 1, 24), kButtonEdge);
}

}  // namespace

void draw_background(QPainter& p) {
  p.fillRect(QRectF(0, 0, 850, 550), Qt::white);
  p.setPen(QPen(kFrameGrey, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(0.5, 0.5, 849, 549));
}

void draw_banner(QPainter& p) {
  draw_banner_ground(p);
  draw_skyline(p);
  const qreal name_right = draw_brand(p);
  draw_tagline(p, 17, name_right);
  draw_slogan(p);
}

void draw_search_button(QPainter& p, bool hover) {
  const QRectF r(0, 0, 91, 35);
  if (hover) {
    QLinearGradient g(0, 0, 0, 35);
    g.setColorAt(0.0, QColor(156, 200, 56));
    g.setColorAt(1.0, QColor(112, 160, 14));
    p.fillRect(r, g);
  } else {
    p.fillRect(r, kOlive);
  }
  QFont font = cjk_font(17, true);
  font.setLetterSpacing(QFont::AbsoluteSpacing, 4);
  p.setFont(font);
  p.setPen(Qt::white);
  // Letter spacing also trails the last character; shift it back to stay centred.
  p.drawText(r.translated(2, 0), Qt::AlignCenter, QStringLiteral("搜索"));
}

void draw_close_button(QPainter& p, bool hover) {
  if (hover) {
    p.fillRect(QRectF(0, 0, 35, 24), QColor(238, 92, 76));
  } else {
    draw_button_ground(p);
  }
  // The button sits one row above the window, so its seen part is rows 1-23.
  const QPointF c(18, 12.5);
  const qreal arm = 4.6;
  p.setPen(QPen(hover ? QColor(Qt::white) : kOlive, 1.9, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(c + QPointF(-arm, -arm), c + QPointF(arm, arm));
  p.drawLine(c + QPointF(-arm, arm), c + QPointF(arm, -arm));
}

void draw_minimize_button(QPainter& p, bool hover) {
  draw_button_ground(p);
  p.fillRect(QRectF(12, 12, 11, 2), hover ? QColor(70, 72, 71) : kOlive);
}

}  // namespace orvane::art
