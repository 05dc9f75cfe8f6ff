// What the main window's pages share and ask of the window that holds them:
// the window mode, the catalogue and the drink on show, the status line and
// a few menu states. The pages see the window only through TPageHost, so
// they need not know the window class.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/Drink.h"
#include "catalogue/DrinkCatalogue.h"

class QPoint;

namespace zestoria::bar {
class TMyBar;
}

using zestoria::TDrink;
using zestoria::TDrinkCatalogue;

// The window modes.
enum TWindowMode { wmBrowse, wmAdd, wmModify, wmSearch, wmInformation };

// The word of |mode|, as status panel 0 shows it.
QString ModeWord(TWindowMode mode);

// Runs |handler|; an error it throws is shown in an error box and the
// window carries on, as with any error that reaches the message loop. A
// cancelled login is no error.
void Guarded(const std::function<void()>& handler);

class TPageHost {
 public:
  virtual ~TPageHost() = default;

  // The catalogue database image and the drink on show.
  virtual TDrinkCatalogue& catalogue() = 0;
  virtual TDrink& currentDrink() = 0;

  virtual TWindowMode mode() const = 0;
  // Switches the window mode and everything that goes with it.
  virtual void setMode(TWindowMode mode) = 0;
  // True while the window lists the drinks for the first time.
  virtual bool startingUp() const = 0;

  // Writes the three status panels, or panel |panel| alone; repaints the
  // status line at once (for a long task that follows).
  virtual void setStatusBar(const QString& mode, const QString& flags, const QString& position) = 0;
  virtual void setStatusPanel(int panel, const QString& text) = 0;
  virtual void repaintStatusBar() = 0;

  // Writes the database image to its file; a failure is reported in an
  // error box. Returns whether the file was written.
  virtual bool saveDatabase() = 0;

  // The Mark menu offers "Mark Drink" (|marked| false) or "Unmark Drink".
  virtual void showMarkMenu(bool marked) = 0;
  // "Paste Drink" becomes available: the drink clipboard holds a drink.
  virtual void enablePasteDrink() = 0;
  // Opens the drink list's pop-up menu at |global|.
  virtual void popUpListMenu(const QPoint& global) = 0;

  // Brings the Recipe page to the front.
  virtual void showRecipePage() = 0;
  // Lists the drinks |filter| accepts, added to the list when |append|.
  virtual void listDrinks(const std::string& filter, bool append) = 0;
  // Lists the drinks with the ids |ids| (see TRecipePage::listDrinks).
  virtual void listDrinkIds(const std::vector<int32_t>& ids, bool append,
                            std::unordered_map<int32_t, QString> notes = {}) = 0;

  // My Bar: the vocabulary, the index of the drinks' needs and the shelf.
  // Throws, naming the file and the fault, when the vocabulary could not be
  // read at start-up.
  virtual zestoria::bar::TMyBar& bar() = 0;
};
