#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/ooxml/OoxmlError.h"
#include "platform/word/MiniDocx.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;
using namespace tarovent::fixtures;
using word::CellRef;
using word::WordDocument;

namespace {

WordDocument build(const QString& body, const QString& styles = {}) {
  MiniDocx shape{body};
  shape.styles = styles;
  return WordDocument::fromPackage(shape.package());
}

WordDocument reopen(WordDocument& doc, const QTemporaryDir& dir) {
  doc.saveAs(dir.filePath("round.docx"));
  return WordDocument::open(dir.filePath("round.docx"));
}

// A formatted line row: right-aligned, 9-point cells, the first with a bookmark.
const QString kFormattedRow =
    "<w:tr><w:trPr><w:trHeight w:val=\"300\"/></w:trPr>"
    "<w:tc><w:tcPr><w:tcW w:w=\"2000\" w:type=\"dxa\"/></w:tcPr><w:p><w:pPr><w:jc "
    "w:val=\"right\"/></w:pPr>"
    "<w:bookmarkStart w:id=\"7\" w:name=\"CODART\"/><w:r><w:rPr><w:sz "
    "w:val=\"18\"/></w:rPr><w:t>ART1</w:t></w:r>"
    "<w:bookmarkEnd w:id=\"7\"/></w:p></w:tc>"
    "<w:tc><w:tcPr><w:tcW w:w=\"3000\" "
    "w:type=\"dxa\"/></w:tcPr><w:p><w:r><w:rPr><w:i/></w:rPr><w:t>Vis</w:t></w:r>"
    "<w:r><w:t xml:space=\"preserve\"> "
    "M6</w:t></w:r></w:p><w:p><w:r><w:t>inox</w:t></w:r></w:p></w:tc></w:tr>";

QString formattedTable() {
  return "<w:tbl><w:tblPr><w:tblW w:w=\"5000\" w:type=\"dxa\"/></w:tblPr><w:tblGrid><w:gridCol "
         "w:w=\"2000\"/>"
         "<w:gridCol w:w=\"3000\"/></w:tblGrid>" +
         kFormattedRow + "</w:tbl>";
}

TEST(Table, RewrittenCellTextKeepsTheCellHiddenOrShown) {
  const QString hidden = "<w:r><w:rPr><w:vanish/></w:rPr><w:t>1,00</w:t></w:r>";
  const QString shown = "<w:r><w:rPr><w:b/></w:rPr><w:t>1,00</w:t></w:r>";
  const QString cells[] = {
      "<w:p>" + hidden + "</w:p>",                           // one run, hidden
      "<w:p>" + shown + "</w:p>",                            // one run, shown
      "<w:p>" + hidden + "</w:p><w:p>" + hidden + "</w:p>",  // all hidden, no single run
      "<w:p>" + hidden + "</w:p><w:p>" + shown + "</w:p>",   // partly hidden: shown
      "<w:p><w:r><w:rPr><w:vanish/></w:rPr></w:r></w:p>",    // no text: shown
  };
  QString row = "<w:tr>";
  for (const QString& cell : cells) row += "<w:tc>" + cell + "</w:tc>";
  WordDocument doc = build("<w:tbl><w:tblGrid/>" + row + "</w:tr></w:tbl>");
  for (int c = 1; c <= int(std::size(cells)); ++c) {
    const bool before = doc.isCellHidden({1, 1, c});
    doc.rewriteCellText({1, 1, c}, "12,50");
    EXPECT_EQ(doc.cellText({1, 1, c}), "12,50") << c;
    EXPECT_EQ(doc.isCellHidden({1, 1, c}), before) << c;
  }
  EXPECT_TRUE(doc.isCellHidden({1, 1, 1}));
  EXPECT_FALSE(doc.isCellHidden({1, 1, 2}));
  EXPECT_TRUE(doc.isCellHidden({1, 1, 3}));
}

TEST(Table, CountsRowsCellsAndReadsCellText) {
  // A cell-level and a row-level content control must not hide cells or rows.
  const QString body =
      para("tête") + table({{"a", "b", "c"}}) +
      "<w:tbl><w:tblPr/><w:tblGrid><w:gridCol/><w:gridCol/></w:tblGrid>"
      "<w:tr><w:tc>" +
      para("x") + "</w:tc><w:sdt><w:sdtPr/><w:sdtContent><w:tc>" + para("y") +
      "</w:tc></w:sdtContent></w:sdt></w:tr>"
      "<w:sdt><w:sdtPr/><w:sdtContent><w:tr><w:tc>" +
      para("z") + "</w:tc><w:tc>" +
      "<w:p><w:r><w:t>deux</w:t></w:r></w:p><w:p><w:r><w:t>lignes</w:t></w:r></w:p>" +
      "<w:tbl><w:tr><w:tc>" + para("imbriqué") +
      "</w:tc></w:tr></w:tbl><w:p/></w:tc></w:tr></w:sdtContent></w:sdt></w:tbl>";
  WordDocument doc = build(body);
  ASSERT_EQ(doc.tableCount(), 2);  // the nested table belongs to its cell
  EXPECT_EQ(doc.rowCount(1), 1);
  EXPECT_EQ(doc.columnCount(1), 3);
  EXPECT_EQ(doc.rowCount(2), 2);
  EXPECT_EQ(doc.cellCount(2, 1), 2);
  EXPECT_EQ(doc.cellText({2, 1, 2}), "y");
  EXPECT_EQ(doc.cellText({2, 2, 2}), "deux\rlignes\rimbriqué\r");
  EXPECT_THROW(doc.cellText({2, 3, 1}), ooxml::OoxmlError);
  EXPECT_THROW(doc.rowCount(3), ooxml::OoxmlError);
}

TEST(Table, WritingACellKeepsItsFormattingAndBookmarksAndAppliesTheFormat) {
  QTemporaryDir dir;
  WordDocument doc = build(formattedTable());
  doc.setCellText({1, 1, 1}, "ART2",
                  {.bold = true, .underline = true, .pointSize = 11, .color = "FF0000"});
  doc.setCellContent({1, 1, 2}, {{"Écrou", {}}, {"\rdescriptif caché", {.hidden = true}}});
  WordDocument again = reopen(doc, dir);
  EXPECT_EQ(again.cellText({1, 1, 1}), "ART2");
  EXPECT_EQ(again.bookmarkText("CODART"), "ART2");
  EXPECT_EQ(again.bookmarkCell("CODART"), (CellRef{1, 1, 1}));
  const word::CharFormat f = again.cellFormat({1, 1, 1});
  EXPECT_EQ(f.bold, true);
  EXPECT_EQ(f.underline, true);
  EXPECT_EQ(f.pointSize, 11.0);
  EXPECT_EQ(f.color, "FF0000");
  EXPECT_EQ(f.hidden, false);
  EXPECT_EQ(again.cellText({1, 1, 2}), "Écrou\rdescriptif caché");
  EXPECT_FALSE(again.isCellHidden({1, 1, 2}));  // only the second paragraph is hidden
  const QString xml = QString::fromUtf8(again.package().read("word/document.xml"));
  EXPECT_TRUE(xml.contains("<w:pPr><w:jc w:val=\"right\"/></w:pPr><w:bookmarkStart"))
      << xml.toStdString();
  EXPECT_TRUE(xml.contains("<w:rPr><w:i/></w:rPr><w:t>Écrou</w:t>"));
  EXPECT_TRUE(xml.contains("<w:rPr><w:i/><w:vanish/></w:rPr><w:t>descriptif caché</w:t>"));

  // Emptying a cell keeps its formatting for what is written there next.
  again.setCellText({1, 1, 1}, "");
  EXPECT_EQ(again.cellText({1, 1, 1}), "");
  again.setCellText({1, 1, 1}, "ART3");
  EXPECT_EQ(again.cellFormat({1, 1, 1}).pointSize, 11.0);
  EXPECT_EQ(again.bookmarkText("CODART"), "ART3");

  again.setCellText({1, 1, 2}, "masqué", {.hidden = true});
  EXPECT_TRUE(again.isCellHidden({1, 1, 2}));
  again.setCellText({1, 1, 2}, "visible", {.hidden = false});
  EXPECT_FALSE(again.isCellHidden({1, 1, 2}));
}

// A cell of one plain run is written in place; it must end as the full rewrite leaves a cell
// whose markers stand out of place (which forces that rewrite): same runs, same properties.
TEST(Table, WritingAOneRunCellInPlaceLeavesWhatTheFullRewriteLeaves) {
  const QString runs[] = {
      "<w:r><w:rPr><w:rStyle w:val=\"Prix\"/><w:sz w:val=\"16\"/></w:rPr><w:t>1,00</w:t></w:r>",
      "<w:r><w:t xml:space=\"preserve\"> 2 </w:t></w:r>",
      "<w:r><w:rPr><w:vanish/></w:rPr><w:t/></w:r>",
      "<w:r><w:rPr><w:ins w:id=\"9\" w:author=\"x\"/><w:b/></w:rPr><w:t>révisé</w:t></w:r>",
      "<w:r><w:rPr><w:rStyle w:val=\"Cache\"/></w:rPr><w:t>caché</w:t></w:r>"};
  const QString styles =
      "<w:style w:type=\"character\" w:styleId=\"Cache\"><w:rPr><w:vanish/></w:rPr></w:style>";
  const QList<word::TextPiece> writes[] = {
      {{"  12,50", {.hidden = true}}}, {{"texte", {.bold = false, .pointSize = 10}}}, {{"nu", {}}}};
  for (const QString& run : runs) {
    for (const auto& pieces : writes) {
      const QString pPr = "<w:pPr><w:jc w:val=\"right\"/></w:pPr>";
      const QString inPlace = "<w:p>" + pPr + "<w:bookmarkStart w:id=\"1\" w:name=\"A\"/>" + run +
                              "<w:bookmarkEnd w:id=\"1\"/></w:p>";
      const QString full = "<w:p>" + pPr +
                           "<w:bookmarkStart w:id=\"1\" w:name=\"A\"/><w:bookmarkEnd w:id=\"1\"/>" +
                           run + "</w:p>";
      WordDocument a = build(table({{inPlace}}), styles);
      WordDocument b = build(table({{full}}), styles);
      // Reading such a cell takes a shortcut too.
      EXPECT_EQ(a.cellText({1, 1, 1}), b.cellText({1, 1, 1})) << run.toStdString();
      EXPECT_EQ(a.isCellHidden({1, 1, 1}), b.isCellHidden({1, 1, 1})) << run.toStdString();
      a.setCellContent({1, 1, 1}, pieces);
      b.setCellContent({1, 1, 1}, pieces);
      EXPECT_EQ(a.isCellHidden({1, 1, 1}), b.isCellHidden({1, 1, 1})) << run.toStdString();
      QTemporaryDir dir;
      const QString xa = QString::fromUtf8(reopen(a, dir).package().read("word/document.xml"));
      const QString xb = QString::fromUtf8(reopen(b, dir).package().read("word/document.xml"));
      EXPECT_EQ(xa, xb) << run.toStdString() << " <- " << pieces.front().text.toStdString();
      EXPECT_EQ(a.bookmarkText("A"), pieces.front().text);
    }
  }
}

TEST(Table, InsertedRowsCopyTheRowFormattingWithoutTextOrBookmarks) {
  QTemporaryDir dir;
  WordDocument doc = build(formattedTable());
  EXPECT_EQ(doc.insertRow(1, 1, word::RowPlacement::Below), 2);
  EXPECT_EQ(doc.insertRow(1, 1, word::RowPlacement::Above), 1);
  EXPECT_EQ(doc.appendRow(1), 4);
  ASSERT_EQ(doc.rowCount(1), 4);
  EXPECT_EQ(doc.cellText({1, 2, 1}), "ART1");
  EXPECT_EQ(doc.cellText({1, 1, 1}), "");
  doc.setCellText({1, 3, 1}, "NEUF");
  WordDocument again = reopen(doc, dir);
  EXPECT_EQ(again.bookmarks().size(), 1);
  EXPECT_EQ(again.cellFormat({1, 3, 1}).pointSize, 9.0);
  const QString xml = QString::fromUtf8(again.package().read("word/document.xml"));
  EXPECT_EQ(xml.count("<w:trHeight w:val=\"300\"/>"), 4);
  EXPECT_EQ(xml.count("<w:tcW w:w=\"3000\" w:type=\"dxa\"/>"), 4);
  EXPECT_EQ(xml.count("<w:jc w:val=\"right\"/>"), 4);
}

TEST(Table, DeletingRowsAndTheLastRowRemovesTheTable) {
  WordDocument doc = build(table({{"h1", "h2"}}) + para("") + formattedTable());
  doc.appendRow(2);
  doc.deleteRow(2, 1);  // the row with the CODART bookmark
  EXPECT_FALSE(doc.hasBookmark("CODART"));
  EXPECT_EQ(doc.rowCount(2), 1);
  doc.deleteRow(1, 1);
  EXPECT_EQ(doc.tableCount(), 1);
  EXPECT_EQ(doc.cellText({1, 1, 1}), "");
}

TEST(Table, SplitAndAddTablesWithAOnePointParagraphBetween) {
  QTemporaryDir dir;
  WordDocument doc = build(table({{"CODE", "LIB"}, {"a1", "l1"}, {"a2", "l2"}}) + para("fin"));
  EXPECT_EQ(doc.splitTable(1, 2), 2);
  ASSERT_EQ(doc.tableCount(), 2);
  EXPECT_EQ(doc.rowCount(1), 1);
  EXPECT_EQ(doc.rowCount(2), 2);
  EXPECT_EQ(doc.cellText({2, 1, 1}), "a1");
  EXPECT_THROW(doc.splitTable(1, 1), ooxml::OoxmlError);

  EXPECT_EQ(doc.addTableAfter(2, 1, 1), 3);
  EXPECT_EQ(doc.rowCount(3), 1);
  EXPECT_EQ(doc.columnCount(3), 2);
  EXPECT_EQ(doc.cellText({3, 1, 1}), "");
  WordDocument again = reopen(doc, dir);
  EXPECT_EQ(again.tableCount(), 3);
  EXPECT_EQ(again.bodyText(), "CODE\rLIB\r\ra1\rl1\ra2\rl2\r\r\r\rfin");
  const QString xml = QString::fromUtf8(again.package().read("word/document.xml"));
  EXPECT_EQ(xml.count("<w:rPr><w:sz w:val=\"2\"/><w:szCs w:val=\"2\"/></w:rPr>"), 2);
  EXPECT_EQ(xml.count("<w:tblGrid>"), 3);
}

TEST(Table, HidingRowsAndTablesFollowsStylesToo) {
  const QString styles =
      "<w:style w:type=\"character\" w:styleId=\"Cache\"><w:rPr><w:vanish/></w:rPr></w:style>";
  const QString styled =
      "<w:tbl><w:tr><w:tc><w:p><w:r><w:rPr><w:rStyle "
      "w:val=\"Cache\"/></w:rPr><w:t>s</w:t></w:r></w:p></w:tc></w:tr></w:tbl>";
  WordDocument doc = build(table({{"a", "b"}, {"c", "d"}}) + para("") + styled, styles);
  EXPECT_FALSE(doc.isTableHidden(1));
  EXPECT_TRUE(doc.isTableHidden(2));  // hidden by its character style
  doc.setRowHidden(1, 2, true);
  EXPECT_TRUE(doc.isRowHidden(1, 2));
  EXPECT_FALSE(doc.isTableHidden(1));
  doc.setTableHidden(1, true);
  EXPECT_TRUE(doc.isTableHidden(1));
  doc.setTableHidden(1, false);
  EXPECT_FALSE(doc.isRowHidden(1, 2));
  doc.setTableHidden(2, false);  // needs an explicit "not hidden" over the style
  EXPECT_FALSE(doc.isTableHidden(2));
  EXPECT_FALSE(doc.isCellHidden({1, 1, 1}));

  doc.formatRow(1, 1, {.bold = true, .color = "C00000"});  // a sub-total row's look
  EXPECT_EQ(doc.cellFormat({1, 1, 2}).color, "C00000");
  EXPECT_EQ(doc.cellFormat({1, 1, 2}).bold, true);
  EXPECT_EQ(doc.cellFormat({1, 2, 2}).bold, false);
}

TEST(Table, PositionsOrderTablesAndBookmarks) {
  WordDocument doc = build(marked("AVANT", "abc", 1) + table({{"x", "y"}, {"z", "w"}}) +
                           marked("SMTNET", "0,00", 2));
  const word::TableInfo t = doc.table(1);
  const auto before = doc.bookmark("AVANT");
  const auto after = doc.bookmark("SMTNET");
  EXPECT_EQ(before->start, 0);
  EXPECT_EQ(before->end, 3);
  EXPECT_EQ(t.start, 4);        // after "abc" and its paragraph mark
  EXPECT_EQ(t.end, 4 + 2 * 5);  // each row: two 1-character cells + marks, row end
  EXPECT_EQ(after->start, t.end);
  EXPECT_EQ(doc.rowStart(1, 2), 9);
  EXPECT_EQ(doc.tableAt(t.start), 1);
  EXPECT_EQ(doc.tableAt(after->start), 0);
  doc.setCellText({1, 1, 1}, "longer");  // positions follow edits
  EXPECT_EQ(doc.bookmark("SMTNET")->start, t.end + 5);
}

}  // namespace
