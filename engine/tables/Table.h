// TTinyTable: a cursor over one table of a database. It opens the table
// through the database's table storage, keeps its own list of the table's
// records in the order of the active index (or physical order), edits,
// inserts and deletes records, and finds records by key.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tables/DataSet.h"
#include "tables/MasterLink.h"

namespace tinydb {

// FindByKey options (a set): compare text keys ignoring case; allow a
// partial key.
enum TLocateOption : uint8_t { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = uint8_t;

// What LookupByKey gives: Null when no record matched, else one value per
// result field name.
struct TLookupResult {
  bool Found = false;
  TFieldValues Values;

  bool IsNull() const { return !Found; }
  // The value of the first (or only) result field; Null when not found.
  TFieldValue Value() const { return Found && !Values.empty() ? Values[0] : TFieldValue{}; }
};

class TTinyTable : public TTDEDataSet {
 public:
  explicit TTinyTable(TComponent* owner = nullptr);
  // Closes the cursor (no events).
  ~TTinyTable() override;

  // ---- Properties ----

  // Setting it, even to its current value, also empties TableName and
  // IndexName. Only while closed.
  void SetDatabaseName(const std::string& name) override;
  // The table's name, matched ignoring case. Only while closed ("Cannot
  // perform this operation on an open dataset").
  const std::string& TableName() const { return table_name_; }
  void SetTableName(const std::string& name);
  // The index whose order the cursor follows; empty or unknown: the first
  // primary index, else physical order. While open, a change ends an edit
  // in progress, reloads the cursor list and makes the first record
  // current.
  const std::string& IndexName() const { return index_name_; }
  void SetIndexName(const std::string& name);
  // Forbids BeginEdit / BeginInsert / BeginAppend; may be set at any time.
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool read_only) { read_only_ = read_only; }
  // The table's index definitions, rebuilt at every opening.
  const std::vector<TIndexDef>& IndexDefs() const { return index_defs_; }
  // Number of the active index (-1: physical order).
  int ActiveIndex() const { return active_index_; }
  // True when BeginEdit / BeginInsert / BeginAppend are allowed.
  bool CanModify() const;

  // Closes the cursor: drops an edit in progress, releases the table and
  // the database. Nothing when closed.
  void Close() override;

  // ---- Editing ----

  // Starts editing the current record; on an empty cursor starts an
  // insert. "Cannot modify a read-only dataset" when editing is not
  // allowed. Nothing while editing or inserting.
  void BeginEdit() override;
  // A new record with initial values; BeginAppend also moves after the
  // last record.
  void BeginInsert() override;
  void BeginAppend() override;
  // Writes the edited or inserted record to storage (nothing in browse).
  // A rejected record ("Invalid unique field value '%s'") stays in its
  // state with its values unless OnPostError decides otherwise (retry, or
  // abort: EAbort).
  void PostRecord() override;
  // Drops the edit or insert and re-reads the current record.
  void CancelRecord() override;
  // Bulk inserts: a precoder (storage/BlobPrecoder.h) for this open table,
  // whose database was opened with |password|; while one is set, the
  // blob values each posted insert stores are taken from it when it
  // encoded exactly those values. Set null before the precoder goes.
  std::unique_ptr<TBlobPrecoder> NewBlobPrecoder(std::string_view password);
  void SetBlobPrecoder(TBlobPrecoder* precoder);
  // Deletes the current record ("Cannot perform this operation on an
  // empty dataset"); during an insert it cancels instead. Not stopped by
  // ReadOnly.
  void DeleteCurrent() override;
  // Reloads the cursor list from storage, keeping the position's number;
  // a master range in force and the filter (when Filtered) are applied
  // again, which makes the first record current. With a master range in
  // force and no active index: "No index currently active".
  void RefreshCursor();
  // The database dropped changes and read this table again: the cursor
  // list is taken anew from storage (narrowed again by a master range in
  // force and by the filter when browsing), the position kept as far as
  // the list reaches.
  void StorageReloaded() override;

  // ---- Master range ----
  // A cursor linked to a master cursor shows only the records whose
  // leading active-index key fields equal the master's MasterFields.

  // The data source over the master cursor, or null.
  TDataSource* MasterSource() const override { return master_link_.DataSource(); }
  // Follows the cursor of |source| (null: none). "Circular datalinks are
  // not allowed" when the chain of masters from |source| reaches this
  // cursor; nothing changes then.
  void SetMasterSource(TDataSource* source);
  // The master's field names, separated by ";". Setting them while the
  // master is open resolves them against it (an unknown name: the master's
  // "Field '%s' not found", and the previous names stay).
  const std::string& MasterFields() const { return master_link_.FieldNames(); }
  void SetMasterFields(const std::string& names);
  // Narrows the cursor list to the records of the active index whose first
  // n key fields hold the values of the n |master_fields|, switching
  // Filtered off first, and makes the first record current. Nothing when
  // there is no active index (or no field).
  void ApplyMasterRange(const std::vector<TField*>& master_fields);
  // Widens the cursor list back to the whole active index (filtered again
  // when Filtered) and makes the first record current.
  void CancelMasterRange();

  // ---- Keys ----

  // The first index whose key is exactly |fields| in order (and, when a
  // key field is text, whose tiCaseInsensitive equals |case_insensitive|);
  // -1 when none.
  int SelectIndexForFields(const std::vector<TField*>& fields, bool case_insensitive) const;
  // Makes the first record whose fields |key_names| (";"-separated) hold
  // |values| (one per field) current and returns true; false leaves the
  // current record. Searches an index on exactly those fields when there
  // is one, else scans the cursor list.
  bool FindByKey(const std::string& key_names, const TFieldValues& values,
                 TLocateOptions options = 0);
  bool FindByKey(const std::string& key_names, const TFieldValue& value,
                 TLocateOptions options = 0);
  // The values of |result_names| (";"-separated) of the record FindByKey
  // (case-sensitive, whole keys) would find, without moving; Null when
  // none matches.
  TLookupResult LookupByKey(const std::string& key_names, const TFieldValues& values,
                            const std::string& result_names);
  TLookupResult LookupByKey(const std::string& key_names, const TFieldValue& value,
                            const std::string& result_names);

 protected:
  void OpenCursor() override;
  // Reloads the cursor list from the active index (narrowed to the master
  // range when one is in force) and makes the first record current.
  void DropFilter() override;

 private:
  // Releases what a partly done opening acquired (no events).
  void CloseSteps();
  // The active index from IndexName, and the cursor list copied from its
  // record list.
  void ChooseActiveIndex();
  void CheckCanModify();
  void BeginInsertAppend(bool append);
  void PostInsert();
  void PostEdit();
  // Storage's list-change notification while posting |buffers|.
  void AdjustOnInsert(int index_no, int position, const TRecordListEntry& entry,
                      TFieldBuffers& buffers);
  void AdjustOnUpdate(int index_no, int old_pos, int new_pos, TFieldBuffers& buffers);
  // Key search into the spare buffer; the matching cursor-list position or
  // -1. Without |move| the match is read into the spare buffer; with it the
  // cursor position goes there (the caller reads the record).
  int KeySearch(const std::vector<TField*>& fields, const TFieldValues& values,
                TLocateOptions options, bool move);
  int ScanForKey(const std::vector<TField*>& fields, TLocateOptions options);
  // The cursor-list position of the record |entry| names, or -1; |hint|
  // is checked first.
  int CursorPositionOf(const TRecordListEntry& entry, int hint) const;

  // The master link's notifications.
  void MasterChanged();
  void MasterDisabled();
  // Fills both range key buffers from |master_fields| and narrows the
  // cursor list to their range within the active index's record list.
  void RangeFromMaster(const std::vector<TField*>& master_fields);
  // The cursor list := the entries of |source| (in active-index order)
  // whose leading key fields equal the range key buffers; range active;
  // first record current.
  void NarrowToRange(const TRecordList& source);
  // The range in force cut again out of the freshly reloaded cursor list.
  void ReapplyRange();

  std::string table_name_;
  std::string index_name_;
  bool read_only_ = false;
  bool table_opened_ = false;  // table storage Open matched by Close
  TMasterDataLink master_link_{this};
  int range_key_count_ = 0;  // leading key fields the master range compares
};

}  // namespace tinydb
