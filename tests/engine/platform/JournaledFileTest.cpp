// The journaled file: writes in a scope are held back and seen by reads,
// inner scopes are save points, and the outermost commit leaves exactly
// the bytes the same writes made straight to a file, through a journal that
// is gone afterwards. A failing commit leaves the file as it was.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "platform/Journal.h"
#include "platform/JournaledFile.h"
#include "platform/Streams.h"
#include "support/TempDir.h"

namespace tinydb {
namespace {

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadAll(TStream& stream) {
  std::string bytes(static_cast<size_t>(stream.Size()), '\0');
  stream.SetPosition(0);
  stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  return bytes;
}

void WriteAt(TStream& stream, int64_t pos, const std::string& bytes) {
  stream.SetPosition(pos);
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

class JournaledFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Put(path_, std::string(64, 'a') + std::string(64, 'b'));
    original_ = Bytes(path_);
  }
  void TearDown() override { SetFileWriteFault(0); }

  test::TTempDir dir_{"journaled-"};
  std::string path_ = dir_.Path("db.tdb");
  std::string original_;
};

// A mix of writes: overlapping, touching, far apart, past the end, and a
// cut followed by growth. Applied the same way to any stream.
void Work(TStream& stream) {
  WriteAt(stream, 10, "0123456789");
  WriteAt(stream, 15, "XYZXYZXYZ");  // overlaps the first
  WriteAt(stream, 24, "!!");         // touches it
  WriteAt(stream, 100, "far");
  WriteAt(stream, 128, "tail");  // at the end: grows
  WriteAt(stream, 140, "gap");   // leaves a gap of zeros
  stream.SetSize(120);           // cuts "tail" and "gap" off again
  stream.SetSize(130);           // and grows with zeros
  WriteAt(stream, 126, "end");
}

TEST_F(JournaledFileTest, ReadsSeePendingWritesAndCommitStoresExactlyThem) {
  // The same work made straight to a plain copy of the file.
  const std::string plain_path = dir_.Path("plain");
  Put(plain_path, original_);
  {
    TFileStream plain(plain_path, TFileAccess::faReadWrite);
    Work(plain);
  }
  const std::string expected = Bytes(plain_path);

  TJournaledFile file(path_, TFileAccess::faReadWrite);
  file.BeginScope();
  Work(file);
  EXPECT_EQ(expected, ReadAll(file));
  EXPECT_EQ(static_cast<int64_t>(expected.size()), file.Size());
  // Reads across the edges of pending ranges.
  std::string part(12, '\0');
  file.SetPosition(8);
  file.ReadBuffer(part.data(), 12);
  EXPECT_EQ(expected.substr(8, 12), part);
  EXPECT_EQ(original_, Bytes(path_)) << "nothing reaches the file before the commit";
  EXPECT_FALSE(JournalExists(path_));
  file.CommitScope();
  EXPECT_EQ(expected, Bytes(path_));
  EXPECT_FALSE(JournalExists(path_));
  EXPECT_EQ(0, file.ScopeDepth());
}

TEST_F(JournaledFileTest, RandomWritesAgreeWithAPlainFile) {
  std::mt19937 random(7);
  const std::string plain_path = dir_.Path("plain");
  for (int round = 0; round < 20; ++round) {
    Put(path_, original_);
    Put(plain_path, original_);
    TJournaledFile file(path_, TFileAccess::faReadWrite);
    TFileStream plain(plain_path, TFileAccess::faReadWrite);
    file.BeginScope();
    for (int i = 0; i < 30; ++i) {
      const int64_t size = file.Size();
      const int64_t pos = std::uniform_int_distribution<int64_t>(0, size)(random);
      const std::string bytes(std::uniform_int_distribution<size_t>(1, 40)(random),
                              static_cast<char>('A' + i % 26));
      if (i % 11 == 10) {
        file.SetSize(pos);
        plain.SetSize(pos);
      } else {
        WriteAt(file, pos, bytes);
        WriteAt(plain, pos, bytes);
      }
      ASSERT_EQ(ReadAll(plain), ReadAll(file)) << "round " << round << ", write " << i;
    }
    file.CommitScope();
    EXPECT_EQ(ReadAll(plain), Bytes(path_)) << "round " << round;
  }
}

TEST_F(JournaledFileTest, AnInnerScopeRollsBackToWhereItBegan) {
  TJournaledFile file(path_, TFileAccess::faReadWrite);
  file.BeginScope();
  WriteAt(file, 0, "outer");
  WriteAt(file, 128, "grown");
  const std::string before_inner = ReadAll(file);

  file.BeginScope();
  WriteAt(file, 2, "inner");   // over the outer scope's bytes
  WriteAt(file, 60, "across");  // over the file's own
  WriteAt(file, 133, "more");   // past the end
  file.SetSize(70);             // and a cut
  WriteAt(file, 90, "z");
  EXPECT_TRUE(file.RollbackScope());
  EXPECT_EQ(before_inner, ReadAll(file));

  file.BeginScope();  // an inner scope that changed nothing
  EXPECT_FALSE(file.RollbackScope());

  file.BeginScope();  // an inner scope kept, then undone by the outer one's save point
  file.BeginScope();
  WriteAt(file, 40, "kept");
  file.CommitScope();
  EXPECT_TRUE(file.RollbackScope());
  EXPECT_EQ(before_inner, ReadAll(file));

  file.CommitScope();
  EXPECT_EQ(before_inner, Bytes(path_));
}

TEST_F(JournaledFileTest, RollbackAndAnEmptyCommitLeaveTheFileUntouched) {
  TJournaledFile file(path_, TFileAccess::faReadWrite);
  file.BeginScope();
  WriteAt(file, 3, "dropped");
  WriteAt(file, 128, "dropped");
  EXPECT_TRUE(file.RollbackScope());
  EXPECT_EQ(original_, ReadAll(file));
  // No change: no journal is even written (a failing journal write shows it).
  SetFileWriteFault(ENOSPC, 0);
  file.BeginScope();
  file.CommitScope();
  SetFileWriteFault(0);
  EXPECT_EQ(original_, Bytes(path_));
  EXPECT_FALSE(JournalExists(path_));
}

TEST_F(JournaledFileTest, AFailingCommitLeavesTheFileAsItWas) {
  // The fault lets the journal and part of the in-place write through, or
  // less; each time the file is the old one and no journal is left.
  for (int64_t allowed : {int64_t{0}, int64_t{1}, int64_t{40}, int64_t{120}, int64_t{180},
                          int64_t{200}, int64_t{230}}) {
    Put(path_, original_);
    TJournaledFile file(path_, TFileAccess::faReadWrite);
    file.BeginScope();
    WriteAt(file, 5, std::string(30, 'x'));
    WriteAt(file, 128, std::string(70, 'y'));
    SetFileWriteFault(ENOSPC, allowed);
    bool failed = false;
    try {
      file.CommitScope();
    } catch (const EStreamError& e) {
      failed = true;
      EXPECT_NE(std::string::npos, std::string(e.what()).find(path_)) << e.what();
    }
    SetFileWriteFault(0);
    EXPECT_EQ(0, file.ScopeDepth());
    if (failed) {
      // A rollback the fault also stopped is finished by the next use.
      EXPECT_EQ(original_, ReadAll(file)) << "allowed " << allowed;
      EXPECT_EQ(original_, Bytes(path_)) << "allowed " << allowed;
    } else {
      EXPECT_EQ(original_.substr(0, 5) + std::string(30, 'x') + original_.substr(35, 93) +
                    std::string(70, 'y'),
                Bytes(path_));
    }
    EXPECT_FALSE(JournalExists(path_)) << "allowed " << allowed;
  }
}

TEST_F(JournaledFileTest, AFileOpenForReadingRefusesWrites) {
  TJournaledFile file(path_, TFileAccess::faRead);
  file.BeginScope();
  file.SetPosition(0);
  EXPECT_THROW(file.WriteBuffer("x", 1), EWriteError);
  EXPECT_THROW(file.SetSize(3), EWriteError);
  file.CommitScope();
  EXPECT_EQ(original_, Bytes(path_));
}

}  // namespace
}  // namespace tinydb
