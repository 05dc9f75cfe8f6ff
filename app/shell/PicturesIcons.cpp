// Toolbar and menu icons, and the application icon. Icons are drawn on a
// 24-unit grid and scaled to the size asked for; line weights are chosen per
// size so that lines stay about two pixels wide at 24 and one and a half at
// 16. Each icon uses at most two colours: one main colour and white or a
// second accent.

#include <QHash>
#include <QPainterPath>

#include <cmath>
#include <functional>

#include "PicturesPaint.h"

namespace pictures {
namespace {

const QColor kBlue(44, 108, 196);
const QColor kGreen(38, 150, 74);
const QColor kRed(208, 62, 56);
const QColor kOrange(228, 134, 28);
const QColor kSlate(66, 84, 110);
const QColor kWhite(255, 255, 255);
const QColor kPaper(250, 250, 246);
const QColor kBoard(176, 120, 60);

struct TIconPainter {
  QPainter& p;
  qreal line;  // main line weight in grid units

  QPen Pen(QColor c, qreal w = -1) const {
    return QPen(c, w < 0 ? line : w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  }
  void Stroke(const QPainterPath& path, QColor c, qreal w = -1) {
    p.setPen(Pen(c, w));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
  }
  // A filled shape with its corners rounded by an outline in the same colour.
  void Fill(const QPainterPath& path, QColor c) {
    p.setPen(Pen(c, line * 0.8));
    p.setBrush(c);
    p.drawPath(path);
  }
  void Disc(QColor c) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QPointF(12, 12), 10.5, 10.5);
  }
  static QPainterPath Polygon(std::initializer_list<QPointF> pts) {
    QPainterPath path;
    bool first = true;
    for (QPointF pt : pts) {
      if (first) path.moveTo(pt), first = false;
      else path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
  }
  static QPainterPath Line(QPointF a, QPointF b) {
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    return path;
  }
  // A sheet of paper with a folded corner.
  void Sheet(QRectF r, QColor outline, bool lines) {
    QPainterPath sheet = Polygon({r.topLeft(), QPointF(r.right() - 4, r.top()),
                                  QPointF(r.right(), r.top() + 4), r.bottomRight(),
                                  r.bottomLeft()});
    p.setPen(Pen(outline, line * 0.85));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    if (lines) {
      p.setPen(Pen(outline, line * 0.7));
      for (qreal y = r.top() + 5; y < r.bottom() - 2; y += 3.5)
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
    }
  }
};

using I = TIconPainter;

void Add(I& i) {
  i.Disc(kGreen);
  i.Stroke(I::Line({12, 6.5}, {12, 17.5}), kWhite, 3);
  i.Stroke(I::Line({6.5, 12}, {17.5, 12}), kWhite, 3);
}

void Commit(I& i) {
  i.Disc(kGreen);
  QPainterPath tick;
  tick.moveTo(6.8, 12.4);
  tick.lineTo(10.4, 16);
  tick.lineTo(17.4, 8.2);
  i.Stroke(tick, kWhite, 3);
}

void Cancel(I& i) {
  i.Disc(kRed);
  i.Stroke(I::Line({8, 8}, {16, 16}), kWhite, 3);
  i.Stroke(I::Line({16, 8}, {8, 16}), kWhite, 3);
}

void Help(I& i) {
  i.Disc(kBlue);
  QPainterPath mark;
  mark.moveTo(8.6, 9.4);
  mark.cubicTo(8.6, 4.6, 15.6, 4.6, 15.4, 9.2);
  mark.cubicTo(15.2, 12, 12, 11.8, 12, 14.6);
  i.Stroke(mark, kWhite, 2.8);
  i.p.setPen(Qt::NoPen);
  i.p.setBrush(kWhite);
  i.p.drawEllipse(QPointF(12, 18.4), 1.9, 1.9);
}

void Modify(I& i) {
  // A pencil from lower left to upper right.
  i.p.save();
  i.p.translate(12, 12);
  i.p.rotate(-45);
  QPainterPath body;
  body.addRoundedRect(QRectF(-5.5, -3.6, 14.5, 7.2), 1.2, 1.2);
  i.Fill(body, kOrange);
  i.Fill(I::Polygon({{-5.5, -3.6}, {-11.5, 0}, {-5.5, 3.6}}), kPaper);
  i.p.setPen(i.Pen(kSlate, i.line * 0.8));
  i.p.setBrush(Qt::NoBrush);
  i.p.drawPath(I::Polygon({{-5.5, -3.6}, {-11.5, 0}, {-5.5, 3.6}}));
  i.Fill(I::Polygon({{-9.2, -1.4}, {-11.5, 0}, {-9.2, 1.4}}), kSlate);
  i.Stroke(I::Line({5.2, -3.4}, {5.2, 3.4}), kSlate, i.line * 0.8);
  i.p.restore();
}

void Delete(I& i) {
  QPainterPath can = I::Polygon({{5.5, 7.5}, {18.5, 7.5}, {17.2, 21}, {6.8, 21}});
  i.Fill(can, kRed);
  i.Stroke(I::Line({3.5, 5.6}, {20.5, 5.6}), kRed, 2.4);
  i.Stroke(I::Line({9.5, 3}, {14.5, 3}), kRed, 2.2);
  for (qreal x : {9.4, 12.0, 14.6}) i.Stroke(I::Line({x, 10.5}, {x, 18}), kWhite, 1.5);
}

// A navigation triangle pointing left (dir -1) or right (dir 1), with a bar
// at its point for first and last.
void Navigate(I& i, int dir, bool bar) {
  i.p.save();
  if (dir > 0) {
    i.p.translate(24, 0);
    i.p.scale(-1, 1);
  }
  qreal shift = bar ? 2.2 : 0;
  i.Fill(I::Polygon({{6.5 + shift, 12}, {17 + shift, 5}, {17 + shift, 19}}), kBlue);
  if (bar) i.Fill(I::Polygon({{4.6, 5.2}, {7.2, 5.2}, {7.2, 18.8}, {4.6, 18.8}}), kBlue);
  i.p.restore();
}

void First(I& i) { Navigate(i, -1, true); }
void Prior(I& i) { Navigate(i, -1, false); }
void Next(I& i) { Navigate(i, 1, false); }
void Last(I& i) { Navigate(i, 1, true); }

void Display(I& i) {
  // A funnel: the display menu narrows the list.
  QPainterPath funnel = I::Polygon({{3.5, 4.5}, {20.5, 4.5}, {14, 12.5}, {14, 19.5},
                                    {10, 21.5}, {10, 12.5}});
  i.Fill(funnel, kBlue);
  i.Stroke(I::Line({7, 7}, {17, 7}), kWhite, 1.3);
}

void Magnifier(I& i, QPointF centre, qreal r, QColor ring) {
  i.p.setPen(i.Pen(ring, i.line * 1.15));
  i.p.setBrush(QColor(222, 236, 252));
  i.p.drawEllipse(centre, r, r);
  qreal d = r * 0.7071 + 0.8;
  i.Stroke(I::Line(centre + QPointF(d, d), centre + QPointF(d + 5.6, d + 5.6)), ring, 3.4);
}

void Search(I& i) { Magnifier(i, {10, 10}, 6.3, kSlate); }

void Find(I& i) {
  // Binoculars.
  i.p.setPen(i.Pen(kSlate, i.line));
  i.p.setBrush(kSlate);
  i.p.drawRoundedRect(QRectF(4.6, 6, 4.4, 8), 1.5, 1.5);
  i.p.drawRoundedRect(QRectF(15, 6, 4.4, 8), 1.5, 1.5);
  i.p.drawRect(QRectF(9, 9.5, 6, 3));
  for (qreal x : {6.8, 17.2}) {
    i.p.setPen(i.Pen(kSlate, i.line * 1.05));
    i.p.setBrush(QColor(222, 236, 252));
    i.p.drawEllipse(QPointF(x, 16), 4.4, 4.4);
  }
}

void Print(I& i) {
  i.Sheet(QRectF(7, 2.5, 10, 7), kSlate, false);
  QPainterPath body;
  body.addRoundedRect(QRectF(3, 8.5, 18, 9.5), 2.2, 2.2);
  i.Fill(body, kSlate);
  i.Sheet(QRectF(7, 14, 10, 7.5), kSlate, false);
  i.Stroke(I::Line({9, 17}, {15, 17}), kSlate, 1.1);
  i.p.setPen(Qt::NoPen);
  i.p.setBrush(kWhite);
  i.p.drawEllipse(QPointF(17.8, 11.4), 1.1, 1.1);
}

void Bar(I& i) {
  // A bottle: My Bar's shelf.
  QPainterPath bottle = I::Polygon({{10, 2.5}, {14, 2.5}, {14, 8}, {17.5, 11.5}, {17.5, 21.5},
                                    {6.5, 21.5}, {6.5, 11.5}, {10, 8}});
  i.Fill(bottle, kGreen);
  QPainterPath label;
  label.addRect(QRectF(8.5, 13.5, 7, 5));
  i.Fill(label, kPaper);
}

void Box(I& i) {
  i.p.setPen(i.Pen(kBlue, i.line));
  i.p.setBrush(kPaper);
  i.p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 3.2, 3.2);
}

void Mark(I& i) {
  Box(i);
  QPainterPath tick;
  tick.moveTo(7, 12.2);
  tick.lineTo(10.6, 15.8);
  tick.lineTo(17.4, 8);
  i.Stroke(tick, kGreen, 3);
}

void Unmark(I& i) {
  Box(i);
  i.Stroke(I::Line({8.5, 8.5}, {15.5, 15.5}), kRed, 2.6);
  i.Stroke(I::Line({15.5, 8.5}, {8.5, 15.5}), kRed, 2.6);
}

void Copy(I& i) {
  i.Sheet(QRectF(3, 2.5, 11, 14), kSlate, false);
  i.Sheet(QRectF(9.5, 7.5, 11.5, 14), kSlate, true);
}

void Paste(I& i) {
  QPainterPath board;
  board.addRoundedRect(QRectF(3.5, 4, 14, 17.5), 2, 2);
  i.Fill(board, kBoard);
  i.p.setPen(i.Pen(kBoard.darker(130), i.line * 0.8));
  i.p.setBrush(kPaper);
  i.p.drawRoundedRect(QRectF(7, 2.2, 7, 4), 1.2, 1.2);
  i.Sheet(QRectF(10, 9, 11, 13), kSlate, true);
}

void Import(I& i) {
  QPainterPath tray;
  tray.moveTo(3.5, 13.5);
  tray.lineTo(3.5, 20.5);
  tray.lineTo(20.5, 20.5);
  tray.lineTo(20.5, 13.5);
  i.Stroke(tray, kSlate, i.line * 1.1);
  i.Stroke(I::Line({12, 2.8}, {12, 12.5}), kGreen, 3);
  i.Fill(I::Polygon({{7.2, 11}, {16.8, 11}, {12, 16.5}}), kGreen);
}

void Exit(I& i) {
  QPainterPath door;
  door.addRoundedRect(QRectF(3.5, 2.5, 10.5, 19), 1.4, 1.4);
  i.Fill(door, kSlate);
  i.p.setPen(Qt::NoPen);
  i.p.setBrush(kWhite);
  i.p.drawEllipse(QPointF(11.3, 12.5), 1.1, 1.1);
  i.Stroke(I::Line({12.5, 12}, {18, 12}), kRed, 3);
  i.Fill(I::Polygon({{17, 7.4}, {21.6, 12}, {17, 16.6}}), kRed);
}

}  // namespace

bool PaintToolIcon(QPainter& p, const QString& name, int size) {
  static const QHash<QString, void (*)(I&)> kIcons = {
      {"add", Add},       {"modify", Modify}, {"commit", Commit}, {"cancel", Cancel},
      {"delete", Delete}, {"first", First},   {"prior", Prior},   {"next", Next},
      {"last", Last},     {"display", Display}, {"search", Search}, {"print", Print},
      {"help", Help},     {"mark", Mark},     {"unmark", Unmark}, {"copy", Copy},
      {"paste", Paste},   {"import", Import}, {"exit", Exit},     {"find", Find},
      {"bar", Bar}};
  auto draw = kIcons.value(name);
  if (!draw) return false;
  p.save();
  qreal scale = size / 24.0;
  p.scale(scale, scale);
  // About two pixels at 24, one and a half at 16.
  I painter{p, size <= 16 ? 1.5 / scale : 2.0 / scale};
  draw(painter);
  p.restore();
  return true;
}

void PaintApplicationIcon(QPainter& p, int size) {
  p.save();
  qreal scale = size / 48.0;
  p.scale(scale, scale);
  p.translate(0, 1.5);
  // Outline weight: never thinner than a pixel.
  qreal line = std::max(2.0, 1.1 / scale);
  const QColor outline(40, 52, 84);
  QPainterPath bowl;
  bowl.moveTo(4, 10);
  bowl.lineTo(44, 10);
  bowl.lineTo(26, 28);
  bowl.lineTo(22, 28);
  bowl.closeSubpath();
  QPainterPath drink;
  drink.moveTo(8.5, 14.5);
  drink.lineTo(39.5, 14.5);
  drink.lineTo(25, 28);
  drink.lineTo(23, 28);
  drink.closeSubpath();
  QPen pen(outline, line, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  // Citrus slice behind the rim at the right.
  const QPointF slice(37, 9);
  const qreal r = 8.5;
  p.setPen(QPen(QColor(214, 150, 0), line * 0.8));
  p.setBrush(QColor(255, 214, 40));
  p.drawEllipse(slice, r, r);
  if (size >= 32) {
    p.setBrush(QColor(255, 240, 150));
    p.setPen(Qt::NoPen);
    p.drawEllipse(slice, r - 2.2, r - 2.2);
    p.setPen(QPen(QColor(255, 214, 40), std::max(0.9, 0.7 / scale)));
    for (int k = 0; k < 8; ++k) {
      qreal a = k * M_PI / 4;
      p.drawLine(slice, slice + QPointF((r - 2.2) * std::cos(a), (r - 2.2) * std::sin(a)));
    }
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(214, 238, 250, 200));
  p.drawPath(bowl);
  QLinearGradient g(QPointF(0, 14), QPointF(0, 28));
  g.setColorAt(0, QColor(255, 120, 150));
  g.setColorAt(1, QColor(214, 50, 96));
  p.setBrush(g);
  p.drawPath(drink);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  p.drawPath(bowl);
  // Stem and foot.
  p.drawLine(QPointF(24, 28), QPointF(24, 42));
  p.drawLine(QPointF(14, 43), QPointF(34, 43));
  if (size >= 32) {
    p.setPen(QPen(QColor(255, 255, 255, 200), line * 0.7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11, 13), QPointF(19, 21));
  }
  p.restore();
}

}  // namespace pictures
