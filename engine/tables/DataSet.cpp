#include "tables/DataSet.h"

#include <algorithm>
#include <cstring>

#include "platform/Calendar.h"
#include "platform/Codepage.h"
#include "platform/Errors.h"
#include "tables/MasterLink.h"

namespace tinydb {

namespace {

constexpr int kTrailerSize = 5;  // int32 record number + bookmark flag

std::string TrimBlanks(const std::string& text) {
  const size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return "";
  const size_t end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
}

}  // namespace

// ---- TTinyBlobStream ----

TTinyBlobStream::TTinyBlobStream(TField* field, TBlobStreamMode mode)
    : field_(field), dataset_(field->DataSet()), mode_(mode) {
  target_ = dataset_->FieldBlobStream(field);
  if (mode == bmWrite) {
    if (target_ != nullptr) {
      target_->Clear();
      dataset_->FieldChanged(field);
    }
    return;
  }
  if (target_ != nullptr) {
    int64_t size = target_->Size();  // loads a pending value
    if (size > 0) TMemoryStream::Write(target_->Memory(), size);
    Seek(0, TSeekOrigin::soBeginning);
  }
}

int64_t TTinyBlobStream::Write(const void* buffer, int64_t count) {
  if (mode_ == bmRead) return 0;
  int64_t written = TMemoryStream::Write(buffer, count);
  CopyBack();
  return written;
}

void TTinyBlobStream::SetSize(int64_t size) {
  if (mode_ == bmRead) return;
  TMemoryStream::SetSize(size);
  CopyBack();
}

void TTinyBlobStream::CopyBack() {
  modified_ = true;
  if (target_ == nullptr) return;
  target_->Clear();
  int64_t size = TMemoryStream::Size();
  if (size > 0) target_->WriteBuffer(Memory(), size);
  dataset_->FieldChanged(field_);
}

// ---- Short-lived states ----

TTDEDataSet::TTempState::TTempState(TTDEDataSet& dataset, TDataSetState state,
                                    TRecordBuffer* buffer)
    : dataset_(dataset), saved_state_(dataset.state_), saved_filter_(dataset.filter_buffer_),
      saved_calc_(dataset.calc_buffer_), saved_key_(dataset.key_buffer_) {
  dataset.state_ = state;
  if (state == dsFilter) dataset.filter_buffer_ = buffer;
  if (state == dsCalcFields) dataset.calc_buffer_ = buffer;
  if (state == dsSetKey) dataset.key_buffer_ = buffer;
}

TTDEDataSet::TTempState::~TTempState() {
  dataset_.state_ = saved_state_;
  dataset_.filter_buffer_ = saved_filter_;
  dataset_.calc_buffer_ = saved_calc_;
  dataset_.key_buffer_ = saved_key_;
}

// ---- TTDEDataSet ----

TTDEDataSet::TTDEDataSet(TComponent* owner)
    : TTDBDataSet(owner),
      filter_parser_(std::make_unique<TFilterParser>(static_cast<TFilterDataSource*>(this))) {}

TTDEDataSet::~TTDEDataSet() {
  // The sources over this cursor lose it; whoever follows them sees it go.
  while (!data_sources_.empty()) data_sources_.back()->DataSetDestroyed();
}

void TTDEDataSet::SetActive(bool active) {
  if (active == Active()) return;
  if (active) {
    OpenCursor();
  } else {
    Close();
  }
}

void TTDEDataSet::CheckActive() const {
  if (state_ == dsInactive) DataSetError("Cannot perform this operation on a closed dataset");
}

void TTDEDataSet::CheckWriteState() const {
  if (state_ == dsBrowse) DataSetError("Dataset not in edit or insert mode");
}

void TTDEDataSet::CheckBrowseMode() {
  if (state_ == dsEdit || state_ == dsInsert) {
    if (modified_) {
      PostRecord();
    } else {
      CancelRecord();
    }
  }
}

void TTDEDataSet::SetState(TDataSetState state) {
  if (state_ == state) return;
  state_ = state;
  modified_ = false;
}

// ---- Fields ----

TField* TTDEDataSet::FindField(const std::string& name) const {
  for (const auto& field : fields_) {
    if (SameText(field->Name(), name)) return field.get();
  }
  return nullptr;
}

TField* TTDEDataSet::FieldNamed(const std::string& name) const {
  TField* field = FindField(name);
  if (field == nullptr) DataSetError(FormatMessage(kFieldNotFound, name));
  return field;
}

std::vector<TField*> TTDEDataSet::FieldsNamed(const std::string& names) const {
  std::vector<TField*> fields;
  if (names.empty()) return fields;
  size_t start = 0;
  for (;;) {
    const size_t end = names.find(';', start);
    const std::string name =
        TrimBlanks(names.substr(start, end == std::string::npos ? std::string::npos : end - start));
    fields.push_back(FieldNamed(name));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return fields;
}

TField* TTDEDataSet::DefineField(const std::string& name) {
  CheckInactive();
  if (FindField(name) != nullptr)
    DataSetError(FormatMessage("Duplicate field name '%s'", name));
  fields_.push_back(std::make_unique<TField>(this, name, ftUnknown, 0, false));
  program_fields_ = true;
  return fields_.back().get();
}

TField* TTDEDataSet::DefineCalculatedField(const std::string& name, int field_type, int size) {
  CheckInactive();
  if (IsBlobFieldType(field_type) || RecordBufferWidth(field_type, size) <= 0)
    throw EDatabaseError(kGeneralError);
  if (FindField(name) != nullptr)
    DataSetError(FormatMessage("Duplicate field name '%s'", name));
  fields_.push_back(std::make_unique<TField>(this, name, field_type, size, true));
  program_fields_ = true;
  return fields_.back().get();
}

void TTDEDataSet::CreateDefaultFields() {
  if (program_fields_) return;
  for (const TFieldDef& def : field_defs_) {
    auto field = std::make_unique<TField>(this, def.Name, def.DataType, def.Size, false);
    field->created_by_cursor_ = true;
    fields_.push_back(std::move(field));
  }
}

void TTDEDataSet::BindFields() {
  for (const auto& field : fields_) {
    if (field->calculated_) {
      field->field_no_ = 0;
      continue;
    }
    const TFieldDef* found = nullptr;
    for (const TFieldDef& def : field_defs_) {
      if (SameText(def.Name, field->name_)) {
        found = &def;
        break;
      }
    }
    if (found == nullptr) DataSetError(FormatMessage(kFieldNotFound, field->name_));
    field->field_no_ = found->FieldNo;
    field->field_type_ = found->DataType;
    field->size_ = found->Size;
    field->data_size_ = RecordBufferWidth(found->DataType, found->Size);
  }
}

void TTDEDataSet::UnbindFields() {
  fields_.erase(std::remove_if(fields_.begin(), fields_.end(),
                               [](const std::unique_ptr<TField>& f) {
                                 return f->created_by_cursor_;
                               }),
                fields_.end());
  for (const auto& field : fields_) {
    if (!field->calculated_) field->field_no_ = 0;
  }
}

// ---- Record buffers ----

void TTDEDataSet::ComputeRecordLayout() {
  for (int slot = 0; slot < 2; ++slot) {
    read_buffers_[slot].Clear();
    read_buffers_for_[slot] = nullptr;
  }
  reusable_filter_.clear();
  const std::vector<TTinyFieldDef>& schema = table_io_->FieldDefs();
  field_offsets_.assign(schema.size(), -1);
  int offset = 0;
  blob_count_ = 0;
  for (const auto& field : fields_) {
    if (field->calculated_) continue;
    field_offsets_[static_cast<size_t>(field->field_no_ - 1)] = offset;
    offset += field->data_size_;
    if (field->IsBlob()) ++blob_count_;
  }
  data_area_size_ = offset;
  int calc_offset = 0;
  for (const auto& field : fields_) {
    if (!field->calculated_) continue;
    field->offset_ = calc_offset;
    calc_offset += 1 + field->data_size_;
  }
  calc_area_size_ = calc_offset;

  schema_widths_.assign(schema.size(), 0);
  size_t scratch_size = 0;
  scratch_blobs_.clear();
  for (size_t i = 0; i < schema.size(); ++i) {
    if (IsBlobFieldType(schema[i].FieldType)) {
      if (field_offsets_[i] < 0)
        scratch_blobs_.push_back(std::make_unique<TOptimBlobStream>(Database()));
      continue;
    }
    schema_widths_[i] = StoredFieldWidth(schema[i].FieldType, schema[i].FieldSize);
    if (field_offsets_[i] < 0) scratch_size += static_cast<size_t>(schema_widths_[i]);
  }
  scratch_.assign(scratch_size, 0);
}

std::unique_ptr<TRecordBuffer> TTDEDataSet::NewRecordBuffer() {
  auto buffer = std::make_unique<TRecordBuffer>();
  buffer->Bytes.assign(static_cast<size_t>(data_area_size_ + calc_area_size_ + kTrailerSize), 0);
  for (const auto& field : fields_) {
    if (field->calculated_ || !field->IsBlob()) continue;
    int offset = field_offsets_[static_cast<size_t>(field->field_no_ - 1)];
    EncodeInt32(&buffer->Bytes[static_cast<size_t>(offset)],
                static_cast<int32_t>(buffer->Blobs.size()));
    buffer->Blobs.push_back(std::make_unique<TOptimBlobStream>(Database()));
  }
  return buffer;
}

void TTDEDataSet::InitRecord(TRecordBuffer& buffer) {
  std::fill(buffer.Bytes.begin(), buffer.Bytes.begin() + data_area_size_ + calc_area_size_, 0);
  int32_t blob_index = 0;
  for (const auto& field : fields_) {
    if (field->calculated_) continue;
    uint8_t* value =
        &buffer.Bytes[static_cast<size_t>(field_offsets_[static_cast<size_t>(field->field_no_ - 1)])];
    switch (field->field_type_) {
      case ftDate:
        EncodeInt32(value, TodayDayNumber());
        break;
      case ftTime:
        EncodeInt32(value, TimeOfDayMSecs());
        break;
      case ftDateTime: {
        double msecs = static_cast<double>(kDateDelta) * kMsPerDay;
        uint64_t raw;
        std::memcpy(&raw, &msecs, 8);
        EncodeFixed64(value, raw);
        break;
      }
      default:
        if (field->IsBlob()) {
          EncodeInt32(value, blob_index);
          buffer.Blobs[static_cast<size_t>(blob_index)]->Clear();
          ++blob_index;
        }
        break;
    }
  }
  SetBufferRecordNo(buffer, -1, bfInserted);
}

int32_t TTDEDataSet::BufferRecordNo(const TRecordBuffer& buffer) const {
  return DecodeInt32(&buffer.Bytes[buffer.Bytes.size() - kTrailerSize]);
}

void TTDEDataSet::SetBufferRecordNo(TRecordBuffer& buffer, int32_t record_no,
                                    TBookmarkFlag flag) {
  EncodeInt32(&buffer.Bytes[buffer.Bytes.size() - kTrailerSize], record_no);
  buffer.Bytes.back() = flag;
}

void TTDEDataSet::BuildFieldBuffers(TRecordBuffer& buffer, TFieldBuffers& out) {
  const std::vector<TTinyFieldDef>& schema = table_io_->FieldDefs();
  out.Clear();
  std::fill(scratch_.begin(), scratch_.end(), 0);
  size_t scratch_offset = 0;
  size_t scratch_blob = 0;
  for (size_t i = 0; i < schema.size(); ++i) {
    const int type = schema[i].FieldType;
    const bool blob = IsBlobFieldType(type);
    const int offset = field_offsets_[i];
    if (offset >= 0) {
      uint8_t* value = &buffer.Bytes[static_cast<size_t>(offset)];
      if (blob) {
        out.Add(buffer.Blobs[static_cast<size_t>(DecodeInt32(value))].get(), type, 4);
      } else {
        out.Add(value, type, schema_widths_[i]);
      }
    } else {
      if (blob) {
        TOptimBlobStream* stream = scratch_blobs_[scratch_blob++].get();
        stream->Clear();
        out.Add(stream, type, 4);
      } else {
        out.Add(scratch_.data() + scratch_offset, type, schema_widths_[i]);
        scratch_offset += static_cast<size_t>(schema_widths_[i]);
      }
      out.Items(static_cast<int>(i)).Active = false;
    }
  }
}

void TTDEDataSet::CalculateFields(TRecordBuffer& buffer) {
  if (!HasCalculatedFields()) return;
  std::fill(buffer.Bytes.begin() + data_area_size_,
            buffer.Bytes.begin() + data_area_size_ + calc_area_size_, 0);
  TTempState calc(*this, dsCalcFields, &buffer);
  bool was_calculating = calculating_;
  calculating_ = true;
  try {
    Raise(OnCalcFields);
  } catch (...) {
    calculating_ = was_calculating;
    throw;
  }
  calculating_ = was_calculating;
}

TRecordBuffer* TTDEDataSet::ActiveBuffer() {
  switch (state_) {
    case dsBrowse:
      return record_list_.empty() ? nullptr : current_.get();
    case dsEdit:
    case dsInsert:
      return current_.get();
    case dsSetKey:
      return key_buffer_;
    case dsCalcFields:
      return calc_buffer_;
    case dsFilter:
      return filter_buffer_;
    default:
      return nullptr;
  }
}

TFieldBuffers& TTDEDataSet::FieldBuffersOf(TRecordBuffer& buffer) {
  const int slot = &buffer == current_.get() ? 0 : 1;
  if (read_buffers_for_[slot] != &buffer) {
    read_buffers_for_[slot] = nullptr;
    BuildFieldBuffers(buffer, read_buffers_[slot]);
    read_buffers_for_[slot] = &buffer;
  }
  return read_buffers_[slot];
}

void TTDEDataSet::ReadRecordAt(int pos, TRecordBuffer& buffer) {
  if (pos < 0 || pos >= static_cast<int>(record_list_.size())) return;
  table_io_->ReadRecord(FieldBuffersOf(buffer), record_list_, pos);
  SetBufferRecordNo(buffer, record_list_[static_cast<size_t>(pos)].RecordNo, bfCurrent);
  CalculateFields(buffer);
}

// ---- Field values ----

bool TTDEDataSet::GetFieldData(TField* field, void* dest) {
  TRecordBuffer* buffer = ActiveBuffer();
  if (buffer == nullptr) return false;
  if (field->calculated_) {
    const uint8_t* slot = &buffer->Bytes[static_cast<size_t>(data_area_size_ + field->offset_)];
    if (slot[0] == 0) return false;
    std::memcpy(dest, slot + 1, static_cast<size_t>(field->data_size_));
    return true;
  }
  if (field->field_no_ <= 0) return false;
  int offset = field_offsets_[static_cast<size_t>(field->field_no_ - 1)];
  std::memcpy(dest, &buffer->Bytes[static_cast<size_t>(offset)],
              static_cast<size_t>(field->data_size_));
  return true;
}

void TTDEDataSet::SetFieldData(TField* field, const void* source) {
  CheckWriteState();
  TRecordBuffer* buffer = ActiveBuffer();
  if (buffer == nullptr) return;
  if (field->calculated_) {
    uint8_t* slot = &buffer->Bytes[static_cast<size_t>(data_area_size_ + field->offset_)];
    if (source == nullptr) {
      std::fill(slot, slot + 1 + field->data_size_, 0);
    } else {
      slot[0] = 1;
      std::memcpy(slot + 1, source, static_cast<size_t>(field->data_size_));
    }
    if (state_ != dsCalcFields) FieldChanged(field);
    return;
  }
  if (source == nullptr || field->field_no_ <= 0) return;
  int offset = field_offsets_[static_cast<size_t>(field->field_no_ - 1)];
  std::memcpy(&buffer->Bytes[static_cast<size_t>(offset)], source,
              static_cast<size_t>(field->data_size_));
  FieldChanged(field);
}

TOptimBlobStream* TTDEDataSet::FieldBlobStream(TField* field) {
  TRecordBuffer* buffer = ActiveBuffer();
  if (buffer == nullptr || field->calculated_ || field->field_no_ <= 0 || !field->IsBlob())
    return nullptr;
  int offset = field_offsets_[static_cast<size_t>(field->field_no_ - 1)];
  return buffer->Blobs[static_cast<size_t>(DecodeInt32(&buffer->Bytes[static_cast<size_t>(offset)]))]
      .get();
}

void TTDEDataSet::FieldChanged(TField* field) {
  if (state_ == dsCalcFields || state_ == dsFilter) return;
  if (state_ == dsEdit || state_ == dsInsert || state_ == dsSetKey) modified_ = true;
  if (field->OnChange) field->OnChange(*field);
  if (auto_calc_fields_ && !calculating_ && !field->calculated_ &&
      (state_ == dsEdit || state_ == dsInsert) && current_ != nullptr)
    CalculateFields(*current_);
  if (state_ == dsEdit || state_ == dsInsert) NotifyDataSources(TDataEvent::FieldChanged, field);
}

std::unique_ptr<TTinyBlobStream> TTDEDataSet::OpenBlobStream(TField* field, TBlobStreamMode mode) {
  CheckActive();
  if (!field->IsBlob()) throw EDatabaseError(kGeneralError);
  if (mode != bmRead) CheckWriteState();
  return std::make_unique<TTinyBlobStream>(field, mode);
}

// ---- Navigation ----

TTDEDataSet::TGetResult TTDEDataSet::Fetch(TGetMode mode, bool demand_record) {
  const int count = static_cast<int>(record_list_.size());
  if (count == 0) return grEOF;
  switch (mode) {
    case gmCurrent:
      if (position_ >= 0 && position_ < count) {
        ReadRecordAt(position_, *current_);
        return grOK;
      }
      if (demand_record) DataSetError("No records");
      return grError;
    case gmNext:
      if (position_ < count - 1) {
        ++position_;
        ReadRecordAt(position_, *current_);
        return grOK;
      }
      return grEOF;
    case gmPrior:
      if (position_ > 0) {
        --position_;
        ReadRecordAt(position_, *current_);
        return grOK;
      }
      return grBOF;
  }
  return grError;
}

void TTDEDataSet::ResyncCurrent() {
  const int count = static_cast<int>(record_list_.size());
  if (count == 0) {
    position_ = -1;
    at_beginning_ = true;
    at_end_ = true;
    return;
  }
  if (position_ < 0) position_ = 0;
  if (position_ >= count) position_ = count - 1;
  ReadRecordAt(position_, *current_);
  at_beginning_ = false;
  at_end_ = false;
}

int TTDEDataSet::LocateCurrent() {
  const int32_t record_no = BufferRecordNo(*current_);
  const int count = static_cast<int>(record_list_.size());
  if (position_ >= 0 && position_ < count &&
      record_list_[static_cast<size_t>(position_)].RecordNo == record_no)
    return position_;
  for (int i = 0; i < count; ++i) {
    if (record_list_[static_cast<size_t>(i)].RecordNo == record_no) return i;
  }
  DataSetError(kBookmarkNotFound);
}

int TTDEDataSet::FindCurrent() const {
  const int count = static_cast<int>(record_list_.size());
  if (current_ == nullptr || count == 0) return -1;
  const int32_t record_no = BufferRecordNo(*current_);
  if (position_ >= 0 && position_ < count &&
      record_list_[static_cast<size_t>(position_)].RecordNo == record_no)
    return position_;
  for (int i = 0; i < count; ++i) {
    if (record_list_[static_cast<size_t>(i)].RecordNo == record_no) return i;
  }
  return -1;
}

void TTDEDataSet::RestoreCurrent() noexcept {
  try {
    if (position_ >= 0 && position_ < static_cast<int>(record_list_.size())) {
      ReadRecordAt(position_, *current_);
    } else {
      ResyncCurrent();
    }
  } catch (...) {
    // The error that ended the walk is the one to report.
  }
}

void TTDEDataSet::Scrolled() {
  Raise(AfterScroll);
  NotifyDataSources(TDataEvent::RecordChanged);
}

void TTDEDataSet::NotifyDataSources(TDataEvent event, TField* field) {
  if (data_sources_.empty()) return;
  // A handler may add or remove sources: walk a copy.
  const std::vector<TDataSource*> sources = data_sources_;
  for (TDataSource* source : sources) {
    if (std::find(data_sources_.begin(), data_sources_.end(), source) != data_sources_.end())
      source->DataEvent(event, field);
  }
}

void TTDEDataSet::GoFirst() {
  CheckActive();
  CheckBrowseMode();
  Raise(BeforeScroll);
  position_ = -1;
  Fetch(gmNext, false);
  at_beginning_ = true;
  at_end_ = record_list_.empty();
  Scrolled();
}

void TTDEDataSet::GoLast() {
  CheckActive();
  CheckBrowseMode();
  Raise(BeforeScroll);
  position_ = static_cast<int>(record_list_.size());
  Fetch(gmPrior, false);
  if (record_list_.empty()) position_ = -1;
  at_end_ = true;
  at_beginning_ = record_list_.empty();
  Scrolled();
}

void TTDEDataSet::GoNext() {
  CheckActive();
  CheckBrowseMode();
  Raise(BeforeScroll);
  if (at_end_) return;
  at_beginning_ = false;
  if (Fetch(gmNext, false) == grEOF) at_end_ = true;
  Scrolled();
}

void TTDEDataSet::GoPrior() {
  CheckActive();
  CheckBrowseMode();
  Raise(BeforeScroll);
  if (at_beginning_) return;
  at_end_ = false;
  if (Fetch(gmPrior, false) == grBOF) at_beginning_ = true;
  Scrolled();
}

int32_t TTDEDataSet::RecordNumber() const {
  CheckActive();
  if (position_ == -1 && !record_list_.empty()) return 1;
  return position_ + 1;
}

void TTDEDataSet::SetRecordNumber(int32_t n) {
  CheckActive();
  CheckBrowseMode();
  if (n < 0 || n > VisibleCount() || n == RecordNumber()) return;
  Raise(BeforeScroll);
  position_ = n - 1;
  ResyncCurrent();
  Scrolled();
}

int32_t TTDEDataSet::VisibleCount() const {
  CheckActive();
  return static_cast<int32_t>(record_list_.size());
}

std::optional<int32_t> TTDEDataSet::SaveBookmark() {
  CheckActive();
  if (state_ == dsInsert || record_list_.empty()) return std::nullopt;
  return BufferRecordNo(*current_);
}

void TTDEDataSet::ReturnToBookmark(int32_t bookmark) {
  CheckActive();
  CheckBrowseMode();
  Raise(BeforeScroll);
  const int count = static_cast<int>(record_list_.size());
  int found = -1;
  for (int i = 0; i < count; ++i) {
    if (record_list_[static_cast<size_t>(i)].RecordNo == bookmark) {
      found = i;
      break;
    }
  }
  if (found < 0) DataSetError(kBookmarkNotFound);
  position_ = found;
  ReadRecordAt(position_, *current_);
  at_beginning_ = false;
  at_end_ = false;
  Scrolled();
}

}  // namespace tinydb
