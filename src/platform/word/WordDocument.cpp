#include "platform/word/WordDocument.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <unordered_map>
#include <vector>

#include "platform/ooxml/OoxmlError.h"
#include "platform/ooxml/XmlPart.h"
#include "platform/word/StyleSheet.h"
#include "platform/word/TextEditor.h"
#include "platform/word/WordXml.h"

namespace tarovent::word {

using ooxml::OoxmlError;

namespace {

// What tells us that another program has replaced or rewritten a file.
struct DiskStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long mtimeNs = 0;
  bool operator==(const DiskStamp&) const = default;
};

std::optional<DiskStamp> stampOf(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return std::nullopt;
  return DiskStamp{st.st_dev, st.st_ino, st.st_size,
                   static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

const QString kDocumentType = QStringLiteral(
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml");
const QString kTemplateType = QStringLiteral(
    "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml");
const QString kMacroDocumentType =
    QStringLiteral("application/vnd.ms-word.document.macroEnabled.main+xml");

// Parts holding text of their own: running heads and feet, footnotes and endnotes.
bool isStoryType(const QString& relationshipType) {
  for (const char* kind : {"/header", "/footer", "/footnotes", "/endnotes"})
    if (relationshipType.endsWith(QLatin1String(kind))) return true;
  return false;
}

bool isTemplateType(const QString& type) {
  return type.contains(QLatin1String(".template.")) || type.contains(QLatin1String("Template"));
}

}  // namespace

struct WordDocument::Impl {
  struct Story {
    QString part;
    QByteArray source;  // the part as read; the parsed document points into it
    std::unique_ptr<pugi::xml_document> doc;
    pugi::xml_node root;
    bool dirty = false;
  };
  struct Mark {
    QString name;
    int story = 0;
    pugi::xml_node start;
    pugi::xml_node end;
  };
  struct Rows {
    std::vector<pugi::xml_node> rows;
    std::vector<std::vector<pugi::xml_node>> cells;
  };

  ooxml::Package package;
  QString path;
  std::optional<DiskStamp> stamp;  // the file as we last read or wrote it
  QString mainPart;
  bool readOnly = false;
  bool modified = false;
  bool showHidden = false;
  std::string prefix;  // prefix of the main namespace in the body part, with its colon
  std::vector<Story> stories;
  QHash<QString, Mark> marks;  // key: upper-case name
  long long nextId = 0;

  mutable bool tablesValid = false;
  mutable std::vector<pugi::xml_node> tables;
  mutable std::unordered_map<pugi::xml_node_struct*, Rows> rowCache;
  mutable bool layoutValid = false;
  mutable std::unordered_map<pugi::xml_node_struct*, std::pair<int, int>> layout;
  mutable std::optional<StyleSheet> styles;
  mutable QHash<QString, bool> inheritedCache;
  TextEditor editor{[this](pugi::xml_node paragraph, pugi::xml_node rPr) {
    return inheritedHidden(paragraph, rPr);
  }};

  explicit Impl(ooxml::Package p) : package(std::move(p)) {}

  // ---- loading -------------------------------------------------------------------------

  void load() {
    mainPart = package.mainPart();
    if (mainPart.isEmpty() || !package.contains(mainPart))
      throw OoxmlError(
          QStringLiteral("Le fichier %1 ne contient pas de document de traitement de texte")
              .arg(path));
    const QString type = package.contentType(mainPart);
    if (!type.contains(QLatin1String("wordprocessingml")) &&
        !type.contains(QLatin1String("ms-word")))
      throw OoxmlError(
          QStringLiteral("Le fichier %1 n'est pas un document de traitement de texte (%2)")
              .arg(path, type));
    addStory(mainPart, "body");
    const std::string docName = stories[0].doc->document_element().name();
    const size_t colon = docName.find(':');
    prefix = colon == std::string::npos ? std::string() : docName.substr(0, colon + 1);
    editor.setPrefix(prefix);
    const ooxml::Relationships rels = package.relationships(mainPart);
    for (const ooxml::Relationship& rel : rels.all()) {
      if (!isStoryType(rel.type)) continue;
      const QString part = rels.resolve(rel);
      if (part.isEmpty() || !package.contains(part)) continue;
      bool known = false;
      for (const Story& s : stories) known = known || s.part == part;
      if (!known) addStory(part, nullptr);
    }
    indexBookmarks();
  }

  void addStory(const QString& part, const char* rootChild) {
    Story story;
    story.part = part;
    story.doc = std::make_unique<pugi::xml_document>();
    story.source = package.read(part);
    ooxml::parseXmlInPlace(*story.doc, story.source, part);
    story.root = story.doc->document_element();
    if (rootChild) {
      story.root = xml::firstChild(story.root, rootChild);
      if (!story.root)
        throw OoxmlError(QStringLiteral("Le document %1 n'a pas de corps de texte").arg(path));
    }
    stories.push_back(std::move(story));
  }

  void indexBookmarks() {
    marks.clear();
    for (int s = 0; s < int(stories.size()); ++s) {
      std::unordered_map<std::string, pugi::xml_node> open;
      xml::traverse(
          stories[s].root,
          [&](pugi::xml_node n) {
            if (n.type() != pugi::node_element) return false;
            const char* local = xml::localName(n);
            // Text and properties hold no bookmark; the walk meets a great many of them.
            if ((local[0] == 't' && local[1] == '\0') || xml::isProperties(n)) return false;
            if (local[0] != 'b' && local[0] != 'F') return true;
            if (std::strcmp(local, "bookmarkStart") == 0) {
              const std::string id = xml::attr(n, "id").value();
              nextId = std::max(nextId, std::atoll(id.c_str()) + 1);
              open.emplace(id, n);
              return false;
            }
            if (std::strcmp(local, "bookmarkEnd") == 0) {
              const auto it = open.find(xml::attr(n, "id").value());
              if (it != open.end()) {
                const QString name = QString::fromUtf8(xml::attr(it->second, "name").value());
                const QString key = name.toUpper();
                if (!name.isEmpty() && !marks.contains(key))
                  marks.insert(key, Mark{name, s, it->second, n});
                open.erase(it);
              }
              return false;
            }
            // Runs lead to text boxes; their VML copy repeats what the drawing holds.
            return std::strcmp(local, "Fallback") != 0;
          },
          [](pugi::xml_node) {});
    }
  }

  void changed(int story) {
    stories[story].dirty = true;
    modified = true;
    layoutValid = false;
  }

  // ---- tables --------------------------------------------------------------------------

  const std::vector<pugi::xml_node>& bodyTables() const {
    if (!tablesValid) {
      tables.clear();
      xml::traverse(
          stories[0].root,
          [&](pugi::xml_node n) {
            if (xml::is(n, "tbl")) {
              tables.push_back(n);
              return false;
            }
            return xml::isWrapper(n);
          },
          [](pugi::xml_node) {});
      tablesValid = true;
    }
    return tables;
  }

  pugi::xml_node tableNode(int t) const {
    const auto& all = bodyTables();
    if (t < 1 || t > int(all.size()))
      throw OoxmlError(QStringLiteral("Le tableau n° %1 n'existe pas (le document en a %2)")
                           .arg(t)
                           .arg(all.size()));
    return all[size_t(t - 1)];
  }

  Rows& rowsOf(pugi::xml_node tbl) const {
    auto it = rowCache.find(tbl.internal_object());
    if (it == rowCache.end()) {
      Rows rows;
      rows.rows = xml::wrappedChildren(tbl, "tr");
      for (pugi::xml_node tr : rows.rows) rows.cells.push_back(xml::wrappedChildren(tr, "tc"));
      it = rowCache.emplace(tbl.internal_object(), std::move(rows)).first;
    }
    return it->second;
  }

  pugi::xml_node rowNode(int t, int row) const {
    const Rows& rows = rowsOf(tableNode(t));
    if (row < 1 || row > int(rows.rows.size()))
      throw OoxmlError(QStringLiteral("La ligne %1 du tableau n° %2 n'existe pas").arg(row).arg(t));
    return rows.rows[size_t(row - 1)];
  }

  pugi::xml_node cellNode(const CellRef& c) const {
    const Rows& rows = rowsOf(tableNode(c.table));
    if (c.row < 1 || c.row > int(rows.rows.size()) || c.column < 1 ||
        c.column > int(rows.cells[size_t(c.row - 1)].size()))
      throw OoxmlError(QStringLiteral("La cellule (%1, %2) du tableau n° %3 n'existe pas")
                           .arg(c.row)
                           .arg(c.column)
                           .arg(c.table));
    return rows.cells[size_t(c.row - 1)][size_t(c.column - 1)];
  }

  int tableIndexOf(pugi::xml_node tbl) const {
    const auto& all = bodyTables();
    const auto it = std::find(all.begin(), all.end(), tbl);
    return it == all.end() ? 0 : int(it - all.begin()) + 1;
  }

  void tablesChanged() {
    tablesValid = false;
    layoutValid = false;
  }

  // ---- positions -----------------------------------------------------------------------

  // What the position walk does with an element, told from its local name in one look.
  enum class LayoutKind { Enter, Skip, Text, OneChar, Marker, Table, Row, Paragraph };

  static LayoutKind layoutKind(const char* local) {
    const size_t n = std::strlen(local);
    if (n > 2 && local[n - 2] == 'P' && local[n - 1] == 'r') return LayoutKind::Skip;
    const auto eq = [&](const char* name) { return std::strcmp(local, name) == 0; };
    switch (local[0]) {
      case 't':
        if (n == 1) return LayoutKind::Text;
        if (n == 2 && local[1] == 'r') return LayoutKind::Row;
        if (eq("tab")) return LayoutKind::OneChar;
        if (eq("tbl")) return LayoutKind::Table;
        break;
      case 'p':
        if (n == 1) return LayoutKind::Paragraph;
        break;
      case 'r':
        break;
      case 'b':
        if (eq("br")) return LayoutKind::OneChar;
        if (eq("bookmarkStart") || eq("bookmarkEnd")) return LayoutKind::Marker;
        break;
      case 'c':
        if (eq("cr")) return LayoutKind::OneChar;
        break;
      case 'n':
        if (eq("noBreakHyphen")) return LayoutKind::OneChar;
        break;
      case 'F':
        if (eq("Fallback")) return LayoutKind::Skip;
        break;
      case 'i':
        if (eq("instrText")) return LayoutKind::Skip;
        break;
      case 'd':
        if (eq("delText")) return LayoutKind::Skip;
        break;
      default:
        break;
    }
    return LayoutKind::Enter;
  }

  // Positions of the tables, rows and bookmark markers of a story, each element named once.
  // The walk keeps its own stack: a crafted part may nest deeper than the call stack goes.
  void layOut(pugi::xml_node root) const {
    struct Open {
      pugi::xml_node node;
      LayoutKind kind;
      int start;
    };
    std::vector<Open> open;
    int pos = 0;
    pugi::xml_node n = root.first_child();
    while (true) {
      while (!n) {
        if (open.empty()) return;
        const Open done = open.back();
        open.pop_back();
        if (done.kind == LayoutKind::Paragraph || done.kind == LayoutKind::Row) ++pos;
        if (done.kind == LayoutKind::Table || done.kind == LayoutKind::Row)
          layout[done.node.internal_object()] = {done.start, pos};
        n = done.node.next_sibling();
      }
      LayoutKind kind = LayoutKind::Skip;
      if (n.type() == pugi::node_element) kind = layoutKind(xml::localName(n));
      switch (kind) {
        case LayoutKind::Skip:
          break;
        case LayoutKind::Text:
          pos += xml::utf16Length(n.text().get());
          break;
        case LayoutKind::OneChar:
          ++pos;
          break;
        case LayoutKind::Marker:
          layout[n.internal_object()] = {pos, pos};
          break;
        case LayoutKind::Table:
        case LayoutKind::Row:
        case LayoutKind::Paragraph:
        case LayoutKind::Enter:
          open.push_back({n, kind, pos});
          n = n.first_child();
          continue;
      }
      n = n.next_sibling();
    }
  }

  void ensureLayout() const {
    if (layoutValid) return;
    layout.clear();
    for (const Story& story : stories) layOut(story.root);
    layoutValid = true;
  }

  int positionOf(pugi::xml_node node) const {
    ensureLayout();
    const auto it = layout.find(node.internal_object());
    return it == layout.end() ? 0 : it->second.first;
  }

  std::pair<int, int> rangeOf(pugi::xml_node node) const {
    ensureLayout();
    const auto it = layout.find(node.internal_object());
    return it == layout.end() ? std::pair<int, int>{0, 0} : it->second;
  }

  BookmarkInfo infoOf(const Mark& m) const {
    return {m.name, stories[size_t(m.story)].part, positionOf(m.start), positionOf(m.end)};
  }

  // ---- formatting ----------------------------------------------------------------------

  const StyleSheet& styleSheet() const {
    if (!styles) {
      styles.emplace();
      const ooxml::Relationships rels = package.relationships(mainPart);
      if (const ooxml::Relationship* rel = rels.firstOfType(QStringLiteral("styles"))) {
        const QString part = rels.resolve(*rel);
        if (package.contains(part)) {
          try {
            styles.emplace(package.read(part));
          } catch (const OoxmlError&) {
            // A broken style part only loses style-level hidden text.
          }
        }
      }
    }
    return *styles;
  }

  // Whether the styles alone hide a run of this paragraph with these run properties.
  bool inheritedHidden(pugi::xml_node paragraph, pugi::xml_node rPr) const {
    if (!styleSheet().hidesText()) return false;
    const QString pStyle = xml::styleOf(xml::firstChild(paragraph, "pPr"), "pStyle");
    const QString rStyle = xml::styleOf(rPr, "rStyle");
    const QString key = pStyle + QLatin1Char('\n') + rStyle;
    auto it = inheritedCache.constFind(key);
    if (it == inheritedCache.constEnd())
      it = inheritedCache.insert(key, styleSheet().hidden(pStyle, rStyle));
    return *it;
  }

  bool runHidden(pugi::xml_node run) const {
    const pugi::xml_node rPr = xml::firstChild(run, "rPr");
    if (const pugi::xml_node vanish = xml::firstChild(rPr, "vanish")) return xml::toggleOn(vanish);
    return inheritedHidden(xml::ancestor(run, "p"), rPr);
  }

  // Runs that show something (text, tab, break) in a subtree. Deleted text shows nothing: the
  // walk leaves deletions out rather than looking up from every run.
  std::vector<pugi::xml_node> textRuns(pugi::xml_node root) const {
    std::vector<pugi::xml_node> found;
    if (xml::is(root, "del") || xml::ancestor(root, "del")) return found;
    xml::traverse(
        root,
        [&](pugi::xml_node n) {
          if (n.type() != pugi::node_element || xml::is(n, "del")) return false;
          if (xml::is(n, "r")) {
            for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
              if ((xml::is(c, "t") && *c.text().get()) || xml::is(c, "tab")) {
                found.push_back(n);
                break;
              }
            }
          }
          return true;
        },
        [](pugi::xml_node) {});
    return found;
  }

  bool allHidden(pugi::xml_node root) const {
    const auto runs = textRuns(root);
    if (runs.empty()) return false;
    return std::all_of(runs.begin(), runs.end(), [&](pugi::xml_node r) { return runHidden(r); });
  }

  // ---- bookmarks -----------------------------------------------------------------------

  const Mark* findMark(const QString& name) const {
    const auto it = marks.constFind(name.toUpper());
    return it == marks.constEnd() ? nullptr : &*it;
  }

  void removeMark(const QString& key) {
    const auto it = marks.find(key);
    if (it == marks.end()) return;
    it->start.parent().remove_child(it->start);
    it->end.parent().remove_child(it->end);
    changed(it->story);
    marks.erase(it);
  }

  // Forgets bookmarks with a marker under root (which is about to go), removing the other
  // marker wherever it is.
  void dropMarksUnder(pugi::xml_node root) {
    for (auto it = marks.begin(); it != marks.end();) {
      const bool startIn = xml::isAncestorOf(root, it->start);
      const bool endIn = xml::isAncestorOf(root, it->end);
      if (startIn || endIn) {
        if (!startIn) it->start.parent().remove_child(it->start);
        if (!endIn) it->end.parent().remove_child(it->end);
        it = marks.erase(it);
      } else {
        ++it;
      }
    }
  }

  pugi::xml_node newMarker(pugi::xml_node where, bool start, long long id, const QString& name,
                           bool before) {
    const std::string tag = prefix + (start ? "bookmarkStart" : "bookmarkEnd");
    pugi::xml_node m = before ? where.parent().insert_child_before(tag.c_str(), where)
                              : where.append_child(tag.c_str());
    m.append_attribute((prefix + "id").c_str()) = std::to_string(id).c_str();
    if (start) m.append_attribute((prefix + "name").c_str()) = name.toUtf8().constData();
    return m;
  }
};

// ---- construction ------------------------------------------------------------------------

WordDocument::WordDocument(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
WordDocument::WordDocument(WordDocument&&) noexcept = default;
WordDocument& WordDocument::operator=(WordDocument&&) noexcept = default;
WordDocument::~WordDocument() = default;

WordDocument WordDocument::open(const QString& path, OpenMode mode) {
  auto impl = std::make_unique<Impl>(ooxml::Package::open(path));
  impl->path = path;
  impl->readOnly = mode == OpenMode::ReadOnly;
  impl->stamp = stampOf(path);
  impl->load();
  return WordDocument(std::move(impl));
}

WordDocument WordDocument::fromTemplate(const QString& templatePath) {
  auto impl = std::make_unique<Impl>(ooxml::Package::open(templatePath));
  impl->path = templatePath;
  impl->load();
  impl->path.clear();
  const QString type = impl->package.contentType(impl->mainPart);
  if (isTemplateType(type))
    impl->package.setContentType(impl->mainPart, type.contains(QLatin1String("macroEnabled"))
                                                     ? kMacroDocumentType
                                                     : kDocumentType);
  impl->modified = true;
  return WordDocument(std::move(impl));
}

WordDocument WordDocument::fromPackage(ooxml::Package package, const QString& path) {
  auto impl = std::make_unique<Impl>(std::move(package));
  impl->path = path;
  impl->load();
  return WordDocument(std::move(impl));
}

// ---- document ------------------------------------------------------------------------------

QString WordDocument::path() const { return d->path; }
bool WordDocument::isReadOnly() const { return d->readOnly; }

bool WordDocument::isTemplate() const {
  return isTemplateType(d->package.contentType(d->mainPart));
}

void WordDocument::setTemplate(bool isTemplate) {
  if (isTemplate == this->isTemplate()) return;
  d->package.setContentType(d->mainPart, isTemplate ? kTemplateType : kDocumentType);
  d->modified = true;
}

bool WordDocument::isModified() const { return d->modified; }
void WordDocument::setModified(bool modified) { d->modified = modified; }
bool WordDocument::showHiddenText() const { return d->showHidden; }
void WordDocument::setShowHiddenText(bool show) { d->showHidden = show; }

void WordDocument::save() {
  if (d->readOnly)
    throw OoxmlError(QStringLiteral("Le document %1 est ouvert en lecture seule").arg(d->path));
  if (d->path.isEmpty())
    throw OoxmlError(QStringLiteral("Le document n'a pas encore de nom de fichier"));
  saveAs(d->path);
}

bool WordDocument::changedOnDisk() const {
  return d->stamp && !d->path.isEmpty() && stampOf(d->path) != d->stamp;
}

void WordDocument::saveAs(const QString& path) {
  if (!d->path.isEmpty() && QFileInfo(path) == QFileInfo(d->path) && QFileInfo::exists(path) &&
      changedOnDisk())
    throw OoxmlError(QStringLiteral("Le document %1 a été modifié par un autre programme depuis "
                                    "son ouverture : il n'est pas enregistré")
                         .arg(path));
  for (Impl::Story& story : d->stories)
    if (story.dirty)
      d->package.write(story.part, ooxml::serializeXml(*story.doc, story.source.size()));
  d->package.saveAs(path);
  for (Impl::Story& story : d->stories) story.dirty = false;
  d->path = path;
  d->stamp = stampOf(path);
  d->readOnly = false;
  d->modified = false;
}

QStringList WordDocument::storyParts() const {
  QStringList parts;
  for (const Impl::Story& story : d->stories) parts << story.part;
  return parts;
}

QString WordDocument::bodyText() const { return xml::blockText(d->stories[0].root); }

ooxml::Package& WordDocument::package() { return d->package; }

// ---- bookmarks -----------------------------------------------------------------------------

bool WordDocument::hasBookmark(const QString& name) const { return d->findMark(name) != nullptr; }

std::optional<BookmarkInfo> WordDocument::bookmark(const QString& name) const {
  const Impl::Mark* m = d->findMark(name);
  if (!m) return std::nullopt;
  return d->infoOf(*m);
}

QList<BookmarkInfo> WordDocument::bookmarks(BookmarkOrder order) const {
  QList<BookmarkInfo> list;
  for (const Impl::Mark& m : d->marks) list << d->infoOf(m);
  const QStringList parts = storyParts();
  auto rank = [&](const QString& part) { return int(parts.indexOf(part)); };
  std::sort(list.begin(), list.end(), [&](const BookmarkInfo& a, const BookmarkInfo& b) {
    if (order == BookmarkOrder::ByName) return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    if (a.part != b.part) return rank(a.part) < rank(b.part);
    if (a.start != b.start) return a.start < b.start;
    return a.end < b.end;
  });
  return list;
}

QString WordDocument::bookmarkText(const QString& name) const {
  const Impl::Mark* m = d->findMark(name);
  if (!m) return {};
  xml::TextCollector collector;
  xml::traverseRange(
      m->start, m->end, [&](pugi::xml_node n) { return collector.enter(n); },
      [&](pugi::xml_node n) { collector.leave(n); });
  QString text = collector.text();
  if (text.endsWith(QLatin1Char('\r'))) text.chop(1);
  return text;
}

bool WordDocument::setBookmarkText(const QString& name, const QString& text,
                                   const CharFormat& format) {
  const Impl::Mark* m = d->findMark(name);
  if (!m) return false;
  d->editor.replaceRange(m->start, m->end, text, format);
  d->changed(m->story);
  // A range over a content control may have taken whole tables with it.
  d->rowCache.clear();
  d->tablesChanged();
  return true;
}

void WordDocument::addBookmark(const QString& name, const CellRef& cell) {
  pugi::xml_node tc = d->cellNode(cell);
  d->removeMark(name.toUpper());
  pugi::xml_node first = xml::firstParagraph(tc);
  if (!first) first = tc.append_child((d->prefix + "p").c_str());
  pugi::xml_node last = first;
  for (pugi::xml_node p : xml::wrappedChildren(tc, "p")) last = p;
  const long long id = d->nextId++;
  pugi::xml_node after = xml::firstChild(first, "pPr");
  pugi::xml_node start;
  if (after) {
    start = first.insert_child_after((d->prefix + "bookmarkStart").c_str(), after);
    start.append_attribute((d->prefix + "id").c_str()) = std::to_string(id).c_str();
    start.append_attribute((d->prefix + "name").c_str()) = name.toUtf8().constData();
  } else if (first.first_child()) {
    start = d->newMarker(first.first_child(), true, id, name, true);
  } else {
    start = d->newMarker(first, true, id, name, false);
  }
  pugi::xml_node end = d->newMarker(last, false, id, name, false);
  d->marks.insert(name.toUpper(), Impl::Mark{name, 0, start, end});
  d->changed(0);
}

bool WordDocument::deleteBookmark(const QString& name) {
  if (!d->findMark(name)) return false;
  d->removeMark(name.toUpper());
  return true;
}

std::optional<CellRef> WordDocument::bookmarkCell(const QString& name) const {
  const Impl::Mark* m = d->findMark(name);
  if (!m || m->story != 0) return std::nullopt;
  pugi::xml_node start = m->start;
  // A bookmark written at row or table level points at the cell that follows it.
  if (xml::is(start.parent(), "tr") || xml::is(start.parent(), "tbl")) {
    const pugi::xml_node next = TextEditor::paragraphAfter(start, {});
    if (!next) return std::nullopt;
    start = next;
  }
  // The outermost table of the body that holds the marker.
  pugi::xml_node tbl;
  for (pugi::xml_node cur = start.parent(); cur; cur = cur.parent())
    if (xml::is(cur, "tbl")) tbl = cur;
  if (!tbl) return std::nullopt;
  const int t = d->tableIndexOf(tbl);
  if (t == 0) return std::nullopt;
  const Impl::Rows& rows = d->rowsOf(tbl);
  for (size_t r = 0; r < rows.rows.size(); ++r) {
    if (!xml::isAncestorOf(rows.rows[r], start)) continue;
    const auto& cells = rows.cells[r];
    for (size_t c = 0; c < cells.size(); ++c)
      if (xml::isAncestorOf(cells[c], start)) return CellRef{t, int(r) + 1, int(c) + 1};
  }
  return std::nullopt;
}

bool WordDocument::insertParagraphsAt(const QString& name, const QList<TextPiece>& paragraphs) {
  const Impl::Mark* m = d->findMark(name);
  if (!m) return false;
  pugi::xml_node anchor = xml::ancestor(m->start, "p");
  if (!anchor) anchor = TextEditor::paragraphAfter(m->start, {});
  if (!anchor) {
    anchor = m->start.parent().insert_child_after((d->prefix + "p").c_str(), m->start);
  }
  d->editor.insertParagraphsBefore(anchor, paragraphs);
  d->changed(m->story);
  return true;
}

// ---- tables --------------------------------------------------------------------------------

int WordDocument::tableCount() const { return int(d->bodyTables().size()); }

TableInfo WordDocument::table(int t) const {
  const pugi::xml_node tbl = d->tableNode(t);
  const auto range = d->rangeOf(tbl);
  return {t, range.first, range.second, rowCount(t), columnCount(t)};
}

int WordDocument::rowCount(int t) const { return int(d->rowsOf(d->tableNode(t)).rows.size()); }

int WordDocument::columnCount(int t) const {
  int most = 0;
  for (const auto& cells : d->rowsOf(d->tableNode(t)).cells)
    most = std::max(most, int(cells.size()));
  return most;
}

int WordDocument::cellCount(int t, int row) const {
  d->rowNode(t, row);
  return int(d->rowsOf(d->tableNode(t)).cells[size_t(row - 1)].size());
}

int WordDocument::rowStart(int t, int row) const { return d->positionOf(d->rowNode(t, row)); }

int WordDocument::tableAt(int position) const {
  for (int t = 1; t <= tableCount(); ++t) {
    const auto range = d->rangeOf(d->tableNode(t));
    if (position >= range.first && position < range.second) return t;
  }
  return 0;
}

QString WordDocument::cellText(const CellRef& cell) const {
  return xml::blockText(d->cellNode(cell));
}

void WordDocument::setCellText(const CellRef& cell, const QString& text, const CharFormat& format) {
  setCellContent(cell, {TextPiece{text, format}});
}

void WordDocument::setCellContent(const CellRef& cell, const QList<TextPiece>& pieces) {
  d->editor.writeCell(d->cellNode(cell), pieces);
  d->changed(0);
}

int WordDocument::insertRow(int t, int row, RowPlacement placement) {
  const pugi::xml_node tbl = d->tableNode(t);
  const pugi::xml_node tr = d->rowNode(t, row);
  pugi::xml_node copy = placement == RowPlacement::Above ? tr.parent().insert_copy_before(tr, tr)
                                                         : tr.parent().insert_copy_after(tr, tr);
  d->editor.clearRow(copy);
  Impl::Rows& rows = d->rowsOf(tbl);
  const size_t at = size_t(placement == RowPlacement::Above ? row - 1 : row);
  rows.rows.insert(rows.rows.begin() + std::ptrdiff_t(at), copy);
  rows.cells.insert(rows.cells.begin() + std::ptrdiff_t(at), xml::wrappedChildren(copy, "tc"));
  d->changed(0);
  return int(at) + 1;
}

int WordDocument::appendRow(int t) { return insertRow(t, rowCount(t), RowPlacement::Below); }

void WordDocument::deleteRow(int t, int row) {
  const pugi::xml_node tbl = d->tableNode(t);
  const pugi::xml_node tr = d->rowNode(t, row);
  d->dropMarksUnder(tr);
  tr.parent().remove_child(tr);
  Impl::Rows& rows = d->rowsOf(tbl);
  rows.rows.erase(rows.rows.begin() + row - 1);
  rows.cells.erase(rows.cells.begin() + row - 1);
  if (rows.rows.empty()) {
    d->dropMarksUnder(tbl);
    d->rowCache.erase(tbl.internal_object());
    tbl.parent().remove_child(tbl);
    d->tablesChanged();
  }
  d->changed(0);
}

int WordDocument::splitTable(int t, int row, SplitGap gap) {
  const pugi::xml_node tbl = d->tableNode(t);
  const int rows = rowCount(t);
  if (row < 2 || row > rows)
    throw OoxmlError(
        QStringLiteral("Le tableau n° %1 ne peut pas être divisé à la ligne %2").arg(t).arg(row));
  pugi::xml_node top = d->rowNode(t, row);
  while (top.parent() != tbl) top = top.parent();
  pugi::xml_node spacer = d->editor.spacerParagraph(tbl, gap);
  pugi::xml_node second = tbl.parent().insert_child_after((d->prefix + "tbl").c_str(), spacer);
  if (pugi::xml_node tblPr = xml::firstChild(tbl, "tblPr")) second.append_copy(tblPr);
  if (pugi::xml_node grid = xml::firstChild(tbl, "tblGrid")) second.append_copy(grid);
  for (pugi::xml_node child = top; child;) {
    pugi::xml_node next = child.next_sibling();
    second.append_move(child);
    child = next;
  }
  d->rowCache.erase(tbl.internal_object());
  d->tablesChanged();
  d->changed(0);
  return t + 1;
}

int WordDocument::addTableAfter(int afterTable, int layoutTable, int layoutRow) {
  const pugi::xml_node after = d->tableNode(afterTable);
  const pugi::xml_node layout = d->tableNode(layoutTable);
  const pugi::xml_node sourceRow = d->rowNode(layoutTable, layoutRow);
  pugi::xml_node spacer = d->editor.spacerParagraph(after, SplitGap::OnePoint);
  pugi::xml_node tbl = after.parent().insert_child_after((d->prefix + "tbl").c_str(), spacer);
  if (pugi::xml_node tblPr = xml::firstChild(layout, "tblPr")) tbl.append_copy(tblPr);
  if (pugi::xml_node grid = xml::firstChild(layout, "tblGrid")) tbl.append_copy(grid);
  pugi::xml_node row = tbl.append_copy(sourceRow);
  d->editor.clearRow(row);
  if (pugi::xml_node trPr = xml::firstChild(row, "trPr")) xml::removeChildren(trPr, "tblHeader");
  d->tablesChanged();
  d->changed(0);
  return d->tableIndexOf(tbl);
}

void WordDocument::formatRow(int t, int row, const CharFormat& format) {
  d->editor.setFormat(d->rowNode(t, row), format);
  d->changed(0);
}

void WordDocument::setRowHidden(int t, int row, bool hidden) {
  CharFormat format;
  format.hidden = hidden;
  formatRow(t, row, format);
}

void WordDocument::setTableHidden(int t, bool hidden) {
  CharFormat format;
  format.hidden = hidden;
  d->editor.setFormat(d->tableNode(t), format);
  d->changed(0);
}

bool WordDocument::isCellHidden(const CellRef& cell) const {
  return d->allHidden(d->cellNode(cell));
}
bool WordDocument::isRowHidden(int t, int row) const { return d->allHidden(d->rowNode(t, row)); }
bool WordDocument::isTableHidden(int t) const { return d->allHidden(d->tableNode(t)); }

CharFormat WordDocument::cellFormat(const CellRef& cell) const {
  CharFormat format;
  const auto runs = d->textRuns(d->cellNode(cell));
  if (runs.empty()) return format;
  const pugi::xml_node run = runs.front();
  const pugi::xml_node rPr = xml::firstChild(run, "rPr");
  format.hidden = d->runHidden(run);
  const pugi::xml_node b = xml::firstChild(rPr, "b");
  format.bold = b && xml::toggleOn(b);
  const pugi::xml_node u = xml::firstChild(rPr, "u");
  format.underline = u && std::strcmp(xml::attr(u, "val").value(), "none") != 0;
  if (const pugi::xml_node sz = xml::firstChild(rPr, "sz"))
    format.pointSize = std::atof(xml::attr(sz, "val").value()) / 2.0;
  if (const pugi::xml_node color = xml::firstChild(rPr, "color"))
    format.color = QString::fromUtf8(xml::attr(color, "val").value());
  return format;
}

}  // namespace tarovent::word
