// The help viewer window and its entry point.
#include "shell/HelpViewer.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStringDecoder>
#include <QStyle>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "shell/Platform.h"

namespace {

const char kScheme[] = "chm";
constexpr int kTopicRole = Qt::UserRole;

QString TopicOf(const QUrl& url) { return THelpFile::NormalPath(url.path()); }

QString DecodePage(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8.decode(bytes);
  if (utf8.hasError()) text = QString::fromLatin1(bytes);
  return text;
}

QString MissingTopicPage(const QString& topic) {
  return QStringLiteral(
             "<html><head><title>Topic not found</title></head><body>"
             "<h2>Topic not found</h2><p>This help file has no page named <b>%1</b>.</p>"
             "<p>Choose a topic from the Contents or the Index on the left.</p></body></html>")
      .arg(topic.toHtmlEscaped());
}

QPointer<THelpViewer> the_viewer;

void CloseViewer() {
  THelpViewer* viewer = the_viewer.data();
  the_viewer = nullptr;
  delete viewer;
}

}  // namespace

quint32 HelpContextOfPage(int page_index) {
  switch (page_index) {
    case 1: return kHelpSearchPage;
    case 2: return kHelpInformationPage;
    default: return kHelpRecipePage;
  }
}

// ---------------------------------------------------------------------------
// THelpBrowser

QUrl THelpBrowser::TopicUrl(const QString& topic) {
  QUrl url;
  url.setScheme(QString::fromLatin1(kScheme));
  url.setPath(QLatin1Char('/') + THelpFile::NormalPath(topic));
  return url;
}

QVariant THelpBrowser::loadResource(int type, const QUrl& name) {
  QUrl url = name;
  if (url.isRelative()) {
    const QUrl base = source().isEmpty() ? TopicUrl(QString()) : source();
    url = base.resolved(name);
  }
  if (file_ == nullptr || url.scheme() != QLatin1String(kScheme)) return {};
  const QString topic = TopicOf(url);
  const QByteArray data = file_->Read(topic);
  switch (type) {
    case QTextDocument::HtmlResource:
      return data.isEmpty() ? MissingTopicPage(topic) : DecodePage(data);
    case QTextDocument::StyleSheetResource:
      return DecodePage(data);
    case QTextDocument::ImageResource: {
      const QImage image = QImage::fromData(data);
      if (image.isNull()) return {};
      return image;
    }
    default:
      return data.isEmpty() ? QVariant() : QVariant(data);
  }
}

// ---------------------------------------------------------------------------
// THelpViewer

THelpViewer::THelpViewer(std::unique_ptr<THelpFile> file, QWidget* parent)
    : QMainWindow(parent), file_(std::move(file)) {
  setObjectName(QStringLiteral("HelpViewer"));
  setWindowTitle(file_->Title().isEmpty() ? QStringLiteral("Zestoria Help") : file_->Title());
  if (!QApplication::windowIcon().isNull()) setWindowIcon(QApplication::windowIcon());

  browser_ = new THelpBrowser(this);
  browser_->setObjectName(QStringLiteral("HelpBrowser"));
  browser_->SetHelpFile(file_.get());
  browser_->setOpenLinks(false);
  browser_->setFrameShape(QFrame::NoFrame);
  connect(browser_, &QTextBrowser::anchorClicked, this, &THelpViewer::FollowLink);
  connect(browser_, &QTextBrowser::sourceChanged, this, &THelpViewer::TopicChanged);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("HelpTabs"));
  tabs_->setDocumentMode(true);
  BuildContents();
  BuildIndex();

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->addWidget(tabs_);
  splitter->addWidget(browser_);
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({260, 600});
  splitter->setChildrenCollapsible(false);
  setCentralWidget(splitter);

  BuildActions();
  statusBar()->setSizeGripEnabled(true);
  resize(860, 600);
}

THelpViewer::~THelpViewer() = default;

void THelpViewer::BuildActions() {
  QToolBar* bar = addToolBar(QStringLiteral("Navigation"));
  bar->setObjectName(QStringLiteral("HelpToolBar"));
  bar->setMovable(false);
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

  QAction* back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Back"));
  back->setShortcut(QKeySequence::Back);
  back->setEnabled(false);
  connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);

  QAction* forward =
      bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Forward"));
  forward->setShortcut(QKeySequence::Forward);
  forward->setEnabled(false);
  connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

  QAction* home = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Home"));
  connect(home, &QAction::triggered, this, [this] { ShowTopic(QString()); });

  bar->addSeparator();
  QAction* close = bar->addAction(style()->standardIcon(QStyle::SP_DialogCloseButton),
                                  QStringLiteral("Close"));
  close->setShortcut(QKeySequence(Qt::Key_Escape));
  connect(close, &QAction::triggered, this, &QWidget::close);
}

void THelpViewer::BuildContents() {
  contents_ = new QTreeWidget(this);
  contents_->setObjectName(QStringLiteral("HelpContents"));
  contents_->setHeaderHidden(true);
  contents_->setRootIsDecorated(true);
  contents_->setUniformRowHeights(true);
  const QIcon book = style()->standardIcon(QStyle::SP_DirIcon);
  const QIcon page = style()->standardIcon(QStyle::SP_FileIcon);

  std::vector<QTreeWidgetItem*> parents;  // the last item at each depth
  for (const THelpEntry& entry : file_->Contents()) {
    const size_t depth = std::min<size_t>(size_t(entry.depth), parents.size());
    parents.resize(depth);
    auto* item = depth == 0 ? new QTreeWidgetItem(contents_) : new QTreeWidgetItem(parents.back());
    item->setText(0, entry.name);
    item->setData(0, kTopicRole, THelpFile::NormalPath(entry.local));
    item->setIcon(0, page);
    if (depth > 0) parents.back()->setIcon(0, book);
    parents.push_back(item);
  }
  contents_->expandAll();
  connect(contents_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
    const QString topic = item->data(0, kTopicRole).toString();
    if (!topic.isEmpty()) browser_->setSource(THelpBrowser::TopicUrl(topic));
  });
  connect(contents_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
    const QString topic = item->data(0, kTopicRole).toString();
    if (!topic.isEmpty()) browser_->setSource(THelpBrowser::TopicUrl(topic));
  });
  tabs_->addTab(contents_, QStringLiteral("Contents"));
}

void THelpViewer::BuildIndex() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(6, 8, 6, 6);
  layout->setSpacing(6);
  auto* label = new QLabel(QStringLiteral("Type in the keyword to find:"), page);
  keyword_ = new QLineEdit(page);
  keyword_->setObjectName(QStringLiteral("HelpKeyword"));
  keyword_->setClearButtonEnabled(true);
  label->setBuddy(keyword_);
  index_ = new QListWidget(page);
  index_->setObjectName(QStringLiteral("HelpIndex"));
  index_->setUniformItemSizes(true);
  for (const THelpEntry& entry : file_->Index()) {
    auto* item = new QListWidgetItem(entry.name, index_);
    item->setData(kTopicRole, THelpFile::NormalPath(entry.local));
  }
  auto* display = new QPushButton(QStringLiteral("Display"), page);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(display);
  layout->addWidget(label);
  layout->addWidget(keyword_);
  layout->addWidget(index_, 1);
  layout->addLayout(buttons);

  connect(keyword_, &QLineEdit::textEdited, this, &THelpViewer::FilterIndex);
  connect(keyword_, &QLineEdit::returnPressed, this, &THelpViewer::OpenIndexItem);
  connect(index_, &QListWidget::itemActivated, this, &THelpViewer::OpenIndexItem);
  connect(index_, &QListWidget::itemDoubleClicked, this, &THelpViewer::OpenIndexItem);
  connect(display, &QPushButton::clicked, this, &THelpViewer::OpenIndexItem);
  tabs_->addTab(page, QStringLiteral("Index"));
}

void THelpViewer::FilterIndex(const QString& text) {
  // Like a printed index: the first keyword that begins with the text.
  for (int row = 0; row < index_->count(); ++row) {
    if (index_->item(row)->text().startsWith(text.trimmed(), Qt::CaseInsensitive)) {
      index_->setCurrentRow(row);
      index_->scrollToItem(index_->item(row), QAbstractItemView::PositionAtTop);
      return;
    }
  }
}

void THelpViewer::OpenIndexItem() {
  QListWidgetItem* item = index_->currentItem();
  if (item == nullptr) return;
  const QString topic = item->data(kTopicRole).toString();
  if (!topic.isEmpty()) browser_->setSource(THelpBrowser::TopicUrl(topic));
}

void THelpViewer::FollowLink(const QUrl& link) {
  const QUrl url = link.isRelative() ? browser_->source().resolved(link) : link;
  if (url.scheme() == QLatin1String(kScheme)) {
    browser_->setSource(url);
  } else if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https") ||
             url.scheme() == QLatin1String("mailto")) {
    QDesktopServices::openUrl(url);
  }
}

void THelpViewer::TopicChanged(const QUrl& url) {
  const QString topic = TopicOf(url);
  const QString title = browser_->documentTitle();
  const QString base = file_->Title().isEmpty() ? QStringLiteral("Zestoria Help") : file_->Title();
  setWindowTitle(title.isEmpty() ? base : base + QStringLiteral(" - ") + title);
  statusBar()->clearMessage();

  const QSignalBlocker block(contents_);
  for (QTreeWidgetItemIterator it(contents_); *it != nullptr; ++it) {
    if ((*it)->data(0, kTopicRole).toString().compare(topic, Qt::CaseInsensitive) == 0) {
      contents_->setCurrentItem(*it);
      contents_->scrollToItem(*it);
      return;
    }
  }
  contents_->clearSelection();
}

void THelpViewer::ShowTopic(const QString& topic) {
  const QString wanted = topic.isEmpty() ? file_->DefaultTopic() : THelpFile::NormalPath(topic);
  tabs_->setCurrentWidget(contents_);
  browser_->setSource(THelpBrowser::TopicUrl(wanted));
}

bool THelpViewer::ShowContext(quint32 context) {
  const QString topic = file_->TopicOfContext(context);
  ShowTopic(topic);
  if (topic.isEmpty()) {
    statusBar()->showMessage(
        QStringLiteral("There is no help topic for context %1; showing the first topic.")
            .arg(context));
    return false;
  }
  return true;
}

void THelpViewer::ShowIndex() {
  if (browser_->source().isEmpty()) ShowTopic(QString());
  tabs_->setCurrentIndex(1);
  keyword_->setFocus();
  if (index_->currentRow() < 0 && index_->count() > 0) index_->setCurrentRow(0);
}

QString THelpViewer::CurrentTopic() const { return TopicOf(browser_->source()); }

bool THelpViewer::IndexShown() const { return tabs_->currentIndex() == 1; }

// ---------------------------------------------------------------------------
// The entry point

THelpViewer* HelpViewerWindow() { return the_viewer.data(); }

void ShowHtmlHelp(int hh_command, const QString& chm_file, quint32 data) {
  if (hh_command == HH_CLOSE_ALL) {
    CloseViewer();
    return;
  }
  if (hh_command != HH_DISPLAY_TOPIC && hh_command != HH_HELP_CONTEXT &&
      hh_command != HH_DISPLAY_INDEX) {
    return;
  }

  // "file.chm::/topic.htm>window": the file, an optional topic, an optional
  // window name (this viewer has one window).
  QString file_part = chm_file;
  const qsizetype window = file_part.indexOf(QLatin1Char('>'));
  if (window >= 0) file_part.truncate(window);
  QString topic;
  const qsizetype archive = file_part.indexOf(QLatin1String("::"));
  if (archive >= 0) {
    topic = THelpFile::NormalPath(file_part.mid(archive));
    file_part.truncate(archive);
  }
  const QString path = QFileInfo(file_part).absoluteFilePath();

  if (the_viewer == nullptr || QFileInfo(the_viewer->HelpFile().Path()).absoluteFilePath() != path) {
    auto file = std::make_unique<THelpFile>(file_part);
    if (!file->IsOpen()) {
      const QString shown = file_part.isEmpty() ? QStringLiteral("(none)") : QDir::toNativeSeparators(file_part);
      Platform().Error(QStringLiteral("The help file %1 cannot be opened.\n%2")
                           .arg(shown, file->ErrorText()));
      return;
    }
    CloseViewer();
    the_viewer = new THelpViewer(std::move(file));
    if (qApp != nullptr) {
      QObject::connect(qApp, &QCoreApplication::aboutToQuit, the_viewer.data(),
                       [] { CloseViewer(); });
    }
  }

  THelpViewer* viewer = the_viewer.data();
  switch (hh_command) {
    case HH_HELP_CONTEXT: viewer->ShowContext(data); break;
    // The index command's data names a keyword by address on other
    // platforms; here it is only a number, and the index opens at its top.
    case HH_DISPLAY_INDEX: viewer->ShowIndex(); break;
    default: viewer->ShowTopic(topic); break;
  }
  viewer->show();
  viewer->raise();
  viewer->activateWindow();
}

#include "moc_HelpViewer.cpp"
