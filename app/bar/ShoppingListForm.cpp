#include "bar/ShoppingListForm.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QHash>

#include "catalogue/CatalogueText.h"
#include "shell/PageHost.h"
#include "shell/Platform.h"
#include "shell/ProgramFont.h"

QString ShoppingListText(const zestoria::bar::TMyBar& bar, zestoria::TDrinkCatalogue& catalogue,
                         const std::vector<int32_t>& marked) {
  const std::vector<zestoria::bar::TShoppingItem> items = bar.ShoppingList(marked);
  QHash<int32_t, QString> names;
  for (const zestoria::TListedDrink& drink : catalogue.ListDrinksById(marked))
    names[drink.id] = FromCatalogueText(drink.name);

  QString text = marked.size() == 1 ? QStringLiteral("Shopping list for 1 marked drink\n")
                                    : QStringLiteral("Shopping list for %1 marked drinks\n").arg(marked.size());
  if (items.empty()) return text + QStringLiteral("\nThe shelf has everything they need.\n");
  text += QLatin1Char('\n');
  for (const zestoria::bar::TShoppingItem& item : items) {
    QStringList drinks;
    for (int32_t id : item.drinks) drinks << names.value(id, QString::number(id));
    text += QString::fromStdString(zestoria::bar::RequirementText(bar.Vocabulary(), item.ingredient)) +
            QStringLiteral("  (") + drinks.join(QStringLiteral(", ")) + QStringLiteral(")\n");
  }
  return text;
}

TShoppingListForm::TShoppingListForm(const QString& text, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Shopping List"));
  setObjectName(QStringLiteral("ShoppingListForm"));
  list_ = new QPlainTextEdit(this);
  list_->setObjectName(QStringLiteral("ShoppingListText"));
  list_->setReadOnly(true);
  list_->setPlainText(text);
  list_->setFixedHeight(WholeLinesHeight(list_, 300));  // whole lines, none cut through
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* copy = buttons->addButton(QStringLiteral("Copy"), QDialogButtonBox::ActionRole);
  copy->setObjectName(QStringLiteral("ShoppingListCopy"));
  QPushButton* print = buttons->addButton(QStringLiteral("Print..."), QDialogButtonBox::ActionRole);
  print->setObjectName(QStringLiteral("ShoppingListPrint"));
  buttons->addButton(QDialogButtonBox::Close);
  connect(copy, &QPushButton::clicked, this, [this] { Guarded([this] { CopyClick(); }); });
  connect(print, &QPushButton::clicked, this, [this] { Guarded([this] { PrintClick(); }); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(buttons);
  resize(460, sizeHint().height());
}

QString TShoppingListForm::text() const { return list_->toPlainText(); }

void TShoppingListForm::CopyClick() { Platform().SetClipboardText(text()); }

void TShoppingListForm::PrintClick() {
  if (Platform().PrinterNames().isEmpty()) {
    Platform().Warning(QStringLiteral("No Printers are Installed"));
    return;
  }
  QPrinter printer(QPrinter::HighResolution);
  if (!Platform().PrinterSetup(printer)) return;
  if (printer.outputFormat() == QPrinter::PdfFormat) {
    const QString file = Platform().SaveFileName(QStringLiteral("PDF files|*.pdf"));
    if (file.isEmpty()) return;
    printer.setOutputFileName(file);
  }
  QTextDocument document;
  document.setPlainText(text());
  document.print(&printer);
}
