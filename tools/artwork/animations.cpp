// Frames of the two animations; generate.sh joins them into looping GIFs.
#include <QConicalGradient>
#include <QFontMetricsF>

#include "canvas.h"
#include "pictures.h"

namespace orvane::art {

namespace {

void draw_ring(QPainter& p, QPointF c, qreal r, int frame) {
  const qreal step = 360.0 / kLoadingFrames;
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(214, 232, 188), 5.5));
  p.drawEllipse(c, r, r);
  // The lit arc's head leads clockwise and its tail fades out behind it, towards
  // larger Qt angles (Qt counts angles anticlockwise).
  const qreal head = 90 - frame * step;
  constexpr qreal kTail = 130;
  QConicalGradient tail(c, head);
  tail.setColorAt(0.0, kOlive);
  tail.setColorAt(kTail / 360.0, QColor(98, 142, 3, 0));
  tail.setColorAt(0.97, QColor(98, 142, 3, 0));
  tail.setColorAt(1.0, kOlive);  // the round cap just ahead of the head
  p.setPen(QPen(QBrush(tail), 5.5, Qt::SolidLine, Qt::RoundCap));
  const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
  p.drawArc(box, qRound(head * 16), qRound(kTail * 16));
}

void draw_loading_word(QPainter& p, int frame) {
  const QFont font = latin_font(15);
  const QFontMetricsF metrics(font);
  const QString widest = QStringLiteral("loading...");
  // The word stays put while the dots grow: it starts where the widest text would.
  const qreal left = (146 - metrics.horizontalAdvance(widest)) / 2;
  const int dots = 1 + frame * 3 / kLoadingFrames;
  p.setFont(font);
  p.setPen(QColor(92, 98, 94));
  p.drawText(QPointF(left, 86), QStringLiteral("loading") + QString(dots, QLatin1Char('.')));
}

}  // namespace

void draw_loading_frame(QPainter& p, int frame) {
  draw_ring(p, QPointF(73, 36), 22, frame);
  draw_loading_word(p, frame);
}

void draw_checking_frame(QPainter& p, int frame) {
  constexpr int kSpokes = 12;
  const QPointF c(12, 12);
  p.translate(c);
  for (int i = 0; i < kSpokes; ++i) {
    // Spoke `frame` is the head; the ones behind it fade.
    const int age = (frame - i + kSpokes) % kSpokes;
    QColor colour = kOlive;
    colour.setAlphaF(1.0 - 0.8 * age / (kSpokes - 1));
    p.save();
    p.rotate(i * 360.0 / kSpokes);
    p.setPen(QPen(colour, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, -5), QPointF(0, -10));
    p.restore();
  }
}

}  // namespace orvane::art
