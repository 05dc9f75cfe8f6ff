// The pages of a PDF file that Qt wrote: their number, counted by the page
// objects ("/Type /Page", not "/Type /Pages"), -1 when the file can't be
// read; and their paper sizes in points, from the pages' media boxes.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <vector>

inline int PdfPageCount(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  const QByteArray bytes = file.readAll();
  int pages = 0;
  for (qsizetype at = bytes.indexOf("/Type /Page"); at >= 0; at = bytes.indexOf("/Type /Page", at + 1)) {
    if (bytes.mid(at + 11, 1) != "s") ++pages;
  }
  return pages;
}

inline std::vector<QSizeF> PdfPageSizes(const QString& path) {
  QFile file(path);
  std::vector<QSizeF> sizes;
  if (!file.open(QIODevice::ReadOnly)) return sizes;
  const QString text = QString::fromLatin1(file.readAll());
  static const QRegularExpression box(
      QStringLiteral(R"(/MediaBox\s*\[\s*([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s*\])"));
  for (auto it = box.globalMatch(text); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    sizes.emplace_back(m.captured(3).toDouble() - m.captured(1).toDouble(),
                       m.captured(4).toDouble() - m.captured(2).toDouble());
  }
  return sizes;
}
