// The main window's Search page and its finding commands: the category
// menus and buttons, the search builder's commands, the AND/OR question and
// the recorded searches; and the display menu's commands (all drinks,
// marked drinks, the categories, Find Drink and Quick Search with the
// one-line prompt), whose category handlers the Search page shares. The
// page reaches the window through TPageHost.
#pragma once

#include <QString>
#include <QWidget>
#include <string>

#include "finding/SearchBuilder.h"
#include "shell/PageHost.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QTextEdit;
class QToolBar;
class QToolButton;
class TAndOrForm;
class TOtherForm;

class TSearchPage : public QWidget {
  Q_OBJECT

 public:
  // Builds the page and fills |displayMenu| (the window's display menu)
  // with the finding commands, "Recent Searches" last.
  TSearchPage(TPageHost& host, QMenu* displayMenu, QWidget* parent = nullptr);

  // The pieces, the pending term and the searches run.
  const zestoria::TSearchBuilder& searchBuilder() const { return search_; }

  // Reaches the page's controls from the tests.
  struct TestAccess;

 public slots:
  // The display menu.
  void All1Click();
  void Marked1Click();
  // My Bar's listings: the drinks the shelf makes, and those missing one
  // ingredient, the missing one named in the status line.
  void WhatCanIMakeClick();
  void OneAwayClick();
  void FindDrink2Click();
  void QuickSearch2Click();
  // The category handlers shared by the display menu ("D_" items: list the
  // category) and the Search page's menus ("S_" items: add a search term).
  void SeaLiquorClick(QAction* item);
  void SeaLiqueurClick(QAction* item);
  void SeaIngredClick(QAction* item);
  void SeaTypeClick(QAction* item);
  void SeaGlassClick(QAction* item);
  void SeaSeasonClick(QAction* item);
  void SeaTempClick(QAction* item);
  // The Search page's category buttons open their menus.
  void SeaButLiquorClick();
  void SeaButLiqueurClick();
  void SeaButIngredClick();
  void SeaButTypeClick();
  void SeaButGlassClick();
  void SeaButSeasonClick();
  void SeaButTempClick();
  // "OTHER ..." of the three ingredient menus: a typed ingredient term.
  void SeaOtherClick();
  void SeaAndClick();
  void SeaOrClick();
  void SeaClearClick();
  void SeaUndoClick();
  void SeaSearchClick();
  void SeaAllClick();
  void SeaCancelClick();
  // A recorded search's command: lists with the filter its caption names.
  void MenuDispQueryClick(QAction* item);

 private:
  friend struct TestAccess;

  // Construction steps.
  void fillDisplayMenu(QMenu* displayMenu);
  void createPage();
  void createSearchMenus();

  // The shared body of the category handlers.
  void categoryClick(int category, QAction* item);
  // Asks with the prompt and lists the drinks whose |field| contains the
  // typed text; nothing happens on Cancel or an empty text.
  void promptAndList(const QString& caption, const QString& question, const std::string& field);
  // Lists the drinks a recorded search finds, added to the list when |append|.
  void runSearch(const zestoria::TRecordedSearch& search, bool append);
  // Adds the term of category item |item| (an "S_" item).
  void addSearchTerm(QAction* item);
  // Adds a term, asking AND or OR first when a term is pending.
  void addTerm(const zestoria::TSearchPieces& term);
  // Shows the description pieces in SeaString.
  void showSearchText();

  TPageHost& host_;
  zestoria::TSearchBuilder search_;

  QLabel* Label6 = nullptr;
  QTextEdit* SeaString = nullptr;
  QTextEdit* SeaInstruct = nullptr;
  QToolBar* ToolBar3 = nullptr;
  QRadioButton* SeaRadioNew = nullptr;
  QRadioButton* SeaRadioAppend = nullptr;
  QToolButton* SeaButLiquor = nullptr;
  QToolButton* SeaButLiqueur = nullptr;
  QToolButton* SeaButInged = nullptr;
  QToolButton* SeaButType = nullptr;
  QToolButton* SeaButGlass = nullptr;
  QToolButton* SeaButSeason = nullptr;
  QToolButton* SeaButTemp = nullptr;
  QPushButton* SeaAll = nullptr;
  QPushButton* SeaAnd = nullptr;
  QPushButton* SeaOr = nullptr;
  QPushButton* SeaSearch = nullptr;
  QPushButton* SeaClear = nullptr;
  QPushButton* SeaCancel = nullptr;
  QPushButton* SeaUndo = nullptr;
  QMenu* SeaPopLiquor = nullptr;
  QMenu* SeaPopLiqueur = nullptr;
  QMenu* SeaPopIngred = nullptr;
  QMenu* SeaPopType = nullptr;
  QMenu* SeaPopGlass = nullptr;
  QMenu* SeaPopSeason = nullptr;
  QMenu* SeaPopTemp = nullptr;
  // The display menu's "Recent Searches": one command per search run,
  // newest first, each re-running its filter (MenuDispQueryClick).
  QMenu* RecentSearches = nullptr;
  // The one-line text prompt and the AND/OR question asked between two
  // terms.
  TOtherForm* OtherForm = nullptr;
  TAndOrForm* AndOrForm = nullptr;
};
