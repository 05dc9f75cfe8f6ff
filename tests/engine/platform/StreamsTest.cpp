// Memory and file streams, the one-byte lock and the share modes.
#include "platform/Streams.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/Errors.h"
#include "platform/FileLock.h"
#include "support/TempDir.h"

namespace tinydb {
namespace {

using test::TTempDir;

TEST(StreamsTest, MemoryStreamReadsWritesAndGrows) {
  TMemoryStream stream;
  stream.WriteBuffer("abcdef", 6);
  stream.SetPosition(10);
  stream.WriteBuffer("z", 1);  // writing past the end zero-fills the gap
  EXPECT_EQ(11, stream.Size());
  EXPECT_EQ(0, stream.Memory()[7]);

  char buffer[4] = {};
  stream.SetPosition(4);
  EXPECT_EQ(4, stream.Read(buffer, 4));
  EXPECT_EQ(std::string("ef\0\0", 4), std::string(buffer, 4));
  stream.SetPosition(9);
  EXPECT_THROW(stream.ReadBuffer(buffer, 4), EReadError);

  TMemoryStream copy;
  copy.CopyFrom(stream, 0);  // count 0 copies everything from the start
  EXPECT_EQ(stream.Bytes(), copy.Bytes());
  stream.Clear();
  EXPECT_EQ(0, stream.Size());
  EXPECT_EQ(0, stream.Position());
}

TEST(StreamsTest, SaveToFileReplacesTheFileWhole) {
  TTempDir dir("zestoria-streams-");
  const std::string name = dir.Path("image.tdb");
  TMemoryStream first(std::vector<uint8_t>(5000, 'a'));
  first.SaveToFile(name);
  TMemoryStream second(std::vector<uint8_t>{'b', 'c'});
  second.SaveToFile(name);

  TMemoryStream loaded;
  loaded.LoadFromFile(name);
  EXPECT_EQ(second.Bytes(), loaded.Bytes());
  EXPECT_FALSE(FileExists(name + ".tmp"));
  EXPECT_THROW(loaded.LoadFromFile(dir.Path("missing.tdb")), EFOpenError);
}

TEST(StreamsTest, ExclusiveOpenKeepsOthersOut) {
  TTempDir dir("zestoria-streams-");
  const std::string name = dir.Path("shared.tdb");
  { TFileStream create(name, TFileAccess::faCreate); }
  {
    TFileStream exclusive(name, TFileAccess::faReadWrite, TFileShare::fsExclusive);
    EXPECT_THROW(TFileStream(name, TFileAccess::faRead), EFOpenError);
  }
  TFileStream a(name, TFileAccess::faRead);
  TFileStream b(name, TFileAccess::faRead);
  EXPECT_THROW(TFileStream(name, TFileAccess::faReadWrite, TFileShare::fsExclusive), EFOpenError);
}

TEST(StreamsTest, ByteLockExcludesASecondOpenerInTheSameProcess) {
  TTempDir dir("zestoria-streams-");
  const std::string name = dir.Path("locked.tdb");
  TFileStream first(name, TFileAccess::faCreate);
  first.WriteBuffer("TinyDB", 6);
  TFileStream second(name, TFileAccess::faReadWrite);

  ASSERT_TRUE(TryLockFileRange(first.Handle(), 1, 1));
  EXPECT_FALSE(TryLockFileRange(second.Handle(), 1, 1));
  EXPECT_TRUE(TryLockFileRange(second.Handle(), 2, 1));  // other bytes stay free
  UnlockFileRange(first.Handle(), 1, 1);
  EXPECT_TRUE(TryLockFileRange(second.Handle(), 1, 1));
}

TEST(StreamsTest, ReadOnlyAttributeIsSeenEvenByRoot) {
  TTempDir dir("zestoria-streams-");
  const std::string name = dir.Path("ro.tdb");
  { TFileStream create(name, TFileAccess::faCreate); }
  EXPECT_FALSE(FileIsReadOnly(name));
  std::filesystem::permissions(name, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::group_read);
  EXPECT_TRUE(FileIsReadOnly(name));
  EXPECT_TRUE(FileIsReadOnly(dir.Path("missing")));
}

}  // namespace
}  // namespace tinydb
