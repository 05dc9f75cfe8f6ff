// The record side of a cursor: field objects and record buffers, the
// state that selects which buffer field values go to, navigation over the
// cursor list, bookmarks, events, and the blob streams handed out for
// blob fields. TTinyTable (Table.h) adds the table, its indexes and
// editing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "platform/Streams.h"
#include "storage/TableIO.h"
#include "tables/DBDataSet.h"
#include "tables/Fields.h"
#include "tables/FilterParser.h"

namespace tinydb {

class TTDEDataSet;
class TDataSource;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter };

// What an error handler decides: let the error propagate, stop silently
// (EAbort), or run the failed step again.
enum TDataAction { daFail, daAbort, daRetry };

// Bookmark flag stored with every record buffer.
enum TBookmarkFlag : uint8_t { bfCurrent = 0, bfBOF = 1, bfEOF = 2, bfInserted = 3 };

using TDataSetNotifyEvent = std::function<void(TTDEDataSet& dataset)>;
using TDataSetErrorEvent =
    std::function<void(TTDEDataSet& dataset, const EEngineError& error, TDataAction& action)>;
using TFilterRecordEvent = std::function<void(TTDEDataSet& dataset, bool& accept)>;

// One record in memory: the data area (stored fields in field-object
// order; a blob field holds the index of its stream in Blobs), the
// calculated area (per calculated field a null byte and the value), and
// five trailing bytes: the record number and the bookmark flag.
struct TRecordBuffer {
  std::vector<uint8_t> Bytes;
  std::vector<std::unique_ptr<TOptimBlobStream>> Blobs;
};

// The stream OpenBlobStream hands out for one blob field of the
// state-selected record buffer. Read and read-write streams start with a
// copy of the value; a write stream starts empty and empties the value.
// Every write (not allowed in read mode) copies the whole content back
// into the record buffer and marks the record modified.
class TTinyBlobStream : public TMemoryStream {
 public:
  TTinyBlobStream(TField* field, TBlobStreamMode mode);

  int64_t Write(const void* buffer, int64_t count) override;
  void SetSize(int64_t size) override;
  bool Modified() const { return modified_; }

 private:
  void CopyBack();

  TField* field_;
  TTDEDataSet* dataset_;
  TOptimBlobStream* target_;  // the record buffer's stream; null: no buffer
  TBlobStreamMode mode_;
  bool modified_ = false;
};

// What a cursor tells the data sources that watch it.
enum class TDataEvent {
  ActiveChanged,  // the cursor opened or closed
  RecordChanged,  // another record became current, or the current one was re-read
  FieldChanged,   // a field of the record being edited or inserted was written
};

class TTDEDataSet : public TTDBDataSet, private TFilterDataSource {
 public:
  explicit TTDEDataSet(TComponent* owner = nullptr);
  ~TTDEDataSet() override;

  // ---- Opening, state ----

  // Opens (true) or closes (false) the cursor.
  bool Active() const { return state_ != dsInactive; }
  void SetActive(bool active);
  void Open() { SetActive(true); }
  TDataSetState State() const { return state_; }
  // True when a field was written since the record entered its state.
  bool Modified() const { return modified_; }
  // Recompute calculated fields whenever a stored field changes while
  // editing (default true).
  bool AutoCalcFields() const { return auto_calc_fields_; }
  void SetAutoCalcFields(bool on) { auto_calc_fields_ = on; }

  // ---- Fields ----

  // The table's field definitions, rebuilt at every opening.
  const std::vector<TFieldDef>& FieldDefs() const { return field_defs_; }
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TField* Fields(int index) const { return fields_[static_cast<size_t>(index)].get(); }
  // The field object named |name| (ignoring case), or null.
  TField* FindField(const std::string& name) const;
  // Same, but throws "Field '%s' not found".
  TField* FieldNamed(const std::string& name) const;
  // The field objects of a ";"-separated list of names (blanks around a
  // name ignored), in list order; none for "". Throws as FieldNamed.
  std::vector<TField*> FieldsNamed(const std::string& names) const;
  // Gives the cursor a field object of the program's own (only while
  // closed). Once the program has given any, the cursor creates no
  // field objects at opening: stored fields are bound to the definitions
  // of their names ("Field '%s' not found" at opening when there is none).
  // A calculated field needs a type and, for strings, a size; blob kinds
  // cannot be calculated ("General error").
  TField* DefineField(const std::string& name);
  TField* DefineCalculatedField(const std::string& name, int field_type, int size = 0);

  // ---- Navigation ----
  // All operations below need the cursor open ("Cannot perform this
  // operation on a closed dataset"); a move first ends an edit in
  // progress (posted when modified, else cancelled).

  void GoFirst();
  void GoLast();
  void GoNext();
  void GoPrior();
  bool AtBeginning() const { return at_beginning_; }
  bool AtEnd() const { return at_end_; }
  // 1-based place of the current record in the cursor list (0 when empty).
  int32_t RecordNumber() const;
  // Makes record |n| current; nothing for n < 0, n > VisibleCount() or
  // the current number; 0 makes the first record current.
  void SetRecordNumber(int32_t n);
  // Entries in the cursor list.
  int32_t VisibleCount() const;

  // The current record's record number; none while inserting or on an
  // empty cursor.
  std::optional<int32_t> SaveBookmark();
  // Makes the record with record number |bookmark| current; "Bookmark not
  // found" when the cursor list does not hold it.
  void ReturnToBookmark(int32_t bookmark);

  // ---- Editing (TTinyTable implements them) ----

  virtual void BeginEdit() = 0;
  virtual void BeginInsert() = 0;
  virtual void BeginAppend() = 0;
  virtual void PostRecord() = 0;
  virtual void CancelRecord() = 0;
  virtual void DeleteCurrent() = 0;

  // A stream over |field|'s value in the state-selected buffer. Write
  // modes need edit or insert state ("Dataset not in edit or insert
  // mode"); a field that is not a blob: "General error".
  std::unique_ptr<TTinyBlobStream> OpenBlobStream(TField* field, TBlobStreamMode mode);

  // ---- Filtering ----
  // A record passes the filter when OnFilterRecord (if any) accepts it and
  // then the compiled Filter text (if not empty) holds for it, evaluated
  // with FilterOptions.

  const std::string& Filter() const { return filter_; }
  // On an open cursor: ends an edit in progress and compiles a non-empty
  // text first (its error changes nothing); when the text changed while
  // Filtered, the cursor list is rebuilt and filtered again. Should that
  // fail, the previous text comes back, the list stays unfiltered and the
  // error propagates.
  virtual void SetFilter(const std::string& text);
  bool Filtered() const { return filtered_; }
  // While closed only stored. While open: narrows (true) or widens (false)
  // the cursor list when the value changes; in every case the first record
  // becomes current. A failure to filter keeps the old value.
  virtual void SetFiltered(bool on);
  TFilterOptions FilterOptions() const { return filter_options_; }
  // Like SetFilter, with the text kept; on failure the options stay new.
  virtual void SetFilterOptions(TFilterOptions options);
  // True while the cursor list holds only the records a filter accepted.
  bool FilterActive() const { return filter_active_; }
  // True while a master range narrows the cursor list.
  bool RangeActive() const { return range_active_; }

  // ---- Match seeks ----
  // Each moves to the nearest record of the cursor list, in its direction,
  // that passes the filter (whether or not Filtered is on) and returns
  // true; false leaves the current record (and raises no AfterScroll).
  // First / Last start over from the first / last record, Next / Prior
  // continue after / before the current one. An error while compiling
  // moves nothing; an error while testing a record (a division by zero,
  // an unreadable value, OnFilterRecord) returns to the record that was
  // current and propagates.

  bool SeekFirstMatch();
  bool SeekLastMatch();
  bool SeekNextMatch();
  bool SeekPriorMatch();

  // The master cursor's data source of a cursor that follows one (see
  // TTinyTable); none here.
  virtual TDataSource* MasterSource() const { return nullptr; }

  // ---- Events ----

  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeScroll, AfterScroll, BeforeRefresh, AfterRefresh;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, OnNewRecord;
  TDataSetNotifyEvent BeforeEdit, AfterEdit, BeforePost, AfterPost;
  TDataSetNotifyEvent BeforeCancel, AfterCancel, BeforeDelete, AfterDelete;
  TDataSetNotifyEvent OnCalcFields;
  TDataSetErrorEvent OnEditError, OnPostError, OnDeleteError;
  TFilterRecordEvent OnFilterRecord;
  TOnProgressEvent OnFilterProgress;

 protected:
  friend class TField;
  friend class TTinyBlobStream;

  enum TGetMode { gmCurrent, gmNext, gmPrior };
  enum TGetResult { grOK, grBOF, grEOF, grError };

  bool IsOpen() const override { return state_ != dsInactive; }
  // The cursor's own opening (TTinyTable); closing is Close().
  virtual void OpenCursor() = 0;

  // The buffer field reads and writes go to in the current state, or null.
  virtual TRecordBuffer* ActiveBuffer();
  // Narrows the cursor list, as it stands, to the records that pass the
  // filter, reporting OnFilterProgress for each, and makes the first record
  // current. On error the list, the position and the current record stay
  // as they were, and the error propagates.
  virtual void ApplyFilter();
  // Widens the cursor list back to the records the cursor shows without a
  // filter and makes the first record current (nothing here; TTinyTable
  // reloads its list).
  virtual void DropFilter();
  // Reads cursor-list entry |pos| into |buffer|; outside the list the
  // buffer is left as it is.
  virtual void ReadRecordAt(int pos, TRecordBuffer& buffer);

  // Throws "Cannot perform this operation on a closed dataset".
  void CheckActive() const;
  // Ends an edit or insert in progress: posted when modified, else
  // cancelled.
  void CheckBrowseMode();
  // Moves the state; a real change clears the modified mark.
  void SetState(TDataSetState state);

  // ---- Record buffers ----

  // Lays out the data and calculated areas for the bound field objects.
  void ComputeRecordLayout();
  std::unique_ptr<TRecordBuffer> NewRecordBuffer();
  // Zero data area, today / now for date and time fields, 30 December
  // 1899 for date-times, empty blob streams, no calculated values.
  void InitRecord(TRecordBuffer& buffer);
  int32_t BufferRecordNo(const TRecordBuffer& buffer) const;
  void SetBufferRecordNo(TRecordBuffer& buffer, int32_t record_no, TBookmarkFlag flag);
  // One item per schema field: fields with a field object point into
  // |buffer|; the others get zeroed scratch memory and are inactive.
  void BuildFieldBuffers(TRecordBuffer& buffer, TFieldBuffers& out);
  // Field buffers over |buffer| as BuildFieldBuffers makes them, kept for
  // later calls; valid until the next call for another buffer that is not
  // the current record's.
  TFieldBuffers& FieldBuffersOf(TRecordBuffer& buffer);
  // Clears |buffer|'s calculated fields and raises OnCalcFields for it.
  void CalculateFields(TRecordBuffer& buffer);
  bool HasCalculatedFields() const { return calc_area_size_ > 0; }

  // ---- Navigation primitives ----

  // Reads the record at the cursor position (gmCurrent) or moves one step
  // and reads it into the current buffer. An empty list gives grEOF; at an
  // end the position stays (grEOF / grBOF); gmCurrent outside the list
  // gives grError, or "No records" when |demand_record|.
  TGetResult Fetch(TGetMode mode, bool demand_record);
  // Re-reads the current record at the cursor position; outside the list
  // the following record, else the preceding one. An empty list leaves
  // no current record (both end flags set).
  void ResyncCurrent();
  // Place of the current record in the cursor list: the position when
  // the entry there holds the buffer's record number, else a scan from
  // the start; "Bookmark not found" when absent.
  int LocateCurrent();
  // Same, but -1 when the list does not hold the current record.
  int FindCurrent() const;
  // Re-reads the record at the cursor position after a failed walk over
  // the list; a second failure is dropped in favour of the first.
  void RestoreCurrent() noexcept;

  // Raises AfterScroll and tells the watching data sources.
  void Scrolled();
  // Tells the data sources that watch this cursor about |event|.
  void NotifyDataSources(TDataEvent event, TField* field = nullptr);

  // Runs a storage step, letting |handler| choose on an engine error.
  template <class Step>
  void RunStorageStep(const TDataSetErrorEvent& handler, Step step);

  // Enters a short-lived state (key, calculated fields, filter) with its
  // buffer, and returns to the previous state and buffers when destroyed,
  // also on error. The modified mark is kept.
  class TTempState {
   public:
    TTempState(TTDEDataSet& dataset, TDataSetState state, TRecordBuffer* buffer);
    ~TTempState();
    TTempState(const TTempState&) = delete;
    TTempState& operator=(const TTempState&) = delete;

   private:
    TTDEDataSet& dataset_;
    TDataSetState saved_state_;
    TRecordBuffer* saved_filter_;
    TRecordBuffer* saved_calc_;
    TRecordBuffer* saved_key_;
  };

  // The filter test of the record in the filter buffer (filter state).
  bool RecordPassesFilter();
  // Compiles Filter unless it is empty, or unless the tree already holds
  // it and cannot differ when compiled again (see Filtering.cpp).
  void CompileFilter();

  void Raise(const TDataSetNotifyEvent& event) {
    if (event) event(*this);
  }

  // Field objects bound at opening; the ones the cursor created are
  // destroyed at closing.
  void CreateDefaultFields();
  void BindFields();
  void UnbindFields();

  // ---- State of an open cursor ----

  TTinyTableIO* table_io_ = nullptr;
  TRecordList record_list_;  // the cursor list
  int position_ = -1;        // -1: before the first; count: after the last
  int active_index_ = -1;
  bool can_modify_ = false;
  bool at_beginning_ = true;
  bool at_end_ = true;

  std::vector<TFieldDef> field_defs_;
  std::vector<TIndexDef> index_defs_;
  std::vector<std::unique_ptr<TField>> fields_;

  // Layout: offsets into the data area by field number - 1 (-1: no field
  // object), the area sizes, and each schema field's stored width.
  std::vector<int> field_offsets_;
  int data_area_size_ = 0;
  int calc_area_size_ = 0;
  int blob_count_ = 0;
  std::vector<int> schema_widths_;
  std::vector<uint8_t> scratch_;  // values of fields without a field object
  std::vector<std::unique_ptr<TOptimBlobStream>> scratch_blobs_;

  std::unique_ptr<TRecordBuffer> current_;    // current / edited / inserted record
  std::unique_ptr<TRecordBuffer> spare_;      // key searches
  std::unique_ptr<TRecordBuffer> key_start_;  // master range start key
  std::unique_ptr<TRecordBuffer> key_end_;    // master range end key
  TRecordBuffer* filter_buffer_ = nullptr;    // record under test (filter state)
  TRecordBuffer* calc_buffer_ = nullptr;      // calculated-fields state
  TRecordBuffer* key_buffer_ = nullptr;       // key state

  TDataSetState state_ = dsInactive;
  bool modified_ = false;
  bool auto_calc_fields_ = true;

  std::string filter_;
  bool filtered_ = false;
  TFilterOptions filter_options_ = 0;
  bool filter_active_ = false;
  bool range_active_ = false;

 private:
  friend class TDataSource;

  // ---- What the filter parser reads of the record under test ----
  std::string ComponentName() const override;
  int FindFieldIndex(const std::string& name) const override;
  int FieldDataType(int field_index) const override;
  bool FieldIsBlob(int field_index) const override;
  const uint8_t* FieldData(int field_index) override;
  void ReadBlobText(int field_index, std::string* text) override;
  std::string_view BlobText(int field_index, std::string* scratch) override;

  // Seek over the cursor list from the start (|restart|) or from beside
  // the current record, forwards or backwards.
  bool SeekMatch(bool forward, bool restart);
  // Stores a new filter text and options (SetFilter, SetFilterOptions).
  void ChangeFilter(const std::string& text, TFilterOptions options);

  // Value access for field objects (TField calls these).
  bool GetFieldData(TField* field, void* dest);
  void SetFieldData(TField* field, const void* source);
  TOptimBlobStream* FieldBlobStream(TField* field);
  // A stored value changed: modified mark, watchers, calculated fields.
  void FieldChanged(TField* field);
  // Writes need a state other than browse.
  void CheckWriteState() const;

  bool program_fields_ = false;  // the program gave field objects
  bool calculating_ = false;

  // Field value buffers pointing into a record buffer, built once and
  // reused by every read into it: slot 0 serves the current record's
  // buffer, slot 1 the other buffer read last (key searches read the spare
  // one between reads of the current one). Forgotten whenever the layout
  // is computed (at every opening, before any record buffer exists).
  TFieldBuffers read_buffers_[2];
  const TRecordBuffer* read_buffers_for_[2] = {nullptr, nullptr};

  std::unique_ptr<TFilterParser> filter_parser_;  // holds the last compiled Filter
  // The text of the tree in filter_parser_ when CompileFilter may reuse it;
  // empty when it must compile.
  std::string reusable_filter_;
  std::vector<TDataSource*> data_sources_;        // sources over this cursor
};

template <class Step>
void TTDEDataSet::RunStorageStep(const TDataSetErrorEvent& handler, Step step) {
  for (;;) {
    try {
      step();
      return;
    } catch (const EAbort&) {
      throw;
    } catch (const EEngineError& error) {
      TDataAction action = daFail;
      if (handler) handler(*this, error, action);
      if (action == daFail) throw;
      if (action == daAbort) throw EAbort();
    }
  }
}

}  // namespace tinydb
