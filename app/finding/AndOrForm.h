// The AND/OR question asked between two search terms: shows the term being
// added and joins it to the search with AND or OR. There is no way out but
// the two buttons.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

class TAndOrForm : public QDialog {
  Q_OBJECT

 public:
  explicit TAndOrForm(QWidget* parent = nullptr);

  // Shows |termText| (cut short with "..." when wider than the frame) and
  // asks modally; true for AND, false for OR.
  bool ask(const QString& termText);

  QFrame* Bevel1 = nullptr;
  QLabel* Label1 = nullptr;
  QPushButton* Button1 = nullptr;  // "AND"
  QPushButton* Button2 = nullptr;  // "OR"

 public slots:
  void Button1Click();
  void Button2Click();

 protected:
  // On activation the dialog centres itself on the screen.
  void showEvent(QShowEvent* event) override;
  // Escape and the window manager's close do nothing: a connector must be chosen.
  void reject() override {}
  void closeEvent(QCloseEvent* event) override;

 private:
  bool chose_and_ = true;
};
