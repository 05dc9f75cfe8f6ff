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

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "CatalogueTestKit.h"
#include "catalogue/DrinkCatalogue.h"
#include "platform/Errors.h"
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
  // |message|, and checks that the file and the folder are as before while
  // the image keeps the drink. Returns the catalogue's digest.
  void ExpectFailedSave(TDrinkCatalogue& catalogue, const std::string& message) {
    const std::vector<uint8_t> before = FileBytes(path_);
    const std::set<std::string> names = FolderNames(folder_.Dir());
    try {
      catalogue.InsertDrink(SampleDrink("Unsaved"), true);
      ADD_FAILURE() << "the save did not fail";
    } catch (const tinydb::EStreamError& e) {
      EXPECT_EQ(e.what(), message);
    }
    EXPECT_EQ(FileBytes(path_), before);
    EXPECT_EQ(FolderNames(folder_.Dir()), names);  // no temporary left
    EXPECT_EQ(catalogue.LoadDrink(static_cast<int32_t>(catalogue.NextDrinkId() - 1)).name, "Unsaved");
  }

  tinydb::test::TTempDir folder_;
  std::string path_ = folder_.Path("zestoria.tdb");
};

TEST_F(SaveSafetyTest, KillingTheSaverMidSaveLeavesTheOldOrTheNewCatalogue) {
  MakeCatalogue(path_, 60);
  const std::string state_a = DigestOfFile(path_);
  TDrinkCatalogue flipped;
  flipped.OpenImage(FileBytes(path_), folder_.Path("unused.tdb"));
  test::FlipCatalogueState(flipped);
  const std::string state_b = CatalogueDigest(flipped);
  ASSERT_NE(state_a, state_b);

  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::set<std::string> states_seen;
  for (int round = 0; round < 40; ++round) {
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
    for (int i = 0; i < saves && running; ++i) running = std::fgets(line, sizeof line, lines) != nullptr;
    ::usleep(std::uniform_int_distribution<useconds_t>(0, 30000)(random));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    std::fclose(lines);
    ASSERT_TRUE(running) << "the save loop ended by itself in round " << round;
    ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round;

    std::string digest;
    ASSERT_NO_THROW(digest = DigestOfFile(path_)) << "round " << round;
    ASSERT_TRUE(digest == state_a || digest == state_b) << "round " << round;
    states_seen.insert(digest);
    // At most the one temporary of the save that was cut off.
    std::set<std::string> names = FolderNames(folder_.Dir());
    names.erase("zestoria.tdb.tmp");
    EXPECT_EQ(names, std::set<std::string>{"zestoria.tdb"}) << "round " << round;
  }
  EXPECT_EQ(states_seen.size(), 2u);

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
  // The disk fills up at once, after a few bytes, and halfway through.
  const int64_t image_size = static_cast<int64_t>(FileBytes((MakeCatalogue(path_, 20), path_)).size());
  struct TCase {
    int error_number;
    int64_t bytes_allowed;
  };
  const TCase cases[] = {{ENOSPC, 0}, {ENOSPC, 100}, {ENOSPC, image_size / 2}, {EIO, 4096}};
  TDrinkCatalogue catalogue;
  Start(catalogue, path_);
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.error_number) + " after " + std::to_string(c.bytes_allowed));
    TWriteFault fault(c.error_number, c.bytes_allowed);
    ExpectFailedSave(catalogue, "Cannot create file \"" + path_ + "\". " + std::strerror(c.error_number));
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
