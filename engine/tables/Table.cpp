#include "tables/Table.h"

#include <algorithm>

#include "platform/Codepage.h"
#include "platform/Errors.h"
#include "storage/ValueCompare.h"

namespace tinydb {

namespace {

bool IsTextType(int field_type) {
  return field_type == ftString || field_type == ftFixedChar || field_type == ftWideString;
}

}  // namespace

TTinyTable::TTinyTable(TComponent* owner) : TTDEDataSet(owner) {
  master_link_.OnMasterChange = [this] { MasterChanged(); };
  master_link_.OnMasterDisable = [this] { MasterDisabled(); };
}

TTinyTable::~TTinyTable() {
  if (Active()) CloseSteps();
}

// ---- Properties ----

void TTinyTable::SetDatabaseName(const std::string& name) {
  CheckInactive();
  TTDEDataSet::SetDatabaseName(name);
  table_name_.clear();
  index_name_.clear();
}

void TTinyTable::SetTableName(const std::string& name) {
  CheckInactive();
  table_name_ = name;
}

void TTinyTable::SetIndexName(const std::string& name) {
  if (!Active()) {
    index_name_ = name;
    return;
  }
  index_name_ = name;
  CheckBrowseMode();
  ChooseActiveIndex();
  range_active_ = false;
  range_key_count_ = 0;
  if (master_link_.Active() && !master_link_.Fields().empty())
    ApplyMasterRange(master_link_.Fields());
  GoFirst();
}

bool TTinyTable::CanModify() const {
  if (!can_modify_ || read_only_) return false;
  return Database() == nullptr || !Database()->ReadOnlyFile();
}

void TTinyTable::CheckCanModify() {
  if (!CanModify()) DataSetError("Cannot modify a read-only dataset");
}

// ---- Opening and closing ----

void TTinyTable::OpenCursor() {
  Raise(BeforeOpen);
  try {
    BindDatabase();
  } catch (const EAbort&) {
    return;  // the login was cancelled: stay closed without a word
  }
  try {
    table_io_ = Database()->TableIOByName(table_name_);
    if (table_io_ == nullptr) DataSetError(FormatMessage(kTableNotFound, table_name_));
    table_io_->Open();
    table_opened_ = true;
    record_list_.clear();
    position_ = -1;
    can_modify_ = true;

    field_defs_.clear();
    const std::vector<TTinyFieldDef>& schema = table_io_->FieldDefs();
    for (size_t i = 0; i < schema.size(); ++i) {
      TFieldDef def;
      def.Name = schema[i].Name;
      def.DataType = schema[i].FieldType;
      def.Size = (def.DataType == ftString || def.DataType == ftFixedChar) ? schema[i].FieldSize : 0;
      def.FieldNo = static_cast<int>(i) + 1;
      field_defs_.push_back(def);
    }
    CreateDefaultFields();
    BindFields();

    index_defs_.clear();
    for (const TTinyIndexDef& index : table_io_->IndexDefs()) {
      TIndexDef def;
      def.Name = index.Name;
      def.Options = index.Options;
      for (size_t k = 0; k < index.FieldNumbers.size(); ++k) {
        if (k > 0) def.Fields += ",";
        int field_no = index.FieldNumbers[k];
        if (field_no >= 0 && field_no < static_cast<int>(schema.size()))
          def.Fields += schema[static_cast<size_t>(field_no)].Name;
      }
      index_defs_.push_back(def);
    }

    ChooseActiveIndex();

    ComputeRecordLayout();
    current_ = NewRecordBuffer();
    spare_ = NewRecordBuffer();
    key_start_ = NewRecordBuffer();
    key_end_ = NewRecordBuffer();
    InitRecord(*key_start_);
    InitRecord(*key_end_);

    SetState(dsBrowse);
    position_ = -1;
    Fetch(gmNext, false);
    at_beginning_ = true;
    at_end_ = record_list_.empty();
  } catch (...) {
    CloseSteps();
    throw;
  }
  try {
    if (master_link_.Active() && !master_link_.Fields().empty() && active_index_ >= 0)
      RangeFromMaster(master_link_.Fields());
    if (filtered_) ApplyFilter();
  } catch (...) {
    NotifyDataSources(TDataEvent::ActiveChanged);  // open all the same
    throw;
  }
  NotifyDataSources(TDataEvent::ActiveChanged);
  Raise(AfterOpen);
}

void TTinyTable::Close() {
  if (!Active()) return;
  Raise(BeforeClose);
  CloseSteps();
  NotifyDataSources(TDataEvent::ActiveChanged);
  Raise(AfterClose);
}

void TTinyTable::CloseSteps() {
  state_ = dsInactive;
  modified_ = false;
  if (table_opened_ && table_io_ != nullptr) table_io_->Close();
  table_opened_ = false;
  table_io_ = nullptr;
  record_list_.clear();
  record_list_.shrink_to_fit();
  position_ = -1;
  active_index_ = -1;
  can_modify_ = false;
  at_beginning_ = true;
  at_end_ = true;
  filter_active_ = false;
  range_active_ = false;
  range_key_count_ = 0;
  filter_buffer_ = nullptr;
  calc_buffer_ = nullptr;
  key_buffer_ = nullptr;
  current_.reset();
  spare_.reset();
  key_start_.reset();
  key_end_.reset();
  scratch_blobs_.clear();
  UnbindFields();
  UnbindDatabase();
}

void TTinyTable::ChooseActiveIndex() {
  active_index_ = -1;
  if (!index_name_.empty()) {
    const std::vector<TTinyIndexDef>& indexes = table_io_->IndexDefs();
    for (size_t i = 0; i < indexes.size(); ++i) {
      if (SameText(indexes[i].Name, index_name_)) {
        active_index_ = static_cast<int>(i);
        break;
      }
    }
  }
  if (active_index_ < 0) active_index_ = table_io_->PrimaryIndexNo();
  table_io_->BuildRecordList(active_index_ + 1, true);
  record_list_ = table_io_->GetRecordList(active_index_ + 1);
  can_modify_ = true;
  filter_active_ = false;
}

// ---- Editing ----

void TTinyTable::BeginEdit() {
  CheckActive();
  if (state_ == dsEdit || state_ == dsInsert) return;
  if (record_list_.empty()) {
    BeginInsert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  Raise(BeforeEdit);
  RunStorageStep(OnEditError, [] {});
  SetState(dsEdit);
  Raise(AfterEdit);
}

void TTinyTable::BeginInsert() { BeginInsertAppend(false); }

void TTinyTable::BeginAppend() { BeginInsertAppend(true); }

void TTinyTable::BeginInsertAppend(bool append) {
  CheckActive();
  CheckBrowseMode();
  CheckCanModify();
  Raise(BeforeInsert);
  Raise(BeforeScroll);
  InitRecord(*current_);
  if (append) position_ = static_cast<int>(record_list_.size());
  SetState(dsInsert);
  try {
    Raise(OnNewRecord);
  } catch (...) {
    SetState(dsBrowse);
    ResyncCurrent();
    throw;
  }
  modified_ = false;
  Raise(AfterInsert);
  Scrolled();
}

void TTinyTable::PostRecord() {
  CheckActive();
  if (state_ != dsEdit && state_ != dsInsert) return;
  Raise(BeforePost);
  const bool inserting = state_ == dsInsert;
  RunStorageStep(OnPostError, [&] {
    if (inserting) {
      PostInsert();
    } else {
      PostEdit();
    }
  });
  SetState(dsBrowse);
  ResyncCurrent();
  Raise(AfterPost);
  NotifyDataSources(TDataEvent::RecordChanged);
}

void TTinyTable::PostInsert() {
  TFieldBuffers buffers;
  BuildFieldBuffers(*current_, buffers);
  table_io_->AppendRecord(
      buffers, false,
      [&](int index_no, int a, int, const TRecordListEntry* entry) {
        if (entry == nullptr) return;
        if (index_no < 0) {
          if (active_index_ < 0) record_list_.push_back(*entry);
        } else if (index_no == active_index_) {
          AdjustOnInsert(index_no, a, *entry, buffers);
        }
      });
}

void TTinyTable::AdjustOnInsert(int index_no, int position, const TRecordListEntry& entry,
                                TFieldBuffers& buffers) {
  const int count = static_cast<int>(record_list_.size());
  int at;
  // Storage reports the place in its own list, which the cursor list
  // mirrors unless it was narrowed (or another cursor changed the table).
  const bool mirrors_storage =
      !filter_active_ && !range_active_ &&
      count == static_cast<int>(table_io_->GetRecordList(index_no + 1).size());
  if (mirrors_storage && position >= 0 && position <= count) {
    at = position;
  } else {
    at = table_io_->InsertionPosition(record_list_, buffers, index_no);
  }
  record_list_.insert(record_list_.begin() + at, entry);
  position_ = at;
}

void TTinyTable::PostEdit() {
  const int count = static_cast<int>(record_list_.size());
  if (position_ < 0 || position_ >= count) return;
  position_ = LocateCurrent();
  const int physical = table_io_->PhysicalPosition(record_list_, position_);
  if (physical < 0) DataSetError(kBookmarkNotFound);
  TFieldBuffers buffers;
  BuildFieldBuffers(*current_, buffers);
  table_io_->UpdateRecord(
      buffers, physical, false,
      [&](int index_no, int a, int b, const TRecordListEntry*) {
        if (index_no >= 0 && index_no == active_index_) AdjustOnUpdate(index_no, a, b, buffers);
      });
}

void TTinyTable::AdjustOnUpdate(int index_no, int old_pos, int new_pos, TFieldBuffers& buffers) {
  const int count = static_cast<int>(record_list_.size());
  const int32_t record_no = BufferRecordNo(*current_);
  const bool mirrors_storage =
      !filter_active_ && !range_active_ && old_pos >= 0 && old_pos < count && new_pos >= 0 &&
      new_pos <= count && record_list_[static_cast<size_t>(old_pos)].RecordNo == record_no;
  if (mirrors_storage) {
    TRecordListEntry entry = record_list_[static_cast<size_t>(old_pos)];
    record_list_.erase(record_list_.begin() + old_pos);
    int at = old_pos < new_pos ? new_pos - 1 : new_pos;
    record_list_.insert(record_list_.begin() + at, entry);
    position_ = at;
    return;
  }
  TRecordListEntry entry = record_list_[static_cast<size_t>(position_)];
  record_list_.erase(record_list_.begin() + position_);
  int at = table_io_->InsertionPosition(record_list_, buffers, index_no);
  record_list_.insert(record_list_.begin() + at, entry);
  position_ = at;
}

std::unique_ptr<TBlobPrecoder> TTinyTable::NewBlobPrecoder(std::string_view password) {
  CheckActive();
  return table_io_->NewBlobPrecoder(password);
}

void TTinyTable::SetBlobPrecoder(TBlobPrecoder* precoder) {
  if (table_io_ != nullptr) table_io_->SetBlobPrecoder(precoder);
}

void TTinyTable::CancelRecord() {
  CheckActive();
  if (state_ != dsEdit && state_ != dsInsert) return;
  const bool inserting = state_ == dsInsert;
  Raise(BeforeCancel);
  if (inserting) Raise(BeforeScroll);
  SetState(dsBrowse);
  ResyncCurrent();
  Raise(AfterCancel);
  if (inserting) {
    Scrolled();
  } else {
    NotifyDataSources(TDataEvent::RecordChanged);  // the values are back
  }
}

void TTinyTable::DeleteCurrent() {
  CheckActive();
  if (state_ == dsInsert) {
    CancelRecord();
    return;
  }
  if (record_list_.empty()) DataSetError("Cannot perform this operation on an empty dataset");
  Raise(BeforeDelete);
  Raise(BeforeScroll);
  const int count = static_cast<int>(record_list_.size());
  if (position_ >= 0 && position_ < count) {
    const int pos = LocateCurrent();
    const int physical = table_io_->PhysicalPosition(record_list_, pos);
    if (physical < 0) DataSetError(kBookmarkNotFound);
    RunStorageStep(OnDeleteError, [&] { table_io_->DeleteRecord(physical, false); });
    record_list_.erase(record_list_.begin() + pos);
    position_ = pos;
    if (position_ == static_cast<int>(record_list_.size())) --position_;
  }
  SetState(dsBrowse);
  ResyncCurrent();
  Raise(AfterDelete);
  Scrolled();
}

void TTinyTable::RefreshCursor() {
  CheckActive();
  CheckBrowseMode();
  Raise(BeforeRefresh);
  const int keep = position_;
  table_io_->BuildRecordList(active_index_ + 1, false);
  record_list_ = table_io_->GetRecordList(active_index_ + 1);
  filter_active_ = false;
  position_ = keep;
  if (range_active_) ReapplyRange();
  if (filtered_) ApplyFilter();
  ResyncCurrent();
  Raise(AfterRefresh);
  NotifyDataSources(TDataEvent::RecordChanged);
}

void TTinyTable::StorageReloaded() {
  if (state_ == dsInactive || table_io_ == nullptr || !table_io_->Loaded()) return;
  try {
    const int keep = position_;
    table_io_->BuildRecordList(active_index_ + 1, false);
    record_list_ = table_io_->GetRecordList(active_index_ + 1);
    filter_active_ = false;
    position_ = keep;
    if (state_ == dsBrowse) {
      if (range_active_ && active_index_ >= 0) ReapplyRange();
      if (filtered_) ApplyFilter();
    }
    const int count = static_cast<int>(record_list_.size());
    if (position_ >= count) position_ = count - 1;
    if (state_ == dsBrowse) ResyncCurrent();
  } catch (...) {
    // The cursor's next read reports what is wrong.
  }
}

// ---- Filter and master range ----

void TTinyTable::DropFilter() {
  ChooseActiveIndex();
  if (range_active_ && active_index_ >= 0) {
    NarrowToRange(record_list_);
  } else {
    range_active_ = false;
    position_ = -1;
    GoFirst();
  }
  can_modify_ = true;
}

void TTinyTable::SetMasterSource(TDataSource* source) { master_link_.SetDataSource(source); }

void TTinyTable::SetMasterFields(const std::string& names) { master_link_.SetFieldNames(names); }

void TTinyTable::MasterChanged() {
  if (Active()) ApplyMasterRange(master_link_.Fields());
}

void TTinyTable::MasterDisabled() {
  if (Active() && range_active_) CancelMasterRange();
}

void TTinyTable::ApplyMasterRange(const std::vector<TField*>& master_fields) {
  CheckActive();
  if (active_index_ < 0 || master_fields.empty()) return;
  range_active_ = false;  // the new range is cut from the whole index
  if (filtered_) SetFiltered(false);
  CheckBrowseMode();
  RangeFromMaster(master_fields);
}

void TTinyTable::RangeFromMaster(const std::vector<TField*>& master_fields) {
  const TTinyIndexDef& index = table_io_->IndexDefs()[static_cast<size_t>(active_index_)];
  const size_t n = std::min(master_fields.size(), index.FieldNumbers.size());
  std::vector<TField*> key_fields;
  for (size_t k = 0; k < n; ++k) {
    const int field_no = index.FieldNumbers[k] + 1;
    TField* key_field = nullptr;
    for (int f = 0; f < FieldCount() && key_field == nullptr; ++f) {
      if (!Fields(f)->Calculated() && Fields(f)->FieldNo() == field_no) key_field = Fields(f);
    }
    if (key_field == nullptr)
      DataSetError(FormatMessage(kFieldNotFound,
                                 table_io_->FieldDefs()[static_cast<size_t>(field_no - 1)].Name));
    key_fields.push_back(key_field);
  }
  for (TRecordBuffer* key : {key_start_.get(), key_end_.get()}) {
    TTempState key_state(*this, dsSetKey, key);
    InitRecord(*key);
    for (size_t k = 0; k < n; ++k) key_fields[k]->SetValue(master_fields[k]->Value());
  }
  modified_ = false;
  range_key_count_ = static_cast<int>(n);
  NarrowToRange(table_io_->GetRecordList(active_index_ + 1));
}

void TTinyTable::NarrowToRange(const TRecordList& source) {
  TRecordList entries = source;  // |source| may be the cursor list itself
  TRecordList range;
  if (!entries.empty()) {
    TFieldBuffers key;
    BuildFieldBuffers(*key_start_, key);
    const TSearchResult first =
        table_io_->FindBoundary(entries, key, active_index_, range_key_count_, false, true);
    const int start =
        first.Outcome == TSearchOutcome::KeyAfter ? first.Position + 1 : first.Position;
    BuildFieldBuffers(*key_end_, key);
    const TSearchResult last =
        table_io_->FindBoundary(entries, key, active_index_, range_key_count_, false, false);
    const int end = last.Outcome == TSearchOutcome::KeyBefore ? last.Position - 1 : last.Position;
    if (start <= end) range.assign(entries.begin() + start, entries.begin() + end + 1);
  }
  record_list_.swap(range);
  filter_active_ = false;
  range_active_ = true;
  position_ = -1;
  GoFirst();
}

void TTinyTable::ReapplyRange() {
  CheckBrowseMode();
  if (active_index_ < 0) DataSetError("No index currently active");
  if (record_list_.empty()) return;
  NarrowToRange(record_list_);
}

void TTinyTable::CancelMasterRange() {
  CheckActive();
  CheckBrowseMode();
  range_active_ = false;
  range_key_count_ = 0;
  ChooseActiveIndex();
  position_ = -1;
  GoFirst();
  if (filtered_) ApplyFilter();
}

// ---- Keys ----

int TTinyTable::SelectIndexForFields(const std::vector<TField*>& fields,
                                     bool case_insensitive) const {
  if (table_io_ == nullptr) return -1;
  bool text_key = false;
  for (TField* field : fields) text_key = text_key || IsTextType(field->FieldType());
  const std::vector<TTinyIndexDef>& indexes = table_io_->IndexDefs();
  for (size_t i = 0; i < indexes.size(); ++i) {
    const TTinyIndexDef& index = indexes[i];
    if (index.FieldNumbers.size() != fields.size()) continue;
    bool same_fields = true;
    for (size_t k = 0; k < fields.size() && same_fields; ++k)
      same_fields = fields[k]->FieldNo() - 1 == index.FieldNumbers[k];
    if (!same_fields) continue;
    if (text_key && ((index.Options & tiCaseInsensitive) != 0) != case_insensitive) continue;
    return static_cast<int>(i);
  }
  return -1;
}

int TTinyTable::CursorPositionOf(const TRecordListEntry& entry, int hint) const {
  const int count = static_cast<int>(record_list_.size());
  if (hint >= 0 && hint < count && record_list_[static_cast<size_t>(hint)].RecordNo == entry.RecordNo)
    return hint;
  for (int i = 0; i < count; ++i) {
    if (record_list_[static_cast<size_t>(i)].RecordNo == entry.RecordNo) return i;
  }
  return -1;
}

int TTinyTable::KeySearch(const std::vector<TField*>& fields, const TFieldValues& values,
                          TLocateOptions options, bool move) {
  CheckBrowseMode();
  if (fields.empty()) return -1;
  for (TField* field : fields) {
    if (field->Calculated()) DataSetError(FormatMessage("Field '%s' is not a stored field", field->Name()));
  }
  TTempState filter(*this, dsFilter, spare_.get());
  InitRecord(*spare_);
  for (size_t i = 0; i < fields.size(); ++i)
    fields[i]->SetValue(i < values.size() ? values[i] : TFieldValue{});

  const bool case_insensitive = (options & loCaseInsensitive) != 0;
  const bool partial = (options & loPartialKey) != 0;
  const int index_no = SelectIndexForFields(fields, case_insensitive);
  int match = -1;
  if (index_no < 0) {
    match = ScanForKey(fields, options);
  } else {
    TFieldBuffers& key = FieldBuffersOf(*spare_);
    const TRecordList& list = table_io_->GetRecordList(index_no + 1);
    TSearchResult found = table_io_->FindAnyMatch(list, key, index_no, 0, partial);
    if (found.Outcome == TSearchOutcome::Equal)
      match = CursorPositionOf(list[static_cast<size_t>(found.Position)], found.Position);
  }
  if (match < 0) return match;
  // A move reads the record into the current buffer next; the spare copy
  // is then needed only for calculated fields' handlers to see it.
  if (!move || HasCalculatedFields()) ReadRecordAt(match, *spare_);
  if (move) position_ = match;
  return match;
}

int TTinyTable::ScanForKey(const std::vector<TField*>& fields, TLocateOptions options) {
  const bool case_insensitive = (options & loCaseInsensitive) != 0;
  const bool partial = (options & loPartialKey) != 0;
  // The key values, NUL-terminated where they are texts.
  std::vector<std::string> keys;
  for (TField* field : fields) {
    if (field->IsBlob()) {
      keys.push_back(field->ReadBytes());
    } else {
      std::string bytes(static_cast<size_t>(field->DataSize()), '\0');
      field->GetData(bytes.data());
      keys.push_back(bytes);
    }
  }
  TMemoryStream stored;
  const uint8_t kNul = 0;
  const int count = static_cast<int>(record_list_.size());
  for (int pos = 0; pos < count; ++pos) {
    const int32_t record_no = record_list_[static_cast<size_t>(pos)].RecordNo;
    bool equal = true;
    for (size_t k = 0; k < fields.size() && equal; ++k) {
      stored.Clear();
      table_io_->ReadFieldValue(&stored, record_no, fields[k]->FieldNo() - 1);
      stored.Seek(0, TSeekOrigin::soEnd);
      stored.WriteBuffer(&kNul, 1);
      equal = CompareKey(keys[k].c_str(), stored.Memory(), fields[k]->FieldType(),
                         case_insensitive, partial) == 0;
    }
    if (equal) return pos;
  }
  return -1;
}

bool TTinyTable::FindByKey(const std::string& key_names, const TFieldValues& values,
                           TLocateOptions options) {
  CheckActive();
  std::vector<TField*> fields = FieldsNamed(key_names);
  Raise(BeforeScroll);
  if (KeySearch(fields, values, options, true) < 0) return false;
  Fetch(gmCurrent, true);
  at_beginning_ = false;
  at_end_ = false;
  Scrolled();
  return true;
}

bool TTinyTable::FindByKey(const std::string& key_names, const TFieldValue& value,
                           TLocateOptions options) {
  return FindByKey(key_names, TFieldValues{value}, options);
}

TLookupResult TTinyTable::LookupByKey(const std::string& key_names, const TFieldValues& values,
                                      const std::string& result_names) {
  CheckActive();
  std::vector<TField*> fields = FieldsNamed(key_names);
  std::vector<TField*> results = FieldsNamed(result_names);
  TLookupResult result;
  if (KeySearch(fields, values, 0, false) < 0) return result;
  // The spare buffer holds the match with its calculated fields computed.
  TTempState calc(*this, dsCalcFields, spare_.get());
  for (TField* field : results) result.Values.push_back(field->Value());
  result.Found = true;
  return result;
}

TLookupResult TTinyTable::LookupByKey(const std::string& key_names, const TFieldValue& value,
                                      const std::string& result_names) {
  return LookupByKey(key_names, TFieldValues{value}, result_names);
}

}  // namespace tinydb
