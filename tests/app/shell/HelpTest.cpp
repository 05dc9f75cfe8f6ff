// The help bridge's command table, the compiled help file as the build makes
// it, and the help viewer opened through its entry point.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QWidget>

#include "shell/HelpFile.h"
#include "shell/HelpViewer.h"
#include "shell/UseHTMLHelp.h"
#include "support/ScriptedPlatform.h"

namespace {

QString BuiltHelpFile() { return QStringLiteral(ZESTORIA_APP_DIR "/zestoria.chm"); }

TEST(UseHTMLHelpTest, EachCommandReachesTheViewerOnceAsTheTableSays) {
  struct Case {
    quint16 command;
    quint32 data;
    int hh_command;
    bool with_file;
    quint32 hh_data;
  };
  const Case cases[] = {
      {HELP_CONTEXT, 200, 15, true, 200},
      {HELP_CONTEXTPOPUP, 300, 15, true, 300},
      {HELP_KEY, 77, 2, true, 77},
      {HELP_QUIT, 55, 18, false, 0},
      {HELP_CONTENTS, 0, 0, true, 0},
      {HELP_CONTENTS, 9, 0, true, 0},
      {0x0004, 123, 0, true, 0},  // any other command: the default topic
  };
  const QString file = QStringLiteral("/opt/zestoria/zestoria.chm");
  SetApplicationHelpFile(file);
  TUseHTMLHelp help;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    TScriptedPlatform platform;
    bool call_help = true;
    EXPECT_TRUE(help.HandleHelp(c.command, c.data, &call_help));
    EXPECT_FALSE(call_help);
    ASSERT_EQ(platform.help_calls.size(), 1u);
    EXPECT_EQ(platform.help_calls[0].command, c.hh_command);
    EXPECT_EQ(platform.help_calls[0].file, c.with_file ? file : QString());
    EXPECT_EQ(platform.help_calls[0].data, c.hh_data);
  }
  SetApplicationHelpFile(QString());
}

TEST(UseHTMLHelpTest, ApplicationCommandsGoThroughTheInstalledHandlerOnly) {
  TScriptedPlatform platform;
  SetApplicationHelpFile(QStringLiteral("help.chm"));
  EXPECT_FALSE(ApplicationHelpContext(kHelpRecipePage));
  EXPECT_TRUE(platform.help_calls.empty());

  TUseHTMLHelp help;
  InstallHelpHandler(&help);
  EXPECT_TRUE(ApplicationHelpContext(HelpContextOfPage(1)));
  EXPECT_TRUE(ApplicationHelpCommand(HELP_CONTENTS, 0));
  InstallHelpHandler(nullptr);
  SetApplicationHelpFile(QString());

  ASSERT_EQ(platform.help_calls.size(), 2u);
  EXPECT_EQ(platform.help_calls[0].command, 15);
  EXPECT_EQ(platform.help_calls[0].data, quint32(kHelpSearchPage));
  EXPECT_EQ(platform.help_calls[1].command, 0);
  EXPECT_EQ(platform.help_calls[1].file, QStringLiteral("help.chm"));
}

TEST(HelpFileTest, SitemapKeepsNestingNamesAndTopics) {
  const QByteArray hhc =
      "<ul><li><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Cats &amp; Dogs\">"
      "<param name=\"Local\" value=\"pets.htm\"></OBJECT>\n"
      "<UL><LI><object type=\"text/sitemap\"><PARAM NAME=\"Name\" VALUE=\"Dogs\">"
      "<param name=\"Local\" value=\"sub/dogs.htm#walk\"></object></UL>\n"
      "<li><OBJECT type=\"text/site properties\"><param name=\"Name\" value=\"skip\"></OBJECT>"
      "<li><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Fish\"></OBJECT></ul>";
  const std::vector<THelpEntry> entries = THelpFile::ParseSitemap(hhc);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, QStringLiteral("Cats & Dogs"));
  EXPECT_EQ(entries[0].depth, 0);
  EXPECT_EQ(entries[1].depth, 1);
  EXPECT_EQ(THelpFile::NormalPath(entries[1].local), QStringLiteral("sub/dogs.htm"));
  EXPECT_EQ(entries[2].name, QStringLiteral("Fish"));
  EXPECT_EQ(entries[2].depth, 0);
  EXPECT_TRUE(entries[2].local.isEmpty());
  EXPECT_EQ(THelpFile::NormalPath(QStringLiteral("x.chm::/a/b.htm")), QStringLiteral("a/b.htm"));
}

class BuiltHelpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFile::exists(BuiltHelpFile())) << "build the target zestoria_help first";
    help_ = std::make_unique<THelpFile>(BuiltHelpFile());
    ASSERT_TRUE(help_->IsOpen()) << help_->ErrorText().toStdString();
  }
  std::unique_ptr<THelpFile> help_;
};

TEST_F(BuiltHelpTest, EveryContextNumberOpensItsTopic) {
  const std::pair<quint32, const char*> map[] = {
      {kHelpWelcome, "welcome.htm"},     {kHelpRecipePage, "recipe.htm"},
      {kHelpDisplayMenu, "display.htm"}, {kHelpFind, "find.htm"},
      {kHelpAdding, "adding.htm"},       {kHelpModifying, "modifying.htm"},
      {kHelpDeleting, "deleting.htm"},   {kHelpMarking, "marking.htm"},
      {kHelpCopying, "copying.htm"},     {kHelpImporting, "importing.htm"},
      {kHelpRecipeFiles, "recipefiles.htm"},
      {kHelpPrinting, "printing.htm"},   {kHelpSearchPage, "search.htm"},
      {kHelpInformationPage, "information.htm"}, {kHelpKeyboard, "keyboard.htm"},
      {kHelpMenus, "menus.htm"},         {kHelpSaving, "saving.htm"},
      {kHelpMyBar, "mybar.htm"},         {kHelpMakeable, "makeable.htm"},
      {kHelpShoppingList, "shopping.htm"},
  };
  for (const auto& [context, topic] : map) {
    EXPECT_EQ(help_->TopicOfContext(context), QString::fromLatin1(topic)) << context;
    EXPECT_FALSE(help_->Read(QString::fromLatin1(topic)).isEmpty()) << topic;
  }
  EXPECT_EQ(help_->TopicOfContext(9999), QString());
  EXPECT_EQ(HelpContextOfPage(0), quint32(kHelpRecipePage));
  EXPECT_EQ(HelpContextOfPage(1), quint32(kHelpSearchPage));
  EXPECT_EQ(HelpContextOfPage(2), quint32(kHelpInformationPage));
}

TEST_F(BuiltHelpTest, DefaultTopicContentsAndIndexAllOpen) {
  EXPECT_EQ(help_->DefaultTopic(), QStringLiteral("welcome.htm"));
  EXPECT_EQ(help_->Title(), QStringLiteral("Zestoria Help"));
  ASSERT_GE(help_->Contents().size(), 16u);
  EXPECT_EQ(help_->Contents()[0].local, QStringLiteral("welcome.htm"));
  ASSERT_GE(help_->Index().size(), 40u);
  for (const auto* list : {&help_->Contents(), &help_->Index()}) {
    for (const THelpEntry& e : *list) {
      EXPECT_TRUE(help_->Contains(e.local)) << e.name.toStdString() << " -> " << e.local.toStdString();
    }
  }
}

TEST_F(BuiltHelpTest, EveryLinkAndPictureOfEveryTopicIsInTheFile) {
  static const QRegularExpression reference(
      QStringLiteral("(?:href|src)\\s*=\\s*\"([^\"#:]+)[^\"]*\""),
      QRegularExpression::CaseInsensitiveOption);
  int topics = 0;
  for (const THelpEntry& e : help_->Contents()) {
    const QString page = QString::fromUtf8(help_->Read(e.local));
    ASSERT_FALSE(page.isEmpty()) << e.local.toStdString();
    ++topics;
    for (auto it = reference.globalMatch(page); it.hasNext();) {
      const QString target = it.next().captured(1);
      EXPECT_TRUE(help_->Contains(target))
          << e.local.toStdString() << " refers to missing " << target.toStdString();
    }
  }
  EXPECT_GE(topics, 16);
  EXPECT_FALSE(QImage::fromData(help_->Read(QStringLiteral("images/cocktail.png"))).isNull());
}

TEST(HelpFileTest, MissingOrDamagedFilesAreRefusedWithAReason) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const auto write = [&](const char* name, const QByteArray& bytes) {
    QFile f(dir.filePath(QString::fromLatin1(name)));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return f.fileName();
  };
  QByteArray real;
  {
    QFile f(BuiltHelpFile());
    if (f.open(QIODevice::ReadOnly)) real = f.readAll();
  }
  ASSERT_GT(real.size(), 8192);
  QByteArray scrambled = real;
  for (qsizetype i = 0x60; i < scrambled.size(); i += 7) scrambled[i] = char(scrambled[i] ^ 0x5a);

  const QString files[] = {
      dir.filePath(QStringLiteral("missing.chm")),
      write("empty.chm", QByteArray()),
      write("text.chm", QByteArray("<html>not a help file</html>").repeated(20)),
      write("header-only.chm", real.left(0x60)),
      write("cut.chm", real.left(real.size() / 3)),
      write("scrambled.chm", scrambled),
  };
  for (const QString& path : files) {
    SCOPED_TRACE(path.toStdString());
    THelpFile help(path);
    EXPECT_FALSE(help.IsOpen());
    EXPECT_FALSE(help.ErrorText().isEmpty());
    EXPECT_TRUE(help.Read(QStringLiteral("welcome.htm")).isEmpty());

    TScriptedPlatform platform;
    ShowHtmlHelp(HH_DISPLAY_TOPIC, path, 0);
    EXPECT_EQ(HelpViewerWindow(), nullptr);
    ASSERT_EQ(platform.Messages(QStringLiteral("Error")).size(), 1);
    EXPECT_TRUE(platform.Messages(QStringLiteral("Error"))[0].contains(QStringLiteral("cannot be opened")));
  }
}

TEST_F(BuiltHelpTest, ViewerShowsTopicsByCommandAndClosesOnCloseAll) {
  TScriptedPlatform platform;
  ShowHtmlHelp(HH_DISPLAY_TOPIC, BuiltHelpFile(), 0);
  THelpViewer* viewer = HelpViewerWindow();
  ASSERT_NE(viewer, nullptr);
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_EQ(viewer->CurrentTopic(), QStringLiteral("welcome.htm"));
  auto* browser = viewer->findChild<THelpBrowser*>(QStringLiteral("HelpBrowser"));
  ASSERT_NE(browser, nullptr);
  EXPECT_TRUE(browser->document()->toPlainText().contains(QStringLiteral("Welcome to Zestoria")));
  const QVariant picture =
      browser->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("images/cocktail.png")));
  EXPECT_FALSE(picture.value<QImage>().isNull());

  // A link inside the topic opens the topic it names.
  emit browser->anchorClicked(QUrl(QStringLiteral("adding.htm")));
  EXPECT_EQ(viewer->CurrentTopic(), QStringLiteral("adding.htm"));
  EXPECT_TRUE(browser->document()->toPlainText().contains(QStringLiteral("Drink must have a name")));

  ShowHtmlHelp(HH_HELP_CONTEXT, BuiltHelpFile(), kHelpSearchPage);
  EXPECT_EQ(HelpViewerWindow(), viewer);  // one window, reused
  EXPECT_EQ(viewer->CurrentTopic(), QStringLiteral("search.htm"));
  EXPECT_FALSE(viewer->IndexShown());

  EXPECT_FALSE(viewer->ShowContext(9999));
  EXPECT_EQ(viewer->CurrentTopic(), QStringLiteral("welcome.htm"));

  ShowHtmlHelp(HH_DISPLAY_INDEX, BuiltHelpFile(), 0);
  EXPECT_TRUE(viewer->IndexShown());

  ShowHtmlHelp(HH_DISPLAY_TOPIC, BuiltHelpFile() + QStringLiteral("::/printing.htm>main"), 0);
  EXPECT_EQ(viewer->CurrentTopic(), QStringLiteral("printing.htm"));
  EXPECT_FALSE(viewer->IndexShown());

  ShowHtmlHelp(HH_CLOSE_ALL, QString(), 0);
  EXPECT_EQ(HelpViewerWindow(), nullptr);
  ShowHtmlHelp(HH_CLOSE_ALL, QString(), 0);  // nothing open: nothing happens
  EXPECT_TRUE(platform.log.empty());
}

}  // namespace

namespace {

TEST_F(BuiltHelpTest, ContentsAndContextHelpOpenThroughTheInstalledHandler) {
  // No scripted platform: the program's own platform forwards to the viewer.
  TUseHTMLHelp help;
  InstallHelpHandler(&help);
  SetApplicationHelpFile(BuiltHelpFile());

  EXPECT_TRUE(ApplicationHelpCommand(HELP_CONTENTS, 0));
  ASSERT_NE(HelpViewerWindow(), nullptr);
  EXPECT_EQ(HelpViewerWindow()->CurrentTopic(), QStringLiteral("welcome.htm"));

  EXPECT_TRUE(ApplicationHelpContext(HelpContextOfPage(2)));
  ASSERT_NE(HelpViewerWindow(), nullptr);
  EXPECT_EQ(HelpViewerWindow()->CurrentTopic(), QStringLiteral("information.htm"));

  EXPECT_TRUE(ApplicationHelpCommand(HELP_QUIT, 0));
  EXPECT_EQ(HelpViewerWindow(), nullptr);

  InstallHelpHandler(nullptr);
  SetApplicationHelpFile(QString());
}

}  // namespace
