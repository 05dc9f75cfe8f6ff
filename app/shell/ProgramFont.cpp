#include "shell/ProgramFont.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QStringList>
#include <QStyle>
#include <QTextDocument>
#include <algorithm>

namespace {

const QStringList& MetricFamilies() {
  static const QStringList families = {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
  return families;
}

}  // namespace

QFont ProgramFont() {
  QFont font;
  font.setFamilies(MetricFamilies());
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  return font;
}

bool ProgramFontIsInstalled() {
  return MetricFamilies().contains(QFontInfo(ProgramFont()).family(), Qt::CaseInsensitive);
}

void UseProgramFont() { QApplication::setFont(ProgramFont()); }

int WholeLinesHeight(const QPlainTextEdit* box, int most) {
  const QFontMetrics metrics(box->font());
  const int chrome = static_cast<int>(box->document()->documentMargin()) +
                     2 * box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
  const int lines = std::max(1, (most - chrome) / metrics.lineSpacing());
  return chrome + lines * metrics.lineSpacing();
}
