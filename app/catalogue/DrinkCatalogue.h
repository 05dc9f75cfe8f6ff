// The catalogue database: the whole file "zestoria.tdb" held in memory (the
// database image), the cursor drinkTable on its table "drinks", the listing
// walk, the record changes of adding, changing and deleting drinks, and the
// save that writes the image back over the file. The main window and the
// command-line tools share this one class.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/Drink.h"
#include "platform/Streams.h"
#include "storage/DatabaseWriter.h"

namespace tinydb {
class TTinyDatabase;
class TTinyTable;
}

namespace zestoria {

// The file beside the program, its password, its table and the index the
// cursor follows.
constexpr const char* kCatalogueFileName = "zestoria.tdb";
constexpr const char* kCataloguePassword = "fizzo";
constexpr const char* kDrinksTableName = "drinks";
constexpr const char* kIdIndexName = "id";

// The table "drinks" of the shipped database: its twelve fields and the
// indexes "id" (primary, on id) and "type" (on type).
tinydb::TTableDefinition DrinksTableDefinition();

// How the shipped database stores values: compressed with "ZLIB", encrypted
// with "Blowfish" in mode 1 under the catalogue password.
tinydb::TDatabaseSettings CatalogueSettings();

// One drink met by a listing walk.
struct TListedDrink {
  int32_t id = 0;
  std::string name;    // as stored (Windows-1252)
  int32_t marked = 0;  // after the walk: a start-up walk leaves every mark 0
};

class TDrinkCatalogue {
 public:
  TDrinkCatalogue();
  // Closes the cursor and forgets the image's memory-medium name.
  ~TDrinkCatalogue();
  TDrinkCatalogue(const TDrinkCatalogue&) = delete;
  TDrinkCatalogue& operator=(const TDrinkCatalogue&) = delete;

  // Loads the whole of |file_name| into the database image and opens
  // drinkTable on it (see OpenImage). A journal left beside the file by an
  // interrupted save is rolled back first; one that cannot be applied
  // throws EJournalError and leaves the file as it is. A missing or
  // unreadable file throws EFOpenError; any failure leaves the catalogue
  // closed.
  void Open(const std::string& file_name);
  // Takes |image| as the database image and opens drinkTable on it: the
  // image's memory-medium name as DatabaseName, the catalogue password,
  // table "drinks", IndexName "id", FilterOptions foCaseInsensitive and
  // foNoPartialCompare. SaveDatabase writes to |file_name|. Throws the
  // engine's error ("Access denied" for a wrong password) and stays closed.
  void OpenImage(std::vector<uint8_t> image, const std::string& file_name);
  // Closes drinkTable; nothing when closed. The next drink id goes back to 0.
  void Close();
  bool IsOpen() const { return table_ != nullptr; }

  // The listing walk: every drink the filter expression accepts (empty:
  // every drink), in ascending id order, through SeekFirstMatch and
  // SeekNextMatch with Filtered off; the cursor keeps |filter| as its
  // Filter. With |starting_up| the walk also raises the next drink id to
  // the highest id plus 1 and writes 0 into every marked field that holds
  // 1 (marks last one run). A filter that does not compile throws the
  // filter language's error before anything is read.
  std::vector<TListedDrink> ListDrinks(const std::string& filter, bool starting_up = false);
  // The listing of the drinks with the ids |ids| (an id without a drink is
  // passed over), in the order given, each read through the id index; the
  // cursor's filter is cleared. A listing by a set of ids, however large,
  // costs one key search per id.
  std::vector<TListedDrink> ListDrinksById(const std::vector<int32_t>& ids);
  // Every drink's id and ingredients (as stored) to |visit|, in id order,
  // through a cursor that decodes those two fields only.
  void WalkIngredients(const std::function<void(int32_t id, const std::string& ingred)>& visit);

  // Told of every change of a drink's record made through InsertDrink,
  // UpdateDrink and DeleteDrink, once the record is written and before any
  // save: the id and the drink as written (its id set), or nullptr for a
  // deleted drink. One listener; an empty function removes it.
  using TDrinkListener = std::function<void(int32_t id, const TDrink* drink)>;
  void SetDrinkListener(TDrinkListener listener) { listener_ = std::move(listener); }

  // Writes |value| into the marked field of the drink of every id in |ids|,
  // in that order; never saves. Throws "Drink <id> not found" at the first
  // id without a drink (the drinks before it keep their new mark).
  void MarkDrinks(const std::vector<int32_t>& ids, int32_t value);
  // Writes 0 into every marked field that holds 1, over the whole table in
  // id order; never saves.
  void UnmarkAll();

  // Makes the drink with |id| the cursor's current record; false when no
  // drink has that id (the cursor stays where it was).
  bool FindDrink(int32_t id);
  // The drink with |id|, read as ReadDrink reads it. Throws EDatabaseError
  // "Drink <id> not found" when there is none.
  TDrink LoadDrink(int32_t id);

  // Appends a record made from |drink| (its id ignored) under the next
  // drink id, advances the next drink id and returns the id used; with
  // |save| then writes the image to the file. A refused record throws and
  // changes nothing; a failed save throws after the record and the new id
  // are taken, so the next insert gets the following id.
  int32_t InsertDrink(const TDrink& drink, bool save);
  // Inserts |drinks| in order as InsertDrink(drink, false) does, calling
  // |progress| (drinks added, all) after each, and returns the new ids.
  // When an insert fails, the drinks added so far are deleted from the
  // image again and the error propagates. The memos of the drinks to come
  // are encoded on a second thread meanwhile; the image holds the same
  // bytes as after the single inserts.
  std::vector<int32_t> InsertDrinks(const std::vector<TDrink>& drinks,
                                    const std::function<void(size_t, size_t)>& progress = {});
  // Writes every field of |drink| but id into the record with its id; with
  // |save| then writes the image. Throws "Drink <id> not found" when the
  // record is gone.
  void UpdateDrink(const TDrink& drink, bool save);
  // Deletes the record with |id|; with |save| then writes the image.
  // Throws "Drink <id> not found" when there is none.
  void DeleteDrink(int32_t id, bool save = true);

  // Writes the database image over the file so that a crash leaves the
  // old file or the new one: when the file is the one last loaded or saved,
  // only the changed ranges and the appended tail, in place under a
  // rollback journal; otherwise the whole image atomically (temporary file
  // beside it, flushed, renamed over it). A read-only file, a full disk or
  // any other failure throws EFOpenError or EWriteError naming the file and
  // the reason, leaves the old file whole (or its journal for the next
  // opener), and keeps the image: the next save that works stores every
  // change.
  void SaveDatabase();
  // True when the image holds a change (by any cursor on it) that no
  // successful SaveDatabase has stored yet: false right after opening a
  // file and after each save that works; true for an image no file holds.
  bool HasUnsavedChanges() const { return image_.HasUnsavedChanges(); }

  // The id the next inserted drink gets: 0 after opening, then set by a
  // start-up walk and advanced by every insert.
  int64_t NextDrinkId() const { return next_id_; }
  // For building a new catalogue, whose ids start from a chosen number.
  void SetNextDrinkId(int32_t id) { next_id_ = id; }

  // The cursor on "drinks" (open while IsOpen()).
  tinydb::TTinyTable& DrinkTable();
  // The engine database drinkTable is bound to (connected while IsOpen()),
  // through which another table is added to the image. Throws as
  // DrinkTable when closed.
  tinydb::TTinyDatabase& Database();
  // The image's memory-medium name: a second cursor on another table of
  // the image takes it as DatabaseName, with MediumType mtMemory and the
  // catalogue password. Empty before the first open.
  const std::string& DatabaseName() const { return database_name_; }
  // The database image.
  tinydb::TMemoryStream& Image() { return image_; }
  // The file SaveDatabase writes.
  const std::string& FileName() const { return file_name_; }

 private:
  // Ends an edit or insert in progress, then rethrows.
  [[noreturn]] void CancelAndRethrow();
  [[noreturn]] static void DrinkNotFound(int32_t id);
  // Opens drinkTable on the image as it stands (see OpenImage).
  void OpenLoadedImage(const std::string& file_name);
  // Writes |value| into the marked field of drinkTable's current record.
  void WriteCurrentMark(int32_t value);
  // The walk of ListDrinks for an empty filter: a second cursor bound to
  // id, name and marked only, so no other field is decoded.
  void ListEveryDrink(bool starting_up, std::vector<TListedDrink>* listed);
  // Every drink in id order (id, name and marked only) to |visit|.
  void WalkEveryDrink(const std::function<void(TListedDrink&&)>& visit);

  tinydb::TMemoryStream image_;
  bool image_named_ = false;
  std::unique_ptr<tinydb::TTinyTable> table_;  // destroyed before image_
  std::unique_ptr<tinydb::TTinyTable> lister_;  // id, name, marked; likewise
  std::string database_name_;
  std::string file_name_;
  TDrinkListener listener_;
  int64_t next_id_ = 0;
};

}  // namespace zestoria
