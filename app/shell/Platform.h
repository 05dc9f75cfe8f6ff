// Every platform service the window uses: message boxes, the open- and
// save-file dialogs, the system clipboard, the mouse cursor and the help viewer.
// The program talks to them only through Platform(), so tests can install
// a scripted platform that answers for the user.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>

class QPrinter;

class TPlatform {
 public:
  virtual ~TPlatform() = default;
  // Asks a question with Yes and No; true when the user answers Yes.
  virtual bool Confirm(const QString& text) = 0;
  // Message boxes with an OK button: warning, error, information.
  virtual void Warning(const QString& text) = 0;
  virtual void Error(const QString& text) = 0;
  virtual void Information(const QString& text) = 0;
  // A plain message without an icon, OK button.
  virtual void Message(const QString& text) = 0;
  // Asks |text| with one button for each of |buttons|, the first the
  // default; the index of the button clicked, or -1 when the box is closed
  // (Escape) without an answer.
  virtual int Choose(const QString& text, const QStringList& buttons) = 0;
  // Asks for an existing file. |filter| is "Desc|pattern|Desc|pattern";
  // returns the chosen path, or "" when the user cancels.
  virtual QString OpenFileName(const QString& filter) = 0;
  // The text on the system clipboard ("" when it holds none), and setting it.
  virtual QString ClipboardText() = 0;
  virtual void SetClipboardText(const QString& text) = 0;
  // Shows mouse cursor |cursor_id|: 0 default, -11 hourglass, -17 database wait.
  virtual void SetWaitCursor(int cursor_id) = 0;
  // The HTML help viewer's entry point: |command| is an HH_* number,
  // |file| the help file, |data| the command's argument.
  virtual void HtmlHelp(int command, const QString& file, quint32 data) = 0;
  // Printers the program can print on: the installed ones, then the PDF
  // file printer "Save as PDF".
  virtual QStringList PrinterNames() = 0;
  // Asks where to save (a save-file dialog, |filter| as for OpenFileName);
  // "" when the user cancels. With |filter_index|, sets it to the filter
  // the user chose, counted from 0.
  virtual QString SaveFileName(const QString& filter, int* filter_index = nullptr) = 0;
  // The printer setup dialog on |printer| (printer, copies, page range);
  // false when cancelled.
  virtual bool PrinterSetup(QPrinter& printer) = 0;
  // Shows the print preview of the pages |paint| draws on a printer, modally.
  virtual void ShowPreview(QPrinter& printer, const std::function<void(QPrinter*)>& paint) = 0;
};

// The platform in use: the Qt implementation unless SetPlatform replaced it.
TPlatform& Platform();
// Installs |p| (not owned) as the platform; null restores the Qt one.
void SetPlatform(TPlatform* p);

// Shows the hourglass (cursor -11) while it lives, then the default cursor.
class THourglass {
 public:
  THourglass() { Platform().SetWaitCursor(-11); }
  ~THourglass() { Platform().SetWaitCursor(0); }
  THourglass(const THourglass&) = delete;
  THourglass& operator=(const THourglass&) = delete;
};

// Turns a "Desc|pattern;pattern|Desc|pattern" filter into Qt's
// "Desc (pattern pattern);;Desc (pattern)" form.
QString QtFileFilter(const QString& filter);
