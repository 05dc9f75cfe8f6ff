// Index upkeep of table storage: unique checks, linking records into the
// sort chains and record lists of every index, and translating positions
// between record lists.
#include <algorithm>
#include <cstring>

#include "platform/Errors.h"
#include "storage/TableIO.h"

namespace tinydb {

namespace {

constexpr char kKeyTaken[] = "Invalid unique field value '%s'";

bool IsUniqueIndex(const TTinyIndexDef& def) {
  return (def.Options & (tiPrimary | tiUnique)) != 0;
}

}  // namespace

std::string TTinyTableIO::KeyText(TFieldBuffers& buffers, int index_no) const {
  std::string text;
  const TTinyIndexDef& def = index_defs_[static_cast<size_t>(index_no)];
  for (size_t k = 0; k < def.FieldNumbers.size(); ++k) {
    if (k > 0) text += ",";
    text += buffers.Items(def.FieldNumbers[k]).AsText();
  }
  return text;
}

// |own_pos|: position in list 0 of the record being updated, or -1.
void TTinyTableIO::CheckUnique(TFieldBuffers& buffers, int own_pos,
                               std::vector<TSearchResult>* searches,
                               const std::vector<char>* kept_keys) {
  RequireBuffers(buffers);
  if (searches != nullptr)
    searches->assign(index_defs_.size(), TSearchResult{kNotSearched, TSearchOutcome::EmptyList});
  for (int i = 0; i < static_cast<int>(index_defs_.size()); ++i) {
    if (!IsUniqueIndex(index_defs_[static_cast<size_t>(i)])) continue;
    if (kept_keys != nullptr && (*kept_keys)[static_cast<size_t>(i)] != 0) continue;
    const TSearchResult found = FindAnyMatch(ListOf(i), buffers, i, 0, false);
    if (searches != nullptr) (*searches)[static_cast<size_t>(i)] = found;
    if (found.Outcome != TSearchOutcome::Equal) continue;
    if (own_pos >= 0 && TranslatePosition(i, found.Position, -1) == own_pos) continue;
    throw EDatabaseError(FormatMessage(kKeyTaken, KeyText(buffers, i)));
  }
}

void TTinyTableIO::FindKeptKeys(TFieldBuffers& buffers, const uint8_t* old_plain,
                                std::vector<char>& kept) {
  kept.assign(index_defs_.size(), 0);
  std::vector<uint8_t>& plain = field_plain_;
  for (size_t i = 0; i < index_defs_.size(); ++i) {
    bool same = true;
    for (int field_no : index_defs_[i].FieldNumbers) {
      if (field_no < 0 || static_cast<size_t>(field_no) >= field_defs_.size()) {
        same = false;
        break;
      }
      const TFieldBufferItem& item = buffers.Items(field_no);
      const size_t f = static_cast<size_t>(field_no);
      if (IsBlobFieldType(field_defs_[f].FieldType) || !item.Active || item.Buffer == nullptr) {
        same = false;
        break;
      }
      const size_t width = static_cast<size_t>(field_widths_[f]);
      plain.resize(width);
      PlainFixedField(item, field_no, plain.data());
      if (std::memcmp(plain.data(), old_plain + field_offsets_[f], width) != 0) {
        same = false;
        break;
      }
    }
    kept[i] = same ? 1 : 0;
  }
}

void TTinyTableIO::InsertIntoIndexes(TFieldBuffers& buffers, int32_t data_pos, int32_t k,
                                     const TOnAdjust& on_adjust,
                                     const std::vector<TSearchResult>* searches) {
  const TRecordListEntry entry{data_pos, k};
  if (on_adjust) on_adjust(-1, -1, -1, &entry);
  for (int i = 0; i < static_cast<int>(index_defs_.size()); ++i) {
    TRecordList& list = ListOf(i);
    const bool searched = searches != nullptr && static_cast<size_t>(i) < searches->size() &&
                          (*searches)[static_cast<size_t>(i)].Position != kNotSearched;
    const int d = searched ? InsertionPositionFrom((*searches)[static_cast<size_t>(i)])
                           : InsertionPosition(list, buffers, i);
    if (on_adjust) on_adjust(i, d, -1, &entry);
    list.insert(list.begin() + d, entry);

    TIndexDefEntry& def = header_->IndexDefs[static_cast<size_t>(i)];
    if (k % kTabChunkItems == 0) {
      const int32_t chunk_pos =
          AppendTabChunk(index_tab_chunks_[static_cast<size_t>(i)], kIndexTabChunkSize, nullptr);
      if (k == 0) {
        def.IndexTabPos = chunk_pos;
        WriteHeader();
      }
    }

    if (k == 0) {
      // ChainHead already names record 0.
      WriteIndexItem(i, TIndexTabItem{0, -1});
    } else if (d == 0) {
      WriteIndexItem(i, TIndexTabItem{k, def.ChainHead});
      def.ChainHead = k;
      WriteHeader();
    } else {
      const TRecordList& view = list;  // read-only: keeps the map of places
      TIndexTabItem before = ReadIndexItem(i, view[static_cast<size_t>(d - 1)].RecordNo);
      WriteIndexItem(i, TIndexTabItem{k, before.Next});
      before.Next = k;
      WriteIndexItem(i, before);
    }
  }
}

void TTinyTableIO::RepositionInIndexes(TFieldBuffers& buffers, int pos,
                                       const TOnAdjust& on_adjust,
                                       const std::vector<char>* kept_keys) {
  const std::vector<int> old_pos = PositionsInIndexes(pos);
  for (int i = 0; i < static_cast<int>(old_pos.size()); ++i) {
    const int old = old_pos[static_cast<size_t>(i)];
    if (old < 0) continue;
    if (kept_keys != nullptr && (*kept_keys)[static_cast<size_t>(i)] != 0 &&
        IsUniqueIndex(index_defs_[static_cast<size_t>(i)]))
      continue;
    TRecordList& list = ListOf(i);
    // Read-only access keeps the list's map of record places.
    const TRecordList& view = list;
    const TRecordListEntry moved = view[static_cast<size_t>(old)];
    // The insertion position among the other entries: the halving search
    // over the list as it would be without the record, which stays put.
    int j = 0;
    {
      int low = 0;
      int high = static_cast<int>(view.size()) - 2;
      while (low <= high) {
        const int mid = (low + high) / 2;
        const size_t at = static_cast<size_t>(mid < old ? mid : mid + 1);
        const int c = CompareKeyRecord(buffers, view[at], i, 0, false);
        if (c == 0) {
          j = mid + 1;
          break;
        }
        if (c < 0) {
          j = mid;
          high = mid - 1;
        } else {
          j = mid + 1;
          low = mid + 1;
        }
      }
    }
    // |to| counts in the list that still holds the record at |old|.
    const int to = old < j ? j + 1 : j;
    if (to == old) continue;

    if (on_adjust) on_adjust(i, old, to, nullptr);
    TIndexDefEntry& def = header_->IndexDefs[static_cast<size_t>(i)];
    TIndexTabItem item = ReadIndexItem(i, moved.RecordNo);
    if (old == 0) {
      def.ChainHead = item.Next;
      WriteHeader();
    } else {
      TIndexTabItem before = ReadIndexItem(i, view[static_cast<size_t>(old - 1)].RecordNo);
      before.Next = item.Next;
      WriteIndexItem(i, before);
    }
    if (to == 0) {
      item.Next = def.ChainHead;
      def.ChainHead = moved.RecordNo;
      WriteIndexItem(i, item);
      WriteHeader();
    } else {
      TIndexTabItem before = ReadIndexItem(i, view[static_cast<size_t>(to - 1)].RecordNo);
      item.Next = before.Next;
      before.Next = moved.RecordNo;
      WriteIndexItem(i, before);
      WriteIndexItem(i, item);
    }
    list.Move(static_cast<size_t>(old), static_cast<size_t>(j));
  }
}

void TTinyTableIO::RemoveFromIndexes(int pos) {
  const std::vector<int> old_pos = PositionsInIndexes(pos);
  for (int i = 0; i < static_cast<int>(old_pos.size()); ++i) {
    const int old = old_pos[static_cast<size_t>(i)];
    if (old < 0) continue;
    TRecordList& list = ListOf(i);
    list.erase(list.begin() + old);
  }
}

std::vector<int> TTinyTableIO::PositionsInIndexes(int pos) {
  std::vector<int> positions(index_defs_.size());
  for (size_t i = 0; i < positions.size(); ++i)
    positions[i] = TranslatePosition(-1, pos, static_cast<int>(i));
  return positions;
}

int TTinyTableIO::PhysicalPosition(const TRecordList& list, int pos) {
  if (pos < 0 || static_cast<size_t>(pos) >= list.size()) return -1;
  const int32_t record_no = list[static_cast<size_t>(pos)].RecordNo;
  const TRecordList& physical = GetRecordList(0);
  int lo = 0;
  int hi = static_cast<int>(physical.size()) - 1;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    const int32_t at = physical[static_cast<size_t>(mid)].RecordNo;
    if (at < record_no)
      lo = mid + 1;
    else if (at == record_no)
      return mid;
    else
      hi = mid - 1;
  }
  return -1;
}

int TTinyTableIO::TranslatePosition(int from, int pos, int to) {
  const TRecordList& source = ListOf(from);
  if (pos < 0 || static_cast<size_t>(pos) >= source.size()) return -1;
  if (from == to) return pos;
  if (to == -1) return PhysicalPosition(source, pos);
  return ListOf(to).IndexOfRecord(source[static_cast<size_t>(pos)].RecordNo);
}

int TTinyTableIO::PositionInList(int index_no, int pos, const TRecordList& target) {
  const TRecordList& source = ListOf(index_no);
  if (pos < 0 || static_cast<size_t>(pos) >= source.size()) return -1;
  if (&target == &source) return pos;
  return target.IndexOfRecord(source[static_cast<size_t>(pos)].RecordNo);
}

int TTinyTableIO::PrimaryIndexNo() const {
  for (size_t i = 0; i < index_defs_.size(); ++i)
    if ((index_defs_[i].Options & tiPrimary) != 0) return static_cast<int>(i);
  return -1;
}

}  // namespace tinydb
