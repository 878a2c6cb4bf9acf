#include "platform/word/WordDocumentImpl.h"

#include <algorithm>
#include <cstring>

#include "platform/ooxml/OoxmlError.h"
#include "platform/ooxml/Relationships.h"
#include "platform/ooxml/XmlPart.h"
#include "platform/word/WordXml.h"

namespace tarovent::word {

using ooxml::OoxmlError;

namespace {

// Parts holding text of their own: running heads and feet, footnotes and endnotes.
bool isStoryType(const QString& relationshipType) {
  for (const char* kind : {"/header", "/footer", "/footnotes", "/endnotes"})
    if (relationshipType.endsWith(QLatin1String(kind))) return true;
  return false;
}

}  // namespace

void WordDocument::Impl::load() {
  mainPart = package.mainPart();
  if (mainPart.isEmpty() || !package.contains(mainPart))
    throw OoxmlError(
        QStringLiteral("Le fichier %1 ne contient pas de document de traitement de texte")
            .arg(path));
  const QString type = package.contentType(mainPart);
  if (!type.contains(QLatin1String("wordprocessingml")) && !type.contains(QLatin1String("ms-word")))
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

void WordDocument::Impl::addStory(const QString& part, const char* rootChild) {
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

void WordDocument::Impl::indexBookmarks() {
  marks.clear();
  irregularMarks = false;
  // The position walk meets every marker: one pass over each story lays out the positions
  // and indexes the bookmarks.
  layout.clear();
  for (int s = 0; s < int(stories.size()); ++s) {
    std::unordered_map<std::string, pugi::xml_node> open;
    layOut(stories[s].root, [&](pugi::xml_node n) {
      if (std::strcmp(xml::localName(n), "bookmarkStart") == 0) {
        const std::string id = xml::attr(n, "id").value();
        nextId = std::max(nextId, std::atoll(id.c_str()) + 1);
        // A second start under an open id is shadowed until the first one goes.
        if (!open.emplace(id, n).second) irregularMarks = true;
        return;
      }
      const char* id = xml::attr(n, "id").value();
      // New bookmarks must not pair with a stray end either.
      nextId = std::max(nextId, std::atoll(id) + 1);
      const auto it = open.find(id);
      if (it == open.end()) {
        irregularMarks = true;  // an end before its start, or without one
        return;
      }
      const QString name = QString::fromUtf8(xml::attr(it->second, "name").value());
      const QString key = name.toUpper();
      if (marks.contains(key))
        irregularMarks = true;
      else if (!name.isEmpty())
        marks.insert(key, Mark{name, s, it->second, n});
      open.erase(it);
    });
    if (!open.empty()) irregularMarks = true;
  }
  layoutValid = true;
}

void WordDocument::Impl::changed(int story) {
  stories[story].dirty = true;
  modified = true;
  layoutValid = false;
}

const std::vector<pugi::xml_node>& WordDocument::Impl::bodyTables() const {
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

pugi::xml_node WordDocument::Impl::tableNode(int t) const {
  const auto& all = bodyTables();
  if (t < 1 || t > int(all.size()))
    throw OoxmlError(QStringLiteral("Le tableau n° %1 n'existe pas (le document en a %2)")
                         .arg(t)
                         .arg(all.size()));
  return all[size_t(t - 1)];
}

WordDocument::Impl::Rows& WordDocument::Impl::rowsOf(pugi::xml_node tbl) const {
  auto it = rowCache.find(tbl.internal_object());
  if (it == rowCache.end()) {
    Rows rows;
    rows.rows = xml::wrappedChildren(tbl, "tr");
    for (pugi::xml_node tr : rows.rows) rows.cells.push_back(xml::wrappedChildren(tr, "tc"));
    it = rowCache.emplace(tbl.internal_object(), std::move(rows)).first;
  }
  return it->second;
}

pugi::xml_node WordDocument::Impl::rowNode(int t, int row) const {
  const Rows& rows = rowsOf(tableNode(t));
  if (row < 1 || row > int(rows.rows.size()))
    throw OoxmlError(QStringLiteral("La ligne %1 du tableau n° %2 n'existe pas").arg(row).arg(t));
  return rows.rows[size_t(row - 1)];
}

pugi::xml_node WordDocument::Impl::cellNode(const CellRef& c) const {
  const Rows& rows = rowsOf(tableNode(c.table));
  if (c.row < 1 || c.row > int(rows.rows.size()) || c.column < 1 ||
      c.column > int(rows.cells[size_t(c.row - 1)].size()))
    throw OoxmlError(QStringLiteral("La cellule (%1, %2) du tableau n° %3 n'existe pas")
                         .arg(c.row)
                         .arg(c.column)
                         .arg(c.table));
  return rows.cells[size_t(c.row - 1)][size_t(c.column - 1)];
}

int WordDocument::Impl::tableIndexOf(pugi::xml_node tbl) const {
  const auto& all = bodyTables();
  const auto it = std::find(all.begin(), all.end(), tbl);
  return it == all.end() ? 0 : int(it - all.begin()) + 1;
}

WordDocument::Impl::LayoutKind WordDocument::Impl::layoutKind(const char* local) {
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

void WordDocument::Impl::layOut(pugi::xml_node root,
                                const std::function<void(pugi::xml_node)>& onMarker) const {
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
        if (onMarker) onMarker(n);
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

void WordDocument::Impl::ensureLayout() const {
  if (layoutValid) return;
  layout.clear();
  for (const Story& story : stories) layOut(story.root);
  layoutValid = true;
}

int WordDocument::Impl::positionOf(pugi::xml_node node) const {
  ensureLayout();
  const auto it = layout.find(node.internal_object());
  return it == layout.end() ? 0 : it->second.first;
}

std::pair<int, int> WordDocument::Impl::rangeOf(pugi::xml_node node) const {
  ensureLayout();
  const auto it = layout.find(node.internal_object());
  return it == layout.end() ? std::pair<int, int>{0, 0} : it->second;
}

const StyleSheet& WordDocument::Impl::styleSheet() const {
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

bool WordDocument::Impl::inheritedHidden(pugi::xml_node paragraph, pugi::xml_node rPr) const {
  if (!styleSheet().hidesText()) return false;
  const QString pStyle = xml::styleOf(xml::firstChild(paragraph, "pPr"), "pStyle");
  const QString rStyle = xml::styleOf(rPr, "rStyle");
  const QString key = pStyle + QLatin1Char('\n') + rStyle;
  auto it = inheritedCache.constFind(key);
  if (it == inheritedCache.constEnd())
    it = inheritedCache.insert(key, styleSheet().hidden(pStyle, rStyle));
  return *it;
}

bool WordDocument::Impl::runHidden(pugi::xml_node run) const {
  const pugi::xml_node rPr = xml::firstChild(run, "rPr");
  if (const pugi::xml_node vanish = xml::firstChild(rPr, "vanish")) return xml::toggleOn(vanish);
  return inheritedHidden(xml::ancestor(run, "p"), rPr);
}

void WordDocument::Impl::forTextRuns(pugi::xml_node root,
                                     const std::function<bool(pugi::xml_node)>& visit) const {
  if (xml::is(root, "del") || xml::ancestor(root, "del")) return;
  bool going = true;
  xml::traverse(
      root,
      [&](pugi::xml_node n) {
        if (!going || n.type() != pugi::node_element) return false;
        const char* local = xml::localName(n);
        // Properties and text hold no run; they make most of a cell.
        if ((local[0] == 't' && local[1] == '\0') || xml::isProperties(n)) return false;
        if (std::strcmp(local, "del") == 0) return false;
        if (local[0] == 'r' && local[1] == '\0') {
          for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
            if ((xml::is(c, "t") && *c.text().get()) || xml::is(c, "tab")) {
              going = visit(n);
              break;
            }
          }
        }
        return going;
      },
      [](pugi::xml_node) {});
}

pugi::xml_node WordDocument::Impl::firstTextRun(pugi::xml_node root) const {
  pugi::xml_node found;
  forTextRuns(root, [&](pugi::xml_node r) {
    found = r;
    return false;
  });
  return found;
}

bool WordDocument::Impl::allHidden(pugi::xml_node root) const {
  bool any = false;
  bool shown = false;
  forTextRuns(root, [&](pugi::xml_node r) {
    any = true;
    shown = !runHidden(r);
    return !shown;
  });
  return any && !shown;
}

bool WordDocument::Impl::cellHidden(pugi::xml_node tc, const xml::SoleRun& sole) const {
  if (sole.t && !xml::ancestor(tc, "del")) return *sole.t.text().get() && runHidden(sole.run);
  return allHidden(tc);
}

void WordDocument::Impl::removeMark(const QString& key) {
  for (auto it = marks.find(key); it != marks.end(); it = marks.find(key)) {
    it->start.parent().remove_child(it->start);
    it->end.parent().remove_child(it->end);
    changed(it->story);
    marks.erase(it);
    markersChanged();
  }
}

void WordDocument::Impl::dropMarksUnder(pugi::xml_node root) {
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

pugi::xml_node WordDocument::Impl::newMarker(pugi::xml_node where, bool start, long long id,
                                             const QString& name, bool before) {
  const std::string tag = prefix + (start ? "bookmarkStart" : "bookmarkEnd");
  pugi::xml_node m = before ? where.parent().insert_child_before(tag.c_str(), where)
                            : where.append_child(tag.c_str());
  m.append_attribute((prefix + "id").c_str()) = std::to_string(id).c_str();
  if (start) m.append_attribute((prefix + "name").c_str()) = name.toUtf8().constData();
  return m;
}

}  // namespace tarovent::word
