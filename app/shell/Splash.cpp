#include "shell/Splash.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <qdrawutil.h>

#include "shell/Pictures.h"

namespace {

constexpr int kWidth = 326;
constexpr int kFullHeight = 283;
constexpr int kPictureFrameHeight = 221;
constexpr int kStripTop = 219;
constexpr int kStripHeight = 63;

QFont CaptionFont(int pixels, bool bold = false) {
  QFont font;
  font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QLabel* WhiteLabel(const QString& text, int pixels, bool bold, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setFont(CaptionFont(pixels, bold));
  label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
  label->setAttribute(Qt::WA_TranslucentBackground);
  label->adjustSize();
  return label;
}

}  // namespace

TSplash::TSplash(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Splash"));
  setWindowTitle(QStringLiteral("Zestoria 2010"));
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setAutoFillBackground(true);
  QPalette face = palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  setPalette(face);
  setFixedSize(kWidth, kFullHeight - 1);

  Caption1 = WhiteLabel(QStringLiteral("Zestoria Software"), 16, true, this);
  Caption1->setObjectName(QStringLiteral("Caption1"));
  Caption1->move(10, 8);
  Caption2 = WhiteLabel(QStringLiteral("and the Mixing Guild"), 16, false, this);
  Caption2->setObjectName(QStringLiteral("Caption2"));
  Caption2->move(10, 28);
  Caption3 = WhiteLabel(QStringLiteral("presents..."), 16, false, this);
  Caption3->setObjectName(QStringLiteral("Caption3"));
  Caption3->move(10, 48);

  LoadingLabel = WhiteLabel(QStringLiteral("Loading..."), 15, false, this);
  LoadingLabel->setObjectName(QStringLiteral("LoadingLabel"));
  LoadingLabel->move(246, 174);
  WaitLabel = WhiteLabel(QStringLiteral("Please Wait"), 15, false, this);
  WaitLabel->setObjectName(QStringLiteral("WaitLabel"));
  WaitLabel->move(236, 195);

  // The bottom strip: what the program is, beside the Close button.
  StripLabel = new QLabel(
      QStringLiteral("<b>Zestoria 2010</b><br>A catalogue of drink recipes<br>"
                     "Version %1").arg(QApplication::applicationVersion().isEmpty()
                                           ? QStringLiteral("1.0")
                                           : QApplication::applicationVersion()),
      this);
  StripLabel->setObjectName(QStringLiteral("StripLabel"));
  StripLabel->setGeometry(12, kStripTop + 6, 230, kStripHeight - 12);
  StripLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  CloseButton = new QPushButton(QStringLiteral("Close"), this);
  CloseButton->setObjectName(QStringLiteral("CloseButton"));
  CloseButton->setGeometry(250, 223, 72, 25);
  connect(CloseButton, &QPushButton::clicked, this, &TSplash::closeButtonClick);
}

void TSplash::closeButtonClick() { close(); }

void TSplash::setHeight(int height) { setFixedSize(kWidth, height); }

void TSplash::centre() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  move(area.x() + area.width() / 2 - width() / 2, area.y() + area.height() / 2 - height() / 2);
}

void TSplash::showSplash(int mode) {
  setHeight(kPictureFrameHeight);
  setHeight(kFullHeight);
  centre();
  if (mode == 1) {
    setHeight(kPictureFrameHeight);
    CloseButton->hide();
    StripLabel->hide();
    setModal(false);
    show();
    repaint();
    // Let the window system put it on screen before the long work starts.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return;
  }
  CloseButton->move(250, 193);
  CloseButton->show();
  CloseButton->raise();
  CloseButton->setDefault(true);
  LoadingLabel->hide();
  WaitLabel->hide();
  StripLabel->show();
  exec();
}

void TSplash::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  qDrawShadePanel(&painter, QRect(0, 0, kWidth, kPictureFrameHeight), palette(), false, 1);
  qDrawShadePanel(&painter, QRect(0, kStripTop, kWidth, kStripHeight), palette(), false, 1);
  const QPixmap picture = SplashPicture();
  const QRect target(2, 2, 322, 217);
  if (!picture.isNull()) {
    painter.drawPixmap(target, picture);
  } else {
    QLinearGradient gradient(target.topLeft(), target.bottomRight());
    gradient.setColorAt(0, QColor(40, 20, 60));
    gradient.setColorAt(1, QColor(200, 120, 40));
    painter.fillRect(target, gradient);
  }
}
