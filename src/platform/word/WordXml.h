#pragma once

// Helpers over the WordprocessingML DOM shared by the engine's sources. Elements are matched by
// local name so that an unusual namespace prefix does not hide them; elements we create use
// the prefix the part itself uses for the main namespace.

#include <QString>
#include <cstring>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "platform/word/CharFormat.h"

namespace tarovent::word::xml {

// Names are a few characters long: plain loops beat calls into the C library here, and every
// walk over a document asks these of each node.
inline const char* localName(pugi::xml_node node) {
  const char* name = node.name();
  for (const char* p = name; *p; ++p)
    if (*p == ':') return p + 1;
  return name;
}

inline bool is(pugi::xml_node node, const char* local) {
  if (node.type() != pugi::node_element) return false;
  const char* a = localName(node);
  while (*a && *a == *local) {
    ++a;
    ++local;
  }
  return *a == *local;
}

// Attribute by local name ("val" finds w:val whatever the prefix).
inline pugi::xml_attribute attr(pugi::xml_node node, const char* local) {
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
    const char* name = a.name();
    const char* colon = std::strchr(name, ':');
    if (std::strcmp(colon ? colon + 1 : name, local) == 0) return a;
  }
  return {};
}

pugi::xml_node firstChild(pugi::xml_node parent, const char* local);
pugi::xml_node ancestor(pugi::xml_node node, const char* local);

// Walks the subtree below root in document order. enter(node) returns whether to descend;
// leave(node) is called after the children of every node that was entered.
template <class Enter, class Leave>
void traverse(pugi::xml_node root, Enter&& enter, Leave&& leave) {
  pugi::xml_node cur = root.first_child();
  while (cur) {
    if (enter(cur) && cur.first_child()) {
      cur = cur.first_child();
      continue;
    }
    leave(cur);
    while (!cur.next_sibling()) {
      cur = cur.parent();
      if (!cur || cur == root) return;
      leave(cur);
    }
    cur = cur.next_sibling();
  }
}

bool isAncestorOf(pugi::xml_node maybeAncestor, pugi::xml_node node);

// Same walk from `from` (included) to `to` (excluded), climbing out of from's ancestors. A
// node skipped by `enter` that holds `to` (a bookmark ending inside deleted text) ends it.
template <class Enter, class Leave>
void traverseRange(pugi::xml_node from, pugi::xml_node to, Enter&& enter, Leave&& leave) {
  pugi::xml_node cur = from;
  while (cur && cur != to) {
    if (enter(cur)) {
      if (cur.first_child()) {
        cur = cur.first_child();
        continue;
      }
    } else if (to && isAncestorOf(cur, to)) {
      return;
    }
    leave(cur);
    while (cur && !cur.next_sibling()) {
      cur = cur.parent();
      if (!cur || cur.type() == pugi::node_document) return;
      leave(cur);
    }
    if (!cur) return;
    cur = cur.next_sibling();
  }
}

// Containers that may wrap blocks, rows or cells without being structure themselves.
bool isWrapper(pugi::xml_node node);
// Property elements (w:rPr, w:pPr, w:tcPr...), which hold no content.
bool isProperties(pugi::xml_node node);
inline bool isPropertiesName(const char* local) {
  const char* end = local;
  while (*end) ++end;
  return end - local > 2 && end[-2] == 'P' && end[-1] == 'r';
}
bool isMarker(pugi::xml_node node);  // bookmark start or end
// Children found through wrappers: rows of a table, cells of a row.
std::vector<pugi::xml_node> wrappedChildren(pugi::xml_node parent, const char* local);
pugi::xml_node firstParagraph(pugi::xml_node container);
pugi::xml_node firstRun(pugi::xml_node paragraph);
bool toggleOn(pugi::xml_node node);  // w:b, w:vanish... with or without w:val
QString styleOf(pugi::xml_node properties, const char* local);
// The run properties worth copying for new text carry no revision marks.
void stripRevisionMarks(pugi::xml_node rPr);
bool isRevisionMark(pugi::xml_node node);  // w:ins, w:del... inside run properties
// The usual cell: besides properties, one paragraph holding bookmark starts, one run and
// bookmark ends, the run holding its properties and one w:t of plain text. Null nodes for
// any other cell.
struct SoleRun {
  pugi::xml_node paragraph, run, rPr, t;
};
SoleRun soleRun(pugi::xml_node tc);
// Sets the text of a w:t, keeping its spaces.
void setText(pugi::xml_node t, const QString& text);

template <class Pred>
std::vector<pugi::xml_node> descendants(pugi::xml_node root, Pred pred) {
  std::vector<pugi::xml_node> found;
  traverse(
      root,
      [&](pugi::xml_node n) {
        if (n.type() != pugi::node_element) return false;
        if (pred(n)) found.push_back(n);
        return true;
      },
      [](pugi::xml_node) {});
  return found;
}

// Reads text as the user sees it: inserted text, content controls, hyperlinks and field
// results count; deleted text and field instructions do not. Paragraph ends give '\r',
// tabs '\t', manual breaks '\v'.
class TextCollector {
 public:
  bool enter(pugi::xml_node node);
  void leave(pugi::xml_node node);
  QString text() const { return QString::fromUtf8(m_text); }

 private:
  bool visible() const;
  std::string m_text;
  std::vector<bool> m_fields;  // per open complex field: true once past its separator
};

QString blockText(pugi::xml_node container);  // text of a cell, header, body...

// UTF-16 length of the text of a w:t, as positions count characters.
int utf16Length(const char* utf8);

// Element order inside w:rPr and w:pPr, so that what we add stays schema-valid for Word.
int runPropertyRank(const char* local);
int paragraphPropertyRank(const char* local);

// Returns the child `local` of parent, creating it at its schema place when absent.
pugi::xml_node ensureChild(pugi::xml_node parent, const std::string& prefix, const char* local,
                           int (*rank)(const char*));
void removeChildren(pugi::xml_node parent, const char* local);

pugi::xml_node runProperties(pugi::xml_node run, const std::string& prefix);
pugi::xml_node paragraphMarkProperties(pugi::xml_node paragraph, const std::string& prefix);

// Applies a format to a w:rPr (or paragraph-mark w:rPr). inheritedHidden says whether the
// styles alone already hide the text, so that "not hidden" is written only when needed.
void applyFormat(pugi::xml_node rPr, const std::string& prefix, const CharFormat& format,
                 bool inheritedHidden);

// Appends runs for text to paragraph (tabs and breaks as elements); templateRPr, when set,
// is copied into each run before format is applied.
void appendRuns(pugi::xml_node paragraph, const std::string& prefix, const QString& text,
                pugi::xml_node templateRPr, const CharFormat& format, bool inheritedHidden);

}  // namespace tarovent::word::xml
