#include "catalogue/CatalogueText.h"

#include "platform/Codepage.h"

QString FromCatalogueText(const std::string& text) {
  QString result = QString::fromStdString(tinydb::Cp1252ToUtf8(text));
  result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return result;
}

bool ToCatalogueText(const QString& text, std::string* out, QString* bad) {
  QString lines = text;
  lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  lines.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  if (tinydb::Utf8ToCp1252(lines.toStdString(), out)) return true;
  // Find the first character without a Windows-1252 form.
  for (int i = 0; i < lines.size();) {
    const int length = lines.at(i).isHighSurrogate() && i + 1 < lines.size() ? 2 : 1;
    const QString character = lines.mid(i, length);
    std::string ignored;
    if (!tinydb::Utf8ToCp1252(character.toStdString(), &ignored)) {
      if (bad) *bad = character;
      return false;
    }
    i += length;
  }
  if (bad) bad->clear();
  return false;
}
