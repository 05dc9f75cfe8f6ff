#include "finding/AndOrForm.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TAndOrForm::TAndOrForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("AndOrForm"));
  setWindowTitle(QStringLiteral("  AND / OR"));
  setFixedSize(192, 90);
  Bevel1 = new QFrame(this);
  Bevel1->setFrameShape(QFrame::Box);
  Bevel1->setFrameShadow(QFrame::Sunken);
  Bevel1->setGeometry(10, 5, 176, 31);
  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(15, 10, 166, 21);
  Button1 = new QPushButton(QStringLiteral("AND"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(10, 45, 75, 25);
  Button2 = new QPushButton(QStringLiteral("OR"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setGeometry(110, 45, 75, 25);
  Button1->setAutoDefault(false);
  Button2->setAutoDefault(false);
  connect(Button1, &QPushButton::clicked, this, &TAndOrForm::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TAndOrForm::Button2Click);
}

bool TAndOrForm::ask(const QString& termText) {
  // A term wider than the frame (an ingredient typed in) ends in "..."; the
  // whole of it is in the tip.
  Label1->setText(Label1->fontMetrics().elidedText(termText, Qt::ElideRight, Label1->contentsRect().width()));
  Label1->setToolTip(Label1->text() == termText ? QString() : termText);
  exec();
  return chose_and_;
}

void TAndOrForm::Button1Click() {
  chose_and_ = true;
  accept();
}

void TAndOrForm::Button2Click() {
  chose_and_ = false;
  accept();
}

void TAndOrForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.width() / 2 - width() / 2, area.height() / 2 - height() / 2);
  }
}

void TAndOrForm::closeEvent(QCloseEvent* event) { event->ignore(); }
