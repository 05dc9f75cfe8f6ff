// Reading a compiled help file with chmlib.
//
// The pieces used here: "#SYSTEM" holds numbered records (the default topic,
// the title, the contents and index file names); "#IVB" pairs each context
// number with an offset into "#STRINGS", where the topic's path is written;
// the contents (.hhc) and index (.hhk) are HTML sitemaps stored as files.
#include "shell/HelpFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextDocumentFragment>

#include <algorithm>

#include <chm_lib.h>

namespace {

// The fixed part of the file header: "ITSF", version, header length and
// the rest up to the directory offsets; anything shorter is not a help file.
constexpr qint64 kMinimumFileSize = 0x60;
// Objects larger than this are not help topics or pictures; refusing them
// keeps a damaged length field from asking for gigabytes.
constexpr quint64 kMaximumObjectSize = 64u * 1024u * 1024u;

// Header section 0: its offset is a 64-bit field of the file header; the
// section is a 32-bit marker, 4 unknown bytes, the 64-bit file size and
// 8 unknown bytes.
constexpr qsizetype kHeaderSection0Offset = 0x38;
constexpr qint64 kSection0Size = 0x18;
constexpr quint32 kSection0Marker = 0x1FE;
constexpr qsizetype kSection0FileSize = 0x08;

// #SYSTEM record codes.
constexpr quint16 kSystemContentsFile = 0;
constexpr quint16 kSystemIndexFile = 1;
constexpr quint16 kSystemDefaultTopic = 2;
constexpr quint16 kSystemTitle = 3;

quint16 Le16(const QByteArray& b, qsizetype at) {
  return quint16(quint8(b[at])) | quint16(quint16(quint8(b[at + 1])) << 8);
}
quint32 Le32(const QByteArray& b, qsizetype at) {
  return quint32(quint8(b[at])) | (quint32(quint8(b[at + 1])) << 8) |
         (quint32(quint8(b[at + 2])) << 16) | (quint32(quint8(b[at + 3])) << 24);
}

quint64 Le64(const QByteArray& b, qsizetype at) {
  return quint64(Le32(b, at)) | (quint64(Le32(b, at + 4)) << 32);
}

// A zero-terminated text of |bytes| starting at |at| (to the end when no
// terminator follows).
QString CText(const QByteArray& bytes, qsizetype at, qsizetype end) {
  qsizetype stop = at;
  while (stop < end && bytes[stop] != '\0') ++stop;
  return QString::fromLatin1(bytes.constData() + at, stop - at);
}

QString DecodeEntities(const QString& text) {
  if (!text.contains(QLatin1Char('&'))) return text;
  return QTextDocumentFragment::fromHtml(text).toPlainText();
}

}  // namespace

THelpFile::THelpFile(const QString& path) : path_(path) {
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists()) {
    Fail(QStringLiteral("The file does not exist."));
    return;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    Fail(QStringLiteral("The file cannot be read."));
    return;
  }
  const QByteArray head = file.read(kMinimumFileSize);
  if (file.size() < kMinimumFileSize || !head.startsWith("ITSF")) {
    Fail(QStringLiteral("The file is not a compiled help file."));
    return;
  }
  // Header section 0 records the size of the whole file; a shorter file has
  // lost its end, where the compressed topics are.
  const quint64 section0 = Le64(head, kHeaderSection0Offset);
  if (section0 <= quint64(file.size()) - kSection0Size && file.seek(qint64(section0))) {
    const QByteArray hs0 = file.read(kSection0Size);
    if (hs0.size() == kSection0Size && Le32(hs0, 0) == kSection0Marker &&
        Le64(hs0, kSection0FileSize) > quint64(file.size())) {
      Fail(QStringLiteral("The file is damaged: it is shorter than its header says."));
      return;
    }
  }
  file.close();

  chm_ = chm_open(QFile::encodeName(path).constData());
  if (chm_ == nullptr) {
    Fail(QStringLiteral("The file is damaged."));
    return;
  }
  ReadSystem();
  if (contents_file_.isEmpty()) contents_file_ = QStringLiteral("contents.hhc");
  contents_ = ParseSitemap(Read(contents_file_));
  if (!index_file_.isEmpty()) index_ = ParseSitemap(Read(index_file_));
  if (default_topic_.isEmpty()) {
    for (const THelpEntry& e : contents_) {
      if (!e.local.isEmpty()) {
        default_topic_ = NormalPath(e.local);
        break;
      }
    }
  }
  ReadContextMap();
  // A file whose first page cannot be read is of no use to the reader.
  if (default_topic_.isEmpty() || Read(default_topic_).isEmpty()) {
    Fail(QStringLiteral("The file is damaged: its first topic cannot be read."));
  }
}

THelpFile::~THelpFile() {
  if (chm_ != nullptr) chm_close(chm_);
}

void THelpFile::Fail(const QString& why) {
  error_ = why;
  if (chm_ != nullptr) chm_close(chm_);
  chm_ = nullptr;
  contents_.clear();
  index_.clear();
  context_topics_.clear();
}

QString THelpFile::NormalPath(const QString& path) {
  QString p = path.trimmed();
  const qsizetype archive = p.indexOf(QLatin1String("::"));
  if (archive >= 0) p = p.mid(archive + 2);
  const qsizetype fragment = p.indexOf(QLatin1Char('#'));
  if (fragment >= 0) p = p.left(fragment);
  p.replace(QLatin1Char('\\'), QLatin1Char('/'));
  while (p.startsWith(QLatin1Char('/'))) p.remove(0, 1);
  return p;
}

bool THelpFile::Contains(const QString& path) const {
  if (chm_ == nullptr) return false;
  const QString normal = NormalPath(path);
  if (normal.isEmpty()) return false;
  chmUnitInfo ui;
  const QByteArray object = "/" + normal.toUtf8();
  return chm_resolve_object(chm_, object.constData(), &ui) == CHM_RESOLVE_SUCCESS;
}

QByteArray THelpFile::Read(const QString& path) const {
  if (chm_ == nullptr) return {};
  QString normal = path.startsWith(QLatin1Char('#')) ? path : NormalPath(path);
  if (normal.isEmpty()) return {};
  chmUnitInfo ui;
  const QByteArray object = "/" + normal.toUtf8();
  if (chm_resolve_object(chm_, object.constData(), &ui) != CHM_RESOLVE_SUCCESS) return {};
  if (ui.length == 0 || ui.length > kMaximumObjectSize) return {};
  QByteArray data(qsizetype(ui.length), '\0');
  const LONGINT64 got = chm_retrieve_object(
      chm_, &ui, reinterpret_cast<unsigned char*>(data.data()), 0, LONGINT64(ui.length));
  if (got != LONGINT64(ui.length)) return {};
  return data;
}

void THelpFile::ReadSystem() {
  const QByteArray sys = Read(QStringLiteral("#SYSTEM"));
  // A 4-byte version, then records: 16-bit code, 16-bit length, data.
  qsizetype at = 4;
  while (at + 4 <= sys.size()) {
    const quint16 code = Le16(sys, at);
    const quint16 length = Le16(sys, at + 2);
    const qsizetype data = at + 4;
    if (data + length > sys.size()) break;
    const QString text = CText(sys, data, data + length);
    switch (code) {
      case kSystemContentsFile: contents_file_ = NormalPath(text); break;
      case kSystemIndexFile: index_file_ = NormalPath(text); break;
      case kSystemDefaultTopic: default_topic_ = NormalPath(text); break;
      case kSystemTitle: title_ = text; break;
      default: break;
    }
    at = data + length;
  }
}

void THelpFile::ReadContextMap() {
  const QByteArray ivb = Read(QStringLiteral("#IVB"));
  const QByteArray strings = Read(QStringLiteral("#STRINGS"));
  if (ivb.size() < 4 || strings.isEmpty()) return;
  // A 32-bit byte count, then pairs of 32-bit context number and offset.
  const qsizetype end = std::min<qsizetype>(ivb.size(), 4 + qsizetype(Le32(ivb, 0)));
  for (qsizetype at = 4; at + 8 <= end; at += 8) {
    const quint32 context = Le32(ivb, at);
    const quint32 offset = Le32(ivb, at + 4);
    if (offset >= quint32(strings.size())) continue;
    const QString topic = ResolveCompiledPath(CText(strings, offset, strings.size()));
    if (!topic.isEmpty()) context_topics_.emplace_back(context, topic);
  }
}

QString THelpFile::ResolveCompiledPath(const QString& compiled_path) const {
  QString tail = NormalPath(compiled_path);
  while (!tail.isEmpty()) {
    if (Contains(tail)) return tail;
    const qsizetype slash = tail.indexOf(QLatin1Char('/'));
    if (slash < 0) break;
    tail = tail.mid(slash + 1);
  }
  return {};
}

QString THelpFile::TopicOfContext(quint32 context) const {
  for (const auto& [number, topic] : context_topics_) {
    if (number == context) return topic;
  }
  return {};
}

std::vector<THelpEntry> THelpFile::ParseSitemap(const QByteArray& html) {
  static const QRegularExpression token(
      QStringLiteral("<\\s*(/?)\\s*(ul)\\b[^>]*>|<\\s*object\\b([^>]*)>(.*?)<\\s*/\\s*object\\s*>"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression param(
      QStringLiteral("<\\s*param\\s+name\\s*=\\s*\"([^\"]*)\"\\s+value\\s*=\\s*\"([^\"]*)\""),
      QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression sitemap(QStringLiteral("type\\s*=\\s*\"text/sitemap\""),
                                          QRegularExpression::CaseInsensitiveOption);

  std::vector<THelpEntry> entries;
  const QString text = QString::fromLatin1(html);
  int depth = 0;
  for (auto it = token.globalMatch(text); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    if (m.capturedLength(2) > 0) {  // <ul> or </ul>
      depth += m.captured(1).isEmpty() ? 1 : -1;
      if (depth < 0) depth = 0;
      continue;
    }
    if (!sitemap.match(m.captured(3)).hasMatch()) continue;
    THelpEntry entry;
    entry.depth = std::max(0, depth - 1);
    for (auto p = param.globalMatch(m.captured(4)); p.hasNext();) {
      const QRegularExpressionMatch pm = p.next();
      const QString name = pm.captured(1).toLower();
      // An index keyword lists its name first; a later "Name" of the same
      // object names the topic, which the keyword line does not need.
      if (name == QLatin1String("name") && entry.name.isEmpty()) {
        entry.name = DecodeEntities(pm.captured(2));
      } else if (name == QLatin1String("local") && entry.local.isEmpty()) {
        entry.local = pm.captured(2);
      }
    }
    if (!entry.name.isEmpty()) entries.push_back(entry);
  }
  return entries;
}
