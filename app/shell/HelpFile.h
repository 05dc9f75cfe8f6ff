// A compiled HTML help file (.chm) read with chmlib: its topics and
// pictures, its default topic, the topics of context numbers, and its
// contents and index trees. No widgets; the help viewer shows what it reads.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <vector>

struct chmFile;

// One line of the contents or the index: its text, the topic it opens
// (a path inside the help file, "" for a heading without a topic) and its
// depth in the tree (0 for the top level).
struct THelpEntry {
  QString name;
  QString local;
  int depth = 0;
};

class THelpFile {
 public:
  // Opens |path|. A missing, unreadable or damaged file leaves the object
  // closed with ErrorText() saying why; nothing throws.
  explicit THelpFile(const QString& path);
  ~THelpFile();
  THelpFile(const THelpFile&) = delete;
  THelpFile& operator=(const THelpFile&) = delete;

  // True when the file opened and its default topic can be read.
  bool IsOpen() const { return chm_ != nullptr; }
  // Why the file could not be opened; "" when it is open.
  const QString& ErrorText() const { return error_; }
  const QString& Path() const { return path_; }

  // True when the object at |path| exists ("topic.htm", "/images/x.png").
  bool Contains(const QString& path) const;
  // The whole object at |path|; an empty array when it is missing or cannot
  // be read completely.
  QByteArray Read(const QString& path) const;

  // The title written when the file was compiled ("" when it has none).
  const QString& Title() const { return title_; }
  // The topic opened by default, as a path without a leading "/".
  const QString& DefaultTopic() const { return default_topic_; }
  // The topic of context number |context|, "" when the file maps none.
  QString TopicOfContext(quint32 context) const;
  // The contents tree and the index, in file order.
  const std::vector<THelpEntry>& Contents() const { return contents_; }
  const std::vector<THelpEntry>& Index() const { return index_; }

  // Turns a link or path into the form used above: no leading "/", no
  // "#fragment", and "file.chm::/" prefixes removed.
  static QString NormalPath(const QString& path);
  // Reads a contents (.hhc) or index (.hhk) sitemap.
  static std::vector<THelpEntry> ParseSitemap(const QByteArray& html);

 private:
  void ReadSystem();
  void ReadContextMap();
  // The object of this file that |compiled_path| names; the help compiler
  // records topics by the full path it compiled them from, so the longest
  // tail of that path that names an object wins.
  QString ResolveCompiledPath(const QString& compiled_path) const;
  void Fail(const QString& why);

  QString path_;
  QString error_;
  chmFile* chm_ = nullptr;
  QString title_;
  QString default_topic_;
  QString contents_file_;
  QString index_file_;
  std::vector<std::pair<quint32, QString>> context_topics_;
  std::vector<THelpEntry> contents_;
  std::vector<THelpEntry> index_;
};
