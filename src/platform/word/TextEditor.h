#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <pugixml.hpp>
#include <string>

#include "platform/word/CharFormat.h"
#include "platform/word/WordDocument.h"
#include "platform/word/WordXml.h"

namespace tarovent::word {

// Writes text into the DOM of a story: cells, bookmark ranges, new paragraphs, row copies.
// New text takes the formatting of the text it replaces; elements it creates use the prefix
// of the part's main namespace.
class TextEditor {
 public:
  // Whether the styles alone hide a run of this paragraph with these run properties.
  using HiddenByStyles = std::function<bool(pugi::xml_node paragraph, pugi::xml_node rPr)>;

  explicit TextEditor(HiddenByStyles hiddenByStyles);
  void setPrefix(const std::string& prefix) { m_prefix = prefix; }

  // Replaces a cell's content, keeping its bookmarks and the formatting of its first run.
  // sole, when given, is what xml::soleRun says of tc.
  void writeCell(pugi::xml_node tc, const QList<TextPiece>& pieces,
                 const xml::SoleRun* sole = nullptr);
  // Empties a copied row: one paragraph per cell, an empty run with the first run's
  // properties, no bookmarks, no revision marks.
  void clearRow(pugi::xml_node tr);
  // An empty paragraph after `after`, 1 point high with SplitGap::OnePoint.
  pugi::xml_node spacerParagraph(pugi::xml_node after, SplitGap gap);
  // Replaces what lies between two bookmark markers; paragraph breaks become line breaks.
  void replaceRange(pugi::xml_node start, pugi::xml_node end, const QString& text,
                    const CharFormat& format);
  // New paragraphs before anchor, with its paragraph properties.
  void insertParagraphsBefore(pugi::xml_node anchor, const QList<TextPiece>& paragraphs);
  // Formats every run and paragraph mark under root.
  void setFormat(pugi::xml_node root, const CharFormat& format);
  // The same for given runs and the marks of given paragraphs.
  void formatRuns(const std::vector<pugi::xml_node>& runs,
                  const std::vector<pugi::xml_node>& paragraphMarks, const CharFormat& format);

  // First paragraph met walking forward from node up to `limit` (excluded).
  static pugi::xml_node paragraphAfter(pugi::xml_node node, pugi::xml_node limit);

 private:
  pugi::xml_node templateProperties(pugi::xml_node rPr);
  pugi::xml_node newParagraphAfter(pugi::xml_node previous, pugi::xml_node pPrSource);
  void copyParagraphProperties(pugi::xml_node p, pugi::xml_node pPrSource);
  pugi::xml_node writePieces(pugi::xml_node first, const QList<TextPiece>& pieces,
                             pugi::xml_node templateRPr);
  bool rewriteSingleRun(pugi::xml_node tc, const QList<TextPiece>& pieces,
                        const xml::SoleRun* known);
  static void keepOnly(pugi::xml_node tc, pugi::xml_node p1, bool emptyParagraph);

  std::string m_prefix;
  HiddenByStyles m_hiddenByStyles;
  pugi::xml_document m_scratch;  // holds copied run properties while a range is rewritten
};

}  // namespace tarovent::word
