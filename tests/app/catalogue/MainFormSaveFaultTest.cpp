// The main window while saves fail (a full disk, a read-only file): each
// failed save is reported once, the window and the image keep the change,
// and the first save that works stores every change made meanwhile.
#include <sys/stat.h>

#include <QLineEdit>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/catalogue/MainFormFixture.h"

namespace zestoria::test {
namespace {

enum class TFault { kDiskFull, kReadOnlyFile };

class MainFormSaveFaultTest : public MainFormTest, public ::testing::WithParamInterface<TFault> {
 protected:
  void TearDown() override {
    tinydb::SetFileWriteFault(0);
    MainFormTest::TearDown();
  }
  void StartFault() {
    if (GetParam() == TFault::kDiskFull) tinydb::SetFileWriteFault(ENOSPC);
    else ASSERT_EQ(::chmod(databasePath.c_str(), 0444), 0);
  }
  void EndFault() {
    if (GetParam() == TFault::kDiskFull) tinydb::SetFileWriteFault(0);
    else ASSERT_EQ(::chmod(databasePath.c_str(), 0644), 0);
  }
  QString FaultMessage() const {
    return QString::fromStdString("Cannot create file \"" + databasePath + "\". " +
                                  (GetParam() == TFault::kDiskFull ? std::strerror(ENOSPC)
                                                                   : "The file is read-only"));
  }
  int RowOf(int32_t id) const {
    const std::vector<int32_t> ids = ListedIds();
    return static_cast<int>(std::find(ids.begin(), ids.end(), id) - ids.begin());
  }
  void Modify(int32_t id, const char* name) {
    ClickRow(RowOf(id));
    Recipe().ButModifyClick();
    RecipeUi().StaticTitle->setText(name);
    Recipe().ButtonCommitClick();
  }
};

TEST_P(MainFormSaveFaultTest, EveryFailedSaveIsReportedOnceAndTheNextSaveStoresAll) {
  const std::vector<uint8_t> fileAfterStart = FileBytes(databasePath);
  StartFault();

  Recipe().ButAddClick();
  RecipeUi().StaticTitle->setText("Unsaved");
  Recipe().ButtonCommitClick();
  EXPECT_EQ(platform.Messages("Error"), QStringList{FaultMessage()});
  EXPECT_EQ(form->currentDrink().name, "Unsaved");

  Modify(2, "Zzz Apple");
  EXPECT_EQ(platform.Messages("Error").size(), 2u);
  EXPECT_EQ(Recipe().itemText(RowOf(2)), makeListItem("Zzz Apple", 2));

  ClickRow(RowOf(3));
  platform.confirm_answers = {true};
  Recipe().ButDeleteClick();
  EXPECT_EQ(platform.Messages("Error"), QStringList(3, FaultMessage()));

  // The window and the image hold all three changes; the file none.
  EXPECT_EQ(ListedIds(), (std::vector<int32_t>{2, 1, 10, 9, 11, 5}));  // 2 keeps its place
  EXPECT_EQ(form->modeWord(), "Browse");
  EXPECT_EQ(FileBytes(databasePath), fileAfterStart);
  EXPECT_FALSE(std::filesystem::exists(databasePath + ".tmp"));

  EndFault();
  Modify(9, "Sour Saved");
  EXPECT_EQ(platform.Messages("Error").size(), 3u);  // no new report
  EXPECT_EQ(DrinkOnDisk(11).name, "Unsaved");
  EXPECT_EQ(DrinkOnDisk(2).name, "Zzz Apple");
  EXPECT_FALSE(DrinkOnDiskExists(3));
  EXPECT_EQ(DrinkOnDisk(9).name, "Sour Saved");
}

INSTANTIATE_TEST_SUITE_P(Faults, MainFormSaveFaultTest,
                         ::testing::Values(TFault::kDiskFull, TFault::kReadOnlyFile),
                         [](const ::testing::TestParamInfo<TFault>& info) {
                           return info.param == TFault::kDiskFull ? std::string("DiskFull")
                                                                  : std::string("ReadOnlyFile");
                         });

}  // namespace
}  // namespace zestoria::test
