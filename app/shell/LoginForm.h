// The database login dialog and the password prompt the engine asks
// through it.
#pragma once

#include <QDialog>
#include <QFrame>
#include <string>

#include "tables/Database.h"

class QLabel;
class QLineEdit;
class QPushButton;

// A panel drawn with a lowered outer and a raised inner bevel.
class TBevelPanel : public QFrame {
  Q_OBJECT

 public:
  explicit TBevelPanel(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// "Database Login": shows the database's storage name and asks for its
// password. Fixed 281 x 154 client area, centred on the screen.
class TTinyDBLoginForm : public QDialog {
  Q_OBJECT

 public:
  explicit TTinyDBLoginForm(QWidget* parent = nullptr);

  // The components, by name, for the prompt and for tests.
  TBevelPanel* BackPanel;
  QLabel* DatabaseLabel;
  QLabel* PasswordLabel;
  QLineEdit* DatabaseEdit;
  QLineEdit* PasswordEdit;
  QPushButton* OkButton;
  QPushButton* CancelButton;
};

// The engine's login prompt: shows TTinyDBLoginForm modally with the
// storage name; OK hands back the password typed, Cancel refuses.
class TDialogLoginPrompt : public tinydb::TLoginPrompt {
 public:
  bool AskPassword(const std::string& storage_name, std::string* password) override;
};

// Installs one TDialogLoginPrompt as the engine's login prompt (idempotent).
void InstallLoginPrompt();
