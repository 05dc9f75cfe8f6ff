// The rollback journal: written, applied, and refused when it is torn,
// damaged or does not belong to its file.
#include "platform/Journal.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "platform/Streams.h"
#include "support/TempDir.h"

namespace tinydb {
namespace {

using test::TTempDir;
using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Pattern(size_t size, uint8_t seed) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
  return bytes;
}

TJournalRange OldBytes(const Bytes& file, int64_t position, int64_t length) {
  return {position, Bytes(file.begin() + position, file.begin() + position + length)};
}

void PutU32(Bytes& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void PutI64(Bytes& out, int64_t value) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i)));
}

// A journal built by hand, with whatever counts and lengths a case asks
// for, sealed with a checksum that holds.
struct TRawRange {
  int64_t position;
  int64_t length;   // as stored
  size_t bytes;     // old bytes actually present
};
Bytes SealedJournal(int64_t old_length, uint32_t count, int64_t old_bytes,
                    const std::vector<TRawRange>& ranges, uint32_t version = 1) {
  Bytes out = {'T', 'D', 'B', 'J', 'R', 'N', 'L', 0x1a};
  PutU32(out, version);
  PutU32(out, count);
  PutI64(out, old_length);
  PutI64(out, old_bytes);
  for (const TRawRange& range : ranges) {
    PutI64(out, range.position);
    PutI64(out, range.length);
    out.insert(out.end(), range.bytes, 0xEE);
  }
  PutU32(out, static_cast<uint32_t>(::crc32(0L, out.data(), static_cast<uInt>(out.size()))));
  return out;
}

class JournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = dir_.Path("catalogue.tdb");
    original_ = Pattern(1000, 3);
    WriteAll(file_, original_);
  }
  void TearDown() override { SetFileWriteFault(0); }

  // Journals the ranges, then changes the file in place as a save would:
  // overwrites them and appends a tail.
  void JournalAndChange(const std::vector<TJournalRange>& ranges) {
    WriteJournal(file_, static_cast<int64_t>(original_.size()), ranges);
    Bytes changed = original_;
    for (const TJournalRange& range : ranges)
      for (size_t i = 0; i < range.bytes.size(); ++i) changed[range.position + i] ^= 0x5A;
    Bytes tail = Pattern(300, 99);
    changed.insert(changed.end(), tail.begin(), tail.end());
    WriteAll(file_, changed);
  }

  // Expects the journal to be refused with |words| in its message, and
  // both files to be left as they were.
  void ExpectRefused(const std::string& words) {
    const Bytes file_before = ReadAll(file_);
    const Bytes journal_before = ReadAll(JournalFileName(file_));
    try {
      RecoverFromJournal(file_);
      ADD_FAILURE() << "journal applied, expected a refusal with: " << words;
    } catch (const EJournalError& error) {
      const std::string message = error.what();
      EXPECT_NE(std::string::npos, message.find(words)) << message;
      EXPECT_NE(std::string::npos, message.find("\"" + JournalFileName(file_) + "\"")) << message;
    }
    EXPECT_EQ(file_before, ReadAll(file_));
    EXPECT_EQ(journal_before, ReadAll(JournalFileName(file_)));
  }

  TTempDir dir_;
  std::string file_;
  Bytes original_;
};

TEST_F(JournalTest, JournalPutsTheOldBytesBackAndCutsTheTail) {
  EXPECT_EQ(dir_.Path("catalogue.tdb-journal"), JournalFileName(file_));
  EXPECT_FALSE(RecoverFromJournal(file_).rolled_back);  // no journal: nothing to do

  JournalAndChange({OldBytes(original_, 0, 10), OldBytes(original_, 500, 100),
                    OldBytes(original_, 990, 10)});
  EXPECT_TRUE(JournalExists(file_));
  EXPECT_FALSE(std::filesystem::exists(JournalFileName(file_) + ".tmp"));
  ASSERT_NE(original_, ReadAll(file_));

  const TJournalRecovery recovery = RecoverFromJournal(file_);
  EXPECT_TRUE(recovery.rolled_back);
  EXPECT_EQ(1000, recovery.old_length);
  EXPECT_EQ(3, recovery.ranges);
  EXPECT_EQ(120, recovery.bytes);
  EXPECT_EQ(original_, ReadAll(file_));
  EXPECT_FALSE(JournalExists(file_));

  // Rolling back is idempotent: a crash after some ranges went back is
  // mended by the next opener from the same journal.
  JournalAndChange({OldBytes(original_, 40, 60)});
  const Bytes journal = ReadAll(JournalFileName(file_));
  RecoverFromJournal(file_);
  WriteAll(JournalFileName(file_), journal);
  EXPECT_TRUE(RecoverFromJournal(file_).rolled_back);
  EXPECT_EQ(original_, ReadAll(file_));
}

TEST_F(JournalTest, AJournalOfOnlyAnAppendCutsTheFileBack) {
  JournalAndChange({});
  EXPECT_EQ(1300u, ReadAll(file_).size());
  EXPECT_TRUE(RecoverFromJournal(file_).rolled_back);
  EXPECT_EQ(original_, ReadAll(file_));
}

TEST_F(JournalTest, AFileShorterThanItsOldLengthNeedsTheMissingBytesInTheJournal) {
  // The ranges hold everything from the file's length now to the old end.
  WriteJournal(file_, 1000, {OldBytes(original_, 100, 10), OldBytes(original_, 900, 100)});
  WriteAll(file_, Bytes(original_.begin(), original_.begin() + 950));
  EXPECT_TRUE(RecoverFromJournal(file_).rolled_back);
  EXPECT_EQ(original_, ReadAll(file_));

  WriteJournal(file_, 1000, {OldBytes(original_, 980, 20)});
  WriteAll(file_, Bytes(original_.begin(), original_.begin() + 950));
  ExpectRefused("shorter than its old length 1000, and the journal does not hold the bytes from 950");
}

TEST_F(JournalTest, ATornJournalIsRefusedAtEveryCut) {
  JournalAndChange({OldBytes(original_, 100, 50), OldBytes(original_, 700, 50)});
  const Bytes whole = ReadAll(JournalFileName(file_));
  for (size_t cut : {size_t{0}, size_t{7}, size_t{35}, size_t{48}, whole.size() / 2, whole.size() - 1}) {
    SCOPED_TRACE(cut);
    WriteAll(JournalFileName(file_), Bytes(whole.begin(), whole.begin() + cut));
    ExpectRefused(cut < 36 ? "it is torn" : "checksum fails");
  }
}

TEST_F(JournalTest, ADamagedJournalIsRefused) {
  JournalAndChange({OldBytes(original_, 100, 50)});
  const Bytes whole = ReadAll(JournalFileName(file_));
  for (size_t at : {size_t{3}, size_t{8}, size_t{20}, size_t{40}, size_t{70}, whole.size() - 1}) {
    SCOPED_TRACE(at);
    Bytes damaged = whole;
    damaged[at] ^= 0x01;
    WriteAll(JournalFileName(file_), damaged);
    ExpectRefused(at < 8 ? "signature" : at < 12 ? "version" : "checksum fails");
  }
}

TEST_F(JournalTest, AHostileJournalIsNeverApplied) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  struct Case {
    const char* what;
    Bytes journal;
    std::string words;
  } cases[] = {
      {"range past the old length", SealedJournal(1000, 2, 20, {{0, 10, 10}, {995, 10, 10}}),
       "range 2 (position 995, length 10) lies outside the file's old length 1000"},
      {"negative position", SealedJournal(1000, 1, 10, {{-5, 10, 10}}), "range 1 (position -5"},
      {"length that overflows", SealedJournal(1000, 1, 0, {{10, kMax, 0}}), "lies outside"},
      {"empty range", SealedJournal(1000, 1, 0, {{10, 0, 0}}), "range 1 (position 10, length 0)"},
      {"more ranges counted than stored", SealedJournal(1000, 5, 20, {{0, 10, 10}, {20, 10, 10}}),
       "do not add up"},
      {"a count near 2^32", SealedJournal(1000, 0xFFFFFFFFu, 10, {{0, 10, 10}}), "do not add up"},
      {"old bytes miscounted", SealedJournal(1000, 2, 30, {{0, 10, 10}, {20, 10, 20}}),
       "hold 20 old bytes, not the 30"},
      {"stored length longer than the bytes", SealedJournal(1000, 1, 20, {{0, 20, 10}}),
       "do not add up"},
      {"overlapping ranges", SealedJournal(1000, 2, 20, {{0, 10, 10}, {5, 10, 10}}),
       "range 2 overlaps"},
      {"negative old length", SealedJournal(-1, 0, 0, {}), "old length -1 is out of range"},
      {"old length past 2 GiB", SealedJournal(int64_t{1} << 40, 0, 0, {}), "is out of range"},
      {"old bytes past the old length", SealedJournal(10, 1, 20, {{0, 20, 20}}),
       "do not fit in its old length"},
      {"unknown version", SealedJournal(1000, 0, 0, {}, 2), "version 2 is not known"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteAll(JournalFileName(file_), c.journal);
    ExpectRefused(c.words);
  }
  // A journal without its file is refused too.
  std::filesystem::remove(file_);
  WriteAll(JournalFileName(file_), SealedJournal(0, 0, 0, {}));
  EXPECT_THROW(RecoverFromJournal(file_), EJournalError);
  EXPECT_TRUE(JournalExists(file_));
}

TEST_F(JournalTest, AFailedJournalWriteLeavesNoJournal) {
  const std::vector<TJournalRange> ranges = {OldBytes(original_, 0, 400), OldBytes(original_, 600, 400)};
  const int64_t size = 32 + 2 * (16 + 400) + 4;
  for (int64_t allowed : {int64_t{0}, size / 2, size - 1}) {
    SCOPED_TRACE(allowed);
    SetFileWriteFault(ENOSPC, allowed);
    try {
      WriteJournal(file_, 1000, ranges);
      ADD_FAILURE() << "journal written through a full disk";
    } catch (const EWriteError& error) {
      EXPECT_EQ("Cannot create file \"" + JournalFileName(file_) + "\". " + std::strerror(ENOSPC),
                error.what());
    }
    SetFileWriteFault(0);
    EXPECT_FALSE(JournalExists(file_));
    EXPECT_FALSE(std::filesystem::exists(JournalFileName(file_) + ".tmp"));
    EXPECT_EQ(original_, ReadAll(file_));
  }
  // With room again, the journal is written whole.
  SetFileWriteFault(ENOSPC, size);
  WriteJournal(file_, 1000, ranges);
  SetFileWriteFault(0);
  EXPECT_EQ(static_cast<size_t>(size), ReadAll(JournalFileName(file_)).size());
  RemoveJournal(file_);
  EXPECT_FALSE(JournalExists(file_));
  RemoveJournal(file_);  // none is fine
}

TEST_F(JournalTest, WrongRangesAreNotJournaled) {
  EXPECT_THROW(WriteJournal(file_, 1000, {OldBytes(original_, 500, 10), OldBytes(original_, 100, 10)}),
               EWriteError);
  EXPECT_THROW(WriteJournal(file_, 100, {OldBytes(original_, 95, 10)}), EWriteError);
  EXPECT_THROW(WriteJournal(file_, 1000, {{10, {}}}), EWriteError);
  EXPECT_FALSE(JournalExists(file_));
}

TEST_F(JournalTest, ATemporaryLeftWhileAJournalWasWrittenIsNotAJournal) {
  WriteAll(JournalFileName(file_) + ".tmp", Bytes(20, 0xAB));
  EXPECT_FALSE(RecoverFromJournal(file_).rolled_back);
  EXPECT_FALSE(std::filesystem::exists(JournalFileName(file_) + ".tmp"));
  EXPECT_EQ(original_, ReadAll(file_));
}

}  // namespace
}  // namespace tinydb
