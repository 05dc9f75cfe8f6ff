// The cursor's filter: the test a record passes, narrowing the cursor list
// to the records that pass it, and the match seeks that walk the list to
// the next record that passes without narrowing it.
#include <cstring>

#include "tables/DataSet.h"
#include "tables/Session.h"
#include "tables/WaitCursor.h"

namespace tinydb {

// ---- What the filter parser reads ----
// The parser keeps the pointers FieldData hands out from one compilation
// to the next, so every record under test is read into the same buffer:
// the current record's buffer (see ApplyFilter and SeekMatch).

std::string TTDEDataSet::ComponentName() const { return Name(); }

int TTDEDataSet::FindFieldIndex(const std::string& name) const {
  const TField* field = FindField(name);
  if (field == nullptr) return -1;
  for (size_t i = 0; i < fields_.size(); ++i) {
    if (fields_[i].get() == field) return static_cast<int>(i);
  }
  return -1;
}

int TTDEDataSet::FieldDataType(int field_index) const { return Fields(field_index)->FieldType(); }

bool TTDEDataSet::FieldIsBlob(int field_index) const { return Fields(field_index)->IsBlob(); }

const uint8_t* TTDEDataSet::FieldData(int field_index) {
  static const uint8_t kNoValue[16] = {};
  const TField* field = Fields(field_index);
  TRecordBuffer* buffer = filter_buffer_ != nullptr ? filter_buffer_ : current_.get();
  if (buffer == nullptr) return kNoValue;
  size_t offset;
  if (field->calculated_) {
    offset = static_cast<size_t>(data_area_size_ + field->offset_ + 1);  // after the null byte
  } else if (field->field_no_ > 0) {
    offset = static_cast<size_t>(field_offsets_[static_cast<size_t>(field->field_no_ - 1)]);
  } else {
    return kNoValue;
  }
  return buffer->Bytes.data() + offset;
}

void TTDEDataSet::ReadBlobText(int field_index, std::string* text) {
  TOptimBlobStream* stream = FieldBlobStream(Fields(field_index));
  if (stream == nullptr) {
    text->clear();
    return;
  }
  const int64_t size = stream->Size();  // loads the value on first use
  if (size <= 0) {
    text->clear();
    return;
  }
  text->assign(reinterpret_cast<const char*>(stream->Memory()), static_cast<size_t>(size));
}

std::string_view TTDEDataSet::BlobText(int field_index, std::string* /*scratch*/) {
  TOptimBlobStream* stream = FieldBlobStream(Fields(field_index));
  return stream != nullptr ? stream->View() : std::string_view();
}

// ---- The filter test ----

namespace {

// Whether compiling |text| again always gives the same tree: it names no
// clock (GETDATE) and holds no digits, so no number, date or time whose
// reading depends on the locale settings or the current year.
bool CompilesAlike(const std::string& text) {
  std::string upper;
  upper.reserve(text.size());
  for (const char c : text) {
    if (c >= '0' && c <= '9') return false;
    upper.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c);
  }
  return upper.find("GETDATE") == std::string::npos;
}

}  // namespace

void TTDEDataSet::CompileFilter() {
  if (filter_.empty()) return;
  // The tree's field values point into the current buffer, which stays
  // while the cursor is open (the layout forgets reusable_filter_ at every
  // opening).
  if (!reusable_filter_.empty() && reusable_filter_ == filter_ && filter_parser_->Compiled())
    return;
  reusable_filter_.clear();
  filter_parser_->Compile(filter_);
  if (CompilesAlike(filter_)) reusable_filter_ = filter_;
}

bool TTDEDataSet::RecordPassesFilter() {
  bool accept = true;
  if (OnFilterRecord) OnFilterRecord(*this, accept);
  if (accept && !filter_.empty()) accept = filter_parser_->Evaluate(filter_options_);
  return accept;
}

// ---- Filter, FilterOptions, Filtered ----

void TTDEDataSet::SetFilter(const std::string& text) { ChangeFilter(text, filter_options_); }

void TTDEDataSet::SetFilterOptions(TFilterOptions options) { ChangeFilter(filter_, options); }

void TTDEDataSet::ChangeFilter(const std::string& text, TFilterOptions options) {
  bool changed = false;
  if (Active()) {
    CheckBrowseMode();
    reusable_filter_.clear();
    if (!text.empty()) filter_parser_->Compile(text);
    changed = text != filter_ || options != filter_options_;
  }
  std::string previous = filter_;
  filter_ = text;
  filter_options_ = options;
  if (!changed || !filtered_) return;
  try {
    DropFilter();
    ApplyFilter();
  } catch (...) {
    filter_ = std::move(previous);
    throw;
  }
}

void TTDEDataSet::SetFiltered(bool on) {
  if (!Active()) {
    filtered_ = on;
    return;
  }
  CheckBrowseMode();
  if (on != filtered_) {
    if (on) {
      ApplyFilter();
    } else {
      DropFilter();
    }
    filtered_ = on;
  }
  GoFirst();
}

void TTDEDataSet::ApplyFilter() {
  CheckActive();
  const int remembered = position_;
  {
    TWaitCursorScope wait(Session().SQLHourGlass());
    try {
      TTempState filtering(*this, dsFilter, current_.get());
      CompileFilter();
      const int count = static_cast<int>(record_list_.size());
      TRecordList accepted;
      accepted.reserve(record_list_.size());
      for (int i = 0; i < count; ++i) {
        position_ = i;
        ReadRecordAt(i, *current_);
        if (RecordPassesFilter()) accepted.push_back(record_list_[static_cast<size_t>(i)]);
        if (OnFilterProgress)
          OnFilterProgress(this, static_cast<int>(static_cast<int64_t>(i) * 100 / count));
      }
      record_list_.swap(accepted);
      filter_active_ = true;
    } catch (...) {
      // The list was not touched: back to the record that was current.
      position_ = remembered;
      RestoreCurrent();
      throw;
    }
  }
  position_ = -1;
  GoFirst();
}

void TTDEDataSet::DropFilter() {}

// ---- Match seeks ----

bool TTDEDataSet::SeekFirstMatch() { return SeekMatch(true, true); }

bool TTDEDataSet::SeekLastMatch() { return SeekMatch(false, true); }

bool TTDEDataSet::SeekNextMatch() { return SeekMatch(true, false); }

bool TTDEDataSet::SeekPriorMatch() { return SeekMatch(false, false); }

bool TTDEDataSet::SeekMatch(bool forward, bool restart) {
  CheckActive();
  CheckBrowseMode();
  Raise(BeforeScroll);
  const int count = static_cast<int>(record_list_.size());
  const int place = FindCurrent();
  if (place >= 0) position_ = place;

  CompileFilter();
  const int remembered = position_;
  bool found = false;
  try {
    TTempState filtering(*this, dsFilter, current_.get());
    const int step = forward ? 1 : -1;
    int p = forward ? (restart ? 0 : position_ + 1) : (restart ? count - 1 : position_ - 1);
    for (; p >= 0 && p < count; p += step) {
      position_ = p;
      ReadRecordAt(p, *current_);
      if (RecordPassesFilter()) {
        found = true;
        break;
      }
    }
  } catch (...) {
    position_ = remembered;
    RestoreCurrent();
    throw;
  }
  if (!found) position_ = remembered;
  if (count == 0) return false;
  // A match was read into the current buffer a moment ago and the filter
  // only read it: reading it again would give the same bytes. A handler or
  // calculated fields may have touched the buffer, so then it is re-read.
  if (!found || OnFilterRecord || HasCalculatedFields()) Fetch(gmCurrent, true);
  if (!found) return false;
  at_beginning_ = false;
  at_end_ = false;
  Scrolled();
  return true;
}

}  // namespace tinydb
