#include "Pictures.h"

#include <QImage>
#include <QPixmapCache>
#include <QStringList>

#include <functional>

#include "PicturesPaint.h"

namespace {

// Renders a width x height picture through `paint` (which reports whether it
// knew what to paint) and keeps it in the pixmap cache under `key`; a null
// pixmap when `paint` declines.
QPixmap Rendered(const QString& key, int width, int height,
                 const std::function<bool(QPainter&)>& paint) {
  QPixmap cached;
  if (QPixmapCache::find(key, &cached)) return cached;
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!paint(p)) return QPixmap();
  }
  QPixmap pixmap = QPixmap::fromImage(image);
  QPixmapCache::insert(key, pixmap);
  return pixmap;
}

const QStringList& ToolIconNames() {
  static const QStringList names = {
      "add",     "modify", "commit", "cancel", "delete", "first", "prior",
      "next",    "last",   "display", "search", "print", "help",  "mark",
      "unmark",  "copy",   "paste",  "import", "exit",  "find",  "bar"};
  return names;
}

}  // namespace

QPixmap GlassPicture(int code) {
  if (code < 0 || code > 14) return QPixmap();
  return Rendered(QStringLiteral("zestoria/glass/%1").arg(code), kGlassPictureWidth,
                  kGlassPictureHeight,
                  [code](QPainter& p) { return pictures::PaintGlass(p, code); });
}

QIcon ToolIcon(const QString& name) {
  if (!ToolIconNames().contains(name)) return QIcon();
  QIcon icon;
  for (int size : {16, 24}) {
    icon.addPixmap(Rendered(QStringLiteral("zestoria/tool/%1/%2").arg(name).arg(size), size,
                            size, [&](QPainter& p) {
                              return pictures::PaintToolIcon(p, name, size);
                            }));
  }
  return icon;
}

QPixmap SplashPicture() {
  return Rendered(QStringLiteral("zestoria/splash"), kSplashPictureWidth, kSplashPictureHeight,
                  [](QPainter& p) {
                    pictures::PaintSplash(p);
                    return true;
                  });
}

QPixmap InformationPicture(int n) {
  if (n < 0 || n >= kInformationPictureCount) return QPixmap();
  return Rendered(QStringLiteral("zestoria/information/%1").arg(n), kInformationPictureWidth,
                  kInformationPictureHeight,
                  [n](QPainter& p) { return pictures::PaintInformation(p, n); });
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 256}) {
    icon.addPixmap(Rendered(QStringLiteral("zestoria/appicon/%1").arg(size), size, size,
                            [size](QPainter& p) {
                              pictures::PaintApplicationIcon(p, size);
                              return true;
                            }));
  }
  return icon;
}
