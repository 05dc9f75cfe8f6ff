// The main window's display menu: all drinks, marked drinks, the category
// submenus whose handlers the Search page shares, and Find Drink and Quick
// Search with the one-line prompt.
#include <QAction>
#include <QMenu>
#include <QToolButton>

#include "catalogue/MainForm.h"
#include "finding/DisplayFilters.h"
#include "finding/OtherForm.h"
#include "shell/Platform.h"

void TMainForm::createDisplayMenu() {
  auto add = [this](QMenu* menu, const QString& name, const QString& caption, void (TMainForm::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    return action;
  };
  All1 = add(displayPopUp, QStringLiteral("All1"), QStringLiteral("All Drinks"), &TMainForm::All1Click);
  Marked1 = add(displayPopUp, QStringLiteral("Marked1"), QStringLiteral("Marked Drinks"), &TMainForm::Marked1Click);
  displayPopUp->addSeparator();
  FindDrink2 = add(displayPopUp, QStringLiteral("FindDrink2"), QStringLiteral("Find Drink..."), &TMainForm::FindDrink2Click);
  QuickSearch2 =
      add(displayPopUp, QStringLiteral("QuickSearch2"), QStringLiteral("Quick Search..."), &TMainForm::QuickSearch2Click);
  displayPopUp->addSeparator();

  using THandler = void (TMainForm::*)(QAction*);
  static const THandler handlers[] = {&TMainForm::SeaLiquorClick, &TMainForm::SeaLiqueurClick,
                                      &TMainForm::SeaIngredClick, &TMainForm::SeaTypeClick,
                                      &TMainForm::SeaGlassClick,  &TMainForm::SeaSeasonClick,
                                      &TMainForm::SeaTempClick};
  for (const zestoria::TDisplaySubmenu& submenu : zestoria::DisplaySubmenus()) {
    QMenu* menu = displayPopUp->addMenu(QString::fromLatin1(submenu.caption));
    menu->setObjectName(QString::fromLatin1(submenu.name));
    menu->menuAction()->setObjectName(QString::fromLatin1(submenu.name));
    const THandler handler = handlers[submenu.category];
    for (const zestoria::TDisplayItem& item : submenu.items) {
      QAction* action = menu->addAction(QString::fromLatin1(item.caption));
      action->setObjectName(QString::fromLatin1(item.name));
      connect(action, &QAction::triggered, this,
              [this, handler, action] { guarded([this, handler, action] { (this->*handler)(action); }); });
    }
  }

  OtherForm = new TOtherForm(this);
}

void TMainForm::All1Click() { fillList(std::string()); }

void TMainForm::Marked1Click() { fillList("marked = 1"); }

void TMainForm::FindDrink2Click() {
  promptAndList(QStringLiteral(" Find Drink"), QStringLiteral("Enter Drink Name"), "name");
}

void TMainForm::QuickSearch2Click() {
  promptAndList(QStringLiteral(" Quick Search "), QStringLiteral("Enter Ingredent"), "ingred");
}

void TMainForm::promptAndList(const QString& caption, const QString& question, const std::string& field) {
  OtherForm->ask(caption, question, true);
  if (OtherForm->cancelled) return;
  const QString typed = OtherForm->text();
  if (typed.isEmpty()) return;
  std::string text;
  QString bad;
  if (!ToCatalogueText(typed, &text, &bad)) {
    // No drink can hold a character the catalogue cannot store.
    Platform().Warning(QStringLiteral("There are no drinks to list"));
    return;
  }
  // The typed text goes into the filter as a quoted literal, its
  // apostrophes doubled; "%" and "_" still act as wildcards.
  fillList(zestoria::ContainsFilter(field, text));
}

void TMainForm::categoryClick(int category, QAction* item) {
  if (item == nullptr) return;
  if (zestoria::IsSearchItemName(item->objectName().toStdString())) {
    addSearchTerm(item);
    return;
  }
  std::string caption;
  QString bad;
  ToCatalogueText(item->text(), &caption, &bad);
  fillList(zestoria::CategoryFilter(static_cast<zestoria::TDisplayCategory>(category), caption));
}

void TMainForm::SeaLiquorClick(QAction* item) { categoryClick(zestoria::dcLiquor, item); }
void TMainForm::SeaLiqueurClick(QAction* item) { categoryClick(zestoria::dcLiqueur, item); }
void TMainForm::SeaIngredClick(QAction* item) { categoryClick(zestoria::dcIngred, item); }
void TMainForm::SeaTypeClick(QAction* item) { categoryClick(zestoria::dcType, item); }
void TMainForm::SeaGlassClick(QAction* item) { categoryClick(zestoria::dcGlass, item); }
void TMainForm::SeaSeasonClick(QAction* item) { categoryClick(zestoria::dcSeason, item); }
void TMainForm::SeaTempClick(QAction* item) { categoryClick(zestoria::dcTemp, item); }
