// The splash picture and the Information page's pictures: small composed
// scenes built from the same drawing habits as the glasses.

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

#include "PicturesPaint.h"

namespace pictures {
namespace {

constexpr int kSplashW = 322, kSplashH = 217;
constexpr int kInfoW = 160, kInfoH = 120;
constexpr qreal kCounter = 98;  // top of the bar top in the Information pictures

const QColor kInk(48, 66, 90);

void Glow(QPainter& p, QPointF c, qreal r, QColor colour) {
  QRadialGradient g(c, r);
  g.setColorAt(0, colour);
  QColor clear = colour;
  clear.setAlpha(0);
  g.setColorAt(1, clear);
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawEllipse(c, r, r);
}

// Brushed metal across a shape spanning [left, right].
QLinearGradient Metal(qreal left, qreal right) {
  QLinearGradient g(QPointF(left, 0), QPointF(right, 0));
  g.setColorAt(0.0, QColor(120, 128, 140));
  g.setColorAt(0.22, QColor(236, 240, 246));
  g.setColorAt(0.4, QColor(188, 196, 206));
  g.setColorAt(0.75, QColor(150, 158, 170));
  g.setColorAt(1.0, QColor(104, 112, 124));
  return g;
}

QPen Line(QColor c, qreal w) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

// A glass from the glass set placed with its ground line at (x, ground).
void PlaceGlass(QPainter& p, int code, qreal x, qreal ground, qreal scale,
                const TGlassStyle& style) {
  p.save();
  p.translate(x, ground - 64 * scale);
  p.scale(scale, scale);
  PaintGlass(p, code, style);
  p.restore();
}

// ---------------------------------------------------------------------------
// The Information pictures share a warm ground and a wooden bar top.

void InfoGround(QPainter& p) {
  QLinearGradient wall(QPointF(0, 0), QPointF(0, kCounter));
  wall.setColorAt(0, QColor(253, 248, 238));
  wall.setColorAt(1, QColor(240, 226, 202));
  p.fillRect(QRectF(0, 0, kInfoW, kCounter), wall);
  Glow(p, QPointF(kInfoW * 0.3, 26), 70, QColor(255, 255, 255, 150));
  QLinearGradient wood(QPointF(0, kCounter), QPointF(0, kInfoH));
  wood.setColorAt(0, QColor(168, 112, 68));
  wood.setColorAt(0.12, QColor(140, 88, 50));
  wood.setColorAt(1, QColor(96, 58, 32));
  p.fillRect(QRectF(0, kCounter, kInfoW, kInfoH - kCounter), wood);
  p.setPen(QPen(QColor(196, 146, 100), 1));
  p.drawLine(QPointF(0, kCounter + 0.5), QPointF(kInfoW, kCounter + 0.5));
  p.setPen(QPen(QColor(80, 48, 26, 70), 0.8));
  for (qreal y : {106.0, 112.0, 117.0})
    p.drawLine(QPointF(0, y), QPointF(kInfoW, y + 1.5));
}

void InfoShadow(QPainter& p, qreal cx, qreal half_width) {
  p.save();
  p.translate(cx, kCounter + 2);
  p.scale(1, 0.18);
  Glow(p, QPointF(0, 0), half_width, QColor(40, 20, 0, 110));
  p.restore();
}

void Lime(QPainter& p, QPointF c, qreal r, QColor rind, QColor flesh) {
  p.setPen(Line(rind.darker(130), 1));
  p.setBrush(rind);
  p.drawEllipse(c, r, r);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 240));
  p.drawEllipse(c, r - 1.6, r - 1.6);
  p.setBrush(flesh);
  p.drawEllipse(c, r - 2.6, r - 2.6);
  p.setPen(Line(QColor(255, 255, 240), 1.0));
  for (int k = 0; k < 8; ++k) {
    qreal a = k * M_PI / 4;
    p.drawLine(c, c + QPointF((r - 2.6) * std::cos(a), (r - 2.6) * std::sin(a)));
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 240));
  p.drawEllipse(c, 1.3, 1.3);
}

void Shaker(QPainter& p) {
  InfoShadow(p, 74, 28);
  const qreal cx = 74;
  // Body: a tapering tin.
  QPainterPath body;
  body.moveTo(cx - 20, 98);
  body.lineTo(cx - 16, 48);
  body.lineTo(cx + 16, 48);
  body.lineTo(cx + 20, 98);
  body.quadTo(cx, 101, cx - 20, 98);
  p.setPen(Line(kInk, 1.2));
  p.setBrush(Metal(cx - 20, cx + 20));
  p.drawPath(body);
  // Strainer top, shoulder and cap.
  QPainterPath top;
  top.moveTo(cx - 16.5, 49);
  top.lineTo(cx - 14, 36);
  top.quadTo(cx - 10, 28, cx - 6, 26);
  top.lineTo(cx + 6, 26);
  top.quadTo(cx + 10, 28, cx + 14, 36);
  top.lineTo(cx + 16.5, 49);
  top.closeSubpath();
  p.setBrush(Metal(cx - 16, cx + 16));
  p.drawPath(top);
  p.drawRoundedRect(QRectF(cx - 7.5, 14, 15, 13), 3, 3);
  p.setPen(Line(QColor(90, 98, 110), 1.4));
  p.drawLine(QPointF(cx - 17, 48), QPointF(cx + 17, 48));
  p.drawLine(QPointF(cx - 14.2, 37), QPointF(cx + 14.2, 37));
  // Frost on the tin.
  p.save();
  p.setClipPath(body);
  QLinearGradient frost(QPointF(0, 56), QPointF(0, 98));
  frost.setColorAt(0, QColor(255, 255, 255, 0));
  frost.setColorAt(0.3, QColor(255, 255, 255, 70));
  frost.setColorAt(1, QColor(255, 255, 255, 30));
  p.setPen(Qt::NoPen);
  p.fillRect(QRectF(cx - 22, 56, 44, 44), frost);
  p.restore();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 220));
  for (auto [x, y] : {std::pair{-11.0, 66.0}, {-4.0, 74.0}, {7.0, 69.0}, {12.0, 82.0},
                      {-9.0, 85.0}, {2.0, 88.0}})
    p.drawEllipse(QPointF(cx + x, y), 0.9, 1.3);
  // A lime beside it.
  InfoShadow(p, 126, 12);
  Lime(p, QPointF(126, 90), 10, QColor(96, 160, 50), QColor(176, 214, 96));
}

void Jigger(QPainter& p) {
  InfoShadow(p, 64, 22);
  const qreal cx = 64;
  QPainterPath jigger;
  jigger.moveTo(cx - 17, 30);
  jigger.lineTo(cx + 17, 30);
  jigger.lineTo(cx + 3, 62);
  jigger.lineTo(cx + 12, 96);
  jigger.lineTo(cx - 12, 96);
  jigger.lineTo(cx - 3, 62);
  jigger.closeSubpath();
  p.setPen(Line(kInk, 1.2));
  p.setBrush(Metal(cx - 17, cx + 17));
  p.drawPath(jigger);
  p.setPen(Line(QColor(90, 98, 110), 1.2));
  p.drawLine(QPointF(cx - 4, 62), QPointF(cx + 4, 62));
  // The top cup full of spirit, seen from above.
  p.setPen(Line(kInk, 1.2));
  p.setBrush(QColor(214, 140, 48));
  p.drawEllipse(QRectF(cx - 17, 26.5, 34, 7));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 214, 140, 180));
  p.drawEllipse(QRectF(cx - 11, 28, 12, 2.6));
  p.setPen(Line(QColor(90, 98, 110), 0.8));
  p.drawLine(QPointF(cx - 12.5, 40), QPointF(cx + 12.5, 40));
  p.drawLine(QPointF(cx - 8, 85), QPointF(cx + 8, 85));
  // The drink it measured for, beside it.
  PlaceGlass(p, 8, 92, kCounter + 2, 0.95, TGlassStyle());
}

void Strainer(QPainter& p) {
  const QPointF c(66, 80);
  InfoShadow(p, 80, 46);
  p.save();
  // The handle, a flat bar to the right.
  QPainterPath handle;
  handle.moveTo(c.x() + 22, c.y() - 4);
  handle.lineTo(c.x() + 76, c.y() - 12);
  handle.quadTo(c.x() + 82, c.y() - 10, c.x() + 78, c.y() - 5);
  handle.lineTo(c.x() + 22, c.y() + 5);
  handle.closeSubpath();
  p.setPen(Line(kInk, 1.2));
  p.setBrush(Metal(c.x(), c.x() + 80));
  p.drawPath(handle);
  // The perforated disc, seen from above at a slant.
  QRectF disc(c.x() - 38, c.y() - 14, 76, 28);
  p.setBrush(Metal(disc.left(), disc.right()));
  p.drawEllipse(disc);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(70, 78, 90));
  for (int ring = 1; ring <= 3; ++ring) {
    int holes = ring * 8;
    for (int k = 0; k < holes; ++k) {
      qreal a = 2 * M_PI * k / holes;
      QPointF h(c.x() + ring * 7.8 * std::cos(a), c.y() + ring * 2.9 * std::sin(a));
      p.drawEllipse(h, 1.1, 0.6);
    }
  }
  // The spring round the rim.
  p.setBrush(Qt::NoBrush);
  p.setPen(Line(QColor(96, 104, 116), 1.3));
  for (int k = 0; k < 44; ++k) {
    qreal a = 2 * M_PI * k / 44;
    QPointF at(c.x() + 36.5 * std::cos(a), c.y() + 13 * std::sin(a) + 1.5);
    if (std::sin(a) < -0.2) continue;  // the far side hides under the disc
    p.drawEllipse(at, 2.6, 2.2);
  }
  // Two tabs that rest on the tin.
  p.setPen(Line(kInk, 1.1));
  p.setBrush(Metal(0, 160));
  p.drawRoundedRect(QRectF(c.x() - 46, c.y() - 6, 10, 6), 2, 2);
  p.drawRoundedRect(QRectF(c.x() - 8, c.y() - 21, 16, 7), 2, 2);
  p.restore();
}

void Bottle(QPainter& p, qreal cx, qreal half, qreal shoulder, qreal neck_half, qreal top,
            QColor glass, QColor label, bool square) {
  QPainterPath b;
  b.moveTo(cx - neck_half, top);
  b.lineTo(cx - neck_half, shoulder - (square ? 6 : 14));
  if (square) b.lineTo(cx - half, shoulder);
  else b.cubicTo(cx - neck_half, shoulder - 6, cx - half, shoulder - 6, cx - half, shoulder);
  b.lineTo(cx - half, kCounter - 2);
  b.quadTo(cx - half, kCounter, cx - half + 2, kCounter);
  b.lineTo(cx + half - 2, kCounter);
  b.quadTo(cx + half, kCounter, cx + half, kCounter - 2);
  b.lineTo(cx + half, shoulder);
  if (square) b.lineTo(cx + neck_half, shoulder - 6);
  else b.cubicTo(cx + half, shoulder - 6, cx + neck_half, shoulder - 6, cx + neck_half,
                 shoulder - 14);
  b.lineTo(cx + neck_half, top);
  b.closeSubpath();
  InfoShadow(p, cx, half + 6);
  QLinearGradient g(QPointF(cx - half, 0), QPointF(cx + half, 0));
  g.setColorAt(0, glass.darker(130));
  g.setColorAt(0.3, glass.lighter(125));
  g.setColorAt(1, glass.darker(150));
  p.setPen(Line(kInk, 1.2));
  p.setBrush(g);
  p.drawPath(b);
  // Cap, label, highlight.
  p.setBrush(QColor(60, 60, 70));
  p.drawRoundedRect(QRectF(cx - neck_half - 0.8, top - 6, 2 * neck_half + 1.6, 8), 1.5, 1.5);
  p.setBrush(label);
  QRectF label_box(cx - half + 3, shoulder + 12, 2 * half - 6, 22);
  p.drawRoundedRect(label_box, 2, 2);
  p.setPen(Line(QColor(150, 60, 50), 1.2));
  p.drawLine(QPointF(label_box.left() + 4, label_box.center().y() - 3),
             QPointF(label_box.right() - 4, label_box.center().y() - 3));
  p.setPen(Line(QColor(120, 110, 100), 0.9));
  p.drawLine(QPointF(label_box.left() + 6, label_box.center().y() + 3),
             QPointF(label_box.right() - 6, label_box.center().y() + 3));
  p.setPen(Line(QColor(255, 255, 255, 150), 2));
  p.drawLine(QPointF(cx - half + 4, shoulder + 4), QPointF(cx - half + 4, shoulder + 9));
  p.drawLine(QPointF(cx - half + 4, label_box.bottom() + 4), QPointF(cx - half + 4, kCounter - 5));
}

void Bottles(QPainter& p) {
  Bottle(p, 40, 14, 44, 4, 14, QColor(50, 120, 70, 235), QColor(246, 236, 206), false);
  Bottle(p, 118, 15, 52, 5, 32, QColor(170, 210, 230, 200), QColor(236, 244, 250), false);
  Bottle(p, 80, 19, 50, 5, 26, QColor(176, 98, 30, 240), QColor(250, 232, 190), true);
}

void Citrus(QPainter& p) {
  // A whole lemon.
  InfoShadow(p, 44, 26);
  QPainterPath lemon;
  lemon.moveTo(16, 80);
  lemon.cubicTo(24, 62, 64, 62, 72, 80);
  lemon.cubicTo(64, 98, 24, 98, 16, 80);
  QRadialGradient g(QPointF(36, 74), 34);
  g.setColorAt(0, QColor(255, 240, 120));
  g.setColorAt(1, QColor(236, 190, 20));
  p.setPen(Line(QColor(180, 140, 10), 1.2));
  p.setBrush(g);
  p.drawPath(lemon);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 150));
  p.drawEllipse(QPointF(34, 73), 8, 3);
  // An orange wheel standing up, and a lime half lying in front.
  InfoShadow(p, 112, 26);
  Lime(p, QPointF(112, 70), 26, QColor(240, 140, 30), QColor(252, 176, 70));
  p.save();
  p.translate(84, 90);
  p.scale(1, 0.5);
  Lime(p, QPointF(0, 0), 15, QColor(96, 160, 50), QColor(176, 214, 96));
  p.restore();
  p.setPen(Line(QColor(70, 120, 30), 1.2));
  p.setBrush(QColor(96, 160, 50));
  QPainterPath rind;
  rind.moveTo(69, 90);
  rind.cubicTo(70, 100, 98, 100, 99, 90);
  rind.cubicTo(96, 96, 72, 96, 69, 90);
  p.drawPath(rind);
}

void Cube(QPainter& p, QPointF c, qreal s) {
  // An isometric ice cube: top, left and right faces.
  QPointF top(c.x(), c.y() - s), left(c.x() - s * 0.87, c.y() - s * 0.5),
      right(c.x() + s * 0.87, c.y() - s * 0.5), bottom(c.x(), c.y() + s),
      bl(c.x() - s * 0.87, c.y() + s * 0.5), br(c.x() + s * 0.87, c.y() + s * 0.5);
  QPainterPath up, west, east;
  up.moveTo(top); up.lineTo(right); up.lineTo(c); up.lineTo(left); up.closeSubpath();
  west.moveTo(left); west.lineTo(c); west.lineTo(bottom); west.lineTo(bl); west.closeSubpath();
  east.moveTo(c); east.lineTo(right); east.lineTo(br); east.lineTo(bottom); east.closeSubpath();
  p.setPen(Line(QColor(110, 150, 190), 1.1));
  p.setBrush(QColor(236, 246, 255, 235));
  p.drawPath(up);
  p.setBrush(QColor(190, 220, 244, 235));
  p.drawPath(west);
  p.setBrush(QColor(158, 198, 232, 235));
  p.drawPath(east);
  p.setPen(Line(QColor(255, 255, 255, 230), 1.4));
  p.drawLine(left + QPointF(3, 3), bl + QPointF(3, -3));
}

void Ice(QPainter& p) {
  // An ice bucket with cubes heaped above its rim and two cubes beside it.
  const qreal cx = 62;
  InfoShadow(p, cx, 36);
  QPainterPath bucket;
  bucket.moveTo(cx - 30, 46);
  bucket.lineTo(cx - 24, 97);
  bucket.quadTo(cx, 101, cx + 24, 97);
  bucket.lineTo(cx + 30, 46);
  bucket.closeSubpath();
  for (auto [x, y] : {std::pair{-4.0, 30.0}, {4.0, 36.0}, {-14.0, 40.0}, {18.0, 42.0}})
    Cube(p, QPointF(cx + x, y), 11);
  p.setPen(Line(kInk, 1.2));
  p.setBrush(Metal(cx - 30, cx + 30));
  p.drawPath(bucket);
  p.setBrush(Qt::NoBrush);
  p.setPen(Line(QColor(90, 98, 110), 1.4));
  p.drawLine(QPointF(cx - 29, 52), QPointF(cx + 29, 52));
  p.drawLine(QPointF(cx - 25.5, 90), QPointF(cx + 25.5, 90));
  // Handles.
  p.setPen(Line(kInk, 2));
  p.drawArc(QRectF(cx - 38, 56, 12, 14), 90 * 16, 180 * 16);
  p.drawArc(QRectF(cx + 26, 56, 12, 14), -90 * 16, 180 * 16);
  InfoShadow(p, 126, 24);
  Cube(p, QPointF(118, 86), 10);
  Cube(p, QPointF(138, 89), 8);
}

}  // namespace

void PaintSplash(QPainter& p) {
  QLinearGradient sky(QPointF(0, 0), QPointF(kSplashW, kSplashH));
  sky.setColorAt(0, QColor(8, 12, 38));
  sky.setColorAt(0.55, QColor(38, 22, 70));
  sky.setColorAt(1, QColor(86, 24, 64));
  p.fillRect(QRectF(0, 0, kSplashW, kSplashH), sky);
  // Warm lights behind the bar, kept away from the upper left.
  Glow(p, QPointF(232, 70), 90, QColor(255, 150, 80, 70));
  Glow(p, QPointF(300, 30), 40, QColor(255, 210, 140, 80));
  Glow(p, QPointF(170, 110), 36, QColor(120, 160, 255, 60));
  Glow(p, QPointF(268, 118), 22, QColor(255, 230, 180, 70));
  Glow(p, QPointF(118, 84), 18, QColor(255, 120, 180, 50));
  // Bottles on a shelf at the back, in silhouette.
  const qreal shelf = 100;
  struct Back { qreal x, half, shoulder, neck, top; QColor colour; };
  const Back bottles[] = {{176, 8, 70, 2.6, 46, QColor(60, 120, 90, 110)},
                          {198, 10, 76, 3, 58, QColor(170, 90, 40, 110)},
                          {222, 7, 66, 2.4, 40, QColor(120, 150, 210, 100)},
                          {246, 9, 72, 3, 50, QColor(150, 40, 70, 110)},
                          {270, 11, 80, 3.2, 60, QColor(200, 150, 60, 100)},
                          {296, 8, 68, 2.6, 44, QColor(80, 140, 140, 100)}};
  for (const Back& b : bottles) {
    QPainterPath path;
    path.moveTo(b.x - b.neck, b.top);
    path.lineTo(b.x - b.neck, b.shoulder - 10);
    path.cubicTo(b.x - b.neck, b.shoulder - 4, b.x - b.half, b.shoulder - 4, b.x - b.half,
                 b.shoulder);
    path.lineTo(b.x - b.half, shelf);
    path.lineTo(b.x + b.half, shelf);
    path.lineTo(b.x + b.half, b.shoulder);
    path.cubicTo(b.x + b.half, b.shoulder - 4, b.x + b.neck, b.shoulder - 4, b.x + b.neck,
                 b.shoulder - 10);
    path.lineTo(b.x + b.neck, b.top);
    path.closeSubpath();
    p.setPen(QPen(QColor(255, 220, 200, 60), 0.8));
    p.setBrush(b.colour);
    p.drawPath(path);
    p.setPen(QPen(QColor(255, 255, 255, 70), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(b.x - b.half + 2.5, b.shoulder + 4), QPointF(b.x - b.half + 2.5, shelf - 6));
  }
  QLinearGradient plank(QPointF(140, 0), QPointF(kSplashW, 0));
  plank.setColorAt(0, QColor(120, 70, 80, 0));
  plank.setColorAt(0.2, QColor(120, 70, 80, 150));
  plank.setColorAt(1, QColor(120, 70, 80, 170));
  p.fillRect(QRectF(140, shelf, kSplashW - 140, 3), plank);
  // The bar top.
  const qreal bar = 162;
  QLinearGradient counter(QPointF(0, bar), QPointF(0, kSplashH));
  counter.setColorAt(0, QColor(44, 24, 40));
  counter.setColorAt(1, QColor(12, 8, 18));
  p.fillRect(QRectF(0, bar, kSplashW, kSplashH - bar), counter);
  QLinearGradient edge(QPointF(0, 0), QPointF(kSplashW, 0));
  edge.setColorAt(0, QColor(255, 200, 150, 20));
  edge.setColorAt(0.6, QColor(255, 200, 150, 150));
  edge.setColorAt(1, QColor(255, 200, 150, 60));
  p.fillRect(QRectF(0, bar, kSplashW, 1.2), edge);

  TGlassStyle style;
  style.outline = QColor(226, 236, 250, 230);
  style.tint = QColor(200, 220, 255, 50);
  style.highlight = QColor(255, 255, 255, 200);
  struct Placed { int code; qreal x; qreal scale; };
  const Placed row[] = {{2, 82, 1.2}, {13, 122, 1.25}, {3, 166, 1.3},
                        {7, 218, 1.15}, {12, 256, 1.2}};
  // Faint reflections in the bar top, then the glasses themselves.
  for (const Placed& g : row) {
    p.save();
    p.setOpacity(0.16);
    p.translate(0, 2 * (bar + 1));
    p.scale(1, -1);
    PlaceGlass(p, g.code, g.x, bar + 1, g.scale, style);
    p.restore();
  }
  QLinearGradient fade(QPointF(0, bar), QPointF(0, bar + 40));
  fade.setColorAt(0, QColor(20, 12, 26, 0));
  fade.setColorAt(1, QColor(16, 10, 22, 255));
  p.fillRect(QRectF(0, bar + 1, kSplashW, kSplashH - bar), fade);
  for (const Placed& g : row) PlaceGlass(p, g.code, g.x, bar + 1, g.scale, style);
}

bool PaintInformation(QPainter& p, int n) {
  using Draw = void (*)(QPainter&);
  static constexpr Draw kPictures[] = {Shaker, Jigger, Strainer, Bottles, Citrus, Ice};
  if (n < 0 || n >= static_cast<int>(std::size(kPictures))) return false;
  p.save();
  InfoGround(p);
  kPictures[n](p);
  p.restore();
  return true;
}

}  // namespace pictures
