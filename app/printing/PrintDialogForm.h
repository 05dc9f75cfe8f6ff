// The print dialog: the choice of layout (full page or index cards) and of
// the row printing starts at on the first sheet, and the Print, Print
// Preview and Print Setup commands. It selects the drinks to print with a
// filter of ids on the drinks table and prints them through one of the two
// recipe layouts. It is made once and keeps its choices between uses.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "printing/Report.h"

class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tinydb {
class TTinyTable;
}

// What a print covers: the selected drink, the drink list or the marked
// drinks.
enum class TPrintScope { None, Drink, List, Marked };

// What the dialog prints from: the drink list, the print scope and the
// drinks table. The main window answers for it.
class TPrintSubject {
 public:
  virtual ~TPrintSubject() = default;
  // What the next print covers.
  virtual TPrintScope PrintScope() = 0;
  // The number of list items, the text of item |row| (Windows-1252: the
  // name padded to 80 characters, then the id) and the selected row (-1
  // for none).
  virtual int ListCount() = 0;
  virtual std::string ListItem(int row) = 0;
  virtual int SelectedRow() = 0;
  // The cursor on the drinks table.
  virtual tinydb::TTinyTable& DrinkTable() = 0;
};

// The selection filter of the marked drinks of |table| ("id = 2 OR id =
// 10", in the table's order), "" when none is marked. The walk starts at the
// table's first record whether or not filtering is on and wherever the
// table stands; the table keeps its filter text.
std::string MarkedDrinksFilter(tinydb::TTinyTable& table);

class TThePrintDialog : public QDialog {
  Q_OBJECT

 public:
  // The dialog keeps |subject| for its life.
  explicit TThePrintDialog(std::unique_ptr<TPrintSubject> subject, QWidget* parent = nullptr);
  ~TThePrintDialog() override;

  // Shows the dialog modally. While |modal_hook| is set, the dialog is shown
  // without a modal loop and the hook acts for the user instead.
  void ShowModal();
  std::function<void(TThePrintDialog&)> modal_hook;

  // Layout 1 (full page) and layout 2 (index cards).
  zestoria::TReport& Layout1() { return layout1_; }
  zestoria::TReport& Layout2() { return layout2_; }

  // ---- Controls, named by role and kind ----
  QFrame* Bevel1 = nullptr;  // the raised frame the controls stand on
  QGroupBox* PageType = nullptr;
  QRadioButton* PageTypeFull = nullptr;   // "Full Page"
  QRadioButton* PageTypeCards = nullptr;  // "Index Cards"
  QLabel* Image3 = nullptr;
  QFrame* Bevel2 = nullptr;  // the separating line above Label1
  QLabel* Label1 = nullptr;
  QGroupBox* FullPage = nullptr;
  QRadioButton* FullPageRows[5] = {};
  QLabel* Image1 = nullptr;
  QGroupBox* IndexCard = nullptr;
  QRadioButton* IndexCardRows[3] = {};
  QLabel* Image2 = nullptr;
  QPushButton* ButtonPrint = nullptr;
  QPushButton* PrintPreview = nullptr;
  QPushButton* ButtonPrintSetup = nullptr;
  QPushButton* CancelBtn = nullptr;

  // The chosen starting rows, 1-based.
  int FullPageRow() const;
  int IndexCardRow() const;
  // True when "Full Page" is chosen.
  bool FullPageChosen() const;

 public slots:
  // "Full Page" enables FullPage and disables IndexCard; "Index Cards" the
  // opposite.
  void PageTypeClick();
  // Prints the selected drinks through the chosen layout, then closes.
  void ButtonPrintClick();
  // Shows the preview of what Print would print; the dialog stays open.
  void PrintPreviewClick();
  // The printer setup of the chosen layout.
  void ButtonPrintSetupClick();
  void CancelBtnClick();

 public:
  // Before-print hooks of the type, season and glass texts: the code in
  // |text| becomes its name; the glass hook first gives both layouts'
  // pictures the glass picture of the code.
  void FullTypePrint(QString& text);
  void FullSeasonPrint(QString& text);
  void FullGlassPrint(QString& text);

 protected:
  // On showing, the dialog centres itself on the screen.
  void showEvent(QShowEvent* event) override;

 private:
  // The shared body of Print and Print Preview; an error is shown in an
  // error box.
  void printOrPreview(bool preview);
  void runReport(bool preview);
  // The selection filter of the print scope; "" selects nothing. Sets
  // |*stop| when Print Marked found no marked drink (after its warning).
  std::string selectionFilter(bool* stop);

  std::unique_ptr<TPrintSubject> subject_;
  zestoria::TReport layout1_;
  zestoria::TReport layout2_;
  QButtonGroup* page_type_group_ = nullptr;
  QButtonGroup* full_page_group_ = nullptr;
  QButtonGroup* index_card_group_ = nullptr;
};
