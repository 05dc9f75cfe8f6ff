// The help viewer: a window of ours that shows a compiled help file with
// its contents and index, and the entry point through which the program's
// help requests reach it.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QTextBrowser>
#include <QUrl>
#include <QtGlobal>
#include <memory>

#include "shell/HelpFile.h"

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

// Commands of the help viewer's entry point.
constexpr int HH_DISPLAY_TOPIC = 0;
constexpr int HH_DISPLAY_INDEX = 2;
constexpr int HH_HELP_CONTEXT = 15;
constexpr int HH_CLOSE_ALL = 18;

// Context numbers of zestoria.chm (its project file maps each to a topic):
//   10 welcome.htm      Welcome to Zestoria (also the default topic)
//  100 recipe.htm       the Recipe page: list, recipe, navigation, status line
//  110 display.htm      the display menu's groups of drinks
//  120 find.htm         Find Drink and Quick Search
//  130 adding.htm       adding a drink
//  140 modifying.htm    changing a drink
//  150 deleting.htm     deleting a drink
//  160 marking.htm      marking drinks
//  170 copying.htm      Copy Drink, Paste Drink, Copy and Paste
//  180 importing.htm    importing .zdr files
//  190 printing.htm     printing recipes
//  200 search.htm       the Search page
//  300 information.htm  the Information page
//  400 keyboard.htm     keyboard and mouse
//  410 menus.htm        menu reference
//  420 saving.htm       how the recipes are kept
//  430 mybar.htm        My Bar: the shelf
//  440 makeable.htm     What Can I Make and One Ingredient Away
//  450 shopping.htm     the shopping list
enum THelpContext : quint32 {
  kHelpWelcome = 10,
  kHelpRecipePage = 100,
  kHelpDisplayMenu = 110,
  kHelpFind = 120,
  kHelpAdding = 130,
  kHelpModifying = 140,
  kHelpDeleting = 150,
  kHelpMarking = 160,
  kHelpCopying = 170,
  kHelpImporting = 180,
  kHelpRecipeFiles = 185,
  kHelpPrinting = 190,
  kHelpSearchPage = 200,
  kHelpInformationPage = 300,
  kHelpKeyboard = 400,
  kHelpMenus = 410,
  kHelpSaving = 420,
  kHelpMyBar = 430,
  kHelpMakeable = 440,
  kHelpShoppingList = 450,
};

// The context number of the main window's page |page_index| (0 Recipe,
// 1 Search, 2 Information); the Recipe page's for any other index.
quint32 HelpContextOfPage(int page_index);

// Shows topics of a help file, fetching pages, style sheets and pictures
// from the file.
class THelpBrowser : public QTextBrowser {
  Q_OBJECT
 public:
  explicit THelpBrowser(QWidget* parent = nullptr) : QTextBrowser(parent) {}
  // The file the topics come from (not owned; null shows nothing).
  void SetHelpFile(const THelpFile* file) { file_ = file; }
  // The URL of |topic| inside the help file ("recipe.htm" -> chm:///recipe.htm).
  static QUrl TopicUrl(const QString& topic);

  QVariant loadResource(int type, const QUrl& name) override;

 private:
  const THelpFile* file_ = nullptr;
};

// The help window: contents and index on the left, the topic on the right.
class THelpViewer : public QMainWindow {
  Q_OBJECT
 public:
  // Takes the opened file; the file must be open.
  explicit THelpViewer(std::unique_ptr<THelpFile> file, QWidget* parent = nullptr);
  ~THelpViewer() override;

  const THelpFile& HelpFile() const { return *file_; }
  // Shows |topic| (a path inside the file, "" for the default topic) with
  // the Contents tab in front.
  void ShowTopic(const QString& topic);
  // Shows the topic of |context|; false (showing the default topic and
  // saying so in the status line) when the file maps no topic to it.
  bool ShowContext(quint32 context);
  // Brings the Index tab to the front with the keyword box focused.
  void ShowIndex();
  // The topic on show, as a path inside the file.
  QString CurrentTopic() const;
  // True when the Index tab is in front.
  bool IndexShown() const;

 private:
  void BuildActions();
  void BuildContents();
  void BuildIndex();
  void FollowLink(const QUrl& link);
  void TopicChanged(const QUrl& url);
  void FilterIndex(const QString& text);
  void OpenIndexItem();

  std::unique_ptr<THelpFile> file_;
  THelpBrowser* browser_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QTreeWidget* contents_ = nullptr;
  QLineEdit* keyword_ = nullptr;
  QListWidget* index_ = nullptr;
};

// The help viewer's entry point: HH_DISPLAY_TOPIC shows the default topic
// of |chm_file| (or the topic named after "::"), HH_HELP_CONTEXT the topic
// of context number |data|, HH_DISPLAY_INDEX the index; HH_CLOSE_ALL closes
// the viewer. A file that cannot be opened is reported through
// Platform().Error and opens no window. Other commands are ignored.
void ShowHtmlHelp(int hh_command, const QString& chm_file, quint32 data);

// The open help window, or null.
THelpViewer* HelpViewerWindow();
