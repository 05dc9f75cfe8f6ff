// Index upkeep: sort chains and record lists in key order through appends,
// updates and deletes, unique checks, position translation and the halving
// searches; ends with a long random mix checked against a model.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/storage/TableFixture.h"
#include "platform/Errors.h"
#include "storage/DatabaseWriter.h"
#include "storage/TableIO.h"
#include "support/DatabaseSettings.h"

namespace tinydb {
namespace {

using test::HeaderInImage;
using test::RecordNumbers;
using test::TFakeHost;
using test::Throws;
using test::TRecordValues;
using test::WalkChain;

// drinks: id, name, kind. Indexes: 0 byId (primary), 1 byName (unique,
// case-insensitive), 2 byKind, 3 byKindDown (descending).
constexpr int kId = 0, kName = 1, kKind = 2;
constexpr int kById = 0, kByName = 1, kByKind = 2, kByKindDown = 3;

std::vector<TTableDefinition> Tables() {
  return {
      {"drinks",
       {{"id", ftInteger}, {"name", ftString, 20}, {"kind", ftInteger}},
       {{"byId", {"id"}, tiPrimary},
        {"byName", {"name"}, tiUnique | tiCaseInsensitive},
        {"byKind", {"kind"}, 0},
        {"byKindDown", {"kind"}, tiDescending}}},
      {"pairs", {{"a", ftInteger}, {"b", ftString, 5}}, {{"ab", {"a", "b"}, tiUnique}}},
  };
}

struct TAdjustCall {
  int index_no, a, b;
  int32_t record_no;  // -1 without an entry
  bool operator==(const TAdjustCall&) const = default;
};

struct Drinks : ::testing::Test {
  TFakeHost host{TDatabaseSettings{}, Tables()};
  TTinyTableIO drinks{&host, "drinks"};
  std::vector<TAdjustCall> calls;
  TOnAdjust record = [this](int index_no, int a, int b, const TRecordListEntry* entry) {
    calls.push_back({index_no, a, b, entry != nullptr ? entry->RecordNo : -1});
  };

  void SetUp() override { drinks.Open(); }

  TRecordValues Values(int32_t id, const std::string& name, int32_t kind) {
    TRecordValues values(drinks, &host);
    values.SetInt(kId, id).SetText(kName, name).SetInt(kKind, kind);
    return values;
  }
  void Append(int32_t id, const std::string& name, int32_t kind) {
    TRecordValues values = Values(id, name, kind);
    drinks.AppendRecord(values.Buffers(), false, record);
  }
  void Update(int pos, int32_t id, const std::string& name, int32_t kind) {
    TRecordValues values = Values(id, name, kind);
    drinks.UpdateRecord(values.Buffers(), pos, false, record);
  }
  std::vector<int32_t> List(int index_no) { return RecordNumbers(drinks.GetRecordList(index_no + 1)); }
  std::vector<int32_t> Chain(int index_no) { return WalkChain(host.Bytes(), 0, index_no); }
  TIndexTabItem Item(int index_no, int32_t k) {
    TIndexTabItem item;
    item.DecodeFrom(&host.Bytes()[drinks.IndexTabChunks(index_no)[0] + 4 + k * kIndexTabItemSize]);
    return item;
  }
  TSearchResult Find(int index_no, int32_t kind, bool boundary = false, bool first = true) {
    TRecordValues key = Values(0, "", kind);
    const TRecordList& list = drinks.GetRecordList(index_no + 1);
    return boundary ? drinks.FindBoundary(list, key.Buffers(), index_no, 0, false, first)
                    : drinks.FindAnyMatch(list, key.Buffers(), index_no, 0, false);
  }
};

TEST_F(Drinks, FirstRecordTopsEveryIndex) {
  Append(1, "gin fizz", 4);
  const int32_t data_pos = drinks.GetRecordList(0)[0].DataPos;
  const TTableHeader header = HeaderInImage(host.Bytes(), 0);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(List(i), (std::vector<int32_t>{0}));
    EXPECT_EQ(header.IndexDefs[i].ChainHead, 0);
    EXPECT_EQ(header.IndexDefs[i].IndexTabPos, drinks.IndexTabChunks(i)[0]);
    EXPECT_EQ(Item(i, 0).RecordNo, 0);
    EXPECT_EQ(Item(i, 0).Next, -1);
  }
  // Index tab chunks follow the record image and its blobs, one per index.
  EXPECT_EQ(drinks.IndexTabChunks(0)[0], data_pos + drinks.RecordSize());
  EXPECT_EQ(drinks.IndexTabChunks(3)[0], data_pos + drinks.RecordSize() + 3 * kIndexTabChunkSize);
  EXPECT_EQ(calls, (std::vector<TAdjustCall>{
                       {-1, -1, -1, 0}, {0, 0, -1, 0}, {1, 0, -1, 0}, {2, 0, -1, 0}, {3, 0, -1, 0}}));
}

TEST_F(Drinks, ListsAndChainsFollowKeyOrder) {
  const int32_t kinds[] = {5, 3, 8, 3, 1};
  const char* names[] = {"Negroni", "bellini", "Zombie", "americano", "Mojito"};
  for (int k = 0; k < 5; ++k) Append(10 - k, names[k], kinds[k]);

  EXPECT_EQ(List(kById), (std::vector<int32_t>{4, 3, 2, 1, 0}));
  EXPECT_EQ(List(kByName), (std::vector<int32_t>{3, 1, 4, 0, 2}));  // letter case ignored
  EXPECT_EQ(List(kByKind), (std::vector<int32_t>{4, 1, 3, 0, 2}));
  EXPECT_EQ(List(kByKindDown), (std::vector<int32_t>{2, 0, 1, 3, 4}));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Chain(i), List(i)) << "index " << i;
}

TEST_F(Drinks, UniqueIndexesRefuseTakenKeysBeforeWriting) {
  Append(1, "gin", 1);
  const std::vector<uint8_t> before = host.Bytes();
  struct Case {
    int32_t id;
    std::string name, message;
  };
  const Case cases[] = {
      {2, "GIN", "Invalid unique field value 'GIN'"},  // case-insensitive index
      {1, "rum", "Invalid unique field value '1'"},    // primary
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Throws([&] { Append(c.id, c.name, 1); }), c.message);
    EXPECT_EQ(host.Bytes(), before);
    EXPECT_EQ(drinks.GetRecordList(0).size(), 1u);
    EXPECT_EQ(drinks.Header().RecordCount, 1);
  }

  // Several key fields are named in index order, joined by ",".
  TTinyTableIO pairs(&host, "pairs");
  pairs.Open();
  auto add_pair = [&](int32_t a, const std::string& b) {
    TRecordValues values(pairs, &host);
    values.SetInt(0, a).SetText(1, b);
    pairs.AppendRecord(values.Buffers(), false, nullptr);
  };
  add_pair(3, "xy");
  add_pair(3, "xz");
  EXPECT_EQ(Throws([&] { add_pair(3, "xy"); }), "Invalid unique field value '3,xy'");
}

TEST_F(Drinks, UpdateKeepsOwnKeyAndRefusesAnothers) {
  Append(1, "gin", 1);
  Append(2, "rum", 2);
  Update(0, 1, "GIN", 1);  // its own key, in other letters
  const std::vector<uint8_t> before = host.Bytes();
  EXPECT_EQ(Throws([&] { Update(0, 2, "gin", 1); }), "Invalid unique field value '2'");
  EXPECT_EQ(Throws([&] { Update(0, 1, "Rum", 1); }), "Invalid unique field value 'Rum'");
  EXPECT_EQ(host.Bytes(), before);
}

TEST_F(Drinks, UpdateThatKeepsItsPlaceWritesNoIndexItem) {
  Append(1, "a", 1);
  Append(2, "b", 5);
  Append(3, "c", 9);
  calls.clear();
  auto index_tabs = [&] {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 4; ++i) {
      const int32_t chunk = drinks.IndexTabChunks(i)[0];
      bytes.insert(bytes.end(), host.Bytes().begin() + chunk,
                   host.Bytes().begin() + chunk + kIndexTabChunkSize);
    }
    return bytes;
  };
  const std::vector<uint8_t> tabs = index_tabs();
  const TTableHeader header = HeaderInImage(host.Bytes(), 0);

  Update(1, 2, "b", 5);  // same key
  Update(1, 2, "B", 6);  // changed keys, same neighbours
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(index_tabs(), tabs);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(HeaderInImage(host.Bytes(), 0).IndexDefs[i].ChainHead, header.IndexDefs[i].ChainHead);
  TRecordValues back(drinks, &host);
  drinks.ReadRecord(back.Buffers(), drinks.GetRecordList(0), 1);
  EXPECT_EQ(back.Int(kKind), 6);
  EXPECT_EQ(back.Text(kName), "B");
}

TEST_F(Drinks, UpdateToTheFrontRewritesTheChainHead) {
  Append(1, "a", 1);
  Append(2, "b", 5);
  Append(3, "c", 9);
  calls.clear();
  Update(2, 3, "c", 0);  // kind 9 -> 0: first going up, last going down
  EXPECT_EQ(calls, (std::vector<TAdjustCall>{{kByKind, 2, 0, -1}, {kByKindDown, 0, 3, -1}}));
  EXPECT_EQ(List(kByKind), (std::vector<int32_t>{2, 0, 1}));
  EXPECT_EQ(List(kByKindDown), (std::vector<int32_t>{1, 0, 2}));
  const TTableHeader header = HeaderInImage(host.Bytes(), 0);
  EXPECT_EQ(header.IndexDefs[kByKind].ChainHead, 2);
  EXPECT_EQ(header.IndexDefs[kByKindDown].ChainHead, 1);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Chain(i), List(i)) << "index " << i;

  calls.clear();
  Update(0, 1, "a", 7);  // a move into the middle
  EXPECT_EQ(calls, (std::vector<TAdjustCall>{{kByKind, 1, 3, -1}, {kByKindDown, 1, 0, -1}}));
  EXPECT_EQ(List(kByKind), (std::vector<int32_t>{2, 1, 0}));
  EXPECT_EQ(List(kByKindDown), (std::vector<int32_t>{0, 1, 2}));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Chain(i), List(i)) << "index " << i;
}

TEST_F(Drinks, SearchesAmongDuplicates) {
  const int32_t kinds[] = {1, 2, 2, 2, 2, 2, 3};
  for (int k = 0; k < 7; ++k) Append(k, "n" + std::to_string(k), kinds[k]);

  struct Case {
    int32_t kind;
    bool boundary, first;
    int position;
    TSearchOutcome outcome;
  };
  const Case cases[] = {
      {2, false, false, 3, TSearchOutcome::Equal},  // the one the halving meets
      {2, true, true, 1, TSearchOutcome::Equal},
      {2, true, false, 5, TSearchOutcome::Equal},
      {0, false, false, 0, TSearchOutcome::KeyBefore},
      {9, false, false, 6, TSearchOutcome::KeyAfter},
      {0, true, true, 0, TSearchOutcome::KeyBefore},
      {9, true, false, 6, TSearchOutcome::KeyAfter},
  };
  for (const Case& c : cases) {
    const TSearchResult found = Find(kByKind, c.kind, c.boundary, c.first);
    EXPECT_EQ(found.Position, c.position) << c.kind << " " << c.boundary << c.first;
    EXPECT_EQ(found.Outcome, c.outcome) << c.kind << " " << c.boundary << c.first;
  }

  // A new equal key goes right after the entry at 3.
  const std::vector<int32_t> before = List(kByKind);
  calls.clear();
  Append(7, "n7", 2);
  std::vector<int32_t> expected = before;
  expected.insert(expected.begin() + 4, 7);
  EXPECT_EQ(List(kByKind), expected);
  EXPECT_EQ(calls[1 + kByKind], (TAdjustCall{kByKind, 4, -1, 7}));
  EXPECT_EQ(Find(kByKind, 2, true, false).Position, 6);
  EXPECT_EQ(Chain(kByKind), List(kByKind));

  // Descending: a key above all others goes first.
  TRecordValues top = Values(0, "", 100);
  EXPECT_EQ(drinks.InsertionPosition(drinks.GetRecordList(kByKindDown + 1), top.Buffers(), kByKindDown), 0);
  EXPECT_EQ(drinks.InsertionPosition(drinks.GetRecordList(kByKind + 1), top.Buffers(), kByKind), 8);
  const TRecordList empty;
  EXPECT_EQ(drinks.FindAnyMatch(empty, top.Buffers(), kByKind, 0, false).Outcome,
            TSearchOutcome::EmptyList);
  EXPECT_EQ(drinks.InsertionPosition(empty, top.Buffers(), kByKind), 0);
}

TEST_F(Drinks, PositionsTranslateBetweenLists) {
  const int32_t kinds[] = {5, 3, 8, 3, 1};
  for (int k = 0; k < 5; ++k) Append(k, "n" + std::to_string(k), kinds[k]);
  drinks.DeleteRecord(1, false);  // list 0: records 0, 2, 3, 4
  // byKind: 4 (1), 3 (3), 0 (5), 2 (8)
  EXPECT_EQ(List(kByKind), (std::vector<int32_t>{4, 3, 0, 2}));

  struct Case {
    int from, pos, to, result;
  };
  const Case cases[] = {
      {-1, 1, kByKind, 3},  {kByKind, 3, -1, 1},  {kByKind, 0, kByKindDown, 3},
      {-1, 2, -1, 2},       {kByKind, 4, -1, -1}, {-1, -1, kByKind, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(drinks.TranslatePosition(c.from, c.pos, c.to), c.result)
        << c.from << " " << c.pos << " " << c.to;

  const TRecordList& by_kind = drinks.GetRecordList(kByKind + 1);
  EXPECT_EQ(drinks.PhysicalPosition(by_kind, 0), 3);
  EXPECT_EQ(drinks.PhysicalPosition(by_kind, 9), -1);
  const TRecordList cursor_copy(by_kind.begin() + 1, by_kind.end());  // record 4 filtered out
  EXPECT_EQ(drinks.PositionInList(kByKind, 2, by_kind), 2);
  EXPECT_EQ(drinks.PositionInList(kByKind, 2, cursor_copy), 1);
  EXPECT_EQ(drinks.PositionInList(kByKind, 0, cursor_copy), -1);
}

// A long random mix of appends, updates and deletes on an encrypted,
// compressed table, checked against a model after a reload from scratch.
TEST(IndexUpkeepTest, RandomMixStaysInStepWithAModel) {
  TDatabaseSettings settings = test::CompressedEncrypted("Blowfish", 1, "mix");
  settings.VerifyWrites = true;
  const std::vector<TTableDefinition> tables = {
      {"mix",
       {{"id", ftInteger}, {"grp", ftString, 12}, {"body", ftMemo}},
       {{"byId", {"id"}, tiPrimary}, {"byGrp", {"grp"}, tiCaseInsensitive}}}};
  TFakeHost host(settings, tables);
  auto mix = std::make_unique<TTinyTableIO>(&host, "mix");
  mix->Open();

  struct Row {
    int32_t id;
    std::string grp, body;
  };
  std::map<int32_t, Row> model;  // by record number
  std::mt19937 rng(20030501);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const char* groups[] = {"alpha", "ALPHA", "Beta", "gamma", "Delta", "delta", "epsilon"};
  auto random_body = [&] { return std::string(static_cast<size_t>(pick(300)), static_cast<char>('a' + pick(3))); };
  auto values_of = [&](const Row& row) {
    auto values = std::make_unique<TRecordValues>(*mix, &host);
    values->SetInt(0, row.id).SetText(1, row.grp).SetBlob(2, row.body);
    return values;
  };
  auto id_taken = [&](int32_t id, int32_t except) {
    for (const auto& [k, row] : model)
      if (row.id == id && k != except) return true;
    return false;
  };

  int32_t next_record = 0;
  for (int op = 0; op < 2000; ++op) {
    const int kind = model.empty() ? 0 : pick(10);
    const Row row{pick(400), groups[pick(7)], random_body()};
    if (kind < 5) {
      auto values = values_of(row);
      if (id_taken(row.id, -1)) {
        EXPECT_THROW(mix->AppendRecord(values->Buffers(), false, nullptr), EDatabaseError);
        continue;
      }
      mix->AppendRecord(values->Buffers(), false, nullptr);
      model[next_record++] = row;
    } else {
      const int pos = pick(static_cast<int>(model.size()));
      const int32_t k = mix->GetRecordList(0)[static_cast<size_t>(pos)].RecordNo;
      if (kind < 8) {
        Row changed = row;
        if (pick(2) == 0) changed.id = model[k].id;  // often keep the key
        auto values = values_of(changed);
        if (id_taken(changed.id, k)) {
          EXPECT_THROW(mix->UpdateRecord(values->Buffers(), pos, false, nullptr), EDatabaseError);
          continue;
        }
        mix->UpdateRecord(values->Buffers(), pos, false, nullptr);
        model[k] = changed;
      } else {
        mix->DeleteRecord(pos, false);
        model.erase(k);
      }
    }
  }

  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  const std::vector<int32_t> by_id = RecordNumbers(mix->GetRecordList(1));
  const std::vector<int32_t> by_grp = RecordNumbers(mix->GetRecordList(2));
  mix.reset();
  host.Disconnect();
  host.Connect();  // the image passes every check of a fresh opening
  TTinyTableIO again(&host, "mix");
  again.Open();

  std::vector<int32_t> physical;
  std::multimap<int32_t, int32_t> ids;
  std::multimap<std::string, int32_t> grps;
  for (const auto& [k, row] : model) {
    physical.push_back(k);
    ids.emplace(row.id, k);
    grps.emplace(lower(row.grp), k);
  }
  EXPECT_EQ(RecordNumbers(again.GetRecordList(0)), physical);
  std::vector<int32_t> expected_ids;
  for (const auto& [id, k] : ids) expected_ids.push_back(k);
  EXPECT_EQ(RecordNumbers(again.GetRecordList(1)), expected_ids);
  EXPECT_EQ(RecordNumbers(again.GetRecordList(1)), by_id);
  EXPECT_EQ(RecordNumbers(again.GetRecordList(2)), by_grp);
  std::vector<std::string> grp_order, expected_grp_order;
  for (int32_t k : by_grp) grp_order.push_back(lower(model[k].grp));
  for (const auto& [grp, k] : grps) expected_grp_order.push_back(grp);
  EXPECT_EQ(grp_order, expected_grp_order);
  std::vector<int32_t> sorted_grp = by_grp;
  std::sort(sorted_grp.begin(), sorted_grp.end());
  EXPECT_EQ(sorted_grp, physical);
  EXPECT_EQ(WalkChain(host.Bytes(), 0, 0), by_id);
  EXPECT_EQ(WalkChain(host.Bytes(), 0, 1), by_grp);

  for (size_t pos = 0; pos < physical.size(); ++pos) {
    TRecordValues values(again, &host);
    again.ReadRecord(values.Buffers(), again.GetRecordList(0), static_cast<int>(pos));
    const Row& row = model[physical[pos]];
    ASSERT_EQ(values.Int(0), row.id);
    ASSERT_EQ(values.Text(1), row.grp);
    ASSERT_EQ(values.BlobText(2), row.body);
  }
}

}  // namespace
}  // namespace tinydb
