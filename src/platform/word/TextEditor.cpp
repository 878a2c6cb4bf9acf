#include "platform/word/TextEditor.h"

#include <algorithm>

namespace tarovent::word {

TextEditor::TextEditor(HiddenByStyles hiddenByStyles)
    : m_hiddenByStyles(std::move(hiddenByStyles)) {}

void TextEditor::setFormat(pugi::xml_node root, const CharFormat& format) {
  formatRuns(xml::descendants(root, [](pugi::xml_node n) { return xml::is(n, "r"); }),
             xml::descendants(root, [](pugi::xml_node n) { return xml::is(n, "p"); }), format);
}

void TextEditor::formatRuns(const std::vector<pugi::xml_node>& runs,
                            const std::vector<pugi::xml_node>& paragraphMarks,
                            const CharFormat& format) {
  for (pugi::xml_node run : runs) {
    const pugi::xml_node rPr = xml::runProperties(run, m_prefix);
    xml::applyFormat(rPr, m_prefix, format, m_hiddenByStyles(xml::ancestor(run, "p"), rPr));
  }
  for (pugi::xml_node p : paragraphMarks) {
    const pugi::xml_node rPr = xml::paragraphMarkProperties(p, m_prefix);
    xml::applyFormat(rPr, m_prefix, format, m_hiddenByStyles(p, rPr));
  }
}

// A copy of the run properties new text should take, kept in the scratch document.
pugi::xml_node TextEditor::templateProperties(pugi::xml_node rPr) {
  m_scratch.reset();
  if (!rPr) return {};
  pugi::xml_node copy = m_scratch.append_copy(rPr);
  xml::stripRevisionMarks(copy);
  return copy;
}

pugi::xml_node TextEditor::newParagraphAfter(pugi::xml_node previous, pugi::xml_node pPrSource) {
  pugi::xml_node p = previous.parent().insert_child_after((m_prefix + "p").c_str(), previous);
  copyParagraphProperties(p, pPrSource);
  return p;
}

void TextEditor::copyParagraphProperties(pugi::xml_node p, pugi::xml_node pPrSource) {
  if (!pPrSource) return;
  pugi::xml_node pPr = p.prepend_copy(pPrSource);
  xml::removeChildren(pPr, "sectPr");
  xml::removeChildren(pPr, "pPrChange");
  if (pugi::xml_node rPr = xml::firstChild(pPr, "rPr")) xml::stripRevisionMarks(rPr);
}

// Writes pieces into paragraph `first`, each paragraph break opening a new paragraph after
// the previous one. Returns the last paragraph written.
pugi::xml_node TextEditor::writePieces(pugi::xml_node first, const QList<TextPiece>& pieces,
                                       pugi::xml_node templateRPr) {
  const pugi::xml_node pPrSource = xml::firstChild(first, "pPr");
  pugi::xml_node p = first;
  for (const TextPiece& piece : pieces) {
    QString text = piece.text;
    if (text.contains(QLatin1Char('\r'))) text.replace(QLatin1String("\r\n"), QLatin1String("\r"));
    qsizetype from = 0;
    while (true) {
      // Read through at(): indexing a shared string would copy it.
      qsizetype brk = from;
      while (brk < text.size() && text.at(brk) != QLatin1Char('\r') &&
             text.at(brk) != QLatin1Char('\n'))
        ++brk;
      const QString segment = from == 0 && brk == text.size() ? text : text.mid(from, brk - from);
      if (!segment.isEmpty()) {
        const bool inherited = piece.format.hidden ? m_hiddenByStyles(p, templateRPr) : false;
        xml::appendRuns(p, m_prefix, segment, templateRPr, piece.format, inherited);
      }
      if (brk >= text.size()) break;
      p = newParagraphAfter(p, pPrSource);
      from = brk + 1;
    }
  }
  return p;
}

// Empties a cell down to its properties, its bookmark markers and paragraph p1, itself
// emptied down to its paragraph properties when emptyParagraph is set.
void TextEditor::keepOnly(pugi::xml_node tc, pugi::xml_node p1, bool emptyParagraph) {
  for (pugi::xml_node keep = p1; keep != tc; keep = keep.parent()) {
    pugi::xml_node parent = keep.parent();
    for (pugi::xml_node child = parent.first_child(); child;) {
      pugi::xml_node next = child.next_sibling();
      if (child != keep && !xml::isProperties(child) && !xml::isMarker(child))
        parent.remove_child(child);
      child = next;
    }
  }
  if (!emptyParagraph) return;
  for (pugi::xml_node child = p1.first_child(); child;) {
    pugi::xml_node next = child.next_sibling();
    if (!xml::is(child, "pPr")) p1.remove_child(child);
    child = next;
  }
}

namespace {

// Bookmark markers under a cell. Properties and text hold none, and they make most of a cell.
std::vector<pugi::xml_node> markersIn(pugi::xml_node tc) {
  std::vector<pugi::xml_node> found;
  xml::traverse(
      tc,
      [&](pugi::xml_node n) {
        if (n.type() != pugi::node_element) return false;
        const char* local = xml::localName(n);
        if (local[0] == 't' && local[1] == '\0') return false;
        if (xml::isMarker(n)) {
          found.push_back(n);
          return false;
        }
        return !xml::isProperties(n);
      },
      [](pugi::xml_node) {});
  return found;
}

}  // namespace

// The usual cell takes new text in place: its run keeps its properties instead of having them
// copied into a new one. The result is what the full rewrite below would leave.
bool TextEditor::rewriteSingleRun(pugi::xml_node tc, const QList<TextPiece>& pieces,
                                  const xml::SoleRun* known) {
  if (pieces.size() != 1) return false;
  const TextPiece& piece = pieces.front();
  if (piece.text.isEmpty()) return false;
  for (const QChar c : piece.text)
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t') ||
        c == QLatin1Char('\v'))
      return false;
  const xml::SoleRun sole = known ? *known : xml::soleRun(tc);
  if (!sole.t) return false;
  for (pugi::xml_node child = sole.rPr.first_child(); child; child = child.next_sibling())
    if (xml::isRevisionMark(child)) return false;
  xml::setText(sole.t, piece.text);
  if (!piece.format.isEmpty()) {
    const bool inherited = piece.format.hidden ? m_hiddenByStyles(sole.paragraph, sole.rPr) : false;
    xml::applyFormat(xml::runProperties(sole.run, m_prefix), m_prefix, piece.format, inherited);
  }
  return true;
}

void TextEditor::writeCell(pugi::xml_node tc, const QList<TextPiece>& pieces,
                           const xml::SoleRun* sole) {
  if (rewriteSingleRun(tc, pieces, sole)) return;
  pugi::xml_node p1 = xml::firstParagraph(tc);
  if (!p1) p1 = tc.append_child((m_prefix + "p").c_str());
  pugi::xml_node rPr;
  if (pugi::xml_node run = xml::firstRun(p1)) rPr = xml::firstChild(run, "rPr");
  if (!rPr) rPr = xml::firstChild(xml::firstChild(p1, "pPr"), "rPr");

  // Bookmarks of the cell survive: park them at the end of the cell meanwhile.
  std::vector<pugi::xml_node> starts, ends;
  for (pugi::xml_node m : markersIn(tc)) {
    (xml::is(m, "bookmarkStart") ? starts : ends).push_back(m);
    tc.append_move(m);
  }
  // The old content of p1 goes once the new runs, which copy its properties, are written.
  std::vector<pugi::xml_node> old;
  for (pugi::xml_node child = p1.first_child(); child; child = child.next_sibling())
    if (!xml::is(child, "pPr")) old.push_back(child);
  keepOnly(tc, p1, false);
  pugi::xml_node last = writePieces(p1, pieces, rPr);
  // An emptied cell keeps a run with its formatting for the text written there later.
  const bool empty = std::all_of(pieces.begin(), pieces.end(),
                                 [](const TextPiece& piece) { return piece.text.isEmpty(); });
  if (empty && rPr) xml::appendRuns(p1, m_prefix, QString(), rPr, {}, false);
  for (pugi::xml_node child : old) p1.remove_child(child);
  pugi::xml_node anchor = xml::firstChild(p1, "pPr");
  for (pugi::xml_node m : starts)
    anchor = anchor ? p1.insert_move_after(m, anchor) : p1.prepend_move(m);
  for (pugi::xml_node m : ends) last.append_move(m);
}

// Empties the text of a copied row: one paragraph per cell, a run-less copy of the first
// run's properties, no bookmarks.
void TextEditor::clearRow(pugi::xml_node tr) {
  for (pugi::xml_node m : xml::descendants(tr, xml::isMarker)) m.parent().remove_child(m);
  if (pugi::xml_node trPr = xml::firstChild(tr, "trPr")) {
    xml::removeChildren(trPr, "ins");
    xml::removeChildren(trPr, "del");
  }
  for (pugi::xml_node tc : xml::wrappedChildren(tr, "tc")) {
    pugi::xml_node p1 = xml::firstParagraph(tc);
    if (!p1) {
      tc.append_child((m_prefix + "p").c_str());
      continue;
    }
    pugi::xml_node rPr;
    if (pugi::xml_node run = xml::firstRun(p1)) rPr = xml::firstChild(run, "rPr");
    const pugi::xml_node templateRPr = templateProperties(rPr);
    keepOnly(tc, p1, true);
    if (templateRPr) p1.append_child((m_prefix + "r").c_str()).append_copy(templateRPr);
  }
}

pugi::xml_node TextEditor::spacerParagraph(pugi::xml_node after, SplitGap gap) {
  pugi::xml_node p = after.parent().insert_child_after((m_prefix + "p").c_str(), after);
  if (gap == SplitGap::OnePoint) {
    pugi::xml_node pPr = p.append_child((m_prefix + "pPr").c_str());
    pugi::xml_node spacing = pPr.append_child((m_prefix + "spacing").c_str());
    spacing.append_attribute((m_prefix + "before").c_str()) = "0";
    spacing.append_attribute((m_prefix + "after").c_str()) = "0";
    spacing.append_attribute((m_prefix + "line").c_str()) = "20";
    spacing.append_attribute((m_prefix + "lineRule").c_str()) = "exact";
    pugi::xml_node rPr = pPr.append_child((m_prefix + "rPr").c_str());
    rPr.append_child((m_prefix + "sz").c_str()).append_attribute((m_prefix + "val").c_str()) = "2";
    rPr.append_child((m_prefix + "szCs").c_str()).append_attribute((m_prefix + "val").c_str()) =
        "2";
  }
  return p;
}

// First paragraph met walking forward from node up to `limit` (excluded).
pugi::xml_node TextEditor::paragraphAfter(pugi::xml_node node, pugi::xml_node limit) {
  pugi::xml_node found;
  pugi::xml_node from = node.next_sibling();
  for (pugi::xml_node cur = node; !from && cur.parent(); cur = cur.parent())
    from = cur.parent().next_sibling();
  if (!from) return {};
  xml::traverseRange(
      from, limit,
      [&](pugi::xml_node n) {
        if (found) return false;
        if (xml::is(n, "p")) {
          found = n;
          return false;
        }
        return !xml::isProperties(n);
      },
      [](pugi::xml_node) {});
  return found;
}

void TextEditor::replaceRange(pugi::xml_node start, pugi::xml_node end, const QString& text,
                              const CharFormat& format) {
  // Markers between blocks move into the paragraphs next to them.
  if (!xml::ancestor(start, "p")) {
    pugi::xml_node p = paragraphAfter(start, end);
    if (!p) {
      p = start.parent().insert_child_before((m_prefix + "p").c_str(), start);
      p.append_move(start);
      p.append_move(end);
    } else {
      pugi::xml_node pPr = xml::firstChild(p, "pPr");
      pPr ? p.insert_move_after(start, pPr) : p.prepend_move(start);
    }
  }
  if (!xml::ancestor(end, "p")) {
    pugi::xml_node last = xml::ancestor(start, "p");
    for (pugi::xml_node p = paragraphAfter(start, end); p; p = paragraphAfter(p, end)) last = p;
    last.append_move(end);
  }

  // Formatting of the first character replaced, else of the text before, else of the mark.
  pugi::xml_node rPr;
  xml::traverseRange(
      start, end,
      [&](pugi::xml_node n) {
        if (rPr || n.type() != pugi::node_element) return false;
        if (xml::is(n, "r")) {
          rPr = xml::firstChild(n, "rPr");
          return false;
        }
        return !xml::isProperties(n) && !xml::is(n, "del");
      },
      [](pugi::xml_node) {});
  for (pugi::xml_node prev = start.previous_sibling(); !rPr && prev; prev = prev.previous_sibling())
    if (xml::is(prev, "r")) rPr = xml::firstChild(prev, "rPr");
  pugi::xml_node p1 = xml::ancestor(start, "p");
  if (!rPr) rPr = xml::firstChild(xml::firstChild(p1, "pPr"), "rPr");
  const pugi::xml_node templateRPr = templateProperties(rPr);

  // Remove whatever lies wholly inside the range, except properties and other bookmarks.
  std::vector<pugi::xml_node> doomed;
  xml::traverseRange(
      start, end,
      [&](pugi::xml_node n) {
        if (n == start) return false;
        if (xml::isAncestorOf(n, end)) return true;
        // A range over table cells empties them but keeps the table whole.
        if (xml::is(n, "tbl") || xml::is(n, "tr") || xml::is(n, "tc")) return true;
        if (xml::is(n, "p") && xml::is(n.parent(), "tc")) {
          for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
            if (!xml::isProperties(c) && !xml::isMarker(c)) doomed.push_back(c);
          return false;
        }
        if (!xml::isProperties(n) && !xml::isMarker(n)) doomed.push_back(n);
        return false;
      },
      [](pugi::xml_node) {});
  // Bookmarks nested in what goes stay, emptied, where it was: the document still lists them.
  for (pugi::xml_node n : doomed) {
    for (pugi::xml_node m : xml::descendants(n, xml::isMarker)) n.parent().insert_move_before(m, n);
    n.parent().remove_child(n);
  }

  // A range over several paragraphs that are now next to each other leaves one paragraph.
  pugi::xml_node p2 = xml::ancestor(end, "p");
  pugi::xml_node between = p1 ? p1.next_sibling() : pugi::xml_node();
  while (between && between != p2 &&
         (xml::isMarker(between) || between.type() != pugi::node_element))
    between = between.next_sibling();
  if (p2 && p1 && p2 != p1 && between == p2) {
    for (pugi::xml_node child = p2.first_child(); child;) {
      pugi::xml_node next = child.next_sibling();
      if (!xml::is(child, "pPr")) p1.append_move(child);
      child = next;
    }
    p2.parent().remove_child(p2);
  }

  QString flat = text;
  flat.replace(QLatin1String("\r\n"), QLatin1String("\v"));
  flat.replace(QLatin1Char('\r'), QLatin1Char('\v'));
  flat.replace(QLatin1Char('\n'), QLatin1Char('\v'));
  if (!flat.isEmpty() || templateRPr) {
    m_scratch.remove_child(m_scratch.child("m_scratch-p"));
    pugi::xml_node holder = m_scratch.append_child("m_scratch-p");
    const bool inherited = format.hidden ? m_hiddenByStyles(p1, templateRPr) : false;
    xml::appendRuns(holder, m_prefix, flat, templateRPr, format, inherited);
    pugi::xml_node anchor = start;
    for (pugi::xml_node run = holder.first_child(); run; run = run.next_sibling())
      anchor = anchor.parent().insert_copy_after(run, anchor);
  }
}

void TextEditor::insertParagraphsBefore(pugi::xml_node anchor, const QList<TextPiece>& paragraphs) {
  pugi::xml_node rPr = xml::firstChild(xml::firstChild(anchor, "pPr"), "rPr");
  pugi::xml_node templateRPr = templateProperties(rPr);
  if (templateRPr) xml::removeChildren(templateRPr, "vanish");
  pugi::xml_node p = anchor.parent().insert_child_before((m_prefix + "p").c_str(), anchor);
  copyParagraphProperties(p, xml::firstChild(anchor, "pPr"));
  QList<TextPiece> pieces = paragraphs;
  for (qsizetype i = 0; i + 1 < pieces.size(); ++i) pieces[i].text += QLatin1Char('\r');
  writePieces(p, pieces, templateRPr);
}

}  // namespace tarovent::word
