#include "shell/Startup.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <exception>

#include "catalogue/MainForm.h"
#include "shell/LoginForm.h"
#include "shell/Pictures.h"
#include "shell/Platform.h"
#include "shell/Splash.h"
#include "shell/UseHTMLHelp.h"
#include "tables/WaitCursor.h"

namespace {

const char kTitle[] = "Zestoria 2010";

// Closing the main window ends the program, even while a help window or an
// about box of it is still open.
class TEndOnClose : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Close && event->isAccepted()) {
      QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
  }
};

// The engine's messages and the paths they name are UTF-8 here.
QString StartFailure(const QStringList& arguments, const char* what) {
  QString text = QString::fromUtf8(what);
  if (text.isEmpty()) text = QStringLiteral("The catalogue could not be opened.");
  const QString dir =
      arguments.isEmpty() ? QString() : QFileInfo(arguments.front()).absolutePath();
  return QStringLiteral("%1\n\nZestoria needs its catalogue \"zestoria.tdb\" beside the "
                        "program, in %2. The program ends now.")
      .arg(text, dir);
}

}  // namespace

void InstallShellHooks() {
  tinydb::SetWaitCursorHandler([](int cursor_id) { Platform().SetWaitCursor(cursor_id); });
  InstallLoginPrompt();
}

std::unique_ptr<TMainForm> StartMainWindow(const QStringList& arguments) {
  // The splash goes when this function returns, whatever happens below.
  auto splash = std::make_unique<TSplash>();
  splash->showSplash(1);
  QApplication::setApplicationDisplayName(QString::fromLatin1(kTitle));

  std::unique_ptr<TMainForm> main_form;
  QString failure;
  try {
    main_form = std::make_unique<TMainForm>(arguments);
    // The AND/OR dialog and the text prompt belong to the main window; the
    // print dialog is created here once it exists.
  } catch (const std::exception& e) {
    failure = StartFailure(arguments, e.what());
  } catch (...) {
    failure = StartFailure(arguments, "");
  }
  // The database may have asked for a wait cursor; start with the plain one.
  Platform().SetWaitCursor(0);
  splash->close();
  splash.reset();
  if (!failure.isEmpty()) {
    main_form.reset();
    Platform().Error(failure);
  }
  return main_form;
}

int RunProgram() {
  QApplication::setApplicationName(QStringLiteral("zestoria"));
  QApplication::setApplicationDisplayName(QString::fromLatin1(kTitle));
  QApplication::setWindowIcon(ApplicationIcon());
  InstallShellHooks();

  // The program's own path is the real executable, so a link to it (as
  // installed in bin/) still finds the data files beside the program.
  QStringList arguments = QApplication::arguments();
  if (arguments.isEmpty()) arguments << QString();
  arguments[0] = QApplication::applicationFilePath();

  // The help hook lives from here to the end of the program.
  TUseHTMLHelp help;
  InstallHelpHandler(&help);
  struct THelpHookRemoval {
    ~THelpHookRemoval() { InstallHelpHandler(nullptr); }
  } remove_help_hook;

  std::unique_ptr<TMainForm> main_form = StartMainWindow(arguments);
  if (!main_form) return 1;
  TEndOnClose end_on_close;
  main_form->installEventFilter(&end_on_close);
  main_form->show();
  const int code = QApplication::exec();
  main_form->removeEventFilter(&end_on_close);
  return code;
}
