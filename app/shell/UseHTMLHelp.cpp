// The help bridge.
#include "shell/UseHTMLHelp.h"

#include "shell/Platform.h"

namespace {

// The viewer's commands, as the platform's HtmlHelp entry point takes them.
constexpr int kHhDisplayTopic = 0;
constexpr int kHhDisplayIndex = 2;
constexpr int kHhHelpContext = 15;
constexpr int kHhCloseAll = 18;

QString help_file;
TUseHTMLHelp* installed_handler = nullptr;

}  // namespace

bool TUseHTMLHelp::HandleHelp(quint16 command, quint32 data, bool* call_help) {
  if (call_help != nullptr) *call_help = false;
  switch (command) {
    case HELP_CONTEXT:
    case HELP_CONTEXTPOPUP:
      Platform().HtmlHelp(kHhHelpContext, help_file, data);
      break;
    case HELP_KEY:
      Platform().HtmlHelp(kHhDisplayIndex, help_file, data);
      break;
    case HELP_QUIT:
      Platform().HtmlHelp(kHhCloseAll, QString(), 0);
      break;
    default:
      Platform().HtmlHelp(kHhDisplayTopic, help_file, 0);
      break;
  }
  return true;
}

void SetApplicationHelpFile(const QString& path) { help_file = path; }

void InstallHelpHandler(TUseHTMLHelp* handler) { installed_handler = handler; }

bool ApplicationHelpCommand(quint16 command, quint32 data) {
  if (installed_handler == nullptr) return false;
  bool call_help = true;
  return installed_handler->HandleHelp(command, data, &call_help);
}

bool ApplicationHelpContext(quint32 context) { return ApplicationHelpCommand(HELP_CONTEXT, context); }
