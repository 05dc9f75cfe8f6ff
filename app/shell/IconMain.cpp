// zestoria_icon: writes the program's icon as PNG files for the desktop
// entry. Usage: zestoria_icon <folder>; writes zestoria-<size>.png for
// 16, 32, 48, 64, 128 and 256 pixels.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QPixmap>
#include <cstdio>

#include "shell/Pictures.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: zestoria_icon <folder>\n");
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  if (!folder.exists() && !QDir().mkpath(folder.path())) {
    std::fprintf(stderr, "zestoria_icon: cannot make %s\n", argv[1]);
    return 1;
  }
  const QIcon icon = ApplicationIcon();
  for (int size : {16, 32, 48, 64, 128, 256}) {
    const QPixmap pixmap = icon.pixmap(QSize(size, size));
    const QString name = folder.filePath(QStringLiteral("zestoria-%1.png").arg(size));
    if (pixmap.isNull() || !pixmap.save(name, "PNG")) {
      std::fprintf(stderr, "zestoria_icon: cannot write %s\n", qPrintable(name));
      return 1;
    }
  }
  return 0;
}
