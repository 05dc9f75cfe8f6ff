// Sessions and the session list: names, starting and stopping, automatic
// session names on a shared owner, lock settings, databases moving between
// sessions.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "engine/tables/BindingTestKit.h"

namespace tinydb {
namespace {

using test::ErrorOf;
using test::TBindingCursor;
using test::TMemoryImage;

class SessionTest : public ::testing::Test {
 protected:
  void TearDown() override {
    DefaultSession().SetActive(false);
    EXPECT_EQ(DefaultSession().DatabaseCount(), 0);
    EXPECT_EQ(Sessions().Count(), 1);  // only the default session is left
  }
};

TEST_F(SessionTest, DefaultSessionAndLookupByName) {
  EXPECT_EQ(DefaultSession().SessionName(), "Default");
  EXPECT_EQ(Sessions().List().front(), &DefaultSession());
  EXPECT_EQ(Sessions().FindSession(""), &DefaultSession());
  EXPECT_EQ(Sessions().FindSession("DEFAULT"), &DefaultSession());
  EXPECT_EQ(&Sessions().SessionByName(""), &DefaultSession());

  TTinySession work;
  work.SetSessionName("Work");
  EXPECT_EQ(Sessions().FindSession("work"), &work);
  EXPECT_EQ(Sessions().FindSession("Play"), nullptr);
  EXPECT_EQ(ErrorOf([] { Sessions().SessionByName("Play"); }), "Invalid session name Play");

  TBindingCursor cursor;
  cursor.SetSessionName("Play");
  cursor.SetDatabaseName(":00000000");
  EXPECT_EQ(ErrorOf([&] { cursor.OpenOrThrow(); }), "Invalid session name Play");
  EXPECT_EQ(&cursor.Session(), &DefaultSession());  // unknown name: the default one
  cursor.SetSessionName("WORK");
  EXPECT_EQ(&cursor.Session(), &work);
}

TEST_F(SessionTest, SessionNameRules) {
  TTinySession first;
  first.SetSessionName("Alpha");
  TTinySession second;
  EXPECT_EQ(ErrorOf([&] { second.SetSessionName("ALPHA"); }), "Duplicate session name 'ALPHA'");
  EXPECT_EQ(ErrorOf([&] { second.SetSessionName("default"); }), "Duplicate session name 'default'");
  EXPECT_EQ(second.SessionName(), "");
  EXPECT_EQ(ErrorOf([&] { first.SetSessionName("alpha"); }), "(no error)");  // its own name

  int startups = 0;
  second.OnStartup = [&](TComponent* sender) {
    EXPECT_EQ(sender, &second);
    ++startups;
  };
  EXPECT_EQ(ErrorOf([&] { second.SetActive(true); }), "Session name missing");
  EXPECT_FALSE(second.Active());
  EXPECT_EQ(startups, 1);

  second.SetSessionName("Beta");
  DefaultSession().SetActive(false);
  second.SetActive(true);
  EXPECT_TRUE(second.Active());
  EXPECT_TRUE(DefaultSession().Active());  // starting any session starts the default one
  EXPECT_EQ(startups, 2);
  second.SetActive(true);  // no change, no event
  EXPECT_EQ(startups, 2);
  EXPECT_EQ(ErrorOf([&] { second.SetSessionName("Gamma"); }),
            "Cannot perform this operation on an active session");
}

TEST_F(SessionTest, LockSettingsStoreNegativesAsZero) {
  TTinySession session;
  EXPECT_EQ(session.LockRetryCount(), 20);
  EXPECT_EQ(session.LockWaitTime(), 100);
  EXPECT_TRUE(session.SQLHourGlass());
  EXPECT_FALSE(session.KeepConnections());
  struct Case {
    int assigned, stored;
  };
  for (Case c : {Case{0, 0}, Case{-5, 0}, Case{7, 7}}) {
    session.SetLockRetryCount(c.assigned);
    session.SetLockWaitTime(c.assigned);
    EXPECT_EQ(session.LockRetryCount(), c.stored);
    EXPECT_EQ(session.LockWaitTime(), c.stored);
  }
  // File access reads them through the database of that session.
  TTinyDatabase database(&session);
  EXPECT_EQ(database.Session(), &session);
  EXPECT_EQ(database.LockRetryCount(), 7);
  EXPECT_EQ(database.LockWaitTime(), 7);
}

TEST_F(SessionTest, AutoSessionNameFollowsTheComponentName) {
  TComponent form;
  auto* cursor_before = new TBindingCursor(&form);
  auto* database_before = new TTinyDatabase(&form);
  auto* session = new TTinySession(&form);
  session->SetName("Session1");
  session->SetAutoSessionName(true);
  EXPECT_EQ(session->AutoSessionNumber(), 0);
  EXPECT_EQ(session->SessionName(), "Session1_1");
  EXPECT_EQ(cursor_before->SessionName(), "Session1_1");
  EXPECT_EQ(database_before->SessionName(), "Session1_1");

  auto* cursor_after = new TBindingCursor(&form);
  auto* database_after = new TTinyDatabase(&form);
  EXPECT_EQ(cursor_after->SessionName(), "Session1_1");
  EXPECT_EQ(database_after->Session(), session);
  EXPECT_EQ(database_after->SessionName(), "Session1_1");

  session->SetName("Main");
  EXPECT_EQ(session->SessionName(), "Main_1");
  EXPECT_EQ(cursor_after->SessionName(), "Main_1");

  EXPECT_EQ(ErrorOf([&] { session->SetSessionName("Mine"); }),
            "Cannot modify SessionName while AutoSessionName is enabled");
  EXPECT_EQ(ErrorOf([&] { new TTinySession(&form); }),
            "Cannot add a session to the form or data-module while session 'Main' has "
            "AutoSessionName enabled");
  EXPECT_EQ(form.ComponentCount(), 5);  // the refused session is gone
}

TEST_F(SessionTest, SecondSessionOnAnOwnerCannotNameItself) {
  TComponent form;
  new TTinySession(&form);
  auto* second = new TTinySession(&form);
  EXPECT_EQ(ErrorOf([&] { second->SetAutoSessionName(true); }),
            "Cannot enable AutoSessionName property with more than one session on a form or "
            "data-module");
  EXPECT_FALSE(second->AutoSessionName());

  TTinySession active;
  active.SetSessionName("Running");
  active.SetActive(true);
  EXPECT_EQ(ErrorOf([&] { active.SetAutoSessionName(true); }),
            "Cannot perform this operation on an active session");
}

TEST_F(SessionTest, AutoSessionNumbersReuseTheLowestFree) {
  TComponent form_a, form_b, form_c;
  auto* a = new TTinySession(&form_a);
  auto* b = new TTinySession(&form_b);
  a->SetName("A");
  b->SetName("B");
  a->SetAutoSessionName(true);
  b->SetAutoSessionName(true);
  EXPECT_EQ(a->SessionName(), "A_1");
  EXPECT_EQ(b->SessionName(), "B_2");

  a->SetAutoSessionName(false);
  EXPECT_EQ(a->AutoSessionNumber(), -1);
  EXPECT_EQ(a->SessionName(), "A_1");  // the name stays; the number is free
  auto* c = new TTinySession(&form_c);
  c->SetName("C");
  c->SetAutoSessionName(true);
  EXPECT_EQ(c->SessionName(), "C_1");
  a->SetAutoSessionName(true);
  EXPECT_EQ(a->SessionName(), "A_3");
  delete c;  // frees number 0
  a->SetAutoSessionName(false);
  a->SetAutoSessionName(true);
  EXPECT_EQ(a->SessionName(), "A_1");
}

TEST_F(SessionTest, StoppingFreesTemporariesAndDisconnectsTheOthers) {
  TMemoryImage image_a, image_b;
  TTinySession work;
  work.SetSessionName("Work");
  TComponent window;
  auto* named = new TTinyDatabase(&window);  // joins the default session for now
  named->SetDatabaseName("named");
  named->SetFileName(image_a.Name());
  named->SetMediumType(mtMemory);
  named->SetSessionName("Work");
  named->Connect();  // moves to "Work" and starts it
  EXPECT_EQ(named->Session(), &work);
  EXPECT_TRUE(work.Active());

  TBindingCursor cursor;
  cursor.SetSessionName("work");
  cursor.SetDatabaseName(image_b.Name());
  cursor.SetMediumType(mtMemory);
  cursor.OpenOrThrow();
  TTinyDatabase* temporary = work.FindDatabase(image_b.Name());
  ASSERT_NE(temporary, nullptr);
  EXPECT_EQ(cursor.Database(), temporary);
  EXPECT_EQ(work.DatabaseCount(), 2);

  work.SetActive(false);
  EXPECT_FALSE(work.Active());
  EXPECT_FALSE(cursor.Active());
  EXPECT_EQ(cursor.Database(), nullptr);
  EXPECT_EQ(work.FindDatabase(image_b.Name()), nullptr);
  EXPECT_EQ(work.FindDatabase("NAMED"), named);
  EXPECT_FALSE(named->Connected());

  // Opening on a stopped session starts it again.
  cursor.OpenOrThrow();
  EXPECT_TRUE(work.Active());
  cursor.Close();
}

TEST_F(SessionTest, KeepConnectionsKeepsTemporaryDatabases) {
  TMemoryImage image;
  TTinySession keeping;
  keeping.SetSessionName("Keeping");
  keeping.SetKeepConnections(true);
  TBindingCursor cursor;
  cursor.SetSessionName("Keeping");
  cursor.SetDatabaseName(image.Name());
  cursor.SetMediumType(mtMemory);
  cursor.OpenOrThrow();
  cursor.Close();
  TTinyDatabase* database = keeping.FindDatabase(image.Name());
  ASSERT_NE(database, nullptr);
  EXPECT_TRUE(database->KeepConnection());
  EXPECT_TRUE(database->Connected());
  EXPECT_EQ(database->UseCount(), 0);
}

TEST_F(SessionTest, CursorMovesAStrayDatabaseToItsSession) {
  TMemoryImage image;
  TComponent window;
  auto* database = new TTinyDatabase(&window);
  database->SetDatabaseName("stray");
  database->SetFileName(image.Name());
  database->SetMediumType(mtMemory);
  database->SetSessionName("Later");
  EXPECT_EQ(database->Session(), &DefaultSession());

  auto* later = new TTinySession();
  later->SetSessionName("Later");
  TBindingCursor cursor;
  cursor.SetSessionName("Later");
  cursor.SetDatabaseName("STRAY");
  cursor.OpenOrThrow();
  EXPECT_EQ(cursor.Database(), database);
  EXPECT_EQ(database->Session(), later);
  EXPECT_EQ(DefaultSession().FindDatabase("stray"), nullptr);
  cursor.Close();
  EXPECT_FALSE(database->Connected());

  // When its session goes, the database falls back to the default session.
  database->Connect();
  delete later;
  EXPECT_EQ(database->Session(), &DefaultSession());
  EXPECT_EQ(database->SessionName(), "");
  EXPECT_FALSE(database->Connected());
}

TEST_F(SessionTest, SetMediumTypeReachesTheNamedDatabase) {
  TMemoryImage image;
  TComponent window;
  auto* database = new TTinyDatabase(&window);
  database->SetDatabaseName("recipes");
  database->SetFileName(image.Name());
  TBindingCursor cursor;
  cursor.SetDatabaseName("Recipes");
  cursor.SetMediumType(mtMemory);
  EXPECT_EQ(database->MediumType(), mtMemory);
  cursor.OpenOrThrow();
  EXPECT_EQ(cursor.Database(), database);
}

TEST_F(SessionTest, SessionListIsSafeFromSeveralThreads) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 50; ++i) {
        TTinySession session;
        std::string name = "T";
        name += std::to_string(t) + "_" + std::to_string(i);
        session.SetSessionName(name);
        EXPECT_EQ(Sessions().FindSession(session.SessionName()), &session);
        EXPECT_EQ(Sessions().FindSession(""), &DefaultSession());
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
}

}  // namespace
}  // namespace tinydb
