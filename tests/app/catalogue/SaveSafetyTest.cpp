// Saving the catalogue under faults: a process killed in the middle of a
// save, a full disk, a read-only file. The file must always open and hold
// the old or the new catalogue, a failed save must keep every change in the
// image, and the next successful save must store them all.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
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

// The names in |folder|, sorted.
std::set<std::string> FolderNames(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

// Turns the write fault on for its lifetime.
class TWriteFault {
 public:
  explicit TWriteFault(int error_number, int64_t bytes_allowed = 0) {
    tinydb::SetFileWriteFault(error_number, bytes_allowed);
  }
  ~TWriteFault() { tinydb::SetFileWriteFault(0); }
};

class SaveSafetyTest : public ::testing::Test {
 protected:
  // A catalogue of |drinks| drinks (ids 1 to |drinks|) at |path|.
  static void MakeCatalogue(const std::string& path, int drinks) {
    test::CreateCatalogueFile(path);
    TDrinkCatalogue catalogue;
    catalogue.Open(path);
    catalogue.SetNextDrinkId(1);
    for (int i = 1; i <= drinks; ++i)
      catalogue.InsertDrink(SampleDrink("Drink " + std::to_string(i), i % 27, std::string(i * 5, 'x')), false);
    catalogue.SaveDatabase();
  }
  // Opens |path| as the program starts: the next drink id follows the last.
  static void Start(TDrinkCatalogue& catalogue, const std::string& path) {
    catalogue.Open(path);
    catalogue.ListDrinks("", true);
  }
  static std::string DigestOfFile(const std::string& path) {
    TDrinkCatalogue catalogue;
    catalogue.Open(path);
    return CatalogueDigest(catalogue);
  }

  // Inserts a drink into an open catalogue, expects the save to fail with
  // |message| (under the write fault |error_number|, which allows the
  // bytes |allowed| gives for the bytes the save writes), and checks that
  // the file, once an opener has rolled back what the failed save left, and
  // the folder are as before while the image keeps the drink.
  void ExpectFailedSave(TDrinkCatalogue& catalogue, const std::string& message, int error_number = 0,
                        const std::function<int64_t(int64_t)>& allowed = {}) {
    const std::vector<uint8_t> before = FileBytes(path_);
    const std::set<std::string> names = FolderNames(folder_.Dir());
    catalogue.InsertDrink(SampleDrink("Unsaved"), false);
    {
      const int64_t save_bytes = test::SaveBytes(catalogue.Image(), path_);
      TWriteFault fault(error_number, allowed ? allowed(save_bytes) : 0);
      try {
        catalogue.SaveDatabase();
        ADD_FAILURE() << "the save did not fail";
      } catch (const tinydb::EStreamError& e) {
        EXPECT_EQ(e.what(), message);
      }
    }
    tinydb::RecoverFromJournal(path_);
    EXPECT_EQ(FileBytes(path_), before);
    EXPECT_EQ(FolderNames(folder_.Dir()), names);  // no temporary or journal left
    EXPECT_EQ(catalogue.LoadDrink(static_cast<int32_t>(catalogue.NextDrinkId() - 1)).name, "Unsaved");
  }

  tinydb::test::TTempDir folder_;
  std::string path_ = folder_.Path("zestoria.tdb");
};

TEST_F(SaveSafetyTest, KillingTheSaverMidSaveLeavesTheOldOrTheNewCatalogue) {
  MakeCatalogue(path_, 60);
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::set<std::string> states_seen;
  // Where the kills landed, told by what they left beside the file.
  int in_journal_write = 0, in_place = 0, in_whole_save = 0, between = 0;
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::vector<uint8_t> start = FileBytes(path_);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::dup2(out[1], 1);
      ::close(out[0]);
      ::close(out[1]);
      ::execl(ZESTORIA_SAVE_LOOP, ZESTORIA_SAVE_LOOP, path_.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(out[1]);
    // Wait for 0 to 3 completed saves, then kill at a random moment.
    FILE* lines = ::fdopen(out[0], "r");
    const int saves = std::uniform_int_distribution<int>(0, 3)(random);
    char line[64];
    bool running = true;
    long saved = 0;
    for (int i = 0; i < saves && running; ++i) {
      running = std::fgets(line, sizeof line, lines) != nullptr;
      if (running) saved = std::atol(line + 6);
    }
    ::usleep(std::uniform_int_distribution<useconds_t>(0, 30000)(random));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    while (std::fgets(line, sizeof line, lines) != nullptr) saved = std::atol(line + 6);
    std::fclose(lines);
    ASSERT_TRUE(running) << "the save loop ended by itself";
    ASSERT_TRUE(WIFSIGNALED(status));

    const std::set<std::string> left = FolderNames(folder_.Dir());
    if (left.count("zestoria.tdb-journal.tmp")) ++in_journal_write;
    else if (left.count("zestoria.tdb-journal")) ++in_place;
    else if (left.count("zestoria.tdb.tmp")) ++in_whole_save;
    else ++between;

    // The catalogue of the last completed save or of the one cut off.
    TDrinkCatalogue replay;
    replay.OpenImage(start, folder_.Path("unused.tdb"));
    for (long step = 1; step <= saved; ++step) test::ApplySaveStep(replay, step);
    const std::string old_state = CatalogueDigest(replay);
    test::ApplySaveStep(replay, saved + 1);
    const std::string new_state = CatalogueDigest(replay);
    std::string digest;
    ASSERT_NO_THROW(digest = DigestOfFile(path_));
    ASSERT_TRUE(digest == old_state || digest == new_state) << "after " << saved << " saves";
    states_seen.insert(digest == old_state ? "old" : "new");
    EXPECT_EQ(std::system((std::string(ZESTORIA_TDB) + " check '" + path_ +
                           "' --password fizzo >/dev/null 2>&1").c_str()),
              0);
    // At most the one temporary of a whole-image save that was cut off.
    std::set<std::string> names = FolderNames(folder_.Dir());
    names.erase("zestoria.tdb.tmp");
    EXPECT_EQ(names, std::set<std::string>{"zestoria.tdb"});
  }
  EXPECT_EQ(states_seen.size(), 2u);
  std::printf("kills: %d in the journal write, %d in the in-place write, %d in a whole-image save, "
              "%d between saves\n",
              in_journal_write, in_place, in_whole_save, between);

  // The next save clears a temporary left by the last kill.
  TDrinkCatalogue catalogue;
  catalogue.Open(path_);
  catalogue.SaveDatabase();
  EXPECT_EQ(FolderNames(folder_.Dir()), std::set<std::string>{"zestoria.tdb"});
}

TEST_F(SaveSafetyTest, ALeftoverTemporaryIsReplacedAndGone) {
  MakeCatalogue(path_, 3);
  const std::string temp = path_ + ".tmp";
  struct TLeftover {
    const char* what;
    mode_t mode;
  };
  for (const TLeftover& leftover : {TLeftover{"torn", 0644}, TLeftover{"read-only", 0444}}) {
    SCOPED_TRACE(leftover.what);
    {
      tinydb::TMemoryStream junk(std::vector<uint8_t>(100000, 0xAB));
      junk.SaveToFile(temp);
    }
    ASSERT_EQ(::chmod(temp.c_str(), leftover.mode), 0);
    TDrinkCatalogue catalogue;
    Start(catalogue, path_);
    catalogue.InsertDrink(SampleDrink(leftover.what), true);
    const std::string saved = CatalogueDigest(catalogue);
    EXPECT_EQ(DigestOfFile(path_), saved);
    EXPECT_EQ(FolderNames(folder_.Dir()), std::set<std::string>{"zestoria.tdb"});
  }
}

TEST_F(SaveSafetyTest, AFailedWriteKeepsEveryChangeUntilTheNextSave) {
  // The disk fills up at once, after a few bytes, halfway through the save
  // and at its last byte.
  MakeCatalogue(path_, 20);
  struct TCase {
    int error_number;
    std::function<int64_t(int64_t)> allowed;
  };
  const TCase cases[] = {{ENOSPC, [](int64_t) { return int64_t{0}; }},
                         {ENOSPC, [](int64_t bytes) { return std::min<int64_t>(100, bytes - 1); }},
                         {ENOSPC, [](int64_t bytes) { return bytes / 2; }},
                         {EIO, [](int64_t bytes) { return bytes - 1; }}};
  TDrinkCatalogue catalogue;
  Start(catalogue, path_);
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.error_number));
    ExpectFailedSave(catalogue, "Cannot create file \"" + path_ + "\". " + std::strerror(c.error_number),
                     c.error_number, c.allowed);
  }
  EXPECT_NE(std::string(std::strerror(ENOSPC)).find("No space left on device"), std::string::npos);
  // The fault is gone: one save stores all four drinks.
  catalogue.SaveDatabase();
  EXPECT_EQ(DigestOfFile(path_), CatalogueDigest(catalogue));
  EXPECT_EQ(catalogue.ListDrinks("name = 'Unsaved'").size(), 4u);
}

TEST_F(SaveSafetyTest, AReadOnlyFileIsRefusedEvenForRootAndKeepsItsMode) {
  MakeCatalogue(path_, 5);
  TDrinkCatalogue catalogue;
  Start(catalogue, path_);
  ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
  ExpectFailedSave(catalogue, "Cannot create file \"" + path_ + "\". The file is read-only");
  ExpectFailedSave(catalogue, "Cannot create file \"" + path_ + "\". The file is read-only");

  // Writable again, with bits of its own: the save keeps them.
  ASSERT_EQ(::chmod(path_.c_str(), 0640), 0);
  catalogue.SaveDatabase();
  EXPECT_EQ(DigestOfFile(path_), CatalogueDigest(catalogue));
  EXPECT_EQ(catalogue.ListDrinks("name = 'Unsaved'").size(), 2u);
  struct stat st {};
  ASSERT_EQ(::stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// A small tmpfs on a folder of its own; skipped where mounting is not allowed.
class TSmallFileSystem {
 public:
  explicit TSmallFileSystem(const std::string& folder) : folder_(folder) {
    std::filesystem::create_directory(folder_);
    mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k") == 0;
    if (!mounted_) why_not_ = std::strerror(errno);
  }
  ~TSmallFileSystem() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  const std::string& why_not() const { return why_not_; }

 private:
  std::string why_not_;
  std::string folder_;
  bool mounted_ = false;
};

TEST_F(SaveSafetyTest, AFullFileSystemKeepsEveryChangeUntilTheNextSave) {
  TSmallFileSystem disk(folder_.Path("disk"));
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.why_not();
  path_ = folder_.Path("disk/zestoria.tdb");
  MakeCatalogue(path_, 10);
  TDrinkCatalogue catalogue;
  Start(catalogue, path_);

  // Fill what is left of the disk.
  const std::string filler = folder_.Path("disk/filler");
  {
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    const std::vector<char> block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    ::close(fd);
  }
  const std::string no_space = "Cannot create file \"" + path_ + "\". " + std::strerror(ENOSPC);
  ExpectFailedSave(catalogue, no_space);
  ExpectFailedSave(catalogue, no_space);

  std::filesystem::remove(filler);
  catalogue.SaveDatabase();
  EXPECT_EQ(DigestOfFile(path_), CatalogueDigest(catalogue));
  EXPECT_EQ(catalogue.ListDrinks("name = 'Unsaved'").size(), 2u);
}

}  // namespace
}  // namespace zestoria
