#include "shell/LoginForm.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <qdrawutil.h>

#include "platform/Codepage.h"

namespace {

constexpr int kClientWidth = 281;
constexpr int kClientHeight = 154;
constexpr int kPanelLeft = 8;
constexpr int kPanelTop = 8;
constexpr int kPanelHeight = 75;
constexpr int kEditLeft = 86;
constexpr int kEditHeight = 21;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;

// Texts travel to the engine as Windows-1252. A password holding a
// character outside that set cannot match a stored one; it is handed on
// with '?' in that place, which the check then refuses.
std::string ToCodePage(const QString& text) {
  std::string out;
  if (tinydb::Utf8ToCp1252(text.toStdString(), &out)) return out;
  out.clear();
  for (QChar c : text) {
    std::string one;
    out += tinydb::Utf8ToCp1252(QString(c).toStdString(), &one) ? one : std::string("?");
  }
  return out;
}

QString FromCodePage(const std::string& text) {
  return QString::fromStdString(tinydb::Cp1252ToUtf8(text));
}

}  // namespace

TBevelPanel::TBevelPanel(QWidget* parent) : QFrame(parent) {}

void TBevelPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect outer = rect();
  qDrawShadePanel(&painter, outer, palette(), /*sunken=*/true, 1);
  qDrawShadePanel(&painter, outer.adjusted(1, 1, -1, -1), palette(), /*sunken=*/false, 1);
}

TTinyDBLoginForm::TTinyDBLoginForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TinyDBLoginForm"));
  setWindowTitle(QStringLiteral("Database Login"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setModal(true);
  setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
  setFixedSize(kClientWidth, kClientHeight);

  const int panel_width = kClientWidth - 2 * kPanelLeft;
  BackPanel = new TBevelPanel(this);
  BackPanel->setObjectName(QStringLiteral("BackPanel"));
  BackPanel->setGeometry(kPanelLeft, kPanelTop, panel_width, kPanelHeight);

  const int edit_width = panel_width - 98;
  DatabaseLabel = new QLabel(QStringLiteral("Database:"), BackPanel);
  DatabaseLabel->setObjectName(QStringLiteral("DatabaseLabel"));
  DatabaseLabel->move(12, 15);
  DatabaseLabel->adjustSize();

  PasswordLabel = new QLabel(QStringLiteral("Password:"), BackPanel);
  PasswordLabel->setObjectName(QStringLiteral("PasswordLabel"));
  PasswordLabel->move(12, 45);
  PasswordLabel->adjustSize();

  DatabaseEdit = new QLineEdit(BackPanel);
  DatabaseEdit->setObjectName(QStringLiteral("DatabaseEdit"));
  DatabaseEdit->setGeometry(kEditLeft, 12, edit_width, kEditHeight);
  DatabaseEdit->setReadOnly(true);
  DatabaseEdit->setFocusPolicy(Qt::NoFocus);
  QPalette face = DatabaseEdit->palette();
  face.setColor(QPalette::Base, face.color(QPalette::Button));
  DatabaseEdit->setPalette(face);

  PasswordEdit = new QLineEdit(BackPanel);
  PasswordEdit->setObjectName(QStringLiteral("PasswordEdit"));
  PasswordEdit->setGeometry(kEditLeft, 42, edit_width, kEditHeight);
  PasswordEdit->setEchoMode(QLineEdit::Password);
  PasswordEdit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
  PasswordLabel->setBuddy(PasswordEdit);

  OkButton = new QPushButton(QStringLiteral("&OK"), this);
  OkButton->setObjectName(QStringLiteral("OkButton"));
  OkButton->setGeometry(109, 94, kButtonWidth, kButtonHeight);
  OkButton->setDefault(true);
  connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);

  CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));
  CancelButton->setGeometry(191, 94, kButtonWidth, kButtonHeight);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

  setTabOrder(PasswordEdit, OkButton);
  setTabOrder(OkButton, CancelButton);
  PasswordEdit->setFocus();

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.x() + area.width() / 2 - kClientWidth / 2,
         area.y() + area.height() / 2 - kClientHeight / 2);
  }
}

bool TDialogLoginPrompt::AskPassword(const std::string& storage_name, std::string* password) {
  TTinyDBLoginForm form(QApplication::activeWindow());
  form.DatabaseEdit->setText(FromCodePage(storage_name));
  form.DatabaseEdit->setCursorPosition(0);
  if (form.exec() != QDialog::Accepted) return false;
  if (password != nullptr) *password = ToCodePage(form.PasswordEdit->text());
  return true;
}

void InstallLoginPrompt() {
  static TDialogLoginPrompt prompt;
  tinydb::SetLoginPrompt(&prompt);
}
