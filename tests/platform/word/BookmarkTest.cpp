#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/ooxml/OoxmlError.h"
#include "platform/word/MiniDocx.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;
using namespace tarovent::fixtures;
using word::WordDocument;

namespace {

WordDocument build(const MiniDocx& shape) { return WordDocument::fromPackage(shape.package()); }

// Saves and reopens, so that a check covers what reaches the file.
WordDocument reopen(WordDocument& doc, const QTemporaryDir& dir) {
  doc.saveAs(dir.filePath("round.docx"));
  return WordDocument::open(dir.filePath("round.docx"));
}

// Bookmarks as "name start-end", to compare a document with its saved copy.
QStringList listed(const WordDocument& doc) {
  QStringList list;
  for (const auto& b : doc.bookmarks())
    list << QString("%1 %2-%3").arg(b.name).arg(b.start).arg(b.end);
  return list;
}

QStringList names(const WordDocument& doc,
                  word::BookmarkOrder order = word::BookmarkOrder::ByPosition) {
  QStringList list;
  for (const auto& b : doc.bookmarks(order)) list << b.name;
  return list;
}

// A text box as Word writes it: the drawing, then the same content again for old readers.
QString textBox(const QString& content) {
  return "<w:p><w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><wp:anchor>"
         "<a:graphic><a:graphicData><wps:wsp><wps:txbx><w:txbxContent>" +
         content +
         "</w:txbxContent></wps:txbx></wps:wsp></a:graphicData></a:graphic></wp:anchor>"
         "</w:drawing></mc:Choice><mc:Fallback><w:pict><v:shape><v:textbox><w:txbxContent>" +
         content +
         "</w:txbxContent></v:textbox></v:shape></w:pict></mc:Fallback>"
         "</mc:AlternateContent></w:r></w:p>";
}

TEST(Bookmark, FoundInFootnotesTextBoxesAndDeletedText) {
  MiniDocx shape;
  shape.body = marked("CORPS", "corps", 1) + textBox(marked("BOITE", "dans la boîte", 2)) +
               "<w:p><w:bookmarkStart w:id=\"3\" w:name=\"BARRE\"/><w:r><w:t "
               "xml:space=\"preserve\">gardé </w:t></w:r><w:del w:id=\"9\" w:author=\"a\">"
               "<w:r><w:delText>ôté</w:delText></w:r><w:bookmarkEnd w:id=\"3\"/></w:del></w:p>" +
               para("après");
  shape.footnotes = "<w:footnote w:id=\"1\">" + marked("NOTE", "en bas", 4) + "</w:footnote>";
  WordDocument doc = build(shape);
  EXPECT_EQ(names(doc), QStringList({"CORPS", "BOITE", "BARRE", "NOTE"}));
  EXPECT_EQ(doc.bookmark("NOTE")->part, "word/footnotes.xml");
  EXPECT_EQ(doc.bookmarkText("BOITE"), "dans la boîte");
  EXPECT_EQ(doc.bookmarkText("NOTE"), "en bas");
  EXPECT_EQ(doc.bookmarkText("BARRE"), "gardé ");

  ASSERT_TRUE(doc.setBookmarkText("NOTE", "note changée"));
  ASSERT_TRUE(doc.setBookmarkText("BOITE", "boîte changée"));
  ASSERT_TRUE(doc.setBookmarkText("BARRE", "barré"));
  QTemporaryDir dir;
  WordDocument again = reopen(doc, dir);
  EXPECT_EQ(again.bookmarkText("NOTE"), "note changée");
  EXPECT_EQ(again.bookmarkText("BOITE"), "boîte changée");
  EXPECT_EQ(again.bookmarkText("BARRE"), "barré");
  EXPECT_EQ(again.bodyText().count("après"), 1);
}

// Found by the fuzzer: the inner bookmark's markers went with the replaced paragraph while
// the document still listed it, and writing it then touched freed nodes.
TEST(Bookmark, ReplacingTheTextAroundAnotherBookmarkKeepsThatOneWhole) {
  MiniDocx shape;
  shape.body =
      "<w:p><w:bookmarkStart w:id=\"1\" w:name=\"RS\"/><w:r><w:t>Garage</w:t></w:r></w:p>" +
      marked("DATDEV", "05/12/2026", 2) +
      "<w:p><w:r><w:t>des Tilleuls</w:t></w:r><w:bookmarkEnd w:id=\"1\"/></w:p>";
  WordDocument doc = build(shape);
  ASSERT_TRUE(doc.setBookmarkText("RS", "Martin"));
  EXPECT_EQ(doc.bookmarks().size(), 2);
  EXPECT_EQ(doc.bookmarkText("DATDEV"), "");
  ASSERT_TRUE(doc.setBookmarkText("DATDEV", "06/12/2026"));
  QTemporaryDir dir;
  WordDocument again = reopen(doc, dir);
  EXPECT_EQ(again.bookmarks().size(), 2);
  EXPECT_EQ(again.bookmarkText("DATDEV"), "06/12/2026");
  EXPECT_TRUE(again.bookmarkText("RS").startsWith("Martin"));
}

TEST(Bookmark, TextReadsWhatTheUserSees) {
  const QString body =
      // split runs, proofing marks, an insertion and a deletion
      "<w:p><w:bookmarkStart w:id=\"1\" w:name=\"RS\"/><w:r><w:t>Gar</w:t></w:r><w:proofErr "
      "w:type=\"spellStart\"/>"
      "<w:r><w:rPr><w:b/></w:rPr><w:t>age</w:t></w:r><w:proofErr w:type=\"spellEnd\"/>"
      "<w:ins w:id=\"9\" w:author=\"a\"><w:r><w:t xml:space=\"preserve\"> "
      "Martin</w:t></w:r></w:ins>"
      "<w:del w:id=\"10\" w:author=\"a\"><w:r><w:delText>Dupont</w:delText></w:r></w:del>"
      "<w:bookmarkEnd w:id=\"1\"/></w:p>"
      // a field: only its result counts
      "<w:p><w:bookmarkStart w:id=\"2\" w:name=\"DATDEV\"/><w:r><w:fldChar "
      "w:fldCharType=\"begin\"/></w:r>"
      "<w:r><w:instrText> DATE </w:instrText></w:r><w:r><w:fldChar "
      "w:fldCharType=\"separate\"/></w:r>"
      "<w:r><w:t>05/12/2026</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r><w:bookmarkEnd "
      "w:id=\"2\"/></w:p>"
      // a content control and a tab
      "<w:p><w:bookmarkStart w:id=\"3\" w:name=\"CODCLI\"/><w:sdt><w:sdtPr><w:alias "
      "w:val=\"x\"/></w:sdtPr>"
      "<w:sdtContent><w:r><w:t>C0</w:t><w:tab/><w:t>42</w:t></w:r></w:sdtContent></"
      "w:sdt><w:bookmarkEnd w:id=\"3\"/></w:p>"
      // a bookmark over two paragraphs, ending at body level
      "<w:bookmarkStart w:id=\"4\" w:name=\"ADR\"/>" +
      para("1 rue Haute") + para("75001 Paris") + "<w:bookmarkEnd w:id=\"4\"/>";
  WordDocument doc = build({body});
  EXPECT_EQ(doc.bookmarkText("RS"), "Garage Martin");
  EXPECT_EQ(doc.bookmarkText("DATDEV"), "05/12/2026");
  EXPECT_EQ(doc.bookmarkText("codcli"), "C0\t42");  // names ignore case
  EXPECT_EQ(doc.bookmarkText("ADR"), "1 rue Haute\r75001 Paris");
  EXPECT_FALSE(doc.hasBookmark("ABSENT"));
  EXPECT_EQ(doc.bookmarkText("ABSENT"), "");
}

TEST(Bookmark, ReplacingTextKeepsTheBookmarkAndTheFormatting) {
  QTemporaryDir dir;
  const QString body =
      "<w:p><w:r><w:t xml:space=\"preserve\">Client : </w:t></w:r><w:bookmarkStart w:id=\"1\" "
      "w:name=\"RS\"/>"
      "<w:r><w:rPr><w:b/><w:sz w:val=\"28\"/></w:rPr><w:t>Ancien</w:t></w:r><w:r><w:t> "
      "nom</w:t></w:r>"
      "<w:bookmarkEnd w:id=\"1\"/><w:r><w:t xml:space=\"preserve\"> (fin)</w:t></w:r></w:p>"
      "<w:p><w:bookmarkStart w:id=\"2\" w:name=\"VIDE\"/><w:bookmarkEnd w:id=\"2\"/></w:p>";
  WordDocument doc = build({body});
  ASSERT_TRUE(doc.setBookmarkText("RS", "Garage Martin"));
  ASSERT_TRUE(doc.setBookmarkText("VIDE", "rempli", {.hidden = true}));
  EXPECT_FALSE(doc.setBookmarkText("ABSENT", "x"));
  EXPECT_TRUE(doc.isModified());

  WordDocument again = reopen(doc, dir);
  EXPECT_EQ(again.bookmarkText("RS"), "Garage Martin");
  EXPECT_EQ(again.bodyText(), "Client : Garage Martin (fin)\rrempli");
  ASSERT_TRUE(again.setBookmarkText("RS", ""));
  EXPECT_EQ(again.bookmarkText("RS"), "");
  ASSERT_TRUE(again.setBookmarkText("RS", "Deuxième"));
  EXPECT_EQ(again.bookmarkText("RS"), "Deuxième");
  const QString xml = QString::fromUtf8(reopen(again, dir).package().read("word/document.xml"));
  EXPECT_TRUE(xml.contains("<w:rPr><w:b/><w:sz w:val=\"28\"/></w:rPr><w:t>Deuxième</w:t>"))
      << xml.toStdString();
  EXPECT_TRUE(xml.contains("<w:vanish/></w:rPr><w:t>rempli</w:t>")) << xml.toStdString();
}

TEST(Bookmark, ReplacingTextOverParagraphsMergesThemAndKeepsLineBreaks) {
  const QString body = "<w:bookmarkStart w:id=\"4\" w:name=\"ADR\"/>" + para("1 rue Haute") +
                       para("75001 Paris") + "<w:bookmarkEnd w:id=\"4\"/>" + para("après");
  WordDocument doc = build({body});
  ASSERT_TRUE(doc.setBookmarkText("ADR", "2 rue Basse\r69000 Lyon"));
  EXPECT_EQ(doc.bookmarkText("ADR"), "2 rue Basse\v69000 Lyon");
  EXPECT_EQ(doc.bodyText(), "2 rue Basse\v69000 Lyon\raprès");
}

TEST(Bookmark, ReplacingTextOverATableEmptiesItsCellsButKeepsItWhole) {
  const QString body = "<w:bookmarkStart w:id=\"4\" w:name=\"BLOC\"/>" + para("avant") +
                       table({{"a", "b"}, {"c", "d"}}) + para("après") +
                       "<w:bookmarkEnd w:id=\"4\"/>" + para("fin");
  WordDocument doc = build({body});
  ASSERT_TRUE(doc.setBookmarkText("BLOC", "nouveau"));
  EXPECT_EQ(doc.bookmarkText("BLOC"), "nouveau\r\r\r\r");
  ASSERT_EQ(doc.tableCount(), 1);
  EXPECT_EQ(doc.cellText({1, 2, 2}), "");
  QTemporaryDir dir;
  EXPECT_EQ(reopen(doc, dir).bodyText(), "nouveau\r\r\r\r\r\rfin");
}

TEST(Bookmark, AddDeleteAndListInBothOrders) {
  const QString header = marked("NUMDEV_P2", "00012_00.AB", 20);
  const QString body =
      marked("ZETA", "un", 1) + table({{"a", "b"}, {"c", "d"}}) + marked("ALPHA", "deux", 2);
  WordDocument doc = build({body, header});
  doc.addBookmark("WPOS", {1, 2, 2});
  EXPECT_EQ(doc.bookmarkText("WPOS"), "d");
  EXPECT_EQ(doc.bookmarkCell("WPOS"), (word::CellRef{1, 2, 2}));
  EXPECT_FALSE(doc.bookmarkCell("ZETA").has_value());

  EXPECT_EQ(names(doc, word::BookmarkOrder::ByName),
            (QStringList{"ALPHA", "NUMDEV_P2", "WPOS", "ZETA"}));
  EXPECT_EQ(names(doc, word::BookmarkOrder::ByPosition),
            (QStringList{"ZETA", "WPOS", "ALPHA", "NUMDEV_P2"}));
  EXPECT_EQ(doc.bookmark("NUMDEV_P2")->part, "word/header1.xml");
  EXPECT_EQ(doc.bookmarkText("NUMDEV_P2"), "00012_00.AB");
  ASSERT_TRUE(doc.setBookmarkText("NUMDEV_P2", "00013_01.AB"));
  EXPECT_EQ(doc.bookmarkText("NUMDEV_P2"), "00013_01.AB");

  // Adding an existing name moves the bookmark.
  doc.addBookmark("wpos", {1, 1, 1});
  EXPECT_EQ(doc.bookmarkCell("WPOS"), (word::CellRef{1, 1, 1}));
  EXPECT_TRUE(doc.deleteBookmark("WPOS"));
  EXPECT_FALSE(doc.deleteBookmark("WPOS"));
  EXPECT_FALSE(doc.hasBookmark("WPOS"));
  EXPECT_EQ(doc.cellText({1, 1, 1}), "a");  // the text stays

  QTemporaryDir dir;
  WordDocument again = reopen(doc, dir);
  EXPECT_EQ(again.bookmarks().size(), 3);
  EXPECT_EQ(again.bookmarkText("NUMDEV_P2"), "00013_01.AB");
}

TEST(Bookmark, DuplicateNamesAndUnpairedStartsFollowTheFirstCompleteOne) {
  const QString body =
      "<w:p><w:bookmarkStart w:id=\"1\" w:name=\"ORPHAN\"/><w:r><w:t>x</w:t></w:r></w:p>" +
      marked("TWICE", "premier", 2) + marked("TWICE", "second", 3);
  WordDocument doc = build({body});
  EXPECT_FALSE(doc.hasBookmark("ORPHAN"));
  EXPECT_EQ(doc.bookmarkText("TWICE"), "premier");
  // Deleting a name takes every copy: none may come back when the file is opened again.
  EXPECT_TRUE(doc.deleteBookmark("twice"));
  EXPECT_FALSE(doc.hasBookmark("TWICE"));
  QTemporaryDir dir;
  EXPECT_FALSE(reopen(doc, dir).hasBookmark("TWICE"));
}

TEST(Bookmark, DeletingTheRowOfTheFirstCopyShowsTheNextAsTheFileWould) {
  const QString body = table({{marked("CODART", "A1", 1), marked("LIBART", "vis", 2)},
                              {marked("CODART", "A2", 3), marked("LIBART", "écrou", 4)},
                              {"total", marked("MTNET", "12", 5)}});
  WordDocument doc = build({body});
  EXPECT_EQ(doc.splitTable(1, 2), 2);
  doc.deleteRow(1, 1);  // the first copies, and with them the first table
  ASSERT_EQ(doc.tableCount(), 1);
  EXPECT_EQ(doc.bookmarkText("LIBART"), "écrou");
  EXPECT_EQ(doc.bookmarkCell("CODART"), (word::CellRef{1, 1, 1}));
  EXPECT_EQ(names(doc), (QStringList{"CODART", "LIBART", "MTNET"}));
  QTemporaryDir dir;
  EXPECT_EQ(listed(doc), listed(reopen(doc, dir)));
}

// An end met before its start leaves "xwpf" unpaired; writing "poi", whose range holds both of
// its markers, pairs them: the document must say so before it is saved and opened again.
TEST(Bookmark, WritingOverMisplacedMarkersShowsWhatTheFileWillHold) {
  const QString body =
      "<w:p><w:bookmarkStart w:id=\"1\" w:name=\"poi\"/><w:r><w:t>a</w:t></w:r></w:p>"
      "<w:bookmarkEnd w:id=\"0\"/>" +
      para("b") +
      "<w:p><w:bookmarkStart w:id=\"0\" w:name=\"xwpf\"/><w:r><w:t>c</w:t></w:r></w:p>"
      "<w:bookmarkEnd w:id=\"1\"/>" +
      para("d");
  WordDocument doc = build({body});
  ASSERT_EQ(doc.bookmarks().size(), 1);
  ASSERT_TRUE(doc.setBookmarkText("poi", "x\ry"));
  QTemporaryDir dir;
  EXPECT_EQ(listed(doc), listed(reopen(doc, dir)));
}

// Markers the index cannot hold, a start shadowed by an open one of the same id or an end
// without its start, pair differently once an edit removes or moves them.
TEST(Bookmark, EditsOverShadowedOrStrayMarkersShowWhatTheFileWillHold) {
  QTemporaryDir dir;
  {
    // A nameless start shadows the total's start until its row goes.
    const QString body =
        table({{"<w:p><w:bookmarkStart w:id=\"6\"/><w:r><w:t>A1</w:t></w:r></w:p>"},
               {marked("SMTNET", "26,97", 6)}});
    WordDocument doc = build({body});
    doc.deleteRow(1, 1);
    EXPECT_EQ(doc.bookmarkText("SMTNET"), "26,97");
    EXPECT_EQ(listed(doc), listed(reopen(doc, dir)));
  }
  {
    // Writing a cell gathers its markers at its two ends: the stray end no longer comes first.
    const QString cell =
        "<w:p><w:bookmarkEnd w:id=\"7\"/><w:r><w:t>x</w:t></w:r>"
        "<w:bookmarkStart w:id=\"7\" w:name=\"LATE\"/></w:p>";
    WordDocument doc = build({table({{cell, "b"}})});
    doc.setCellText({1, 1, 1}, "y");
    EXPECT_EQ(doc.bookmarkText("LATE"), "y");
    EXPECT_EQ(listed(doc), listed(reopen(doc, dir)));
  }
  {
    // A new bookmark takes an id no stray end in its way answers to.
    const QString cell =
        "<w:p><w:r><w:t>a</w:t></w:r><w:bookmarkEnd w:id=\"0\"/><w:r><w:t>b</w:t></w:r></w:p>";
    WordDocument doc = build({table({{cell}})});
    doc.addBookmark("WPOS", {1, 1, 1});
    EXPECT_EQ(doc.bookmarkText("WPOS"), "ab");
    WordDocument again = reopen(doc, dir);
    EXPECT_EQ(again.bookmarkText("WPOS"), "ab");
    EXPECT_EQ(listed(doc), listed(again));
  }
}

TEST(Bookmark, ParagraphsTypedAtABookmarkComeInOrderAboveIt) {
  const QString body =
      para("avant") +
      "<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr><w:bookmarkStart w:id=\"1\" w:name=\"OPTIONS\"/>"
      "<w:bookmarkEnd w:id=\"1\"/></w:p>" +
      para("après");
  WordDocument doc = build({body});
  ASSERT_TRUE(doc.insertParagraphsAt("OPTIONS", {{"Option 1", {}}, {"Option 2", {.bold = true}}}));
  ASSERT_TRUE(doc.insertParagraphsAt("OPTIONS", {{"Option 3", {}}}));
  EXPECT_EQ(doc.bodyText(), "avant\rOption 1\rOption 2\rOption 3\r\raprès");
  EXPECT_TRUE(doc.hasBookmark("OPTIONS"));
  EXPECT_FALSE(doc.insertParagraphsAt("ABSENT", {{"x", {}}}));
}

}  // namespace
