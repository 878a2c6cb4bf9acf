#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "composition/ColumnMap.h"
#include "composition/LineWriter.h"
#include "composition/TableLocator.h"
#include "composition/Totals.h"
#include "install/templates/TemplateBuilder.h"
#include "platform/word/LibreOffice.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;
using namespace tarovent::composition;
using templates::QuoteTemplateKind;

namespace {

struct Kind {
  QuoteTemplateKind kind;
  const char* file;
};
const Kind kKinds[] = {{QuoteTemplateKind::Standard, "STD.dotx"},
                       {QuoteTemplateKind::WithVat, "TVA.dotx"},
                       {QuoteTemplateKind::WithWeightsAndCosts, "ATELIER.dotx"}};

class Templates : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString file(const QString& name) const { return dir.filePath(name); }
};

TEST_F(Templates, QuoteTemplatesCarryTheModelTheCompositionReads) {
  for (const Kind& k : kKinds) {
    SCOPED_TRACE(k.file);
    templates::buildQuoteTemplate(file(k.file), k.kind);
    word::WordDocument doc = word::WordDocument::open(file(k.file));
    EXPECT_TRUE(doc.isTemplate());
    for (const QString& name : templates::headBookmarks())
      EXPECT_TRUE(doc.hasBookmark(name)) << name.toStdString();
    for (const char* name :
         {"DESCRHT", "DESCRTHT", "OPTIONS", "SMTBRUT", "SMTNET", "STTC", "DEVISE"})
      EXPECT_TRUE(doc.hasBookmark(name)) << name;
    // The address once, line by line; the counter-mark is the client's reference, not a name.
    EXPECT_FALSE(doc.hasBookmark("ADR"));
    EXPECT_TRUE(doc.bodyText().contains("Votre référence : "));
    EXPECT_TRUE(doc.bookmark("NUMDEV_P2")->part.startsWith("word/header"));
    EXPECT_TRUE(doc.bookmark("DATDEV_P2")->part.startsWith("word/header"));

    const LocateResult located = Reperer_Tableaux(doc, LocatePurpose::Recalculation);
    ASSERT_TRUE(located.layout) << located.message.toStdString();
    EXPECT_FALSE(located.layout->headerSplit);
    EXPECT_EQ(located.layout->headerTable, 2);  // after the head table
    EXPECT_EQ(located.layout->firstLineTable, 3);
    EXPECT_EQ(located.layout->totalsStart, doc.bookmark("SMTBRUT")->start);
    EXPECT_EQ(lineTables(doc, *located.layout), std::vector<int>{3});
    const ColumnMap columns = ColumnMap::read(doc, located.layout->headerTable);
    EXPECT_EQ(columns.codes(), templates::templateColumns(k.kind));
    EXPECT_EQ(columns.has("TXTVA"), k.kind == QuoteTemplateKind::WithVat);
    EXPECT_EQ(columns.has("POIDSTOT"), k.kind == QuoteTemplateKind::WithWeightsAndCosts);
    EXPECT_EQ(doc.hasBookmark("SMTTVA2"), k.kind == QuoteTemplateKind::WithVat);
    EXPECT_EQ(doc.hasBookmark("SPDRTOT"), k.kind == QuoteTemplateKind::WithWeightsAndCosts);
    EXPECT_FALSE(doc.isModified());
  }
  templates::buildEmptyTemplate(file("VIDE.dotx"));
  word::WordDocument empty = word::WordDocument::open(file("VIDE.dotx"));
  EXPECT_TRUE(empty.isTemplate());
  EXPECT_EQ(empty.tableCount(), 0);
  EXPECT_TRUE(empty.bookmarks().isEmpty());
}

// The grouped quote: the text zone above the columns, texts typed at WTXT landing inside it in
// order; the labour and parts tables are both line tables, found through WMDO and WPIE, and
// the bookmark stays with the line written in its row.
TEST_F(Templates, GroupedTemplateHasTheTextZoneAndTheLabourAndPartsTables) {
  templates::buildQuoteTemplate(file("CHAU.dotx"), QuoteTemplateKind::Grouped);
  word::WordDocument doc = word::WordDocument::fromTemplate(file("CHAU.dotx"));
  for (const QString& name : templates::headBookmarks())
    EXPECT_TRUE(doc.hasBookmark(name)) << name.toStdString();
  const LocateResult located = Reperer_Tableaux(doc, LocatePurpose::Recalculation);
  ASSERT_TRUE(located.layout) << located.message.toStdString();
  const std::vector<int> lines = lineTables(doc, *located.layout);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(doc.bookmarkCell("WMDO")->table, lines[0]);
  EXPECT_EQ(doc.bookmarkCell("WPIE")->table, lines[1]);
  EXPECT_EQ(ColumnMap::read(doc, located.layout->headerTable).codes(),
            templates::templateColumns(QuoteTemplateKind::Standard));
  EXPECT_LT(doc.bookmark("ZTXT")->start, doc.table(located.layout->headerTable).start);
  EXPECT_TRUE(doc.hasBookmark("DELAI"));

  for (const char* text : {"Première ligne", "Deuxième ligne"})
    ASSERT_TRUE(doc.insertParagraphsAt("WTXT", {{QString::fromUtf8(text), {}}}));
  EXPECT_EQ(doc.bookmarkText("ZTXT"),
            QString::fromUtf8("Description des travaux\rPremière ligne\rDeuxième ligne"));

  QuoteLine line;
  line.code = "MO*SOUD";
  line.designation = "Soudure";
  LineWriter(ColumnMap::read(doc, located.layout->headerTable), {}).write(doc, lines[0], 1, line);
  EXPECT_EQ(doc.cellText({lines[0], 1, 1}), "MO*SOUD");
  EXPECT_EQ(doc.bookmarkCell("WMDO")->row, 1);
  doc.appendRow(lines[0]);  // the new row copies the cell, not its bookmark
  int marks = 0;
  for (const word::BookmarkInfo& b : doc.bookmarks()) marks += b.name == "WMDO";
  EXPECT_EQ(marks, 1);
}

// A quote made from a template and printed by LibreOffice: filled head, lines, totals;
// prices written as hidden text do not reach the PDF.
TEST_F(Templates, LibreOfficePrintsAQuoteMadeFromATemplate) {
  templates::buildQuoteTemplate(file("TVA.dotx"), QuoteTemplateKind::WithVat);
  templates::buildEmptyTemplate(file("VIDE.dotx"));
  word::WordDocument doc = word::WordDocument::fromTemplate(file("TVA.dotx"));
  doc.setBookmarkText("RS", "Garage des Tilleuls");
  doc.setBookmarkText("NUMDEV", "00012_00.AB");
  doc.setBookmarkText("NUMDEV_P2", "00012_00.AB");
  const TableLayout layout = *Reperer_Tableaux(doc, LocatePurpose::Recalculation).layout;
  const ColumnMap columns = ColumnMap::read(doc, layout.headerTable);
  LineOptions visible;
  LineOptions noPrice;
  noPrice.printPrice = false;
  QuoteLine line;
  line.code = "VIS6";
  line.designation = "Vis M6";
  line.quantity = 12;
  line.grossPrice = 1.5;
  line.netPrice = 1.5;
  line.netAmount = 18;
  line.vatRate = "20";
  LineWriter(columns, visible).write(doc, layout.firstLineTable, 1, line);
  doc.appendRow(layout.firstLineTable);
  line.code = "ECROU8";
  line.designation = "Écrou M8";
  line.grossPrice = 7777.77;
  line.netPrice = 7777.77;
  line.netAmount = 93333.24;
  LineWriter(columns, noPrice).write(doc, layout.firstLineTable, 2, line);
  writeTotal(doc, "SMTNET", 93351.24, ',');
  doc.saveAs(file("00012_00.docx"));

  fixtures::LibreOffice office;
  templates::buildQuoteTemplate(file("STD.dotx"), QuoteTemplateKind::Standard);
  templates::buildQuoteTemplate(file("ATELIER.dotx"), QuoteTemplateKind::WithWeightsAndCosts);
  const QStringList pdfs =
      office.convert({file("00012_00.docx"), file("TVA.dotx"), file("VIDE.dotx"), file("STD.dotx"),
                      file("ATELIER.dotx")},
                     "pdf", dir.path());
  for (const QString& pdf : pdfs) EXPECT_FALSE(pdf.isEmpty());
  ASSERT_FALSE(pdfs[0].isEmpty());
  const QString text = fixtures::LibreOffice::pdfText(pdfs[0]);
  for (const char* shown : {"Garage des Tilleuls", "00012_00.AB", "VIS6", "Vis M6", "18,00",
                            "ECROU8", "Désignation", "93 351,24"})
    EXPECT_TRUE(text.contains(QString::fromUtf8(shown))) << shown << "\n" << text.toStdString();
  EXPECT_FALSE(text.contains("7 777,77"));
  EXPECT_FALSE(text.contains("93 333,24"));
  for (int i : {1, 3, 4})  // the quote templates
    EXPECT_TRUE(fixtures::LibreOffice::pdfText(pdfs[i]).contains(QString::fromUtf8("Désignation")));
  EXPECT_EQ(fixtures::LibreOffice::pdfPages(pdfs[2]), 1);
}

}  // namespace
