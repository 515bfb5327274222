// The two 500 x 150 notices that replace the results list.
#include <QLinearGradient>
#include <QPainterPath>
#include <QStringList>

#include "canvas.h"
#include "pictures.h"

namespace orvane::art {

namespace {

const QColor kHeadingRed(214, 30, 30);
const QColor kBodyText(72, 76, 74);
const QColor kCaseDark(84, 90, 96);
const QColor kSkin(250, 214, 184);
const QColor kSkinShade(232, 184, 150);
const QColor kHair(86, 52, 36);
const QColor kDress(232, 96, 118);

void draw_text_block(QPainter& p, qreal left, qreal top, const QString& heading,
                     const QStringList& lines, qreal line_height) {
  p.setFont(cjk_font(17, true));
  p.setPen(kHeadingRed);
  p.drawText(QPointF(left, top), heading);
  p.setFont(cjk_font(14));
  p.setPen(kBodyText);
  qreal y = top + line_height + 6;
  for (const QString& line : lines) {
    p.drawText(QPointF(left, y), line);
    y += line_height;
  }
}

// A monitor with its stand and a keyboard; `at` is the top-left of the case.
void draw_computer(QPainter& p, QPointF at) {
  const QRectF monitor(at, QSizeF(62, 46));
  p.setPen(Qt::NoPen);
  p.setBrush(kCaseDark);
  p.drawRoundedRect(monitor, 4, 4);
  QLinearGradient screen(0, monitor.top(), 0, monitor.bottom());
  screen.setColorAt(0.0, QColor(214, 236, 252));
  screen.setColorAt(1.0, QColor(128, 186, 232));
  p.setBrush(screen);
  p.drawRect(monitor.adjusted(4, 4, -4, -8));
  // A glint across the screen.
  p.setBrush(QColor(255, 255, 255, 110));
  QPainterPath glint;
  glint.moveTo(monitor.left() + 8, monitor.top() + 4);
  glint.lineTo(monitor.left() + 24, monitor.top() + 4);
  glint.lineTo(monitor.left() + 12, monitor.bottom() - 8);
  glint.lineTo(monitor.left() + 4, monitor.bottom() - 8);
  glint.lineTo(monitor.left() + 4, monitor.top() + 12);
  p.drawPath(glint);
  p.setBrush(QColor(170, 176, 182));
  p.drawEllipse(QPointF(monitor.center().x(), monitor.bottom() - 4), 1.6, 1.6);
  p.setBrush(kCaseDark);
  const qreal cx = monitor.center().x();
  QPainterPath stand;
  stand.moveTo(cx - 5, monitor.bottom());
  stand.lineTo(cx + 5, monitor.bottom());
  stand.lineTo(cx + 8, monitor.bottom() + 9);
  stand.lineTo(cx - 8, monitor.bottom() + 9);
  p.drawPath(stand);
  p.drawRoundedRect(QRectF(cx - 16, monitor.bottom() + 8, 32, 4), 2, 2);
  p.setBrush(QColor(150, 156, 162));
  p.drawRoundedRect(QRectF(cx - 26, monitor.bottom() + 16, 52, 7), 2, 2);
}

void draw_no_entry(QPainter& p, QPointF c, qreal r) {
  p.setPen(QPen(Qt::white, 2.5));
  p.setBrush(QColor(222, 34, 34));
  p.drawEllipse(c, r, r);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(c.x() - r * 0.62, c.y() - r * 0.17, r * 1.24, r * 0.34), 1.5, 1.5);
}

void draw_network(QPainter& p) {
  draw_computer(p, QPointF(10, 22));
  draw_computer(p, QPointF(104, 22));
  // The cable runs from the back of each case down and across, and is cut in the middle.
  QPainterPath cable;
  cable.moveTo(41, 100);
  cable.lineTo(41, 118);
  cable.quadTo(41, 124, 47, 124);
  cable.lineTo(129, 124);
  cable.quadTo(135, 124, 135, 118);
  cable.lineTo(135, 100);
  p.setPen(QPen(QColor(120, 126, 132), 2.5, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(cable);
  draw_no_entry(p, QPointF(88, 118), 17);
}

// A flat cartoon woman facing right, pointing up at the heading.
void draw_hair_back(QPainter& p) {
  QPainterPath hair;
  hair.moveTo(40, 40);
  hair.cubicTo(36, 14, 80, 8, 82, 36);
  hair.cubicTo(84, 52, 82, 64, 76, 70);
  hair.lineTo(44, 70);
  hair.cubicTo(38, 62, 38, 52, 40, 40);
  p.setBrush(kHair);
  p.drawPath(hair);
}

void draw_face(QPainter& p) {
  p.setBrush(kSkinShade);
  p.drawRect(QRectF(56, 56, 9, 12));  // neck
  p.setBrush(kSkin);
  p.drawEllipse(QPointF(61, 42), 16, 18);
  // Fringe swept to one side.
  QPainterPath fringe;
  fringe.moveTo(44, 40);
  fringe.cubicTo(44, 22, 70, 18, 78, 34);
  fringe.cubicTo(70, 30, 60, 30, 52, 38);
  fringe.cubicTo(50, 40, 46, 42, 44, 40);
  p.setBrush(kHair);
  p.drawPath(fringe);
  p.setBrush(QColor(50, 40, 36));
  p.drawEllipse(QPointF(58, 44), 1.8, 2.2);
  p.drawEllipse(QPointF(69, 44), 1.8, 2.2);
  p.setBrush(QColor(246, 160, 150));
  p.drawEllipse(QPointF(54, 50), 3, 2);
  p.drawEllipse(QPointF(73, 50), 3, 2);
  p.setPen(QPen(QColor(170, 70, 60), 1.4, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(59, 47, 9, 6), 200 * 16, 140 * 16);
  p.setPen(Qt::NoPen);
}

void draw_body(QPainter& p) {
  // Legs and shoes.
  p.setBrush(kSkin);
  p.drawRect(QRectF(52, 118, 5, 18));
  p.drawRect(QRectF(65, 118, 5, 18));
  p.setBrush(QColor(70, 60, 70));
  p.drawRoundedRect(QRectF(47, 134, 11, 5), 2, 2);
  p.drawRoundedRect(QRectF(64, 134, 11, 5), 2, 2);
  // A flared dress.
  QPainterPath dress;
  dress.moveTo(50, 66);
  dress.lineTo(72, 66);
  dress.cubicTo(78, 70, 80, 84, 78, 92);
  dress.lineTo(86, 122);
  dress.lineTo(36, 122);
  dress.lineTo(44, 92);
  dress.cubicTo(42, 84, 44, 70, 50, 66);
  p.setBrush(kDress);
  p.drawPath(dress);
  p.setBrush(QColor(255, 255, 255, 90));
  p.drawRect(QRectF(44, 90, 34, 4));  // belt
}

void draw_arms(QPainter& p) {
  // Left arm rests on the hip.
  QPen arm(kSkin, 5.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(arm);
  p.setBrush(Qt::NoBrush);
  QPainterPath rest;
  rest.moveTo(50, 70);
  rest.lineTo(40, 86);
  rest.lineTo(46, 96);
  p.drawPath(rest);
  // Right arm raised towards the heading, with a sleeve at the shoulder.
  QPainterPath point;
  point.moveTo(72, 70);
  point.lineTo(92, 62);
  point.lineTo(112, 42);
  p.drawPath(point);
  p.setPen(Qt::NoPen);
  p.setBrush(kSkin);
  p.drawEllipse(QPointF(114, 40), 4.5, 4.5);
  p.setPen(QPen(kSkin, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(115, 38), QPointF(124, 30));  // index finger
  p.setPen(Qt::NoPen);
  p.setBrush(kDress);
  p.drawEllipse(QPointF(72, 70), 6, 6);
  p.drawEllipse(QPointF(50, 70), 6, 6);
}

void draw_woman(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 22));
  p.drawEllipse(QPointF(61, 140), 30, 4);  // shadow
  draw_hair_back(p);
  draw_body(p);
  draw_face(p);
  draw_arms(p);
}

}  // namespace

void draw_connection_problem(QPainter& p) {
  p.fillRect(QRectF(0, 0, 500, 150), Qt::white);
  draw_network(p);
  draw_text_block(p, 190, 38, QStringLiteral("出现此提示，可能有以下原因："),
                  {QStringLiteral("1. 您的网络出现问题，请检查网络连接；"),
                   QStringLiteral("2. Vellix 网站出现故障，请稍后再试；"),
                   QStringLiteral("3. 程序版本过旧，请升级到最新版本。")},
                  26);
}

void draw_nothing_found(QPainter& p) {
  p.fillRect(QRectF(0, 0, 500, 150), Qt::white);
  draw_woman(p);
  draw_text_block(
      p, 140, 32, QStringLiteral("抱歉，没有找到相关的网盘资源！"),
      {QStringLiteral("建议您："), QStringLiteral("● 检查输入的文字是否有误，是否过短或过长；"),
       QStringLiteral("● 去掉不必要的字词，如“的”、“什么”等；"),
       QStringLiteral("● 换用更准确、更简单或者其他的关键词。")},
      23);
}

}  // namespace orvane::art
