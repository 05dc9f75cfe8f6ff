// Nothing cut off: every caption of the main window (on each page, in
// Browse and in Add), of the print dialog (both page types) and of the
// small dialogs fits its control in the program's font, every text box
// shows whole lines, and every control lies inside its parent.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "app/catalogue/MainFormFixture.h"
#include "bar/MyBarForm.h"
#include "bar/ShoppingListForm.h"
#include "finding/AndOrForm.h"
#include "finding/OtherForm.h"
#include "printing/PrintDialogForm.h"
#include "shell/LoginForm.h"
#include "shell/ProgramFont.h"
#include "shell/Splash.h"

namespace zestoria::test {
namespace {

QString Name(const QWidget* w) {
  QString name = QString::fromLatin1(w->metaObject()->className());
  if (!w->objectName().isEmpty()) name += QLatin1Char(' ') + w->objectName();
  if (const auto* b = qobject_cast<const QAbstractButton*>(w)) name += QStringLiteral(" \"%1\"").arg(b->text());
  if (const auto* l = qobject_cast<const QLabel*>(w)) name += QStringLiteral(" \"%1\"").arg(l->text());
  if (const auto* g = qobject_cast<const QGroupBox*>(w)) name += QStringLiteral(" \"%1\"").arg(g->title());
  return name;
}

QString Size(int need_w, int need_h, const QSize& has) {
  return QStringLiteral(" needs %1 x %2, has %3 x %4").arg(need_w).arg(need_h).arg(has.width()).arg(has.height());
}

// A caption as it is drawn: without the mnemonic marks.
QString Drawn(QString text) { return text.remove(QRegularExpression(QStringLiteral("&(?!&)"))); }

// What does not fit in |window|: one line per part.
QStringList CroppedParts(QWidget* window) {
  QStringList cropped;
  QApplication::processEvents();
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisible() || w->isWindow() || qobject_cast<QMenu*>(w)) continue;
    const QFontMetrics fm = w->fontMetrics();
    const QStyle* style = w->style();
    const QString name = Name(w);
    const QWidget* parent = w->parentWidget();
    // Scroll areas' own parts may run beyond their viewport by design.
    const bool scrolled = parent && qobject_cast<const QAbstractScrollArea*>(parent->parentWidget());
    if (parent && !scrolled && !parent->rect().contains(w->geometry()))
      cropped << name + QStringLiteral(" runs out of its parent (%1, %2, %3 x %4 in %5 x %6)")
                            .arg(w->x()).arg(w->y()).arg(w->width()).arg(w->height())
                            .arg(parent->width()).arg(parent->height());

    if (auto* tool = qobject_cast<QToolButton*>(w)) {
      // The style's own need for the icon, the text and a menu arrow.
      const QSize need = tool->sizeHint();
      if (need.width() > w->width() || need.height() > w->height())
        cropped << name + Size(need.width(), need.height(), w->size());
    } else if (auto* button = qobject_cast<QPushButton*>(w)) {
      const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w) +
                         2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
      const int need_w = fm.horizontalAdvance(Drawn(button->text())) + margin;
      const int need_h = fm.height() + margin;
      if (need_w > w->width() || need_h > w->height()) cropped << name + Size(need_w, need_h, w->size());
    } else if (auto* option = qobject_cast<QAbstractButton*>(w);
               option && (qobject_cast<QRadioButton*>(w) || qobject_cast<QCheckBox*>(w))) {
      const bool radio = qobject_cast<QRadioButton*>(w) != nullptr;
      const int indicator_w = style->pixelMetric(radio ? QStyle::PM_ExclusiveIndicatorWidth : QStyle::PM_IndicatorWidth, nullptr, w);
      const int indicator_h = style->pixelMetric(radio ? QStyle::PM_ExclusiveIndicatorHeight : QStyle::PM_IndicatorHeight, nullptr, w);
      const int spacing = style->pixelMetric(radio ? QStyle::PM_RadioButtonLabelSpacing : QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
      const int need_w = indicator_w + spacing + fm.horizontalAdvance(Drawn(option->text()));
      const int need_h = std::max(indicator_h, fm.height());
      if (need_w > w->width() || need_h > w->height()) cropped << name + Size(need_w, need_h, w->size());
    } else if (auto* label = qobject_cast<QLabel*>(w); label && label->pixmap().isNull() && !label->text().isEmpty()) {
      const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(), -label->margin());
      int need_w = 0;
      int need_h = 0;
      if (label->textFormat() == Qt::RichText ||
          (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()))) {
        const QSize hint = label->sizeHint();
        need_w = hint.width() - (label->width() - room.width());
        need_h = hint.height() - (label->height() - room.height());
      } else if (label->wordWrap()) {
        need_w = room.width();
        need_h = label->heightForWidth(label->width());
      } else {
        const QStringList lines = label->text().split(QLatin1Char('\n'));
        for (const QString& line : lines) need_w = std::max(need_w, fm.horizontalAdvance(line));
        if (label->indent() > 0) need_w += label->indent();
        need_h = fm.height() + (static_cast<int>(lines.size()) - 1) * fm.lineSpacing();
      }
      if (need_w > room.width() || need_h > std::max(room.height(), label->height()))
        cropped << name + Size(need_w, need_h, room.size());
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
      const int need_w = fm.horizontalAdvance(group->title()) + 2 * fm.averageCharWidth();
      if (need_w > w->width()) cropped << name + Size(need_w, fm.height(), w->size());
    } else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
      const int space_w = style->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, w);
      const int space_h = style->pixelMetric(QStyle::PM_TabBarTabVSpace, nullptr, w);
      for (int i = 0; i < tabs->count(); ++i) {
        const QRect tab = tabs->tabRect(i);
        const int need_w = fm.horizontalAdvance(tabs->tabText(i)) + space_w;
        const int need_h = fm.height() + space_h;
        if (need_w > tab.width() || need_h > tab.height())
          cropped << name + QStringLiteral(" tab \"%1\"").arg(tabs->tabText(i)) + Size(need_w, need_h, tab.size());
      }
    } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w)) {
      const int need_h = fm.height() + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
      if (need_h > w->height()) cropped << name + Size(0, need_h, w->size());
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(w)) {
      // Whole lines: below the last of them, less than the room a line
      // leaves above its capitals.
      const int room = text->viewport()->height() - static_cast<int>(text->document()->documentMargin());
      const int rest = room % fm.lineSpacing();
      if (room < fm.lineSpacing() || rest > fm.ascent() - static_cast<int>(fm.capHeight()))
        cropped << name + QStringLiteral(" shows %1 lines and %2 pixels of the next").arg(room / fm.lineSpacing()).arg(rest);
    } else if (auto* rich = qobject_cast<QTextEdit*>(w);
               rich && rich->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff) {
      // A text without a scroll bar shows all of itself.
      const int need_h = static_cast<int>(rich->document()->size().height());
      if (need_h > rich->viewport()->height()) cropped << name + Size(0, need_h, rich->viewport()->size());
    }
  }
  return cropped;
}

class WindowCaptionsTest : public MainFormTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ProgramFontIsInstalled())
        << "the windows are laid out for Arial or Liberation Sans (package fonts-liberation); found "
        << QFontInfo(ProgramFont()).family().toStdString();
    MainFormTest::SetUp();
  }

  QToolButton* ToolButton(const QString& text) {
    for (QToolButton* b : form->findChildren<QToolButton*>())
      if (b->text() == text) return b;
    return nullptr;
  }
};

TEST_F(WindowCaptionsTest, MainWindowPagesAndModesShowWholeCaptions) {
  auto* pages = form->findChild<QTabWidget*>();
  ASSERT_NE(pages, nullptr);
  for (int page = 0; page < pages->count(); ++page) {
    pages->setCurrentIndex(page);
    SCOPED_TRACE(pages->tabText(page).toStdString());
    EXPECT_EQ(CroppedParts(form.get()).join(QLatin1Char('\n')).toStdString(), "");
  }
  pages->setCurrentIndex(0);
  QToolButton* add = ToolButton(QStringLiteral("Add"));
  ASSERT_NE(add, nullptr);
  add->click();
  SCOPED_TRACE("Add");
  EXPECT_EQ(CroppedParts(form.get()).join(QLatin1Char('\n')).toStdString(), "");
}

TEST_F(WindowCaptionsTest, PrintDialogShowsWholeCaptionsForBothPageTypes) {
  form->createPrintDialog();
  TThePrintDialog* dialog = form->findChild<TThePrintDialog*>();
  ASSERT_NE(dialog, nullptr);
  dialog->show();
  for (QRadioButton* type : {dialog->PageTypeCards, dialog->PageTypeFull}) {
    type->click();
    SCOPED_TRACE(type->text().toStdString());
    EXPECT_EQ(CroppedParts(dialog).join(QLatin1Char('\n')).toStdString(), "");
  }
  // The row buttons stand one under another without overlapping.
  for (QGroupBox* rows : {dialog->FullPage, dialog->IndexCard}) {
    const QList<QRadioButton*> buttons = rows->findChildren<QRadioButton*>();
    for (qsizetype i = 1; i < buttons.size(); ++i)
      EXPECT_FALSE(buttons[i]->geometry().intersects(buttons[i - 1]->geometry())) << Name(buttons[i]).toStdString();
  }
  dialog->hide();
}

// The AND/OR question shows a term that is too wide for it (an ingredient
// typed in) cut short, with the whole term in its tip.
TEST_F(WindowCaptionsTest, AndOrQuestionCutsAWideTermShort) {
  TAndOrForm and_or;
  const QString wide = QStringLiteral("Other Ingredient(freshly squeezed blood orange juice) ");
  for (const QString& term : {QStringLiteral("Liquor(Blended Scotch Whisky) "), wide}) {
    SCOPED_TRACE(term.toStdString());
    QStringList cropped;
    QTimer::singleShot(0, &and_or, [&] {
      cropped = CroppedParts(&and_or);
      and_or.Button1->click();
    });
    EXPECT_TRUE(and_or.ask(term));
    EXPECT_EQ(cropped.join(QLatin1Char('\n')).toStdString(), "");
    if (term == wide) {
      EXPECT_TRUE(and_or.Label1->text().endsWith(QChar(0x2026))) << and_or.Label1->text().toStdString();
      EXPECT_EQ(and_or.Label1->toolTip(), wide);
    } else {
      EXPECT_EQ(and_or.Label1->text(), term);
    }
  }
}

TEST_F(WindowCaptionsTest, SmallDialogsShowWholeCaptions) {
  TOtherForm other;
  TTinyDBLoginForm login;
  TSplash splash;
  for (QDialog* dialog : std::initializer_list<QDialog*>{&other, &login, &splash}) {
    dialog->show();
    SCOPED_TRACE(dialog->objectName().toStdString());
    EXPECT_EQ(CroppedParts(dialog).join(QLatin1Char('\n')).toStdString(), "");
    dialog->hide();
  }
}

// My Bar with a shelf that makes drinks and ranks bottles, and a shopping
// list of more lines than it shows at once.
TEST_F(WindowCaptionsTest, BarWindowsShowWholeCaptions) {
  TMyBarForm& bar = form->myBarForm();
  for (const char* name : {"Gin", "Campari", "Sweet vermouth"}) ASSERT_TRUE(bar.setTicked(QString::fromUtf8(name), true));
  TShoppingListForm shopping(QStringLiteral("Shopping list for 3 marked drinks\nClub soda  (Americano)\n").repeated(20));
  for (QDialog* dialog : std::initializer_list<QDialog*>{&bar, &shopping}) {
    dialog->show();
    SCOPED_TRACE(dialog->metaObject()->className());
    EXPECT_EQ(CroppedParts(dialog).join(QLatin1Char('\n')).toStdString(), "");
    dialog->hide();
  }
}

}  // namespace
}  // namespace zestoria::test
