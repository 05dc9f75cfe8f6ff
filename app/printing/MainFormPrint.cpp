// The main window's print commands: File > "Print Drink", "Print Marked",
// "Print List" and the same three in the print button's menu.
#include <QListWidget>
#include <memory>

#include "catalogue/MainForm.h"
#include "printing/PrintDialogForm.h"
#include "shell/Platform.h"

namespace {

// The print dialog's view of the main window.
class TMainFormPrintSubject : public TPrintSubject {
 public:
  explicit TMainFormPrintSubject(TMainForm* form) : form_(form) {}
  int PrintScope() override { return form_->printScope; }
  int ListCount() override { return form_->ListBox->count(); }
  std::string ListItem(int row) override { return form_->itemText(row); }
  int SelectedRow() override { return form_->selectedIndex(); }
  tinydb::TTinyTable& DrinkTable() override { return form_->catalogue().DrinkTable(); }

 private:
  TMainForm* form_;
};

}  // namespace

void TMainForm::createPrintDialog() {
  if (ThePrintDialog) return;
  ThePrintDialog = new TThePrintDialog(std::make_unique<TMainFormPrintSubject>(this), this);
}

void TMainForm::printCommand(int scope) {
  if (Platform().PrinterNames().isEmpty()) {
    Platform().Warning(QStringLiteral("No Printers are Installed"));
    return;
  }
  // With an empty list there is no drink to print: no selected item for
  // Print Drink, no item for Print List.
  if ((scope == 1 && selectedIndex() < 0) || (scope == 2 && ListBox->count() == 0)) return;
  printScope = scope;
  createPrintDialog();
  ThePrintDialog->ShowModal();
}

void TMainForm::MenuPrintDrinkClick() { printCommand(1); }
void TMainForm::MenuPrintMarkedClick() { printCommand(3); }
void TMainForm::MenuPrintListClick() { printCommand(2); }
void TMainForm::PopPrintDrinkClick() { printCommand(1); }
void TMainForm::PopPrintMarkedClick() { printCommand(3); }
void TMainForm::PopPrintListClick() { printCommand(2); }
