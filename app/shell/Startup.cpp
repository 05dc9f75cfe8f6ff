#include "shell/Startup.h"

#include <QApplication>
#include <QEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "catalogue/RecipePage.h"
#include "shell/MainForm.h"
#include "shell/LoginForm.h"
#include "shell/Pictures.h"
#include "shell/Platform.h"
#include "shell/ProgramFont.h"
#include "shell/Splash.h"
#include "shell/UseHTMLHelp.h"
#include "platform/Journal.h"
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

// A journal beside the catalogue that cannot be applied: nothing is
// touched, and the user decides what to keep.
QString JournalRefusal(const char* what) {
  return QStringLiteral("%1\n\nZestoria has not opened or changed the catalogue. Keep a copy of "
                        "both files; the README tells how to go on. The program ends now.")
      .arg(QString::fromUtf8(what));
}

// Measurement switches for the program benchmark: with
// ZESTORIA_QUIT_WHEN_SHOWN=1 the program ends as soon as its listed window
// has been shown; ZESTORIA_REFILL_TIMES=N first refills the list N times
// with every drink (as Display > All does) and prints each refill's time.
bool SwitchOn(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' && *value != '0';
}

void QuitWhenShown(TMainForm* main_form) {
  const char* refills = std::getenv("ZESTORIA_REFILL_TIMES");
  const int count = refills ? std::atoi(refills) : 0;
  QTimer::singleShot(0, qApp, [main_form, count] {
    for (int i = 0; i < count; ++i) {
      QElapsedTimer timer;
      timer.start();
      main_form->recipePage().fillList(std::string());
      std::printf("fillList ms=%.1f\n", static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::fflush(stdout);
    QCoreApplication::quit();
  });
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
    // The AND/OR dialog and the text prompt belong to the main window, and
    // so does the print dialog, made here once for the program's life.
    main_form->createPrintDialog();
  } catch (const tinydb::EJournalError& e) {
    failure = JournalRefusal(e.what());
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
  UseProgramFont();
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
  if (SwitchOn("ZESTORIA_QUIT_WHEN_SHOWN")) QuitWhenShown(main_form.get());
  const int code = QApplication::exec();
  main_form->removeEventFilter(&end_on_close);
  return code;
}
