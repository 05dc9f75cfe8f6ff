#include "bar/MyBarForm.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "bar/TextFolding.h"
#include "shell/HelpViewer.h"
#include "shell/PageHost.h"
#include "shell/UseHTMLHelp.h"

namespace {

using zestoria::bar::TIngredientId;

constexpr int kIdRole = Qt::UserRole;
constexpr int kSearchRole = Qt::UserRole + 1;  // the folded names, one per line

// "Dairy and eggs" for the group "dairy and eggs".
QString GroupCaption(zestoria::bar::TIngredientGroup group) {
  QString caption = QString::fromLatin1(zestoria::bar::GroupName(group));
  if (!caption.isEmpty()) caption[0] = caption[0].toUpper();
  return caption;
}

QString Folded(const QString& text) {
  return QString::fromStdString(zestoria::bar::FoldedKey(text.toStdString()));
}

}  // namespace

TMyBarForm::TMyBarForm(zestoria::bar::TMyBar& bar, std::function<void()> shelfChanged, QWidget* parent)
    : QDialog(parent), bar_(bar), shelfChanged_(std::move(shelfChanged)) {
  setWindowTitle(QStringLiteral("My Bar"));
  setObjectName(QStringLiteral("MyBarForm"));

  auto* intro = new QLabel(QStringLiteral("Tick what is on your shelf."), this);
  filterBox_ = new QLineEdit(this);
  filterBox_->setObjectName(QStringLiteral("MyBarFilter"));
  filterBox_->setPlaceholderText(QStringLiteral("Filter"));
  filterBox_->setClearButtonEnabled(true);
  connect(filterBox_, &QLineEdit::textChanged, this, [this] { Guarded([this] { applyFilter(); }); });

  checkList_ = new QTreeWidget(this);
  checkList_->setObjectName(QStringLiteral("MyBarList"));
  checkList_->setColumnCount(2);
  checkList_->setHeaderLabels({QStringLiteral("Ingredient"), QString()});
  checkList_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  checkList_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  checkList_->header()->setStretchLastSection(false);
  checkList_->setRootIsDecorated(true);

  const zestoria::bar::TIngredientVocabulary& vocabulary = bar_.Vocabulary();
  QTreeWidgetItem* groups[zestoria::bar::kIngredientGroupCount] = {};
  for (int g = 0; g < zestoria::bar::kIngredientGroupCount; ++g) {
    groups[g] = new QTreeWidgetItem(checkList_, {GroupCaption(static_cast<zestoria::bar::TIngredientGroup>(g))});
    groups[g]->setFlags(Qt::ItemIsEnabled);
    QFont bold = groups[g]->font(0);
    bold.setBold(true);
    groups[g]->setFont(0, bold);
  }
  for (size_t i = 0; i < vocabulary.size(); ++i) {
    const auto id = static_cast<TIngredientId>(i);
    const zestoria::bar::TIngredient& ingredient = vocabulary[id];
    // Ice and water are always at hand: nothing to tick.
    if (ingredient.always) continue;
    auto* item = new QTreeWidgetItem(groups[static_cast<int>(ingredient.group)],
                                     {QString::fromStdString(ingredient.name)});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setData(0, kIdRole, static_cast<int>(id));
    QString names = Folded(QString::fromStdString(ingredient.name));
    for (const std::string& alias : ingredient.aliases) names += QLatin1Char('\n') + Folded(QString::fromStdString(alias));
    item->setData(0, kSearchRole, names);
    if (vocabulary.IsStaple(id)) item->setText(1, QStringLiteral("staple"));
    item->setCheckState(0, Qt::Unchecked);
  }
  for (QTreeWidgetItem* group : groups) {
    if (group->childCount() == 0) delete group;
  }
  checkList_->expandAll();
  connect(checkList_, &QTreeWidget::itemChanged, this,
          [this](QTreeWidgetItem* item) { Guarded([this, item] { itemChanged(item); }); });

  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("MyBarSummary"));
  QFont bold = summary_->font();
  bold.setBold(true);
  summary_->setFont(bold);
  auto* bottlesCaption = new QLabel(QStringLiteral("Next bottles to buy:"), this);
  bottles_ = new QListWidget(this);
  bottles_->setObjectName(QStringLiteral("MyBarBottles"));
  bottles_->setSelectionMode(QAbstractItemView::NoSelection);
  bottles_->setFocusPolicy(Qt::NoFocus);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* right = new QVBoxLayout;
  right->addWidget(summary_);
  right->addSpacing(6);
  right->addWidget(bottlesCaption);
  right->addWidget(bottles_, 1);
  auto* left = new QVBoxLayout;
  left->addWidget(intro);
  left->addWidget(filterBox_);
  left->addWidget(checkList_, 1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 3);
  columns->addLayout(right, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns, 1);
  layout->addWidget(buttons);
  resize(560, 480);
  refresh();
}

void TMyBarForm::refresh() {
  filling_ = true;
  for (int g = 0; g < checkList_->topLevelItemCount(); ++g) {
    QTreeWidgetItem* group = checkList_->topLevelItem(g);
    for (int c = 0; c < group->childCount(); ++c) {
      QTreeWidgetItem* item = group->child(c);
      const auto id = static_cast<TIngredientId>(item->data(0, kIdRole).toInt());
      item->setCheckState(0, bar_.Shelf().Has(id) ? Qt::Checked : Qt::Unchecked);
    }
  }
  filling_ = false;
  updateSummary();
}

void TMyBarForm::itemChanged(QTreeWidgetItem* item) {
  if (filling_ || item == nullptr || item->parent() == nullptr) return;
  const auto id = static_cast<TIngredientId>(item->data(0, kIdRole).toInt());
  const bool ticked = item->checkState(0) == Qt::Checked;
  if (bar_.Shelf().Has(id) == ticked) return;
  bar_.SetOnShelf(id, ticked);
  updateSummary();
  if (shelfChanged_) shelfChanged_();
}

bool TMyBarForm::setTicked(const QString& name, bool ticked) {
  const auto id = bar_.Vocabulary().FindName(name.toStdString());
  if (!id) return false;
  for (int g = 0; g < checkList_->topLevelItemCount(); ++g) {
    QTreeWidgetItem* group = checkList_->topLevelItem(g);
    for (int c = 0; c < group->childCount(); ++c) {
      QTreeWidgetItem* item = group->child(c);
      if (item->data(0, kIdRole).toInt() == *id) {
        item->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
        return true;
      }
    }
  }
  return false;
}

void TMyBarForm::setFilterText(const QString& text) { filterBox_->setText(text); }

void TMyBarForm::applyFilter() {
  const QString wanted = Folded(filterBox_->text()).trimmed();
  for (int g = 0; g < checkList_->topLevelItemCount(); ++g) {
    QTreeWidgetItem* group = checkList_->topLevelItem(g);
    bool any = false;
    for (int c = 0; c < group->childCount(); ++c) {
      QTreeWidgetItem* item = group->child(c);
      const bool shown = wanted.isEmpty() || item->data(0, kSearchRole).toString().contains(wanted);
      item->setHidden(!shown);
      any = any || shown;
    }
    group->setHidden(!any);
  }
}

void TMyBarForm::updateSummary() {
  const size_t makeable = bar_.Makeable().size();
  summary_->setText(makeable == 1 ? QStringLiteral("You can make 1 drink")
                                  : QStringLiteral("You can make %1 drinks").arg(makeable));
  bottles_->clear();
  const std::vector<zestoria::bar::TNextBottle> next = bar_.NextBottles();
  for (size_t i = 0; i < next.size() && i < static_cast<size_t>(kBottlesShown); ++i)
    bottles_->addItem(QString::fromStdString(zestoria::bar::NextBottleText(bar_.Vocabulary(), next[i])));
}

void TMyBarForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    ApplicationHelpContext(kHelpMyBar);
    return;
  }
  QDialog::keyPressEvent(event);
}

QString TMyBarForm::summaryText() const { return summary_->text(); }

QStringList TMyBarForm::nextBottleTexts() const {
  QStringList texts;
  for (int i = 0; i < bottles_->count(); ++i) texts << bottles_->item(i)->text();
  return texts;
}

QStringList TMyBarForm::shownNames() const {
  QStringList names;
  for (int g = 0; g < checkList_->topLevelItemCount(); ++g) {
    const QTreeWidgetItem* group = checkList_->topLevelItem(g);
    if (group->isHidden()) continue;
    for (int c = 0; c < group->childCount(); ++c)
      if (!group->child(c)->isHidden()) names << group->child(c)->text(0);
  }
  return names;
}
