// The program's pictures: glass pictures, toolbar and menu icons, the splash
// picture, the Information page's pictures and the application icon. Every
// picture is a vector drawing rendered at run time (no image files), and is
// rendered once and then served from QPixmapCache.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// Size of a glass picture.
inline constexpr int kGlassPictureWidth = 64;
inline constexpr int kGlassPictureHeight = 68;

// Size of the splash picture.
inline constexpr int kSplashPictureWidth = 322;
inline constexpr int kSplashPictureHeight = 217;

// Size and number of the Information page's pictures.
inline constexpr int kInformationPictureWidth = 160;
inline constexpr int kInformationPictureHeight = 120;
inline constexpr int kInformationPictureCount = 6;

// The picture of glass code `code` (0 "Beer Mug" .. 14 "Other"), 64 x 68 on a
// transparent background; a null pixmap for any other code.
QPixmap GlassPicture(int code);

// A toolbar and menu icon with 16 x 16 and 24 x 24 renderings. Names: "add",
// "modify", "commit", "cancel", "delete", "first", "prior", "next", "last",
// "display", "search", "print", "help", "mark", "unmark", "copy", "paste",
// "import", "exit", "find", "bar". An unknown name gives a null icon.
QIcon ToolIcon(const QString& name);

// The splash picture, 322 x 217; its upper left and lower right corners stay
// dark so that white captions read on them.
QPixmap SplashPicture();

// Picture n (0..5) of the Information page, 160 x 120: shaker, jigger,
// strainer, bottles, citrus and ice. A null pixmap for any other n.
QPixmap InformationPicture(int n);

// The program's icon (a cocktail glass with a citrus slice) at 16, 32, 48 and
// 256 pixels.
QIcon ApplicationIcon();
