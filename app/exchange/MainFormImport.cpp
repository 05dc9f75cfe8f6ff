// The main window's import of drink exchange files: File > "Import <- .ZDR",
// the file named on the command line, and a file handed over by a second
// copy of the program (ToFront). The file is read and checked whole before
// anything is added, so a damaged file adds nothing.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QStatusBar>
#include <exception>
#include <memory>

#include "catalogue/ListItem.h"
#include "catalogue/MainForm.h"
#include "exchange/DrinkImport.h"
#include "exchange/ExchangeReader.h"
#include "shell/Platform.h"

namespace {

const char kImportFilter[] = "Zestoria  Drinks *.zdr|*.zdr|All Files *|*";

// From this many drinks on, the import shows its progress.
constexpr size_t kProgressFrom = 300;
// The window answers the user again after this many drinks.
constexpr size_t kProgressStep = 25;

}  // namespace

void TMainForm::MenuImportClick() {
  const QString file_name = Platform().OpenFileName(QString::fromLatin1(kImportFilter));
  if (file_name.isEmpty()) return;
  importDrinks(file_name, true);
}

void TMainForm::importDrinks(const QString& file_name, bool ask) {
  zestoria::TExchangeFile file;
  try {
    file = zestoria::ReadExchangeFile(QFile::encodeName(file_name).toStdString());
  } catch (const zestoria::EExchangeError& error) {
    // A file of another version, or a damaged one: the message names the
    // header or the record at fault; nothing has been added.
    Platform().Error(FromCatalogueText(error.what()));
    return;
  }

  if (ask && !Platform().Confirm(FromCatalogueText(zestoria::ImportQuestion(file.collectionName)))) {
    return;
  }

  // Every drink goes into the image first; should one fail, those added
  // so far are taken out again and the list is left untouched.
  std::vector<int32_t> ids;
  ids.reserve(file.drinks.size());
  {
    std::unique_ptr<QProgressDialog> progress;
    if (file.drinks.size() >= kProgressFrom) {
      progress = std::make_unique<QProgressDialog>(QStringLiteral("Importing drinks..."), QString(), 0,
                                                   static_cast<int>(file.drinks.size()), this);
      progress->setWindowModality(Qt::WindowModal);
      progress->setMinimumDuration(0);
      progress->setCancelButton(nullptr);
      progress->setValue(0);
    }
    try {
      for (const TDrink& drink : file.drinks) {
        ids.push_back(insertDrink(drink, false, false));
        if (progress && ids.size() % kProgressStep == 0) {
          progress->setValue(static_cast<int>(ids.size()));
          QApplication::processEvents();
        }
      }
    } catch (...) {
      for (int32_t id : ids) {
        try {
          catalogue_.DeleteDrink(id, false);
        } catch (...) {
          // The insert's error is the one to report.
        }
      }
      throw;
    }
    if (progress) progress->setValue(static_cast<int>(ids.size()));
  }

  // The new drinks join the list in sorted place, check boxes clear.
  int lastRow = 0;
  ++quietList_;
  for (size_t i = 0; i < ids.size(); ++i) {
    const std::string text = zestoria::makeListItem(file.drinks[i].name, ids[i]);
    lastRow = sortedPosition(text);
    ListBox->insertItem(lastRow, newListItem(text, false));
  }
  --quietList_;
  saveDatabase();

  if (Platform().Confirm(FromCatalogueText(zestoria::ImportedQuestion(ids.size())))) {
    fillList(zestoria::ImportedDrinksFilter(ids));
  } else if (ListBox->count() > 0) {
    selectRow(lastRow);
    loadDrink(itemIdAt(lastRow));
    showDrink(currentDrink_);
  }
  statusPanels_[2]->setText(positionText());
}

void TMainForm::ToFront(const QStringList& arguments) {
  const QString file_name = arguments.value(1);
  if (!file_name.isEmpty()) {
    // The import saves the image once it has added the drinks.
    guarded([this, &file_name] { importDrinks(file_name, false); });
  }
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}
