// Two real copies of the program: the second hands its exchange file to the
// running one, which imports and saves it. The running copy answers only
// once its user has answered "Display newly add drinks?", which nobody does
// here, so the second copy is still waiting for that answer at the end.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/Drink.h"
#include "catalogue/DrinkCatalogue.h"
#include "exchange/ExchangeWriter.h"
#include "support/TempDir.h"

namespace {

size_t DrinksOnDisk(const QString& database) {
  zestoria::TDrinkCatalogue catalogue;
  catalogue.Open(database.toStdString());
  return catalogue.ListDrinks("").size();
}

zestoria::TDrink Drink(const std::string& name) {
  zestoria::TDrink drink;
  drink.name = name;
  drink.ingred = "1 oz Gin\r\n4 oz Tonic Water";
  drink.directions = "Build over ice.";
  drink.glass = 7;
  return drink;
}

TEST(InstanceGuardProcessTest, SecondCopyHandsItsFileToTheRunningCopy) {
  tinydb::test::TTempDir dir;
  const QString folder = QString::fromStdString(dir.Dir().string());
  // Each copy runs from a folder of its own with its own catalogue, so the
  // drinks can only reach the first copy's catalogue through the guard.
  auto install = [&](const QString& where) {
    EXPECT_TRUE(QDir().mkpath(where));
    EXPECT_TRUE(QFile::copy(ZESTORIA_APP, where + "/zestoria"));
    EXPECT_TRUE(QFile::copy(ZESTORIA_CATALOGUE_DB, where + "/zestoria.tdb"));
    QFile::setPermissions(where + "/zestoria.tdb", QFile::ReadOwner | QFile::WriteOwner);
  };
  install(folder + "/a");
  install(folder + "/b");
  const QString database = folder + "/a/zestoria.tdb";
  const QString second_database = folder + "/b/zestoria.tdb";
  const QString runtime = folder + "/run";
  ASSERT_TRUE(QDir().mkpath(runtime));
  QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  const QString exchange = folder + "/two.zdr";
  zestoria::WriteExchangeFile(exchange.toStdString(), "Two drinks",
                              {Drink("Guard Test One"), Drink("Guard Test Two")});

  const size_t before = DrinksOnDisk(database);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_RUNTIME_DIR", runtime);

  QProcess first;
  first.setProcessEnvironment(env);
  first.start(folder + "/a/zestoria", {});
  ASSERT_TRUE(first.waitForStarted(10000));
  // The running copy is ready once it has claimed its lock and socket.
  for (int i = 0; i < 200 && QDir(runtime).entryList(QDir::Files | QDir::System).size() < 2; ++i)
    QThread::msleep(50);
  ASSERT_GE(QDir(runtime).entryList(QDir::Files | QDir::System).size(), 2);

  QProcess second;
  second.setProcessEnvironment(env);
  second.start(folder + "/b/zestoria", {exchange});
  ASSERT_TRUE(second.waitForStarted(10000));

  // The running copy saves right after importing, before its question.
  size_t after = before;
  for (int i = 0; i < 100 && after == before; ++i) {
    QThread::msleep(100);
    try {
      after = DrinksOnDisk(database);
    } catch (const std::exception&) {
      // caught mid-rename: look again
    }
  }
  EXPECT_EQ(after, before + 2);
  EXPECT_EQ(DrinksOnDisk(second_database), before);
  EXPECT_EQ(first.state(), QProcess::Running);
  EXPECT_EQ(second.state(), QProcess::Running);  // waiting for the answer
  first.kill();
  first.waitForFinished(5000);
  second.kill();
  second.waitForFinished(5000);
}

}  // namespace
