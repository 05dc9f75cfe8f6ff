// The Qt implementation of the platform services.
#include "shell/Platform.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStringList>
#include <QThread>
#include <algorithm>

#include "shell/HelpViewer.h"

namespace {

const char kTitle[] = "Zestoria 2010";

QWidget* DialogOwner() { return QApplication::activeWindow(); }

void Box(QMessageBox::Icon icon, const QString& text) {
  QMessageBox box(icon, QString::fromLatin1(kTitle), text, QMessageBox::Ok, DialogOwner());
  box.exec();
}

class TQtPlatform final : public TPlatform {
 public:
  bool Confirm(const QString& text) override {
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kTitle), text,
                    QMessageBox::Yes | QMessageBox::No, DialogOwner());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
  }
  void Warning(const QString& text) override { Box(QMessageBox::Warning, text); }
  void Error(const QString& text) override { Box(QMessageBox::Critical, text); }
  void Information(const QString& text) override { Box(QMessageBox::Information, text); }
  void Message(const QString& text) override { Box(QMessageBox::NoIcon, text); }

  int Choose(const QString& text, const QStringList& buttons) override {
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kTitle), text, QMessageBox::NoButton,
                    DialogOwner());
    QList<QAbstractButton*> added;
    for (const QString& caption : buttons) added << box.addButton(caption, QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    if (!added.isEmpty()) box.setDefaultButton(static_cast<QPushButton*>(added.first()));
    box.exec();
    return static_cast<int>(added.indexOf(box.clickedButton()));
  }

  QString OpenFileName(const QString& filter) override {
    return QFileDialog::getOpenFileName(DialogOwner(), QString::fromLatin1(kTitle), QString(),
                                        QtFileFilter(filter));
  }

  QString ClipboardText() override { return QGuiApplication::clipboard()->text(); }
  void SetClipboardText(const QString& text) override {
    QGuiApplication::clipboard()->setText(text);
  }

  void SetWaitCursor(int cursor_id) override {
    // Only the window thread may touch the cursor; the engine may ask from
    // elsewhere, and then the request is ignored.
    if (qApp == nullptr || QThread::currentThread() != qApp->thread()) return;
    if (cursor_id == 0) {
      if (overridden_) QGuiApplication::restoreOverrideCursor();
      overridden_ = false;
      return;
    }
    const QCursor shape(cursor_id == -17 ? Qt::BusyCursor : Qt::WaitCursor);
    if (overridden_) {
      QGuiApplication::changeOverrideCursor(shape);
    } else {
      QGuiApplication::setOverrideCursor(shape);
      overridden_ = true;
    }
  }

  void HtmlHelp(int command, const QString& file, quint32 data) override {
    ShowHtmlHelp(command, file, data);
  }

  QStringList PrinterNames() override {
    QStringList names = QPrinterInfo::availablePrinterNames();
    names << QStringLiteral("Save as PDF");
    return names;
  }

  QString SaveFileName(const QString& filter, int* filter_index) override {
    const QString filters = QtFileFilter(filter);
    QString chosen;
    const QString name = QFileDialog::getSaveFileName(DialogOwner(), QString::fromLatin1(kTitle),
                                                      QString(), filters, &chosen);
    if (filter_index)
      *filter_index = std::max(0, static_cast<int>(filters.split(QStringLiteral(";;")).indexOf(chosen)));
    return name;
  }

  bool PrinterSetup(QPrinter& printer) override {
    QPrintDialog dialog(&printer, DialogOwner());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    return dialog.exec() == QDialog::Accepted;
  }

  void ShowPreview(QPrinter& printer, const std::function<void(QPrinter*)>& paint) override {
    QPrintPreviewDialog dialog(&printer, DialogOwner());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&paint](QPrinter* p) { paint(p); });
    dialog.exec();
  }

 private:
  bool overridden_ = false;
};

TPlatform* installed = nullptr;

}  // namespace

TPlatform& Platform() {
  static TQtPlatform qt_platform;
  return installed != nullptr ? *installed : qt_platform;
}

void SetPlatform(TPlatform* p) { installed = p; }

QString QtFileFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList entries;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& p : patterns) p = p.trimmed();
    patterns.removeAll(QString());
    if (patterns.isEmpty()) continue;
    // A description that already names its patterns, as in
    // "Drinks (*.zdr)", is shortened so Qt does not list them twice.
    const int paren = description.indexOf(QLatin1Char('('));
    if (paren > 0 && description.endsWith(QLatin1Char(')'))) {
      description = description.left(paren).trimmed();
    }
    if (description.isEmpty()) description = patterns.join(QLatin1Char(' '));
    entries << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
  }
  if (entries.isEmpty()) {
    // A lone pattern with no description stands as it is; anything else
    // without a usable pattern offers every file.
    const QString lone = filter.trimmed();
    if (lone.isEmpty() || lone.contains(QLatin1Char('|'))) return QStringLiteral("All files (*)");
    return lone;
  }
  return entries.join(QStringLiteral(";;"));
}
