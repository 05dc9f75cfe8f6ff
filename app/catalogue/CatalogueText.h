// Catalogue text (Windows-1252, lines ending in "\r\n") and the Unicode
// text the window's controls hold.
#pragma once

#include <QString>
#include <string>

// The Unicode text of catalogue text |text|; lines end in "\n".
QString FromCatalogueText(const std::string& text);
// Catalogue text of |text|, lines ending in "\r\n". False when |text| holds
// a character Windows-1252 cannot hold; |*bad| is then the first one.
bool ToCatalogueText(const QString& text, std::string* out, QString* bad);
