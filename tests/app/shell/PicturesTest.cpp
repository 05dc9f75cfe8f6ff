// The program's pictures: sizes, every glass present and different, unknown
// codes and names refused, icons at both toolbar sizes. With the environment
// variable ZESTORIA_PICTURES_SHEET set to a file name, the last test also
// writes every picture onto one sheet there for a look by eye.

#include "shell/Pictures.h"

#include <QImage>
#include <QPainter>
#include <QSet>

#include <gtest/gtest.h>

namespace {

const char* const kToolIcons[] = {"add",    "modify", "commit", "cancel", "delete",
                                  "first",  "prior",  "next",   "last",   "display",
                                  "search", "print",  "help",   "mark",   "unmark",
                                  "copy",   "paste",  "import", "exit",   "find",   "bar"};

// Share of pixels that are not fully transparent.
double Coverage(const QImage& image) {
  int painted = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) painted += qAlpha(image.pixel(x, y)) != 0;
  return double(painted) / (image.width() * image.height());
}

QImage Argb(const QPixmap& pixmap) {
  return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST(GlassPictures, EveryCodeHasItsOwnPictureOfTheGlassSize) {
  QSet<QByteArray> seen;
  for (int code = 0; code <= 14; ++code) {
    SCOPED_TRACE(code);
    QPixmap picture = GlassPicture(code);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(64, 68));
    QImage image = Argb(picture);
    // A drawing on a transparent ground: corners clear, a fair part painted.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(63, 0)), 0);
    double coverage = Coverage(image);
    EXPECT_GT(coverage, 0.08);
    EXPECT_LT(coverage, 0.85);
    seen.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()),
                           image.sizeInBytes()));
  }
  EXPECT_EQ(seen.size(), 15);
}

TEST(GlassPictures, CodesOutsideTheGlassListHaveNoPicture) {
  for (int code : {-1, 15, 1000}) EXPECT_TRUE(GlassPicture(code).isNull()) << code;
}

TEST(GlassPictures, RepeatedRequestsGiveTheSamePicture) {
  EXPECT_EQ(Argb(GlassPicture(3)), Argb(GlassPicture(3)));
}

TEST(ToolIcons, EveryNameIsDrawnAtSixteenAndTwentyFour) {
  QSet<QByteArray> seen;
  for (const char* name : kToolIcons) {
    SCOPED_TRACE(name);
    QIcon icon = ToolIcon(name);
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 24}) {
      EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
      QImage image = Argb(icon.pixmap(QSize(size, size)));
      EXPECT_EQ(image.size(), QSize(size, size));
      EXPECT_GT(Coverage(image), 0.15);
      if (size == 24)
        seen.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()),
                               image.sizeInBytes()));
    }
  }
  EXPECT_EQ(seen.size(), int(std::size(kToolIcons)));
}

TEST(ToolIcons, UnknownNameGivesNoIcon) {
  EXPECT_TRUE(ToolIcon("").isNull());
  EXPECT_TRUE(ToolIcon("Add").isNull());
  EXPECT_TRUE(ToolIcon("frobnicate").isNull());
}

TEST(ScenePictures, SplashInformationAndApplicationIcon) {
  QPixmap splash = SplashPicture();
  EXPECT_EQ(splash.size(), QSize(322, 217));
  // White captions sit on the upper left and the lower right: both stay dark.
  QImage image = Argb(splash);
  for (QPoint at : {QPoint(10, 10), QPoint(120, 40), QPoint(260, 182), QPoint(300, 205)})
    EXPECT_LT(qGray(image.pixel(at)), 90) << at.x() << "," << at.y();

  for (int n = 0; n < 6; ++n) {
    QPixmap picture = InformationPicture(n);
    ASSERT_FALSE(picture.isNull()) << n;
    EXPECT_EQ(picture.size(), QSize(160, 120)) << n;
  }
  EXPECT_NE(Argb(InformationPicture(0)), Argb(InformationPicture(5)));
  EXPECT_TRUE(InformationPicture(-1).isNull());
  EXPECT_TRUE(InformationPicture(6).isNull());

  QIcon icon = ApplicationIcon();
  for (int size : {16, 32, 48, 256})
    EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
}

// Not a check: with ZESTORIA_PICTURES_SHEET set, lays every picture out on
// one sheet (glasses at 1x and 2x, icons at 16 and 24 on light and dark
// grounds, the splash, the Information pictures, the application icon).
TEST(ScenePictures, SheetForALookByEye) {
  QString path = qEnvironmentVariable("ZESTORIA_PICTURES_SHEET");
  if (path.isEmpty()) GTEST_SKIP() << "ZESTORIA_PICTURES_SHEET not set";
  QImage sheet(1330, 900, QImage::Format_ARGB32);
  sheet.fill(QColor(240, 240, 240));
  QPainter p(&sheet);
  for (int code = 0; code <= 14; ++code) {
    p.drawPixmap(10 + code * 70, 10, GlassPicture(code));
    p.drawPixmap(QRect(10 + (code % 8) * 132, 90 + (code / 8) * 140, 128, 136),
                 GlassPicture(code));
  }
  int x = 10;
  for (const char* name : kToolIcons) {
    QIcon icon = ToolIcon(name);
    p.fillRect(QRect(x - 2, 374, 30, 56), QColor(252, 252, 252));
    p.drawPixmap(x, 378, icon.pixmap(24));
    p.drawPixmap(x + 4, 408, icon.pixmap(16));
    p.drawPixmap(QRect(x - 2, 436, 30, 30), icon.pixmap(24));
    x += 34;
  }
  x = 10;
  for (const char* name : kToolIcons) {
    QIcon icon = ToolIcon(name);
    p.drawPixmap(x, 478, icon.pixmap(48).scaled(48, 48));
    x += 52;
    if (x > 1000) break;
  }
  p.drawPixmap(10, 540, SplashPicture());
  p.setPen(Qt::white);
  p.setFont(QFont("Arial", 12));
  p.drawText(QPoint(18, 560), "Zestoria");
  p.drawText(QPoint(18, 580), "Drink recipes");
  p.drawText(QPoint(18, 600), "presents...");
  p.drawText(QPoint(10 + 246, 540 + 174 + 12), "Loading...");
  p.drawText(QPoint(10 + 236, 540 + 195 + 12), "Please Wait");
  for (int n = 0; n < 6; ++n)
    p.drawPixmap(345 + (n % 3) * 168, 540 + (n / 3) * 128, InformationPicture(n));
  int ix = 10;
  for (int size : {16, 32, 48, 256}) {
    if (size == 256) {
      p.drawPixmap(1064, 10, ApplicationIcon().pixmap(256));
      continue;
    }
    p.drawPixmap(ix, 800, ApplicationIcon().pixmap(size));
    ix += size + 10;
  }
  p.end();
  ASSERT_TRUE(sheet.save(path));
}

}  // namespace
