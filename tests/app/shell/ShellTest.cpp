// The shell's window pieces: platform filter texts, the login dialog as the
// engine's password prompt, the splash presentations and a start-up that
// cannot find its catalogue.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "shell/MainForm.h"
#include "platform/Journal.h"
#include "platform/Streams.h"
#include "shell/LoginForm.h"
#include "shell/Platform.h"
#include "shell/Splash.h"
#include "shell/Startup.h"
#include "storage/MemoryMedium.h"
#include "support/ScriptedPlatform.h"
#include "support/TempDir.h"
#include "tables/TinyDB.h"
#include "tables/WaitCursor.h"

namespace {

// Runs |act| on the modal dialog of type T as soon as it is open.
template <typename T>
void WhenModalOpens(std::function<void(T*)> act) {
  QTimer::singleShot(0, [act] {
    T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    act(dialog);
  });
}

int ScreenMiddleY() {
  const QRect area = QGuiApplication::primaryScreen()->geometry();
  return area.y() + area.height() / 2;
}

// ---- Platform ----

TEST(PlatformFilter, TranslatesPipeSeparatedPairs) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"Drink files (*.zdr)|*.zdr", "Drink files (*.zdr)"},
      {"Drink files|*.zdr|All files|*.*", "Drink files (*.zdr);;All files (*.*)"},
      {"Pictures|*.png;*.bmp", "Pictures (*.png *.bmp)"},
      {"|*.zdr", "*.zdr (*.zdr)"},
      {"*.zdr", "*.zdr"},
      {"Broken|", "All files (*)"},
      {"", "All files (*)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(QtFileFilter(QString::fromLatin1(c.in)).toStdString(), c.out) << c.in;
  }
}

TEST(PlatformFilter, ScriptedPlatformReplacesAndRestores) {
  TPlatform* qt = &Platform();
  {
    TScriptedPlatform scripted;
    EXPECT_EQ(&Platform(), &scripted);
    scripted.confirm_answers = {true};
    EXPECT_TRUE(Platform().Confirm(QStringLiteral("Sure?")));
    EXPECT_FALSE(Platform().Confirm(QStringLiteral("Again?")));
    EXPECT_EQ(scripted.Messages(QStringLiteral("Confirm")).size(), 2);
  }
  EXPECT_EQ(&Platform(), qt);
}

TEST(PlatformHooks, EngineWaitCursorReachesThePlatform) {
  TScriptedPlatform scripted;
  InstallShellHooks();
  { tinydb::TWaitCursorScope wait(true); }
  EXPECT_EQ(scripted.cursors, (std::vector<int>{-17, 0}));
}

// ---- Login dialog ----

TEST(LoginForm, ComponentsStandInTheirPlaces) {
  TTinyDBLoginForm form;
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Database Login"));
  EXPECT_EQ(form.size(), QSize(281, 154));
  EXPECT_EQ(form.BackPanel->geometry(), QRect(8, 8, 265, 75));
  EXPECT_EQ(form.DatabaseLabel->pos(), QPoint(12, 15));
  EXPECT_EQ(form.DatabaseLabel->text(), QStringLiteral("Database:"));
  EXPECT_EQ(form.PasswordLabel->pos(), QPoint(12, 45));
  EXPECT_EQ(form.PasswordLabel->text(), QStringLiteral("Password:"));
  EXPECT_EQ(form.DatabaseEdit->geometry(), QRect(86, 12, 167, 21));
  EXPECT_TRUE(form.DatabaseEdit->isReadOnly());
  EXPECT_EQ(form.DatabaseEdit->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(form.PasswordEdit->geometry(), QRect(86, 42, 167, 21));
  EXPECT_EQ(form.PasswordEdit->echoMode(), QLineEdit::Password);
  EXPECT_TRUE(form.PasswordEdit->text().isEmpty());
  EXPECT_EQ(form.OkButton->pos(), QPoint(109, 94));
  EXPECT_EQ(form.OkButton->text(), QStringLiteral("&OK"));
  EXPECT_TRUE(form.OkButton->isDefault());
  EXPECT_EQ(form.CancelButton->pos(), QPoint(191, 94));
  EXPECT_EQ(form.CancelButton->text(), QStringLiteral("&Cancel"));
  // Both buttons sit wholly inside the dialog.
  EXPECT_TRUE(form.rect().contains(form.CancelButton->geometry()));
}

// The shipped catalogue in memory, opened by a table that was given no
// password, so the engine asks the login prompt.
class LoginPromptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallLoginPrompt();
    image_.LoadFromFile(ZESTORIA_CATALOGUE_DB);
    table_.SetDatabaseName(tinydb::MemoryStreamToDatabaseName(&image_));
    table_.SetMediumType(tinydb::mtMemory);
    table_.SetTableName("drinks");
  }
  void TearDown() override {
    table_.Close();
    tinydb::UnregisterMemoryStream(&image_);
  }

  tinydb::TMemoryStream image_;
  tinydb::TTinyTable table_;
};

TEST_F(LoginPromptTest, OkWithTheRightPasswordOpensTheTable) {
  QString shown_name;
  WhenModalOpens<TTinyDBLoginForm>([&](TTinyDBLoginForm* form) {
    shown_name = form->DatabaseEdit->text();
    form->PasswordEdit->setText(QStringLiteral("fizzo"));
    form->OkButton->click();
  });
  table_.Open();
  EXPECT_TRUE(table_.Active());
  EXPECT_FALSE(shown_name.isEmpty());
  EXPECT_EQ(shown_name.toStdString(), tinydb::MemoryStreamToDatabaseName(&image_));
}

TEST_F(LoginPromptTest, WrongPasswordIsRefused) {
  WhenModalOpens<TTinyDBLoginForm>([](TTinyDBLoginForm* form) {
    form->PasswordEdit->setText(QStringLiteral("fizz"));
    form->OkButton->click();
  });
  EXPECT_THROW(table_.Open(), tinydb::EDatabaseError);
  EXPECT_FALSE(table_.Active());
}

TEST_F(LoginPromptTest, CancelStopsSilently) {
  bool cancelled = false;
  WhenModalOpens<TTinyDBLoginForm>([&cancelled](TTinyDBLoginForm* form) {
    form->PasswordEdit->setText(QStringLiteral("fizzo"));
    form->CancelButton->click();
    cancelled = true;
  });
  // Cancelling is no error: the table simply stays closed.
  EXPECT_NO_THROW(table_.Open());
  EXPECT_TRUE(cancelled);
  EXPECT_FALSE(table_.Active());
}

// ---- Splash ----

TEST(Splash, StartUpPresentationIsCutShortAndPlacedForFullHeight) {
  TSplash splash;
  splash.showSplash(1);
  EXPECT_TRUE(splash.isVisible());
  EXPECT_FALSE(splash.isModal());
  EXPECT_EQ(splash.size(), QSize(326, 221));
  // Placed as a 283-high window would be: 31 pixels above a centred 221.
  EXPECT_EQ(splash.y(), ScreenMiddleY() - 283 / 2);
  EXPECT_EQ(splash.y(), ScreenMiddleY() - 221 / 2 - 31);
  EXPECT_FALSE(splash.CloseButton->isVisibleTo(&splash));
  EXPECT_TRUE(splash.LoadingLabel->isVisibleTo(&splash));
  EXPECT_TRUE(splash.WaitLabel->isVisibleTo(&splash));
  EXPECT_EQ(splash.LoadingLabel->pos(), QPoint(246, 174));
  EXPECT_EQ(splash.WaitLabel->pos(), QPoint(236, 195));
  EXPECT_EQ(splash.Caption3->text(), QStringLiteral("presents..."));
  // The white texts fit inside the picture's frame.
  for (QLabel* label : {splash.Caption1, splash.Caption2, splash.Caption3,
                        splash.LoadingLabel, splash.WaitLabel}) {
    EXPECT_TRUE(QRect(2, 2, 322, 217).contains(label->geometry())) << label->text().toStdString();
  }
  splash.close();
}

TEST(Splash, AboutPresentationWaitsForClose) {
  TSplash splash;
  bool was_modal = false;
  QRect close_place;
  bool waiting_labels_shown = true;
  WhenModalOpens<TSplash>([&](TSplash* shown) {
    was_modal = true;
    close_place = shown->CloseButton->geometry();
    waiting_labels_shown = shown->LoadingLabel->isVisible() || shown->WaitLabel->isVisible();
    EXPECT_TRUE(shown->CloseButton->isVisible());
    EXPECT_EQ(shown->size(), QSize(326, 283));
    shown->CloseButton->click();
  });
  splash.showSplash(2);
  EXPECT_TRUE(was_modal);
  EXPECT_EQ(close_place, QRect(250, 193, 72, 25));
  EXPECT_FALSE(waiting_labels_shown);
  EXPECT_FALSE(splash.isVisible());
}

// ---- Start-up ----

TEST(StartUp, MissingCatalogueIsReportedAndNoWindowIsLeft) {
  TScriptedPlatform scripted;
  tinydb::test::TTempDir dir;
  const QString program = QString::fromStdString(dir.Path("zestoria"));
  std::unique_ptr<TMainForm> form = StartMainWindow({program});
  EXPECT_EQ(form, nullptr);
  ASSERT_EQ(scripted.Messages(QStringLiteral("Error")).size(), 1);
  EXPECT_TRUE(scripted.LastMessage().contains(QStringLiteral("zestoria.tdb")));
  QApplication::processEvents();
  for (QWidget* w : QApplication::topLevelWidgets()) {
    EXPECT_EQ(qobject_cast<TSplash*>(w), nullptr) << "a splash was left behind";
  }
}

TEST(StartUp, AJournalLeftByACrashIsRolledBackAndADamagedOneStopsTheStart) {
  TScriptedPlatform scripted;
  tinydb::test::TTempDir dir;
  const std::string db = dir.Path("zestoria.tdb");
  std::filesystem::copy_file(ZESTORIA_CATALOGUE_DB, db);
  tinydb::TMemoryStream original;
  original.LoadFromFile(db);
  // A save cut off after its journal: the header overwritten, a tail added.
  const std::vector<uint8_t> head(original.Bytes().begin(), original.Bytes().begin() + 64);
  auto crash = [&] {
    tinydb::WriteJournal(db, original.Size(), {{0, head}});
    std::vector<uint8_t> torn = original.Bytes();
    std::fill(torn.begin(), torn.begin() + 64, uint8_t{0x5a});
    torn.resize(torn.size() + 3000, 0x77);
    tinydb::TFileStream file(db, tinydb::TFileAccess::faReadWrite);
    file.WriteBuffer(torn.data(), static_cast<int64_t>(torn.size()));
  };
  const QString program = QString::fromStdString(dir.Path("zestoria"));

  crash();
  {
    std::unique_ptr<TMainForm> form = StartMainWindow({program});
    EXPECT_NE(form, nullptr);
    EXPECT_TRUE(scripted.Messages(QStringLiteral("Error")).isEmpty());
    EXPECT_FALSE(tinydb::JournalExists(db));
  }

  original.LoadFromFile(db);
  crash();
  const std::string journal_name = tinydb::JournalFileName(db);
  tinydb::TMemoryStream journal;
  journal.LoadFromFile(journal_name);
  journal.SetPosition(50);
  journal.WriteBuffer("\x01", 1);  // inside the old bytes: the checksum fails
  journal.SaveToFile(journal_name);
  tinydb::TMemoryStream torn;
  torn.LoadFromFile(db);
  std::unique_ptr<TMainForm> form = StartMainWindow({program});
  EXPECT_EQ(form, nullptr);
  ASSERT_EQ(scripted.Messages(QStringLiteral("Error")).size(), 1);
  EXPECT_TRUE(scripted.LastMessage().contains(QString::fromStdString(
      "The journal \"" + journal_name + "\" is not applied: its checksum fails")));
  EXPECT_TRUE(scripted.LastMessage().contains(QStringLiteral("Zestoria has not opened or changed the catalogue")));
  tinydb::TMemoryStream after;
  after.LoadFromFile(db);
  EXPECT_EQ(after.Bytes(), torn.Bytes());
  EXPECT_TRUE(tinydb::JournalExists(db));
}

}  // namespace
