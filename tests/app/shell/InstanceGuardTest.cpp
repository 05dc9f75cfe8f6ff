// The single-instance guard: one running copy per user, a second copy's
// arguments handed over and answered, a stale socket left by a crashed copy.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <memory>

#include "shell/InstanceGuard.h"
#include "support/TempDir.h"

namespace {

class InstanceGuardTest : public ::testing::Test {
 protected:
  QString Dir() const { return QString::fromStdString(folder.Path("")); }
  std::unique_ptr<TInstanceGuard> NewGuard() {
    return std::make_unique<TInstanceGuard>(QStringLiteral("Zestoria2003_main"), Dir());
  }
  void TearDown() override { SetInstanceCallback(nullptr, {}); }

  tinydb::test::TTempDir folder;
};

TEST_F(InstanceGuardTest, SecondCopyHandsOverItsArgumentsAndEnds) {
  QFile::setPermissions(Dir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  auto first = NewGuard();
  ASSERT_TRUE(first->Start({QStringLiteral("zestoria")}));
  ASSERT_TRUE(first->IsRunningCopy()) << first->Problem().toStdString();

  QObject owner;
  QStringList received;
  SetInstanceCallback(&owner, [&received](const QStringList& arguments) { received = arguments; });

  auto second = NewGuard();
  EXPECT_FALSE(second->Start({QStringLiteral("/other/zestoria"), QStringLiteral("party.zdr")}));
  EXPECT_FALSE(second->IsRunningCopy());
  // A relative file is named from the second copy's folder.
  EXPECT_EQ(received, (QStringList{QStringLiteral("/other/zestoria"), QDir::current().absoluteFilePath(QStringLiteral("party.zdr"))}));
  EXPECT_EQ(first->ForwardedData(), 2112u);

  // Without an owner the message is answered and dropped.
  SetInstanceCallback(nullptr, {});
  received.clear();
  EXPECT_FALSE(NewGuard()->Start({QStringLiteral("zestoria")}));
  EXPECT_TRUE(received.isEmpty());
  EXPECT_EQ(first->ForwardedArguments(), QStringList{QStringLiteral("zestoria")});

  // Once the first copy has ended, the next one runs.
  first.reset();
  auto next = NewGuard();
  EXPECT_TRUE(next->Start({QStringLiteral("zestoria")}));
  EXPECT_TRUE(next->IsRunningCopy());
}

TEST_F(InstanceGuardTest, StaleSocketDoesNotStopTheNextStart) {
  QFile::setPermissions(Dir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  QString stale;
  {
    auto probe = NewGuard();
    ASSERT_TRUE(probe->Start({}));
    stale = probe->ServerName();
  }
  QFile leftover(stale);
  ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
  leftover.close();
  auto guard = NewGuard();
  EXPECT_TRUE(guard->Start({}));
  EXPECT_TRUE(guard->IsRunningCopy());
  EXPECT_TRUE(guard->Problem().isEmpty()) << guard->Problem().toStdString();
}

TEST_F(InstanceGuardTest, AFolderOthersCanReachIsNotUsed) {
  QFile::setPermissions(Dir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                   QFileDevice::ReadOther | QFileDevice::ExeOther);
  auto guard = NewGuard();
  EXPECT_TRUE(guard->Start({}));
  EXPECT_FALSE(guard->IsRunningCopy());
  EXPECT_FALSE(guard->Problem().isEmpty());
}

}  // namespace
