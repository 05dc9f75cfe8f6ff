// The fifteen glass drawings. Every glass is built from the same parts: a
// vessel (the shape that holds the drink), solid glass (stem, foot, handle,
// thick base), the drink with its surface, a rim seen slightly from above, a
// highlight, and a garnish where one helps the glass read.

#include <QLinearGradient>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <functional>

#include "PicturesPaint.h"

namespace pictures {
namespace {

constexpr qreal kCentre = 32;
constexpr qreal kGround = 64;
constexpr qreal kLineWidth = 1.4;
constexpr qreal kEllipseRatio = 0.16;  // height of a rim ellipse per unit of width

class TGlassPainter {
 public:
  TGlassPainter(QPainter& p, const TGlassStyle& style) : p_(p), style_(style) {}

  // A closed outline symmetric about x = cx from its right half, which runs
  // from the top right down to the centre line.
  static QPainterPath Symmetric(const QPainterPath& right, qreal cx = kCentre,
                                bool closed = true) {
    QTransform mirror(-1, 0, 0, 1, 2 * cx, 0);
    QPainterPath whole = right;
    whole.connectPath(mirror.map(right).toReversed());
    if (closed) whole.closeSubpath();
    return whole;
  }

  // A solid band of glass along `centre_line`.
  static QPainterPath Band(const QPainterPath& centre_line, qreal width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(centre_line).simplified();
  }

  // A stem from `top` down to the foot, `width` wide, flaring at both ends.
  static QPainterPath Stem(qreal top, qreal width, qreal cx = kCentre) {
    QPainterPath right;
    qreal bottom = kGround - 3;
    right.moveTo(cx + width / 2 + 1.2, top);
    right.quadTo(cx + width / 2, top + 3, cx + width / 2, top + 5);
    right.lineTo(cx + width / 2, bottom - 4);
    right.quadTo(cx + width / 2, bottom - 1, cx + width / 2 + 3, bottom);
    right.lineTo(cx, bottom);
    return Symmetric(right, cx);
  }

  // A foot: a flat disc standing on the ground.
  static QPainterPath Foot(qreal half_width, qreal cx = kCentre) {
    QPainterPath foot;
    qreal h = half_width * 2 * kEllipseRatio * 1.1;
    foot.addEllipse(QRectF(cx - half_width, kGround - h - 0.5, 2 * half_width, h));
    return foot;
  }

  void Shadow(qreal half_width, qreal cx = kCentre) {
    QRadialGradient g(QPointF(cx, kGround - 1), half_width);
    g.setColorAt(0, QColor(0, 0, 0, 46));
    g.setColorAt(1, QColor(0, 0, 0, 0));
    p_.save();
    p_.translate(cx, kGround - 1);
    p_.scale(1, 0.22);
    p_.translate(-cx, -(kGround - 1));
    p_.setPen(Qt::NoPen);
    p_.setBrush(g);
    p_.drawEllipse(QPointF(cx, kGround - 1), half_width, half_width);
    p_.restore();
  }

  // Solid glass: tinted and outlined.
  void Solid(const QPainterPath& path) {
    p_.setPen(OutlinePen());
    p_.setBrush(style_.tint);
    p_.drawPath(path);
  }

  void Vessel(const QPainterPath& vessel) {
    p_.setPen(Qt::NoPen);
    p_.setBrush(style_.tint);
    p_.drawPath(vessel);
  }

  // The vessel's width at height y, as a span [left, right].
  static std::pair<qreal, qreal> Span(const QPainterPath& vessel, qreal y) {
    QPainterPath slice;
    slice.addRect(QRectF(-10, y - 0.25, 100, 0.5));
    QRectF r = vessel.intersected(slice).boundingRect();
    return {r.left(), r.right()};
  }

  // Fills the drink: the vessel from `level` down to `bottom`, shaded
  // downwards, with its surface seen from slightly above.
  void Drink(const QPainterPath& vessel, qreal level, QColor colour,
             qreal bottom = kGround) {
    QPainterPath below;
    below.addRect(QRectF(-10, level, 100, bottom - level));
    QPainterPath drink = vessel.intersected(below);
    auto [left, right] = Span(vessel, level + 0.3);
    qreal w = right - left;
    QRectF surface(left + 0.4, level - w * kEllipseRatio / 2, w - 0.8, w * kEllipseRatio);
    QPainterPath surface_path;
    surface_path.addEllipse(surface);
    QPainterPath lower_half;
    lower_half.addRect(QRectF(-10, level, 100, 100));
    drink = drink.united(surface_path.intersected(lower_half).intersected(vessel));

    QRectF box = drink.boundingRect();
    QLinearGradient g(box.topLeft(), box.bottomLeft());
    g.setColorAt(0, colour.lighter(108));
    g.setColorAt(1, colour.darker(118));
    p_.setPen(Qt::NoPen);
    p_.setBrush(g);
    p_.drawPath(drink);
    p_.setBrush(colour.lighter(128));
    p_.setPen(QPen(colour.darker(112), 0.6));
    p_.drawEllipse(surface);
  }

  // Outlines the vessel's sides (the rim draws its top edge).
  void Sides(const QPainterPath& open_outline) {
    p_.setPen(OutlinePen());
    p_.setBrush(Qt::NoBrush);
    p_.drawPath(open_outline);
  }

  // The rim at height y across the vessel, seen slightly from above.
  void Rim(const QPainterPath& vessel, qreal y) {
    auto [left, right] = Span(vessel, y + 0.3);
    qreal w = right - left;
    p_.setPen(OutlinePen());
    p_.setBrush(QColor(255, 255, 255, 60));
    p_.drawEllipse(QRectF(left, y - w * kEllipseRatio / 2, w, w * kEllipseRatio));
  }

  // A soft light stroke down the left of the vessel, kept inside it.
  void Highlight(const QPainterPath& vessel, qreal from_y, qreal to_y, qreal inset = 3.2) {
    QPainterPath line;
    bool first = true;
    for (qreal y = from_y; y <= to_y; y += 1.0) {
      auto [left, right] = Span(vessel, y);
      if (right - left < 2 * inset + 1) continue;
      QPointF pt(left + inset, y);
      if (first) line.moveTo(pt), first = false;
      else line.lineTo(pt);
    }
    p_.save();
    p_.setClipPath(vessel);
    QPen pen(style_.highlight, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p_.setPen(pen);
    p_.setBrush(Qt::NoBrush);
    p_.drawPath(line);
    p_.restore();
  }

  // Ice cubes: rounded squares turned a little, clipped to `clip`.
  void Ice(const QPainterPath& clip, std::initializer_list<QPointF> centres, qreal size) {
    p_.save();
    p_.setClipPath(clip);
    int turn = 0;
    for (QPointF c : centres) {
      p_.save();
      p_.translate(c);
      p_.rotate((turn++ % 2) ? -14 : 11);
      p_.setPen(QPen(QColor(255, 255, 255, 220), 0.9));
      p_.setBrush(QColor(255, 255, 255, 95));
      p_.drawRoundedRect(QRectF(-size / 2, -size / 2, size, size), 1.6, 1.6);
      p_.setPen(QPen(QColor(255, 255, 255, 200), 1.0, Qt::SolidLine, Qt::RoundCap));
      p_.drawLine(QPointF(-size / 2 + 1.6, -size / 2 + 1.8), QPointF(-size / 2 + 1.6, 0));
      p_.restore();
    }
    p_.restore();
  }

  void Bubbles(std::initializer_list<QPointF> centres, qreal r = 0.9) {
    p_.setPen(QPen(QColor(255, 255, 255, 210), 0.6));
    p_.setBrush(QColor(255, 255, 255, 90));
    for (QPointF c : centres) p_.drawEllipse(c, r, r);
  }

  QPen OutlinePen() const {
    return QPen(style_.outline, kLineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  }

  QPainter& p() { return p_; }

 private:
  QPainter& p_;
  const TGlassStyle& style_;
};

using G = TGlassPainter;

// A stemmed glass: bowl, stem from `stem_top`, foot of `foot_half` width.
void StemmedGlass(G& g, const QPainterPath& bowl_right, qreal rim_y, qreal stem_top,
                  qreal stem_width, qreal foot_half, qreal level, QColor drink,
                  const std::function<void()>& garnish = nullptr) {
  QPainterPath bowl = G::Symmetric(bowl_right);
  g.Shadow(foot_half + 2);
  g.Solid(G::Foot(foot_half));
  g.Solid(G::Stem(stem_top, stem_width));
  g.Vessel(bowl);
  if (level > 0) g.Drink(bowl, level, drink);
  g.Highlight(bowl, rim_y + 4, stem_top - 6);
  g.Sides(G::Symmetric(bowl_right, kCentre, false));
  g.Rim(bowl, rim_y);
  if (garnish) garnish();
}

// A tumbler: straight or slightly tapered sides, a thick base.
void Tumbler(G& g, qreal rim_y, qreal top_half, qreal bottom_half, qreal base_height,
             qreal level, QColor drink, const std::function<void(const QPainterPath&)>& extra = nullptr) {
  QPainterPath right;
  qreal bottom = kGround - 1;
  right.moveTo(kCentre + top_half, rim_y);
  right.lineTo(kCentre + bottom_half, bottom - 2.5);
  right.quadTo(kCentre + bottom_half, bottom, kCentre + bottom_half - 2.5, bottom);
  right.lineTo(kCentre, bottom);
  QPainterPath vessel = G::Symmetric(right);
  qreal inner_bottom = bottom - base_height;
  g.Shadow(bottom_half + 3);
  g.Vessel(vessel);
  // The thick base: a second layer of tint below the drink.
  QPainterPath base;
  base.addRect(QRectF(0, inner_bottom, 64, 10));
  g.p().setPen(Qt::NoPen);
  g.p().setBrush(QColor(190, 215, 232, 130));
  g.p().drawPath(vessel.intersected(base));
  if (level > 0) {
    QPainterPath inner = vessel;
    g.Drink(inner, level, drink, inner_bottom);
  }
  if (extra) extra(vessel);
  g.Highlight(vessel, rim_y + 4, bottom - 4);
  g.Sides(G::Symmetric(right, kCentre, false));
  g.p().setPen(QPen(QColor(48, 66, 90, 90), 0.9));
  auto [l, r] = G::Span(vessel, inner_bottom);
  g.p().drawLine(QPointF(l + 1.5, inner_bottom), QPointF(r - 1.5, inner_bottom));
  g.Rim(vessel, rim_y);
}

void BeerMug(G& g) {
  const qreal cx = 29;
  QPainterPath right;
  right.moveTo(cx + 15, 13);
  right.lineTo(cx + 15, 59);
  right.quadTo(cx + 15, 63, cx + 11, 63);
  right.lineTo(cx, 63);
  QPainterPath vessel = G::Symmetric(right, cx);
  QPainterPath handle_line;
  handle_line.moveTo(cx + 14, 22);
  handle_line.cubicTo(cx + 29, 20, cx + 29, 52, cx + 14, 50);
  QPainterPath handle = G::Band(handle_line, 5.2);
  QPainterPath body_cut;
  body_cut.addRect(QRectF(cx + 15, 0, 40, 70));
  handle = handle.intersected(body_cut);

  g.Shadow(18, cx + 2);
  g.Solid(handle);
  g.Vessel(vessel);
  g.Drink(vessel, 19, QColor(242, 178, 52), 57);
  QPainterPath base;
  base.addRect(QRectF(0, 57, 64, 10));
  g.p().setPen(Qt::NoPen);
  g.p().setBrush(QColor(190, 215, 232, 130));
  g.p().drawPath(vessel.intersected(base));
  g.Bubbles({{cx - 6, 48}, {cx - 3, 40}, {cx + 5, 52}, {cx + 7, 35}, {cx + 1, 30}});
  g.Highlight(vessel, 22, 58, 3.6);
  g.Sides(G::Symmetric(right, cx, false));
  // Vertical facets of a dimpled mug.
  g.p().setPen(QPen(QColor(48, 66, 90, 70), 0.9));
  for (qreal x : {cx - 7.5, cx, cx + 7.5}) g.p().drawLine(QPointF(x, 24), QPointF(x, 55));
  g.Rim(vessel, 13);
  // The head of foam spilling over the rim.
  QPainterPath foam;
  foam.addRoundedRect(QRectF(cx - 15.5, 12, 31, 8), 3, 3);
  for (auto [x, y, r] : {std::tuple{cx - 11.0, 12.0, 5.0}, {cx - 3.0, 9.5, 6.0},
                         {cx + 6.0, 10.5, 5.5}, {cx + 12.5, 13.0, 4.0}, {cx - 15.0, 16.0, 3.2}})
    foam.addEllipse(QPointF(x, y), r, r);
  foam = foam.simplified();
  g.p().setPen(QPen(QColor(200, 184, 150), 1.0));
  g.p().setBrush(QColor(255, 250, 236));
  g.p().drawPath(foam);
  g.p().setPen(Qt::NoPen);
  g.p().setBrush(QColor(255, 255, 255));
  g.p().drawEllipse(QPointF(cx - 4, 7.5), 2.2, 1.5);
}

void BrandySnifter(G& g) {
  QPainterPath right;
  right.moveTo(kCentre + 10, 14);
  right.cubicTo(kCentre + 13, 19, kCentre + 23, 25, kCentre + 22, 35);
  right.cubicTo(kCentre + 21, 45, kCentre + 11, 50, kCentre, 50);
  StemmedGlass(g, right, 14, 49, 4, 14, 39, QColor(184, 104, 38));
}

void Champagne(G& g) {
  QPainterPath right;
  right.moveTo(kCentre + 8, 5);
  right.cubicTo(kCentre + 9.5, 20, kCentre + 8, 35, kCentre + 2, 42);
  right.lineTo(kCentre, 42.5);
  StemmedGlass(g, right, 5, 42, 3, 12, 13, QColor(244, 214, 118), [&g] {
    g.Bubbles({{30, 36}, {33, 31}, {31, 26}, {34, 21}, {30.5, 18}}, 0.8);
  });
}

void Cocktail(G& g) {
  QPainterPath right;
  right.moveTo(kCentre + 25, 9);
  right.cubicTo(kCentre + 17, 17, kCentre + 6, 28, kCentre + 1.5, 33);
  right.lineTo(kCentre, 33.5);
  StemmedGlass(g, right, 9, 33, 3, 13, 14, QColor(238, 118, 142), [&g] {
    QPainter& p = g.p();
    p.setPen(QPen(QColor(120, 82, 48), 1.1, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(kCentre + 15, 1.5), QPointF(kCentre - 3, 24));
    p.setPen(QPen(QColor(70, 100, 40), 0.8));
    p.setBrush(QColor(132, 168, 60));
    p.drawEllipse(QPointF(kCentre + 2.5, 18.5), 3.6, 3.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 60, 50));
    p.drawEllipse(QPointF(kCentre + 4.6, 17.8), 1.2, 1.1);
  });
}

void CoffeeCup(G& g) {
  const qreal cx = 29;
  QPainter& p = g.p();
  // Saucer.
  g.Shadow(28, 32);
  QPainterPath saucer;
  saucer.moveTo(32 - 27, 56);
  saucer.cubicTo(32 - 26, 62, 32 + 26, 62, 32 + 27, 56);
  saucer.cubicTo(32 + 20, 53, 32 - 20, 53, 32 - 27, 56);
  p.setPen(g.OutlinePen());
  p.setBrush(QColor(246, 244, 238));
  p.drawPath(saucer);
  p.setPen(QPen(QColor(48, 66, 90, 110), 0.9));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(32, 56.5), 14, 2.2);

  QPainterPath right;
  right.moveTo(cx + 17, 24);
  right.cubicTo(cx + 17, 40, cx + 12, 55, cx, 55);
  QPainterPath cup = G::Symmetric(right, cx);
  QPainterPath handle_line;
  handle_line.moveTo(cx + 15, 30);
  handle_line.cubicTo(cx + 27, 26, cx + 27, 44, cx + 11, 47);
  QPainterPath cut;
  cut.addRect(QRectF(cx + 10, 0, 40, 70));
  QPainterPath handle = G::Band(handle_line, 3.6).subtracted(cup).intersected(cut);
  p.setPen(g.OutlinePen());
  p.setBrush(QColor(250, 248, 244));
  p.drawPath(handle);
  p.drawPath(cup);
  // A band of colour round the cup.
  QPainterPath band;
  band.addRect(QRectF(0, 36, 64, 3.5));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(196, 82, 64));
  p.drawPath(cup.intersected(band));
  p.setPen(g.OutlinePen());
  p.setBrush(Qt::NoBrush);
  p.drawPath(G::Symmetric(right, cx, false));
  // Coffee seen inside the rim.
  p.setBrush(QColor(250, 248, 244));
  p.drawEllipse(QRectF(cx - 17, 24 - 3.6, 34, 7.2));
  p.setPen(Qt::NoPen);
  QRadialGradient coffee(QPointF(cx - 3, 24.5), 15);
  coffee.setColorAt(0, QColor(150, 96, 56));
  coffee.setColorAt(1, QColor(98, 58, 32));
  p.setBrush(coffee);
  p.drawEllipse(QRectF(cx - 14.5, 24 - 2.4, 29, 5.4));
  p.setPen(QPen(QColor(255, 255, 255, 170), 1.8, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(cx - 11, 30), QPointF(cx - 9.5, 44));
  // Steam.
  p.setPen(QPen(QColor(120, 136, 156, 150), 1.3, Qt::SolidLine, Qt::RoundCap));
  for (qreal x : {cx - 6.0, cx + 1.0, cx + 8.0}) {
    QPainterPath steam;
    steam.moveTo(x, 18);
    steam.cubicTo(x - 3, 14, x + 3, 11, x, 7);
    steam.cubicTo(x - 2, 5, x, 3, x + 1, 2);
    p.drawPath(steam);
  }
}

void Collins(G& g) {
  Tumbler(g, 4, 10, 9, 6, 12, QColor(250, 222, 112), [&g](const QPainterPath& v) {
    g.Ice(v, {{31, 18}, {33, 28}, {30.5, 38}}, 8.5);
    QPainter& p = g.p();
    p.setPen(QPen(QColor(214, 64, 60), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(kCentre + 2, 55), QPointF(kCentre + 13, 0.8));
  });
}

void Cordial(G& g) {
  QPainterPath right;
  right.moveTo(kCentre + 10.5, 16);
  right.cubicTo(kCentre + 12.5, 26, kCentre + 8, 36, kCentre, 36.5);
  StemmedGlass(g, right, 16, 36, 2.6, 12, 22, QColor(128, 192, 88));
}

void Highball(G& g) {
  Tumbler(g, 11, 14, 12.5, 6, 17, QColor(248, 168, 66), [&g](const QPainterPath& v) {
    g.Ice(v, {{27, 23}, {37, 27}, {30, 35}, {36, 44}}, 9);
    QPainter& p = g.p();
    // An orange slice on the rim.
    p.setPen(QPen(QColor(196, 110, 20), 0.9));
    p.setBrush(QColor(252, 190, 80));
    p.drawPie(QRectF(kCentre + 5, 3, 16, 16), 180 * 16, 180 * 16);
    p.setPen(QPen(QColor(255, 240, 200), 0.7));
    for (int a : {210, 240, 270, 300, 330})
      p.drawLine(QPointF(kCentre + 13, 11),
                 QPointF(kCentre + 13 + 6.2 * std::cos(a * M_PI / 180),
                         11 - 6.2 * std::sin(a * M_PI / 180)));
  });
}

void OldFashioned(G& g) {
  Tumbler(g, 27, 18, 16.5, 8, 36, QColor(214, 136, 46), [&g](const QPainterPath& v) {
    g.Ice(v, {{30, 43}}, 13);
  });
}

void PousseCafe(G& g) {
  QPainterPath right;
  right.moveTo(kCentre + 8, 6);
  right.cubicTo(kCentre + 8, 30, kCentre + 7.5, 41, kCentre, 42);
  QPainterPath bowl = G::Symmetric(right);
  g.Shadow(14);
  g.Solid(G::Foot(12));
  g.Solid(G::Stem(41.5, 3));
  g.Vessel(bowl);
  // Layers poured from the heaviest up; each keeps to its band.
  const QColor layers[] = {QColor(200, 46, 62), QColor(96, 170, 88), QColor(246, 196, 64),
                           QColor(72, 122, 206), QColor(246, 240, 224)};
  qreal top = 12, band = 6;
  for (int i = 4; i >= 0; --i) {
    qreal level = top + (4 - i) * band;
    g.Drink(bowl, level, layers[i], level + band + (i == 0 ? 10 : 0.6));
  }
  g.Highlight(bowl, 10, 38);
  g.Sides(G::Symmetric(right, kCentre, false));
  g.Rim(bowl, 6);
}

void PunchBowl(G& g) {
  QPainterPath right;
  right.moveTo(kCentre + 29, 24);
  right.cubicTo(kCentre + 29, 40, kCentre + 18, 52, kCentre, 52);
  QPainterPath bowl = G::Symmetric(right);
  QPainterPath pedestal_right;
  pedestal_right.moveTo(kCentre + 6, 50);
  pedestal_right.quadTo(kCentre + 5, 56, kCentre + 10, 59);
  pedestal_right.lineTo(kCentre, 59);
  g.Shadow(20);
  g.Solid(G::Foot(17));
  g.Solid(G::Symmetric(pedestal_right));
  g.Vessel(bowl);
  g.Drink(bowl, 30, QColor(222, 74, 86));
  QPainter& p = g.p();
  // Fruit floating on the punch.
  p.setPen(QPen(QColor(200, 110, 20), 0.8));
  p.setBrush(QColor(252, 186, 70));
  p.drawEllipse(QPointF(kCentre - 12, 30), 4.2, 1.8);
  p.setBrush(QColor(150, 200, 80));
  p.setPen(QPen(QColor(80, 130, 40), 0.8));
  p.drawEllipse(QPointF(kCentre + 2, 31.5), 3.8, 1.6);
  // The ladle's handle, dipping into the punch.
  QPainterPath handle;
  handle.moveTo(kCentre + 6, 30);
  handle.lineTo(kCentre + 21, 6);
  handle.quadTo(kCentre + 23, 2.5, kCentre + 26, 4);
  p.setPen(QPen(QColor(110, 118, 130), 2.4, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(handle);
  p.setPen(QPen(QColor(210, 216, 224), 0.8, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(kCentre + 9, 24.5), QPointF(kCentre + 19, 8.5));
  g.Highlight(bowl, 29, 48, 4);
  g.Sides(G::Symmetric(right, kCentre, false));
  g.Rim(bowl, 24);
}

void Shot(G& g) {
  Tumbler(g, 26, 13.5, 11, 9, 33, QColor(234, 166, 58));
}

void Sour(G& g) {
  QPainterPath right;
  right.moveTo(kCentre + 13, 15);
  right.cubicTo(kCentre + 14.5, 28, kCentre + 11, 38, kCentre, 38.5);
  QPainterPath bowl = G::Symmetric(right);
  g.Shadow(15);
  g.Solid(G::Foot(13));
  g.Solid(G::Stem(38, 3.4));
  g.Vessel(bowl);
  // The drink under a cap of foam, and a cherry on the rim.
  g.Drink(bowl, 22, QColor(246, 206, 84));
  QPainterPath foam_band;
  foam_band.addRect(QRectF(0, 20, 64, 3));
  g.p().setPen(Qt::NoPen);
  g.p().setBrush(QColor(255, 250, 230));
  g.p().drawPath(bowl.intersected(foam_band));
  g.p().drawEllipse(QRectF(kCentre - 12.8, 18.3, 25.6, 4.2));
  g.Highlight(bowl, 24, 33);
  g.Sides(G::Symmetric(right, kCentre, false));
  g.Rim(bowl, 15);
  QPainter& p = g.p();
  p.setPen(QPen(QColor(80, 110, 40), 1.0, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  QPainterPath stalk;
  stalk.moveTo(kCentre + 9, 11);
  stalk.quadTo(kCentre + 11, 4, kCentre + 16, 2);
  p.drawPath(stalk);
  p.setPen(QPen(QColor(130, 20, 30), 0.8));
  p.setBrush(QColor(210, 36, 48));
  p.drawEllipse(QPointF(kCentre + 9, 13.5), 3.4, 3.4);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 170));
  p.drawEllipse(QPointF(kCentre + 8, 12.4), 1.0, 0.8);
}

void Wine(G& g) {
  QPainterPath right;
  right.moveTo(kCentre + 12, 6);
  right.cubicTo(kCentre + 16, 12, kCentre + 18, 19, kCentre + 17, 26);
  right.cubicTo(kCentre + 16, 34, kCentre + 9, 38.5, kCentre, 38.5);
  StemmedGlass(g, right, 6, 38, 3, 14, 24, QColor(152, 30, 56));
}

void Other(G& g) {
  Tumbler(g, 12, 15, 12, 6, 30, QColor(140, 190, 226), [&g](const QPainterPath&) {
    QPainter& p = g.p();
    QPainterPath mark;
    mark.moveTo(kCentre - 6, 29);
    mark.cubicTo(kCentre - 6, 20, kCentre + 7, 20, kCentre + 6.5, 28);
    mark.cubicTo(kCentre + 6, 33, kCentre, 33, kCentre, 39);
    mark.lineTo(kCentre, 41);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 230), 6.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(mark);
    p.drawPoint(QPointF(kCentre, 48));
    p.setPen(QPen(QColor(34, 78, 140), 3.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(mark);
    p.setPen(QPen(QColor(34, 78, 140), 4.2, Qt::SolidLine, Qt::RoundCap));
    p.drawPoint(QPointF(kCentre, 48));
  });
}

}  // namespace

bool PaintGlass(QPainter& p, int code, const TGlassStyle& style) {
  using Draw = void (*)(G&);
  static constexpr Draw kGlasses[] = {BeerMug,  BrandySnifter, Champagne,    Cocktail, CoffeeCup,
                                      Collins,  Cordial,       Highball,     OldFashioned,
                                      PousseCafe, PunchBowl,   Shot,         Sour,     Wine,
                                      Other};
  if (code < 0 || code >= static_cast<int>(std::size(kGlasses))) return false;
  p.save();
  G g(p, style);
  kGlasses[code](g);
  p.restore();
  return true;
}

}  // namespace pictures
