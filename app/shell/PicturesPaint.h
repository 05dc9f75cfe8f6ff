// Painting routines behind Pictures.h, shared by its source files. Each
// routine paints into the painter's current coordinate system; callers set
// the transform and the antialiasing.
#pragma once

#include <QColor>
#include <QPainter>
#include <QString>

namespace pictures {

// Colours a glass drawing uses: its outline and its glass tint. The splash
// paints glasses on a dark ground and so needs a light outline.
struct TGlassStyle {
  QColor outline{48, 66, 90};
  QColor tint{214, 232, 244, 120};
  QColor highlight{255, 255, 255, 170};
};

// Paints glass `code` (0..14) in a 64 x 68 box at the origin, standing on
// y = 64. Returns false, painting nothing, for any other code.
bool PaintGlass(QPainter& p, int code, const TGlassStyle& style = TGlassStyle());

// Paints the tool icon `name` in a size x size box at the origin; `size` is
// the pixel size the icon is rendered at (it picks the line weights). Returns
// false for an unknown name.
bool PaintToolIcon(QPainter& p, const QString& name, int size);

// Paints the application icon in a size x size box at the origin.
void PaintApplicationIcon(QPainter& p, int size);

// Paints the splash picture in a 322 x 217 box at the origin.
void PaintSplash(QPainter& p);

// Paints Information picture n (0..5) in a 160 x 120 box at the origin.
// Returns false for any other n.
bool PaintInformation(QPainter& p, int n);

}  // namespace pictures
