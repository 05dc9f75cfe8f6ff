#include "shell/PageHost.h"

#include <exception>

#include "tables/Database.h"
#include "shell/Platform.h"

QString ModeWord(TWindowMode mode) {
  switch (mode) {
    case wmBrowse:
      return QStringLiteral("Browse");
    case wmAdd:
      return QStringLiteral("Add");
    case wmModify:
      return QStringLiteral("Modify");
    case wmSearch:
      return QStringLiteral("Search");
    case wmInformation:
      return QStringLiteral("Information");
  }
  return QString();
}

void Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const tinydb::EAbort&) {
    // The user cancelled a login: nothing to report.
  } catch (const std::exception& error) {
    Platform().SetWaitCursor(0);
    Platform().Error(QString::fromStdString(error.what()));
  }
}
