// The bridge from the program's help requests (help commands with a 32-bit
// argument, as F1 and Help > Contents issue them) to the HTML help viewer.
#pragma once

#include <QString>
#include <QtGlobal>

// Help commands the program issues.
constexpr quint16 HELP_CONTEXT = 0x0001;
constexpr quint16 HELP_QUIT = 0x0002;
constexpr quint16 HELP_CONTENTS = 0x0003;
constexpr quint16 HELP_CONTEXTPOPUP = 0x0008;
constexpr quint16 HELP_KEY = 0x0101;

class TUseHTMLHelp {
 public:
  // Passes |command| with |data| to Platform().HtmlHelp once: HELP_CONTEXT
  // and HELP_CONTEXTPOPUP open topic |data| of the application help file,
  // HELP_KEY its index, HELP_QUIT closes every help window (no file, data 0),
  // anything else opens the file's default topic (data 0). Sets *call_help
  // to false (there is no other help engine) and returns true.
  bool HandleHelp(quint16 command, quint32 data, bool* call_help);
};

// The application help file (the main window sets it at creation).
void SetApplicationHelpFile(const QString& path);

// Installs |handler| (not owned) as the application's help handler; null
// removes it.
void InstallHelpHandler(TUseHTMLHelp* handler);

// Issues an application help command: hands it to the installed handler and
// returns its answer; false, doing nothing, when no handler is installed.
bool ApplicationHelpCommand(quint16 command, quint32 data);
// The same as ApplicationHelpCommand(HELP_CONTEXT, context).
bool ApplicationHelpContext(quint32 context);
