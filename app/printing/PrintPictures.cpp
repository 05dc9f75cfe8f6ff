#include "printing/PrintPictures.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kInk(48, 66, 90);
const QColor kPaper(255, 255, 255);
const QColor kRule(150, 160, 175);
const QColor kText(110, 120, 135);
const QColor kAccent(196, 92, 54);

QPixmap NewPixmap(int width, int height) {
  QPixmap pixmap(width, height);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// A sheet of paper filling |w| x |h| with a folded corner at the top right.
void PaintSheet(QPainter& p, int w, int h) {
  QPainterPath sheet;
  sheet.moveTo(0.5, 0.5);
  sheet.lineTo(w - 7.5, 0.5);
  sheet.lineTo(w - 0.5, 7.5);
  sheet.lineTo(w - 0.5, h - 0.5);
  sheet.lineTo(0.5, h - 0.5);
  sheet.closeSubpath();
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawPath(sheet);
  QPainterPath fold;
  fold.moveTo(w - 7.5, 0.5);
  fold.lineTo(w - 7.5, 7.5);
  fold.lineTo(w - 0.5, 7.5);
  p.setBrush(QColor(226, 230, 236));
  p.drawPath(fold);
}

// One recipe's miniature: a glass mark, a name bar and text lines.
void PaintRecipe(QPainter& p, const QRectF& box, int lines) {
  p.setPen(Qt::NoPen);
  p.setBrush(kAccent);
  p.drawRect(QRectF(box.left(), box.top(), 3, 3));
  p.setBrush(kInk);
  p.drawRect(QRectF(box.left() + 5, box.top(), box.width() * 0.45, 2));
  p.setPen(QPen(kText, 1));
  const double step = lines > 1 ? (box.height() - 4) / lines : 0;
  for (int i = 0; i < lines; ++i) {
    const double y = box.top() + 4.5 + step * i;
    const double right = box.left() + box.width() * (i % 2 ? 0.8 : 1.0);
    p.drawLine(QPointF(box.left() + 5, y), QPointF(right, y));
  }
}

}  // namespace

QPixmap PrinterPicture() {
  QPixmap pixmap = NewPixmap(43, 41);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  // The paper tray behind, the sheet going in.
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawRect(QRectF(11.5, 1.5, 20, 14));
  // The body.
  QLinearGradient body(0, 14, 0, 32);
  body.setColorAt(0, QColor(222, 226, 232));
  body.setColorAt(1, QColor(168, 176, 188));
  p.setBrush(body);
  p.drawRoundedRect(QRectF(2.5, 13.5, 38, 19), 3, 3);
  p.setPen(QPen(kInk, 1));
  p.drawLine(QPointF(6, 20.5), QPointF(37, 20.5));
  // Its power light.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(70, 170, 90));
  p.drawEllipse(QPointF(34.5, 16.8), 1.6, 1.6);
  // The printed sheet coming out at the front.
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawRect(QRectF(9.5, 26.5, 24, 13));
  p.setPen(QPen(kText, 1));
  for (int i = 0; i < 3; ++i) {
    p.drawLine(QPointF(13, 30.5 + 3 * i), QPointF(i == 2 ? 24 : 30, 30.5 + 3 * i));
  }
  return pixmap;
}

QPixmap FullPagePicture() {
  QPixmap pixmap = NewPixmap(55, 74);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  PaintSheet(p, 55, 74);
  // Five rows between the margins, with a rule between two rows.
  const double top = 9, row = 12.5;
  for (int i = 0; i < 5; ++i) {
    const double y = top + row * i;
    p.setPen(QPen(kRule, 1));
    p.drawLine(QPointF(4, y - 1.5), QPointF(51, y - 1.5));
    PaintRecipe(p, QRectF(5, y, 45, row - 3), 2);
  }
  p.setPen(QPen(kRule, 1));
  p.drawLine(QPointF(4, top + row * 5 - 1.5), QPointF(51, top + row * 5 - 1.5));
  return pixmap;
}

QPixmap IndexCardPagePicture() {
  QPixmap pixmap = NewPixmap(55, 74);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  PaintSheet(p, 55, 74);
  // Three cards, each with a dashed cutting edge.
  const double top = 10, card = 20;
  for (int i = 0; i < 3; ++i) {
    const QRectF box(5.5, top + card * i + 0.5, 44, card - 3);
    p.setPen(QPen(kRule, 1, Qt::DashLine));
    p.setBrush(QColor(252, 249, 238));
    p.drawRect(box);
    PaintRecipe(p, box.adjusted(3, 3, -3, -3), 3);
  }
  return pixmap;
}
