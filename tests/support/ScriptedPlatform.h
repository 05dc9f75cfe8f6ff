// A platform that answers for the user in window tests: queued answers to
// questions and file dialogs, a log of every message with its kind, a
// clipboard of its own, the cursors asked for and the help calls.
#pragma once

#include <QDir>
#include <QPageLayout>
#include <QPrinter>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "shell/Platform.h"

class TScriptedPlatform : public TPlatform {
 public:
  struct TLogEntry {
    QString kind;  // "Confirm", "Choose", "Warning", "Error", "Information", "Message"
    QString text;
  };
  struct THelpCall {
    int command;
    QString file;
    quint32 data;
  };

  // Installs itself as the platform while it lives.
  TScriptedPlatform() { SetPlatform(this); }
  ~TScriptedPlatform() override { SetPlatform(nullptr); }
  TScriptedPlatform(const TScriptedPlatform&) = delete;
  TScriptedPlatform& operator=(const TScriptedPlatform&) = delete;

  // Answers for the next questions, in order; an empty queue answers
  // |default_answer|.
  std::deque<bool> confirm_answers;
  bool default_answer = false;
  // Paths for the next open-file dialogs, in order; empty queue = cancelled.
  std::deque<QString> file_names;

  std::vector<TLogEntry> log;
  QStringList filters;  // the filter text of every open-file dialog
  QString clipboard;
  std::vector<int> cursors;
  std::vector<THelpCall> help_calls;

  bool Confirm(const QString& text) override {
    log.push_back({QStringLiteral("Confirm"), text});
    if (confirm_answers.empty()) return default_answer;
    const bool answer = confirm_answers.front();
    confirm_answers.pop_front();
    return answer;
  }
  void Warning(const QString& text) override { log.push_back({QStringLiteral("Warning"), text}); }
  void Error(const QString& text) override { log.push_back({QStringLiteral("Error"), text}); }
  void Information(const QString& text) override {
    log.push_back({QStringLiteral("Information"), text});
  }
  void Message(const QString& text) override { log.push_back({QStringLiteral("Message"), text}); }
  // Answers of the next Choose boxes (button indexes, -1 closes the box);
  // an empty queue closes it. Logged as "Choose" with the buttons after
  // the text, one per line.
  std::deque<int> choose_answers;
  int Choose(const QString& text, const QStringList& buttons) override {
    log.push_back({QStringLiteral("Choose"), text + QLatin1Char('\n') + buttons.join(QLatin1Char('\n'))});
    if (choose_answers.empty()) return -1;
    const int answer = choose_answers.front();
    choose_answers.pop_front();
    return answer;
  }

  QString OpenFileName(const QString& filter) override {
    filters << filter;
    if (file_names.empty()) return QString();
    const QString name = file_names.front();
    file_names.pop_front();
    return name;
  }

  QString ClipboardText() override { return clipboard; }
  void SetClipboardText(const QString& text) override { clipboard = text; }
  void SetWaitCursor(int cursor_id) override { cursors.push_back(cursor_id); }
  void HtmlHelp(int command, const QString& file, quint32 data) override {
    help_calls.push_back({command, file, data});
  }

  // Printing: the printers offered, the answers of save-file dialogs (empty
  // queue = cancelled) and of the printer setup, and what was asked.
  QStringList printers{QStringLiteral("Save as PDF")};
  std::deque<QString> save_file_names;
  std::deque<int> save_filter_choices;  // the filter picked in each save dialog (empty: the first)
  QStringList save_filters;
  bool printer_setup_answer = true;
  int printer_setups = 0;
  std::function<void(QPrinter&)> printer_setup_choice;  // what the user picks in a set-up that is not cancelled
  // Every preview paints into a PDF in a temporary folder; the last one's path.
  int previews = 0;
  QString last_preview_pdf;

  QStringList PrinterNames() override { return printers; }
  QString SaveFileName(const QString& filter, int* filter_index) override {
    save_filters << filter;
    if (filter_index) {
      *filter_index = save_filter_choices.empty() ? 0 : save_filter_choices.front();
      if (!save_filter_choices.empty()) save_filter_choices.pop_front();
    }
    if (save_file_names.empty()) return QString();
    const QString name = save_file_names.front();
    save_file_names.pop_front();
    return name;
  }
  bool PrinterSetup(QPrinter& printer) override {
    ++printer_setups;
    if (printer_setup_answer && printer_setup_choice) printer_setup_choice(printer);
    return printer_setup_answer;
  }
  void ShowPreview(QPrinter& printer, const std::function<void(QPrinter*)>& paint) override {
    if (!preview_dir_) preview_dir_ = std::make_unique<QTemporaryDir>();
    ++previews;
    last_preview_pdf = QDir(preview_dir_->path()).filePath(QStringLiteral("preview%1.pdf").arg(previews));
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(last_preview_pdf);
    pdf.setPageLayout(printer.pageLayout());
    paint(&pdf);
  }

  // The texts of the logged messages of |kind| ("" = every kind).
  QStringList Messages(const QString& kind = QString()) const {
    QStringList texts;
    for (const TLogEntry& e : log) {
      if (kind.isEmpty() || e.kind == kind) texts << e.text;
    }
    return texts;
  }
  // The text of the last logged message, or "".
  QString LastMessage() const { return log.empty() ? QString() : log.back().text; }

 private:
  std::unique_ptr<QTemporaryDir> preview_dir_;
};
