// The Search page and the display menu's finding commands.
#include "finding/SearchPage.h"

#include <QAction>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QtMath>
#include <algorithm>

#include "bar/MyBar.h"
#include "catalogue/CatalogueText.h"
#include "finding/AndOrForm.h"
#include "finding/DisplayFilters.h"
#include "finding/OtherForm.h"
#include "shell/Platform.h"

namespace {

struct TSearchItem {
  const char* name;
  const char* caption;
};

// The category menus' items in menu order; "OTHER ..." items end the three
// ingredient menus.
const TSearchItem kLiquorItems[] = {
    {"S_Liquor_Beer", "Beer"},       {"S_Liquor_Bourbon", "Bourbon"},   {"S_Liquor_Brandy", "Brandy"},
    {"S_Liquor_Champagne", "Champagne"}, {"S_Liquor_Gin", "Gin"},        {"S_Liquor_Port", "Port"},
    {"S_Liquor_Rum", "Rum"},         {"S_Liquor_Scotch", "Scotch"},     {"S_Liquor_Sherry", "Sherry"},
    {"S_Liquor_Tequila", "Tequila"}, {"S_Liquor_Vermouth", "Vermouth"}, {"S_Liquor_Vodka", "Vodka"},
    {"S_Liquor_Whiskey", "Whiskey"}, {"S_Liquor_Wine", "Wine"},         {"S_Liquor_Other", "OTHER ..."}};
const TSearchItem kLiqueurItems[] = {{"S_Liqueur_Amaretto", "Amaretto"},
                                     {"S_Liqueur_Anisette", "Anisette"},
                                     {"S_Liqueur_Benedictine", "Benedictine"},
                                     {"S_Liqueur_BlueCuracao", "Blue Curacao"},
                                     {"S_Liqueur_Chartreuse", "Chartreuse"},
                                     {"S_Liqueur_Cognac", "Cognac"},
                                     {"S_Liqueur_CremedeCacao", "Creme de Cacao"},
                                     {"S_Liqueur_CremedeMenthe", "Creme de Menthe"},
                                     {"S_Liqueur_Curacao", "Curacao"},
                                     {"S_Liqueur_Dubonnet", "Dubonnet"},
                                     {"S_Liqueur_Jagermeister", "Jagermeister"},
                                     {"S_Liqueur_Kahlua", "Kahlua"},
                                     {"S_Liqueur_MelonLiqueur", "Melon Liqueur"},
                                     {"S_Liqueur_SloeGin", "Sloe Gin"},
                                     {"S_Liqueur_PeachSchnapps", "Peach Schnapps"},
                                     {"S_Liqueur_PeppermintSchnapps", "Peppermint Schnapps"},
                                     {"S_Liqueur_TripleSec", "Triple Sec"},
                                     {"S_Liqueur_Other", "OTHER ..."}};
const TSearchItem kIngredItems[] = {{"S_Ingred_Bitters", "Bitters"},
                                    {"S_Ingred_Cola", "Cola"},
                                    {"S_Ingred_CranberryJuice", "Cranberry Juice"},
                                    {"S_Ingred_Cream", "Cream"},
                                    {"S_Ingred_GingerAle", "Ginger Ale"},
                                    {"S_Ingred_GrapefruitJuice", "Grapefruit Juice"},
                                    {"S_Ingred_Grenadine", "Grenadine"},
                                    {"S_Ingred_Lemon", "Lemon"},
                                    {"S_Ingred_Lime", "Lime"},
                                    {"S_Ingred_OrangeJuice", "Orange Juice"},
                                    {"S_Ingred_Seltze", "Seltzer"},
                                    {"S_Ingred_Soda", "Soda"},
                                    {"S_Ingred_SourMix", "Sour Mix"},
                                    {"S_Ingred_Sugar", "Sugar"},
                                    {"S_Ingred_TomatoJuice", "Tomato Juice"},
                                    {"S_Ingred_TonicWater", "Tonic Water"},
                                    {"S_Ingred_Other", "OTHER ..."}};
const TSearchItem kTypeItems[] = {
    {"S_Type_Beer", "Beer"},         {"S_Type_Cobbler", "Cobbler"},
    {"S_Type_Cocktaik", "Cocktail"}, {"S_Type_Coffee", "Coffee"},
    {"S_Type_Collins", "Collins"},   {"S_Type_Cooler", "Cooler"},
    {"S_Type_Fiz", "Fizz"},          {"S_Type_Frozen", "Frozen"},
    {"S_Type_Highball", "Highball"}, {"S_Type_Martini", "Martini"},
    {"S_Type_Mixed", "Mixed"},       {"S_Type_NonAlcoholic", "Non-Alcoholic"},
    {"S_Type_PousseCafe", "Pousse Cafe"}, {"S_Type_Punch", "Punch"},
    {"S_Type_Shooter", "Shooter"},   {"S_Type_Sling", "Sling"},
    {"S_Type_Sour", "Sour"},         {"S_Type_Toddy", "Toddy"},
    {"S_Type_Wine", "Wine"}};
const TSearchItem kGlassItems[] = {
    {"S_Glass_BeerMug", "Beer Mug"},     {"S_Glass_BrandySnifter", "Brandy Snifter"},
    {"S_Glass_Champagne", "Champagne"},  {"S_Glass_Cocktail", "Cocktail"},
    {"S_Glass_CoffeeCup", "Coffee Cup"}, {"S_Glass_Collins", "Collins"},
    {"S_Glass_Cordial", "Cordial"},      {"S_Glass_Highball", "Highball"},
    {"S_Glass_PousseCafe", "Pousse Cafe"}, {"S_Glass_PunchBowl", "Punch Bowl"},
    {"S_Glass_OldFashioned", "Old Fashioned"}, {"S_Glass_Sour", "Sour"},
    {"S_Glass_Shot", "Shot"},            {"S_Glass_Wine", "Wine"}};
const TSearchItem kSeasonItems[] = {{"S_Season_Spring", "Spring"},
                                    {"S_Season_Summer", "Summer"},
                                    {"S_Season_Fall", "Fall"},
                                    {"S_Season_Winter", "Winter"},
                                    {"S_Season_Holiday", "Holiday"}};
const TSearchItem kTempItems[] = {{"S_Temp_Cold", "Cold"}, {"S_Temp_Hot", "Hot"}, {"S_Temp_Room", "Room"}};

// The category of a Search page item, from its name ("S_<Category>_...").
bool SearchCategoryOf(const QString& name, zestoria::TSearchCategory* category) {
  struct {
    const char* prefix;
    zestoria::TSearchCategory category;
  } const kinds[] = {{"S_Liquor_", zestoria::scLiquor}, {"S_Liqueur_", zestoria::scLiqueur},
                     {"S_Ingred_", zestoria::scIngredient}, {"S_Type_", zestoria::scType},
                     {"S_Glass_", zestoria::scGlass}, {"S_Season_", zestoria::scSeason},
                     {"S_Temp_", zestoria::scTemperature}};
  for (const auto& kind : kinds) {
    if (name.startsWith(QLatin1String(kind.prefix))) {
      *category = kind.category;
      return true;
    }
  }
  return false;
}

// The category buttons open their menus below themselves.
void PopUpBelow(QToolButton* button, QMenu* menu) {
  menu->popup(button->mapToGlobal(QPoint(1, button->height())));
}

}  // namespace

TSearchPage::TSearchPage(TPageHost& host, QMenu* displayMenu, QWidget* parent) : QWidget(parent), host_(host) {
  fillDisplayMenu(displayMenu);
  createPage();
  AndOrForm = new TAndOrForm(this);
  // The searches run are offered at the display menu's end.
  displayMenu->addSeparator();
  RecentSearches = displayMenu->addMenu(QStringLiteral("Recent Searches"));
  RecentSearches->setObjectName(QStringLiteral("RecentSearches"));
  RecentSearches->setEnabled(false);
}

// ---------------------------------------------------------------------------
// Construction steps

void TSearchPage::fillDisplayMenu(QMenu* displayMenu) {
  auto add = [this, displayMenu](const QString& name, const QString& caption, void (TSearchPage::*handler)()) {
    QAction* action = displayMenu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
  };
  add(QStringLiteral("All1"), QStringLiteral("All Drinks"), &TSearchPage::All1Click);
  add(QStringLiteral("Marked1"), QStringLiteral("Marked Drinks"), &TSearchPage::Marked1Click);
  displayMenu->addSeparator();
  add(QStringLiteral("WhatCanIMake1"), QStringLiteral("What Can I Make"), &TSearchPage::WhatCanIMakeClick);
  add(QStringLiteral("OneAway1"), QStringLiteral("One Ingredient Away"), &TSearchPage::OneAwayClick);
  displayMenu->addSeparator();
  add(QStringLiteral("FindDrink2"), QStringLiteral("Find Drink..."), &TSearchPage::FindDrink2Click);
  add(QStringLiteral("QuickSearch2"), QStringLiteral("Quick Search..."), &TSearchPage::QuickSearch2Click);
  displayMenu->addSeparator();

  using THandler = void (TSearchPage::*)(QAction*);
  static const THandler handlers[] = {&TSearchPage::SeaLiquorClick, &TSearchPage::SeaLiqueurClick,
                                      &TSearchPage::SeaIngredClick, &TSearchPage::SeaTypeClick,
                                      &TSearchPage::SeaGlassClick,  &TSearchPage::SeaSeasonClick,
                                      &TSearchPage::SeaTempClick};
  for (const zestoria::TDisplaySubmenu& submenu : zestoria::DisplaySubmenus()) {
    QMenu* menu = displayMenu->addMenu(QString::fromLatin1(submenu.caption));
    menu->setObjectName(QString::fromLatin1(submenu.name));
    menu->menuAction()->setObjectName(QString::fromLatin1(submenu.name));
    const THandler handler = handlers[submenu.category];
    for (const zestoria::TDisplayItem& item : submenu.items) {
      QAction* action = menu->addAction(QString::fromLatin1(item.caption));
      action->setObjectName(QString::fromLatin1(item.name));
      connect(action, &QAction::triggered, this,
              [this, handler, action] { Guarded([this, handler, action] { (this->*handler)(action); }); });
    }
  }

  OtherForm = new TOtherForm(this);
}

void TSearchPage::createPage() {
  QWidget* page = this;
  Label6 = new QLabel(QStringLiteral("Search String"), page);
  QFont bold = Label6->font();
  bold.setBold(true);
  Label6->setFont(bold);
  Label6->adjustSize();
  Label6->move(271, 14);

  SeaString = new QTextEdit(page);
  SeaString->setObjectName(QStringLiteral("SeaString"));
  SeaString->setGeometry(16, 32, 593, 41);
  SeaString->setReadOnly(true);
  SeaString->setEnabled(false);
  QFont big = bold;
  big.setPixelSize(13);
  SeaString->setFont(big);

  createSearchMenus();
  ToolBar3 = new QToolBar(page);
  ToolBar3->setGeometry(0, 90, 625, 30);
  ToolBar3->setToolButtonStyle(Qt::ToolButtonTextOnly);
  // Each category button opens its menu below itself; its arrow opens it too.
  auto categoryButton = [this](const char* name, const char* text, QMenu* menu, void (TSearchPage::*click)()) {
    auto* button = new QToolButton(ToolBar3);
    button->setObjectName(QLatin1String(name));
    button->setText(QLatin1String(text));
    button->setMenu(menu);
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->setMinimumSize(73, 21);
    button->setAutoRaise(true);
    ToolBar3->addWidget(button);
    connect(button, &QToolButton::clicked, this, [this, click] { Guarded([this, click] { (this->*click)(); }); });
    return button;
  };
  SeaButLiquor = categoryButton("SeaButLiquor", "Liquors", SeaPopLiquor, &TSearchPage::SeaButLiquorClick);
  SeaButLiqueur = categoryButton("SeaButLiqueur", "Liqueurs", SeaPopLiqueur, &TSearchPage::SeaButLiqueurClick);
  SeaButInged = categoryButton("SeaButInged", "Ingredients", SeaPopIngred, &TSearchPage::SeaButIngredClick);
  SeaButType = categoryButton("SeaButType", "Type", SeaPopType, &TSearchPage::SeaButTypeClick);
  SeaButGlass = categoryButton("SeaButGlass", "Glass", SeaPopGlass, &TSearchPage::SeaButGlassClick);
  SeaButSeason = categoryButton("SeaButSeason", "Season", SeaPopSeason, &TSearchPage::SeaButSeasonClick);
  SeaButTemp = categoryButton("SeaButTemp", "  Temperature", SeaPopTemp, &TSearchPage::SeaButTempClick);

  auto button = [this, page](const char* name, const char* text, QRect place, const QFont* font,
                             void (TSearchPage::*click)()) {
    auto* b = new QPushButton(QLatin1String(text), page);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(place);
    if (font) b->setFont(*font);
    connect(b, &QPushButton::clicked, this, [this, click] { Guarded([this, click] { (this->*click)(); }); });
    return b;
  };
  SeaAll = button("SeaAll", "All", QRect(25, 240, 75, 25), nullptr, &TSearchPage::SeaAllClick);
  SeaAnd = button("SeaAnd", "And", QRect(25, 275, 75, 25), nullptr, &TSearchPage::SeaAndClick);
  SeaOr = button("SeaOr", "Or", QRect(25, 309, 75, 25), nullptr, &TSearchPage::SeaOrClick);
  SeaSearch = button("SeaSearch", "Search", QRect(165, 282, 113, 41), &big, &TSearchPage::SeaSearchClick);
  SeaClear = button("SeaClear", "Clear", QRect(348, 281, 113, 41), &big, &TSearchPage::SeaClearClick);
  SeaCancel = button("SeaCancel", "Cancel", QRect(526, 249, 75, 25), nullptr, &TSearchPage::SeaCancelClick);
  SeaUndo = button("SeaUndo", "Undo", QRect(526, 296, 75, 25), nullptr, &TSearchPage::SeaUndoClick);

  SeaRadioNew = new QRadioButton(QStringLiteral("New Search"), page);
  SeaRadioNew->setObjectName(QStringLiteral("SeaRadioNew"));
  SeaRadioNew->setGeometry(179, 252, 120, 17);
  SeaRadioNew->setChecked(true);
  SeaRadioAppend = new QRadioButton(QStringLiteral("Append Search"), page);
  SeaRadioAppend->setObjectName(QStringLiteral("SeaRadioAppend"));
  SeaRadioAppend->setGeometry(353, 250, 130, 17);

  SeaInstruct = new QTextEdit(page);
  SeaInstruct->setGeometry(1, 342, 623, 46);
  SeaInstruct->setReadOnly(true);
  QFont small = bold;
  small.setPixelSize(10);
  SeaInstruct->setFont(small);
  SeaInstruct->document()->setDocumentMargin(2);
  SeaInstruct->setFrameShape(QFrame::NoFrame);
  SeaInstruct->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  SeaInstruct->setFocusPolicy(Qt::NoFocus);
  SeaInstruct->setPlainText(QStringLiteral(
      "Click 'New Search' for new list 'Append Search' to append to current list.  'All' re-lists all drinks.  \n"
      "'Or' searches for drinks matching either field.  'And' searches for drinks satisfting all fields.\n"
      "Use drop down menus to build search string."));
  QTextCursor every(SeaInstruct->document());
  every.select(QTextCursor::Document);
  QTextBlockFormat centred;
  centred.setAlignment(Qt::AlignCenter);
  every.mergeBlockFormat(centred);
  // As high as its lines are, so that it ends inside the page.
  SeaInstruct->document()->setTextWidth(SeaInstruct->width());
  SeaInstruct->setFixedHeight(std::min(46, qCeil(SeaInstruct->document()->size().height())));
  for (QTextEdit* text : {SeaString, SeaInstruct}) {
    QPalette palette = text->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::Base, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::Text, palette.color(QPalette::Active, QPalette::Text));
    text->setPalette(palette);
  }
}

void TSearchPage::createSearchMenus() {
  auto menu = [this](const char* name, const TSearchItem* items, size_t count, void (TSearchPage::*click)(QAction*)) {
    auto* popup = new QMenu(this);
    popup->setObjectName(QLatin1String(name));
    for (size_t i = 0; i < count; ++i) {
      QAction* action = popup->addAction(QLatin1String(items[i].caption));
      action->setObjectName(QLatin1String(items[i].name));
      if (action->objectName().endsWith(QLatin1String("_Other"))) {
        connect(action, &QAction::triggered, this, [this] { Guarded([this] { SeaOtherClick(); }); });
      } else {
        connect(action, &QAction::triggered, this,
                [this, click, action] { Guarded([this, click, action] { (this->*click)(action); }); });
      }
    }
    return popup;
  };
#define ZESTORIA_ITEMS(a) a, sizeof(a) / sizeof(a[0])
  SeaPopLiquor = menu("SeaPopLiquor", ZESTORIA_ITEMS(kLiquorItems), &TSearchPage::SeaLiquorClick);
  SeaPopLiqueur = menu("SeaPopLiqueur", ZESTORIA_ITEMS(kLiqueurItems), &TSearchPage::SeaLiqueurClick);
  SeaPopIngred = menu("SeaPopIngred", ZESTORIA_ITEMS(kIngredItems), &TSearchPage::SeaIngredClick);
  SeaPopType = menu("SeaPopType", ZESTORIA_ITEMS(kTypeItems), &TSearchPage::SeaTypeClick);
  SeaPopGlass = menu("SeaPopGlass", ZESTORIA_ITEMS(kGlassItems), &TSearchPage::SeaGlassClick);
  SeaPopSeason = menu("SeaPopSeason", ZESTORIA_ITEMS(kSeasonItems), &TSearchPage::SeaSeasonClick);
  SeaPopTemp = menu("SeaPopTemp", ZESTORIA_ITEMS(kTempItems), &TSearchPage::SeaTempClick);
#undef ZESTORIA_ITEMS
}

// ---------------------------------------------------------------------------
// The display menu

void TSearchPage::All1Click() { host_.listDrinks(std::string(), false); }

void TSearchPage::Marked1Click() { host_.listDrinks("marked = 1", false); }

void TSearchPage::WhatCanIMakeClick() { host_.listDrinkIds(host_.bar().Makeable(), false); }

void TSearchPage::OneAwayClick() {
  const zestoria::bar::TMyBar& bar = host_.bar();
  std::vector<int32_t> ids;
  std::unordered_map<int32_t, QString> notes;
  for (const zestoria::bar::TOneAway& drink : bar.OneAway()) {
    ids.push_back(drink.drink);
    notes[drink.drink] = QStringLiteral("Missing: ") +
                         QString::fromStdString(zestoria::bar::RequirementText(bar.Vocabulary(), drink.missing));
  }
  host_.listDrinkIds(ids, false, std::move(notes));
}

void TSearchPage::FindDrink2Click() {
  promptAndList(QStringLiteral(" Find Drink"), QStringLiteral("Enter Drink Name"), "name");
}

void TSearchPage::QuickSearch2Click() {
  promptAndList(QStringLiteral(" Quick Search "), QStringLiteral("Enter Ingredent"), "ingred");
}

void TSearchPage::promptAndList(const QString& caption, const QString& question, const std::string& field) {
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
  host_.listDrinks(zestoria::ContainsFilter(field, text), false);
}

void TSearchPage::categoryClick(int category, QAction* item) {
  if (item == nullptr) return;
  if (zestoria::IsSearchItemName(item->objectName().toStdString())) {
    addSearchTerm(item);
    return;
  }
  const auto display = static_cast<zestoria::TDisplayCategory>(category);
  if (zestoria::NamesIngredient(display)) {
    // The drinks with a line the recogniser names the ingredient (or a
    // kind of it): "Gin" is no longer found in "Ginger ale".
    host_.listDrinkIds(host_.bar().DrinksForMenuItem(item->text().toStdString()), false);
    return;
  }
  std::string caption;
  QString bad;
  ToCatalogueText(item->text(), &caption, &bad);
  host_.listDrinks(zestoria::CategoryFilter(display, caption), false);
}

void TSearchPage::SeaLiquorClick(QAction* item) { categoryClick(zestoria::dcLiquor, item); }
void TSearchPage::SeaLiqueurClick(QAction* item) { categoryClick(zestoria::dcLiqueur, item); }
void TSearchPage::SeaIngredClick(QAction* item) { categoryClick(zestoria::dcIngred, item); }
void TSearchPage::SeaTypeClick(QAction* item) { categoryClick(zestoria::dcType, item); }
void TSearchPage::SeaGlassClick(QAction* item) { categoryClick(zestoria::dcGlass, item); }
void TSearchPage::SeaSeasonClick(QAction* item) { categoryClick(zestoria::dcSeason, item); }
void TSearchPage::SeaTempClick(QAction* item) { categoryClick(zestoria::dcTemp, item); }

// ---------------------------------------------------------------------------
// The category buttons

void TSearchPage::SeaButLiquorClick() { PopUpBelow(SeaButLiquor, SeaPopLiquor); }
void TSearchPage::SeaButLiqueurClick() { PopUpBelow(SeaButLiqueur, SeaPopLiqueur); }
void TSearchPage::SeaButIngredClick() { PopUpBelow(SeaButInged, SeaPopIngred); }
void TSearchPage::SeaButTypeClick() { PopUpBelow(SeaButType, SeaPopType); }
void TSearchPage::SeaButGlassClick() { PopUpBelow(SeaButGlass, SeaPopGlass); }
void TSearchPage::SeaButSeasonClick() { PopUpBelow(SeaButSeason, SeaPopSeason); }
void TSearchPage::SeaButTempClick() { PopUpBelow(SeaButTemp, SeaPopTemp); }

// ---------------------------------------------------------------------------
// Building the search

void TSearchPage::addSearchTerm(QAction* item) {
  zestoria::TSearchCategory category;
  if (item == nullptr || !SearchCategoryOf(item->objectName(), &category)) return;
  std::string caption;
  QString bad;
  if (!ToCatalogueText(item->text(), &caption, &bad)) return;  // captions are plain ASCII
  addTerm(zestoria::SearchTermPieces(category, caption));
}

void TSearchPage::SeaOtherClick() {
  // The prompt keeps the text of its previous use.
  const bool ok = OtherForm->ask(QStringLiteral(" Other Ingredient"), QStringLiteral("Enter Other Ingredient"), false);
  if (!ok || OtherForm->cancelled) return;
  const QString typed = OtherForm->text();
  if (typed.isEmpty()) return;
  std::string text;
  QString bad;
  if (!ToCatalogueText(typed, &text, &bad)) {
    Platform().Error(QStringLiteral("The ingredient holds the character \"%1\", which the catalogue cannot store.")
                         .arg(bad));
    return;
  }
  addTerm(zestoria::SearchTermPieces(zestoria::scOtherIngredient, text));
}

void TSearchPage::addTerm(const zestoria::TSearchPieces& term) {
  if (search_.termPending()) {
    search_.AddConnector(AndOrForm->ask(FromCatalogueText(term.text)));
  }
  search_.AddTerm(term);
  showSearchText();
  SeaSearch->setFocus();
}

void TSearchPage::showSearchText() { SeaString->setPlainText(FromCatalogueText(search_.Description())); }

void TSearchPage::SeaAndClick() {
  if (search_.And()) showSearchText();
}

void TSearchPage::SeaOrClick() {
  if (search_.Or()) showSearchText();
}

void TSearchPage::SeaClearClick() {
  search_.Clear();
  SeaString->clear();
}

void TSearchPage::SeaUndoClick() {
  if (search_.Undo()) showSearchText();
}

// ---------------------------------------------------------------------------
// Running searches

void TSearchPage::SeaSearchClick() {
  if (!search_.CanSearch()) {
    Platform().Information(QStringLiteral("Invalid Search"));
    return;
  }
  const zestoria::TRecordedSearch search = search_.Record();

  // The recorded search's command goes first in "Recent Searches"; running
  // the same search again moves its command up rather than repeating it.
  if (RecentSearches != nullptr) {
    const QString text = FromCatalogueText(search.text);
    for (QAction* old : RecentSearches->actions()) {
      if (old->data().toString() == text) {
        RecentSearches->removeAction(old);
        old->deleteLater();
      }
    }
    auto* command = new QAction(QString(text).replace(QLatin1Char('&'), QLatin1String("&&")), RecentSearches);
    command->setData(text);
    connect(command, &QAction::triggered, this,
            [this, command] { Guarded([this, command] { MenuDispQueryClick(command); }); });
    const QList<QAction*> existing = RecentSearches->actions();
    RecentSearches->insertAction(existing.isEmpty() ? nullptr : existing.first(), command);
    RecentSearches->setEnabled(true);
  }

  host_.showRecipePage();
  runSearch(search, SeaRadioAppend->isChecked());
}

void TSearchPage::runSearch(const zestoria::TRecordedSearch& search, bool append) {
  if (!search.NamesIngredients()) {
    host_.listDrinks(search.filter, append);
    return;
  }
  // An ingredient term is a set of drinks from the bar's index; the other
  // terms are walked as their filters; AND and OR join the sets.
  std::vector<int32_t> ids;
  {
    THourglass hourglass;
    zestoria::bar::TMyBar& bar = host_.bar();
    ids = zestoria::EvaluateSearch(search.parts, [this, &bar](const zestoria::TSearchPieces& term) {
      if (!term.ingredient.empty()) return bar.DrinksForMenuItem(term.ingredient);
      std::vector<int32_t> found;
      for (const zestoria::TListedDrink& drink : host_.catalogue().ListDrinks(term.filter)) found.push_back(drink.id);
      return found;
    });
  }
  host_.listDrinkIds(ids, append);
}

void TSearchPage::MenuDispQueryClick(QAction* item) {
  if (item == nullptr) return;
  std::string text;
  QString bad;
  if (!ToCatalogueText(item->data().toString(), &text, &bad)) return;
  if (const zestoria::TRecordedSearch* search = search_.HistorySearch(text)) runSearch(*search, false);
}

void TSearchPage::SeaAllClick() {
  if (!Platform().Confirm(QStringLiteral("List all recipies?"))) return;
  host_.showRecipePage();
  host_.listDrinks(std::string(), false);
}

void TSearchPage::SeaCancelClick() { host_.showRecipePage(); }
