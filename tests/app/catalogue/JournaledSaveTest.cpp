// The catalogue's save in place under a rollback journal: what it writes,
// what a failure at any byte leaves, when it falls back to the whole image,
// and the opener's roll-back of a journal left by a crash.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "CatalogueTestKit.h"
#include "catalogue/DrinkCatalogue.h"
#include "platform/Errors.h"
#include "platform/Journal.h"
#include "support/CatalogueSaveLoop.h"

namespace zestoria {
namespace {

using test::CatalogueDigest;
using test::FileBytes;
using test::SampleDrink;

ino_t InodeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

class JournaledSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::CreateCatalogueFile(path_);
    TDrinkCatalogue catalogue;
    catalogue.Open(path_);
    catalogue.SetNextDrinkId(1);
    for (int i = 1; i <= 30; ++i)
      catalogue.InsertDrink(SampleDrink("Drink " + std::to_string(i), i % 27, std::string(i * 9, 'x')), false);
    catalogue.SaveDatabase();
  }
  void TearDown() override { tinydb::SetFileWriteFault(0); }

  static void Start(TDrinkCatalogue& catalogue, const std::string& path) {
    catalogue.Open(path);
    catalogue.ListDrinks("", true);
  }
  // A small change and an import-sized one.
  static void Change(TDrinkCatalogue& catalogue) {
    TDrink drink = catalogue.LoadDrink(4);
    drink.comment = "Changed in place";
    catalogue.UpdateDrink(drink, false);
    catalogue.DeleteDrink(catalogue.ListDrinks("")[5].id, false);
    for (int i = 0; i < 5; ++i) catalogue.InsertDrink(test::ExtraDrink(i), false);
  }

  tinydb::test::TTempDir folder_;
  std::string path_ = folder_.Path("zestoria.tdb");
};

TEST_F(JournaledSaveTest, WritesInPlaceWhatTheWholeImageSaveWrites) {
  TDrinkCatalogue catalogue;
  Start(catalogue, path_);
  const ino_t inode = InodeOf(path_);
  // One modified drink costs a few record images and blocks, not the file.
  TDrink drink = catalogue.LoadDrink(12);
  drink.directions = "Stir twice.";
  catalogue.UpdateDrink(drink, false);
  EXPECT_LT(test::SaveBytes(catalogue.Image(), path_) * 4, catalogue.Image().Size());
  catalogue.SaveDatabase();
  EXPECT_EQ(FileBytes(path_), catalogue.Image().Bytes());

  for (int round = 0; round < 3; ++round) {
    Change(catalogue);
    catalogue.SaveDatabase();
    EXPECT_EQ(FileBytes(path_), catalogue.Image().Bytes());
  }
  EXPECT_EQ(InodeOf(path_), inode);  // written in place, never replaced
  EXPECT_FALSE(tinydb::JournalExists(path_));
  TDrinkCatalogue reopened;
  reopened.Open(path_);
  EXPECT_EQ(CatalogueDigest(reopened), CatalogueDigest(catalogue));
}

TEST_F(JournaledSaveTest, AFailureAnywhereInTheJournalOrTheInPlaceWriteLeavesTheOldFile) {
  enum TWhere { kJournalFirst, kJournalHalf, kJournalEnd, kInPlaceFirst, kInPlaceHalf, kInPlaceEnd };
  for (TWhere where : {kJournalFirst, kJournalHalf, kJournalEnd, kInPlaceFirst, kInPlaceHalf, kInPlaceEnd}) {
    SCOPED_TRACE(where);
    const std::vector<uint8_t> before = FileBytes(path_);
    std::string old_digest;
    {
      TDrinkCatalogue reader;
      reader.Open(path_);
      old_digest = CatalogueDigest(reader);
    }
    TDrinkCatalogue catalogue;
    Start(catalogue, path_);
    Change(catalogue);
    tinydb::TMemoryStream& image = catalogue.Image();
    int64_t journal = 36, in_place = image.Size() - image.SavedLength();
    for (const auto& [start, end] : image.ChangedRanges()) {
      journal += 16 + (end - start);
      in_place += end - start;
    }
    const int64_t allowed[] = {0, journal / 2, journal - 1, journal, journal + in_place / 2,
                               journal + in_place - 1};
    tinydb::SetFileWriteFault(ENOSPC, allowed[where]);
    try {
      catalogue.SaveDatabase();
      ADD_FAILURE() << "the save did not fail";
    } catch (const tinydb::EWriteError& error) {
      EXPECT_EQ(std::string(error.what()),
                "Cannot create file \"" + path_ + "\". " + std::strerror(ENOSPC));
    }
    tinydb::SetFileWriteFault(0);
    // A failed journal leaves the file untouched; a failed in-place write
    // leaves its journal, which the next opener applies.
    if (where <= kJournalEnd) {
      EXPECT_EQ(FileBytes(path_), before);
    }
    EXPECT_EQ(tinydb::JournalExists(path_), where >= kInPlaceFirst);
    {
      TDrinkCatalogue opener;
      opener.Open(path_);
      EXPECT_EQ(CatalogueDigest(opener), old_digest);
    }
    EXPECT_EQ(FileBytes(path_), before);
    EXPECT_FALSE(tinydb::JournalExists(path_));

    // The next good save stores everything.
    catalogue.SaveDatabase();
    EXPECT_EQ(FileBytes(path_), catalogue.Image().Bytes());
    EXPECT_EQ(catalogue.LoadDrink(4).comment, "Changed in place");
  }
}

TEST_F(JournaledSaveTest, TheNextSaveRollsBackAJournalThatAFailedSaveLeft) {
  TDrinkCatalogue catalogue;
  Start(catalogue, path_);
  Change(catalogue);
  const std::vector<uint8_t> before = FileBytes(path_);
  const int64_t bytes = test::SaveBytes(catalogue.Image(), path_);
  tinydb::SetFileWriteFault(EIO, bytes - 1);
  EXPECT_THROW(catalogue.SaveDatabase(), tinydb::EWriteError);
  tinydb::SetFileWriteFault(0);
  ASSERT_TRUE(tinydb::JournalExists(path_));
  ASSERT_NE(FileBytes(path_), before);
  catalogue.SaveDatabase();
  EXPECT_FALSE(tinydb::JournalExists(path_));
  EXPECT_EQ(FileBytes(path_), catalogue.Image().Bytes());
}

TEST_F(JournaledSaveTest, AFileChangedBehindItsBackGetsTheWholeImage) {
  TDrinkCatalogue mine;
  Start(mine, path_);
  {
    // Another program writes the file meanwhile.
    TDrinkCatalogue other;
    Start(other, path_);
    other.InsertDrink(SampleDrink("Someone else's"), true);
  }
  TDrink drink = mine.LoadDrink(2);
  drink.comment = "Mine";
  mine.UpdateDrink(drink, true);
  EXPECT_EQ(FileBytes(path_), mine.Image().Bytes());

  // Only its time changed: still not the file this image was saved to.
  struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path_.c_str(), times, 0), 0);
  const ino_t inode = InodeOf(path_);
  drink.comment = "Mine again";
  mine.UpdateDrink(drink, true);
  EXPECT_NE(InodeOf(path_), inode);  // a new file renamed over the old
  EXPECT_EQ(FileBytes(path_), mine.Image().Bytes());
  // From then on, in place again.
  const ino_t renamed = InodeOf(path_);
  mine.DeleteDrink(3, true);
  EXPECT_EQ(InodeOf(path_), renamed);
  EXPECT_EQ(FileBytes(path_), mine.Image().Bytes());
}

TEST_F(JournaledSaveTest, ALinkStaysALinkAndTheFileKeepsItsMode) {
  const std::string real = folder_.Path("real.tdb");
  std::filesystem::rename(path_, real);
  std::filesystem::create_symlink(real, path_);
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  TDrinkCatalogue catalogue;
  Start(catalogue, path_);
  catalogue.InsertDrink(SampleDrink("Through the link"), true);
  // The whole-image save too, once the file changed behind the image.
  struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, real.c_str(), times, 0), 0);
  catalogue.InsertDrink(SampleDrink("Whole through the link"), true);
  EXPECT_TRUE(std::filesystem::is_symlink(path_));
  EXPECT_EQ(FileBytes(real), catalogue.Image().Bytes());
  struct stat st {};
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_FALSE(std::filesystem::exists(path_ + "-journal"));
}

TEST_F(JournaledSaveTest, ARefusedJournalStopsTheOpenerAndTheSaveAndChangesNothing) {
  TDrinkCatalogue catalogue;
  Start(catalogue, path_);
  const std::vector<uint8_t> before = FileBytes(path_);
  // A journal whose range lies past the file's old length.
  tinydb::WriteJournal(path_, 100, {{90, std::vector<uint8_t>(10, 1)}});
  std::vector<uint8_t> journal = FileBytes(tinydb::JournalFileName(path_));
  journal[16] = 95;  // the old length: the range now ends past it
  journal.resize(journal.size() - 4);
  const auto crc = static_cast<uint32_t>(::crc32(0L, journal.data(), static_cast<uInt>(journal.size())));
  for (int i = 0; i < 4; ++i) journal.push_back(static_cast<uint8_t>(crc >> (8 * i)));
  tinydb::TMemoryStream(journal).SaveToFile(tinydb::JournalFileName(path_));

  const std::string refusal = "The journal \"" + tinydb::JournalFileName(path_) +
                              "\" is not applied: range 1 (position 90, length 10) lies outside "
                              "the file's old length 95. The file \"" + path_ + "\" is left as it is.";
  TDrinkCatalogue opener;
  try {
    opener.Open(path_);
    ADD_FAILURE() << "opened over a refused journal";
  } catch (const tinydb::EJournalError& error) {
    EXPECT_EQ(std::string(error.what()), refusal);
  }
  EXPECT_FALSE(opener.IsOpen());
  catalogue.InsertDrink(SampleDrink("Kept in the image"), false);
  EXPECT_THROW(catalogue.SaveDatabase(), tinydb::EJournalError);
  EXPECT_EQ(FileBytes(path_), before);
  EXPECT_EQ(FileBytes(tinydb::JournalFileName(path_)), journal);
}

}  // namespace
}  // namespace zestoria
