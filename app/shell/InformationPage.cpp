#include "shell/InformationPage.h"

#include <QFont>
#include <QFrame>
#include <QLabel>

#include "shell/Pictures.h"

TInformationPage::TInformationPage(int width, QWidget* parent) : QWidget(parent) {
  const int columns = 3;
  const int frameWidth = kInformationPictureWidth + 12;
  const int frameHeight = kInformationPictureHeight + 12;
  const int gapX = (width - columns * frameWidth) / (columns + 1);
  const int gapY = 20;
  for (int n = 0; n < kInformationPictureCount; ++n) {
    auto* frame = new QLabel(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setLineWidth(2);
    frame->setAlignment(Qt::AlignCenter);
    frame->setPixmap(InformationPicture(n));
    frame->setGeometry(gapX + (n % columns) * (frameWidth + gapX), gapY + (n / columns) * (frameHeight + gapY),
                       frameWidth, frameHeight);
  }
  auto* note = new QLabel(QStringLiteral("Zestoria 2010  -  a catalogue of drink recipes"), this);
  QFont font = note->font();
  font.setBold(true);
  note->setFont(font);
  note->setAlignment(Qt::AlignCenter);
  note->setGeometry(0, 2 * (frameHeight + gapY) + gapY, width, 24);
}
