// Private to the word library: the parsed parts of an open document and the indexes kept over
// them (tables, rows, positions, bookmarks). WordDocument's public operations are written on it.
#pragma once

#include <sys/types.h>

#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/ooxml/Package.h"
#include "platform/word/StyleSheet.h"
#include "platform/word/TextEditor.h"
#include "platform/word/WordDocument.h"

namespace tarovent::word {

// What tells us that another program has replaced or rewritten a file.
struct DiskStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long mtimeNs = 0;
  bool operator==(const DiskStamp&) const = default;
};

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
  // A name written twice, or a marker without its pair: the index holds the first complete
  // copy, and an edit that drops or moves markers may change which one that is, so such
  // documents are indexed again after those edits, as opening the saved file would.
  bool irregularMarks = false;
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

  void load();
  void addStory(const QString& part, const char* rootChild);
  void indexBookmarks();
  void changed(int story);

  // ---- tables --------------------------------------------------------------------------

  const std::vector<pugi::xml_node>& bodyTables() const;

  pugi::xml_node tableNode(int t) const;

  Rows& rowsOf(pugi::xml_node tbl) const;

  pugi::xml_node rowNode(int t, int row) const;

  pugi::xml_node cellNode(const CellRef& c) const;

  int tableIndexOf(pugi::xml_node tbl) const;

  void tablesChanged() {
    tablesValid = false;
    layoutValid = false;
  }

  // ---- positions -----------------------------------------------------------------------

  // What the position walk does with an element, told from its local name in one look.
  enum class LayoutKind { Enter, Skip, Text, OneChar, Marker, Table, Row, Paragraph };
  static LayoutKind layoutKind(const char* local);

  // Positions of the tables, rows and bookmark markers of a story, each element named once.
  // The walk keeps its own stack: a crafted part may nest deeper than the call stack goes.
  // `onMarker` sees each bookmark marker in document order.
  void layOut(pugi::xml_node root,
              const std::function<void(pugi::xml_node)>& onMarker = nullptr) const;

  void ensureLayout() const;

  int positionOf(pugi::xml_node node) const;

  std::pair<int, int> rangeOf(pugi::xml_node node) const;

  BookmarkInfo infoOf(const Mark& m) const {
    return {m.name, stories[size_t(m.story)].part, positionOf(m.start), positionOf(m.end)};
  }

  // ---- formatting ----------------------------------------------------------------------

  const StyleSheet& styleSheet() const;

  // Whether the styles alone hide a run of this paragraph with these run properties.
  bool inheritedHidden(pugi::xml_node paragraph, pugi::xml_node rPr) const;

  bool runHidden(pugi::xml_node run) const;

  // Runs that show something (text, tab) in a subtree, in order, until visit returns false.
  // Deleted text shows nothing: the walk leaves deletions out rather than looking up from
  // every run.
  void forTextRuns(pugi::xml_node root, const std::function<bool(pugi::xml_node)>& visit) const;
  pugi::xml_node firstTextRun(pugi::xml_node root) const;

  bool allHidden(pugi::xml_node root) const;
  // Whether all the text of a cell is hidden; sole is what xml::soleRun says of it.
  bool cellHidden(pugi::xml_node tc, const xml::SoleRun& sole) const;

  // ---- bookmarks -----------------------------------------------------------------------

  const Mark* findMark(const QString& name) const {
    const auto it = marks.constFind(name.toUpper());
    return it == marks.constEnd() ? nullptr : &*it;
  }

  // Removes every copy of the bookmark, so that none comes back when the file is opened again.
  void removeMark(const QString& key);

  // Forgets bookmarks with a marker under root (which is about to go), removing the other
  // marker wherever it is. Call markersChanged() once root is gone.
  void dropMarksUnder(pugi::xml_node root);

  // Markers went or moved. The index of a regular document is kept up to date by the edit;
  // an irregular one is rebuilt, since markers it does not hold (a shadowed start, an end
  // without its start) may pair differently now.
  void markersChanged() {
    if (irregularMarks) indexBookmarks();
  }

  pugi::xml_node newMarker(pugi::xml_node where, bool start, long long id, const QString& name,
                           bool before);
};

}  // namespace tarovent::word
