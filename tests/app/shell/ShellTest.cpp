// The shell's window pieces: platform filter texts, the login dialog and
// the splash.
#include <gtest/gtest.h>

#include <QString>

#include "shell/Platform.h"
#include "support/ScriptedPlatform.h"

namespace {

TEST(PlatformFilter, TranslatesPipeSeparatedPairs) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"Drink files (*.zdr)|*.zdr", "Drink files (*.zdr)"},
      {"Drink files|*.zdr|All files|*.*", "Drink files (*.zdr);;All files (*.*)"},
      {"Pictures|*.png;*.bmp", "Pictures (*.png *.bmp)"},
      {"|*.zdr", "*.zdr (*.zdr)"},
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

}  // namespace
