// Record lists keep the exact order a plain vector would, through any mix
// of positional inserts and erases across block boundaries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "storage/RecordList.h"

namespace tinydb {
namespace {

std::vector<TRecordListEntry> Entries(const TRecordList& list) {
  return std::vector<TRecordListEntry>(list.begin(), list.end());
}

// Applies the same random edits to a record list and to a vector and
// compares them after every step.
TEST(RecordListTest, FollowsAVectorThroughRandomEdits) {
  struct Case {
    int steps;
    int erase_percent;  // share of erases among the edits
    bool at_ends;       // edits only at the front and the back
  };
  const Case cases[] = {{4000, 10, false}, {4000, 45, false}, {3000, 30, true}};
  for (const Case& c : cases) {
    std::mt19937 random(static_cast<uint32_t>(c.steps + c.erase_percent));
    TRecordList list;
    std::vector<TRecordListEntry> model;
    int32_t next = 0;
    for (int step = 0; step < c.steps; ++step) {
      const bool erase = !model.empty() && static_cast<int>(random() % 100) < c.erase_percent;
      size_t pos = model.empty() ? 0 : random() % (model.size() + (erase ? 0 : 1));
      if (c.at_ends) pos = random() % 2 == 0 ? 0 : model.size() - (erase ? 1 : 0);
      if (erase) {
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(pos));
        model.erase(model.begin() + static_cast<std::ptrdiff_t>(pos));
      } else {
        const TRecordListEntry entry{next * 10, next};
        ++next;
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(pos), entry);
        model.insert(model.begin() + static_cast<std::ptrdiff_t>(pos), entry);
      }
      ASSERT_EQ(list.size(), model.size()) << "step " << step;
      // A full comparison now and then; the edited neighbourhood always.
      if (step % 97 == 0) {
        ASSERT_EQ(Entries(list), model) << "step " << step;
      }
      for (size_t k = pos > 2 ? pos - 2 : 0; k < std::min(model.size(), pos + 3); ++k)
        ASSERT_EQ(list[k], model[k]) << "step " << step << " at " << k;
    }
    EXPECT_EQ(Entries(list), model);
    for (size_t k = 0; k < model.size(); k += 37)
      EXPECT_EQ(list.IndexOfRecord(model[k].RecordNo), static_cast<int>(k));
    EXPECT_EQ(list.IndexOfRecord(-5), -1);
  }
}

// Finding a record's position interleaved with edits of every kind,
// including entries rewritten in place and record numbers listed twice,
// always names the first entry a scan would.
TEST(RecordListTest, FindsTheFirstEntryOfARecordAcrossEdits) {
  std::mt19937 random(11);
  TRecordList list;
  std::vector<TRecordListEntry> model;
  auto first_of = [&](int32_t r) {
    for (size_t k = 0; k < model.size(); ++k)
      if (model[k].RecordNo == r) return static_cast<int>(k);
    return -1;
  };
  int32_t next = 0;
  for (int step = 0; step < 3000; ++step) {
    const int kind = static_cast<int>(random() % 10);
    const size_t pos = model.empty() ? 0 : random() % model.size();
    if (kind < 4 || model.empty()) {
      const TRecordListEntry entry{next, next};
      ++next;
      list.insert(list.begin() + static_cast<std::ptrdiff_t>(pos), entry);
      model.insert(model.begin() + static_cast<std::ptrdiff_t>(pos), entry);
    } else if (kind < 6) {
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(pos));
      model.erase(model.begin() + static_cast<std::ptrdiff_t>(pos));
    } else if (kind == 6) {
      // Rewritten in place, at times to a record listed elsewhere.
      const int32_t r = static_cast<int32_t>(random() % static_cast<uint32_t>(next + 1));
      list[pos].RecordNo = r;
      model[pos].RecordNo = r;
    } else if (kind == 7) {
      list.push_back(model[pos]);  // a second entry for a listed record
      model.push_back(model[pos]);
    }
    const int32_t probe = static_cast<int32_t>(random() % static_cast<uint32_t>(next + 2)) - 1;
    ASSERT_EQ(list.IndexOfRecord(probe), first_of(probe)) << "step " << step;
    if (!model.empty()) {
      const int32_t listed = model[random() % model.size()].RecordNo;
      ASSERT_EQ(list.IndexOfRecord(listed), first_of(listed)) << "step " << step;
    }
  }
}

// Moving an entry (an index update that changes a record's place) keeps
// the order a vector would and every record's position right, whether the
// list names each record once or one record twice.
TEST(RecordListTest, MovesKeepPositionsRight) {
  for (const bool twice : {false, true}) {
    std::mt19937 random(twice ? 5 : 3);
    std::vector<TRecordListEntry> model;
    for (int32_t r = 0; r < 2500; ++r) model.push_back({r * 8, r});
    std::shuffle(model.begin(), model.end(), random);
    if (twice) model.push_back(model[700]);
    TRecordList list(model.begin(), model.end());
    auto first_of = [&](int32_t r) {
      for (size_t k = 0; k < model.size(); ++k)
        if (model[k].RecordNo == r) return static_cast<int>(k);
      return -1;
    };
    for (int step = 0; step < 1500; ++step) {
      const size_t from = random() % model.size();
      // Near moves (within a run of equal keys) and far ones.
      const size_t to = step % 3 == 0 ? random() % model.size()
                                      : std::min(model.size() - 1, from + random() % 40);
      list.Move(from, to);
      const TRecordListEntry moved = model[from];
      model.erase(model.begin() + static_cast<std::ptrdiff_t>(from));
      model.insert(model.begin() + static_cast<std::ptrdiff_t>(to), moved);
      const int32_t probe = static_cast<int32_t>(random() % 2600);
      ASSERT_EQ(list.IndexOfRecord(probe), first_of(probe)) << "step " << step;
      ASSERT_EQ(list.IndexOfRecord(moved.RecordNo), first_of(moved.RecordNo)) << "step " << step;
    }
    EXPECT_EQ(Entries(list), model);
    for (size_t k = 0; k < model.size(); ++k)
      ASSERT_EQ(list.IndexOfRecord(model[k].RecordNo), first_of(model[k].RecordNo)) << "at " << k;
  }
}

TEST(RecordListTest, CopiesSwapsAndShrinksKeepTheEntries) {
  TRecordList list;
  for (int32_t k = 0; k < 1500; ++k) list.insert(list.begin() + k / 2, {k, k});
  const std::vector<TRecordListEntry> expected = Entries(list);

  TRecordList copy = list;
  EXPECT_TRUE(copy == list);
  copy.erase(copy.begin());
  EXPECT_FALSE(copy == list);

  TRecordList other;
  other.push_back({7, 7});
  other.swap(list);
  EXPECT_EQ(Entries(other), expected);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list.back().RecordNo, 7);

  while (other.size() > 600) other.erase(other.end() - 1);
  other.shrink_to_fit();
  EXPECT_EQ(Entries(other), std::vector<TRecordListEntry>(expected.begin(), expected.begin() + 600));
  other.push_back({-1, -1});
  EXPECT_EQ(other.back().RecordNo, -1);

  TRecordList range;
  range.assign(other.begin() + 10, other.begin() + 20);
  EXPECT_EQ(Entries(range), std::vector<TRecordListEntry>(expected.begin() + 10, expected.begin() + 20));
  range.clear();
  EXPECT_TRUE(range.empty());
  EXPECT_EQ(range.begin(), range.end());
}

}  // namespace
}  // namespace tinydb
