#include "finding/OtherForm.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

TOtherForm::TOtherForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("OtherForm"));
  setWindowTitle(QStringLiteral("GoTo"));
  // A caption without close box or other buttons.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setModal(true);
  setFixedSize(233, 93);

  Label1 = new QLabel(QStringLiteral("Enter Drink Name:"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->move(8, 9);
  Label1->setMinimumWidth(217);
  OtherEdit = new QLineEdit(this);
  OtherEdit->setObjectName(QStringLiteral("OtherEdit"));
  OtherEdit->setGeometry(8, 27, 217, 21);
  OKBtn = new QPushButton(QStringLiteral("OK"), this);
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setGeometry(70, 59, 75, 25);
  OKBtn->setDefault(true);
  OKBtn->setAutoDefault(true);
  CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  CancelBtn->setGeometry(150, 59, 75, 25);
  CancelBtn->setAutoDefault(false);

  connect(OKBtn, &QPushButton::clicked, this, &TOtherForm::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &TOtherForm::CancelBtnClick);
}

bool TOtherForm::ask(const QString& caption, const QString& question, bool clear) {
  setWindowTitle(caption);
  Label1->setText(question);
  Label1->adjustSize();
  if (clear) OtherEdit->clear();
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  exec();
  return !cancelled;
}

QString TOtherForm::text() const { return OtherEdit->text(); }

void TOtherForm::OKBtnClick() {
  cancelled = false;
  accept();
}

void TOtherForm::CancelBtnClick() {
  cancelled = true;
  QDialog::reject();
}

// Escape and the window manager's close both end as Cancel.
void TOtherForm::reject() { CancelBtnClick(); }

void TOtherForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  OtherEdit->setFocus(Qt::ActiveWindowFocusReason);
}
