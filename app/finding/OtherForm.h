// The program's one-line text prompt: a caption, a question, an edit and
// OK/Cancel. Find Drink, Quick Search and the Search page's own ingredient
// use it; each caller sets caption and question before showing it and reads
// `cancelled` and the edit's text afterwards.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TOtherForm : public QDialog {
  Q_OBJECT

 public:
  // Caption "GoTo" and question "Enter Drink Name:" until a caller sets them.
  explicit TOtherForm(QWidget* parent = nullptr);

  // Sets caption and question, clears the edit when |clear|, shows the
  // prompt modally. True when the user chose OK (`cancelled` is false then).
  bool ask(const QString& caption, const QString& question, bool clear);
  // The text typed.
  QString text() const;

  QLabel* Label1 = nullptr;
  QLineEdit* OtherEdit = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
  // Set by Cancel (and Escape or closing), cleared by OK.
  bool cancelled = false;

 public slots:
  void OKBtnClick();
  void CancelBtnClick();

 protected:
  // On activation the edit takes the keyboard focus.
  void showEvent(QShowEvent* event) override;
  void reject() override;
};
