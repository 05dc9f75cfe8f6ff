// The main window's Search page: the category menus, the search builder's
// commands, the AND/OR question and the recorded searches.
#include <QAction>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QtMath>
#include <algorithm>

#include "catalogue/MainForm.h"
#include "finding/AndOrForm.h"
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

}  // namespace

void TMainForm::createSearchPage() {
  QWidget* page = TabSearch;
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
  auto categoryButton = [this](const char* name, const char* text, QMenu* arrowMenu, void (TMainForm::*click)()) {
    auto* button = new QToolButton(ToolBar3);
    button->setObjectName(QLatin1String(name));
    button->setText(QLatin1String(text));
    if (arrowMenu) {
      button->setMenu(arrowMenu);
      button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    button->setMinimumSize(73, 21);
    button->setAutoRaise(true);
    ToolBar3->addWidget(button);
    connect(button, &QToolButton::clicked, this, [this, click] { guarded([this, click] { (this->*click)(); }); });
    return button;
  };
  SeaButLiquor = categoryButton("SeaButLiquor", "Liquors", SeaPopLiquor, &TMainForm::SeaButLiquorClick);
  SeaButLiqueur = categoryButton("SeaButLiqueur", "Liqueurs", SeaPopLiqueur, &TMainForm::SeaButLiqueurClick);
  SeaButInged = categoryButton("SeaButInged", "Ingredients", SeaPopIngred, &TMainForm::SeaButIngredClick);
  SeaButType = categoryButton("SeaButType", "Type", nullptr, &TMainForm::SeaButTypeClick);
  SeaButGlass = categoryButton("SeaButGlass", "Glass", nullptr, &TMainForm::SeaButGlassClick);
  SeaButSeason = categoryButton("SeaButSeason", "Season", nullptr, &TMainForm::SeaButSeasonClick);
  SeaButTemp = categoryButton("SeaButTemp", "  Temperature", nullptr, &TMainForm::SeaButTempClick);

  auto button = [this, page](const char* name, const char* text, QRect place, const QFont* font,
                             void (TMainForm::*click)()) {
    auto* b = new QPushButton(QLatin1String(text), page);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(place);
    if (font) b->setFont(*font);
    connect(b, &QPushButton::clicked, this, [this, click] { guarded([this, click] { (this->*click)(); }); });
    return b;
  };
  SeaAll = button("SeaAll", "All", QRect(25, 240, 75, 25), nullptr, &TMainForm::SeaAllClick);
  SeaAnd = button("SeaAnd", "And", QRect(25, 275, 75, 25), nullptr, &TMainForm::SeaAndClick);
  SeaOr = button("SeaOr", "Or", QRect(25, 309, 75, 25), nullptr, &TMainForm::SeaOrClick);
  SeaSearch = button("SeaSearch", "Search", QRect(165, 282, 113, 41), &big, &TMainForm::SeaSearchClick);
  SeaClear = button("SeaClear", "Clear", QRect(348, 281, 113, 41), &big, &TMainForm::SeaClearClick);
  SeaCancel = button("SeaCancel", "Cancel", QRect(526, 249, 75, 25), nullptr, &TMainForm::SeaCancelClick);
  SeaUndo = button("SeaUndo", "Undo", QRect(526, 296, 75, 25), nullptr, &TMainForm::SeaUndoClick);

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

  AndOrForm = new TAndOrForm(this);
  addRecentSearchesMenu();
}

void TMainForm::createSearchMenus() {
  auto menu = [this](const char* name, const TSearchItem* items, size_t count, void (TMainForm::*click)(QAction*)) {
    auto* popup = new QMenu(this);
    popup->setObjectName(QLatin1String(name));
    for (size_t i = 0; i < count; ++i) {
      QAction* action = popup->addAction(QLatin1String(items[i].caption));
      action->setObjectName(QLatin1String(items[i].name));
      if (action->objectName().endsWith(QLatin1String("_Other"))) {
        connect(action, &QAction::triggered, this, [this] { guarded([this] { SeaOtherClick(); }); });
      } else {
        connect(action, &QAction::triggered, this,
                [this, click, action] { guarded([this, click, action] { (this->*click)(action); }); });
      }
    }
    return popup;
  };
#define ZESTORIA_ITEMS(a) a, sizeof(a) / sizeof(a[0])
  SeaPopLiquor = menu("SeaPopLiquor", ZESTORIA_ITEMS(kLiquorItems), &TMainForm::SeaLiquorClick);
  SeaPopLiqueur = menu("SeaPopLiqueur", ZESTORIA_ITEMS(kLiqueurItems), &TMainForm::SeaLiqueurClick);
  SeaPopIngred = menu("SeaPopIngred", ZESTORIA_ITEMS(kIngredItems), &TMainForm::SeaIngredClick);
  SeaPopType = menu("SeaPopType", ZESTORIA_ITEMS(kTypeItems), &TMainForm::SeaTypeClick);
  SeaPopGlass = menu("SeaPopGlass", ZESTORIA_ITEMS(kGlassItems), &TMainForm::SeaGlassClick);
  SeaPopSeason = menu("SeaPopSeason", ZESTORIA_ITEMS(kSeasonItems), &TMainForm::SeaSeasonClick);
  SeaPopTemp = menu("SeaPopTemp", ZESTORIA_ITEMS(kTempItems), &TMainForm::SeaTempClick);
#undef ZESTORIA_ITEMS
}

void TMainForm::addRecentSearchesMenu() {
  if (displayPopUp == nullptr || RecentSearches != nullptr) return;
  displayPopUp->addSeparator();
  RecentSearches = displayPopUp->addMenu(QStringLiteral("Recent Searches"));
  RecentSearches->setObjectName(QStringLiteral("RecentSearches"));
  RecentSearches->setEnabled(false);
}

// ---------------------------------------------------------------------------
// The category buttons open their menus below themselves.

namespace {
void PopUpBelow(QToolButton* button, QMenu* menu) {
  menu->popup(button->mapToGlobal(QPoint(1, button->height())));
}
}  // namespace

void TMainForm::SeaButLiquorClick() { PopUpBelow(SeaButLiquor, SeaPopLiquor); }
void TMainForm::SeaButLiqueurClick() { PopUpBelow(SeaButLiqueur, SeaPopLiqueur); }
void TMainForm::SeaButIngredClick() { PopUpBelow(SeaButInged, SeaPopIngred); }
void TMainForm::SeaButTypeClick() { PopUpBelow(SeaButType, SeaPopType); }
void TMainForm::SeaButGlassClick() { PopUpBelow(SeaButGlass, SeaPopGlass); }
void TMainForm::SeaButSeasonClick() { PopUpBelow(SeaButSeason, SeaPopSeason); }
void TMainForm::SeaButTempClick() { PopUpBelow(SeaButTemp, SeaPopTemp); }

// ---------------------------------------------------------------------------
// Building the search

void TMainForm::addSearchTerm(QAction* item) {
  zestoria::TSearchCategory category;
  if (item == nullptr || !SearchCategoryOf(item->objectName(), &category)) return;
  std::string caption;
  QString bad;
  if (!ToCatalogueText(item->text(), &caption, &bad)) return;  // captions are plain ASCII
  addTerm(zestoria::SearchTermPieces(category, caption));
}

void TMainForm::SeaOtherClick() {
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

void TMainForm::addTerm(const zestoria::TSearchPieces& term) {
  if (search_.termPending()) {
    pendingTermText = FromCatalogueText(term.text);
    search_.AddConnector(AndOrForm->ask(pendingTermText));
  }
  search_.AddTerm(term);
  showSearchText();
  SeaSearch->setFocus();
}

void TMainForm::showSearchText() { SeaString->setPlainText(FromCatalogueText(search_.Description())); }

void TMainForm::SeaAndClick() {
  if (search_.And()) showSearchText();
}

void TMainForm::SeaOrClick() {
  if (search_.Or()) showSearchText();
}

void TMainForm::SeaClearClick() {
  search_.Clear();
  SeaString->clear();
}

void TMainForm::SeaUndoClick() {
  if (search_.Undo()) showSearchText();
}

// ---------------------------------------------------------------------------
// Running searches

void TMainForm::SeaSearchClick() {
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
            [this, command] { guarded([this, command] { MenuDispQueryClick(command); }); });
    const QList<QAction*> existing = RecentSearches->actions();
    RecentSearches->insertAction(existing.isEmpty() ? nullptr : existing.first(), command);
    RecentSearches->setEnabled(true);
  }

  appendToList_ = SeaRadioAppend->isChecked();
  TabForm->setCurrentWidget(TabRecipie);
  fillList(search.filter);
}

void TMainForm::MenuDispQueryClick(QAction* item) {
  if (item == nullptr) return;
  std::string text;
  QString bad;
  if (!ToCatalogueText(item->data().toString(), &text, &bad)) return;
  if (const std::string* filter = search_.HistoryFilter(text)) fillList(*filter);
}

void TMainForm::SeaAllClick() {
  if (!Platform().Confirm(QStringLiteral("List all recipies?"))) return;
  TabForm->setCurrentWidget(TabRecipie);
  fillList(std::string());
}

void TMainForm::SeaCancelClick() { TabForm->setCurrentWidget(TabRecipie); }
