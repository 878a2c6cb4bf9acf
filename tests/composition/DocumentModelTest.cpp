#include <gtest/gtest.h>

#include "composition/ColumnMap.h"
#include "composition/QuoteDocs.h"
#include "composition/TableLocator.h"
#include "composition/Totals.h"

using namespace tarovent;
using namespace tarovent::composition;
using namespace tarovent::fixtures;

namespace {

const QList<QStringList> kTwoLines{{"VIS6", "Vis", "12", "1,00", "12,00"},
                                   {"   ECROU", "Écrou", "12", "0,50", ""}};

TEST(Reperer_Tableaux, SplitsAHeaderRowThatCarriesLineRows) {
  QuoteDoc shape;
  shape.headerAlone = false;
  shape.lines = kTwoLines;
  word::WordDocument doc = shape.build();
  ASSERT_EQ(doc.tableCount(), 1);

  const LocateResult located = Reperer_Tableaux(doc, LocatePurpose::Recalculation);
  ASSERT_TRUE(located.layout) << located.message.toStdString();
  const TableLayout& layout = *located.layout;
  EXPECT_TRUE(layout.headerSplit);
  ASSERT_EQ(doc.tableCount(), 2);
  EXPECT_EQ(doc.rowCount(1), 1);
  EXPECT_EQ(layout.firstLineTable, 2);
  EXPECT_EQ(doc.cellText({2, 2, 1}), "   ECROU");
  EXPECT_EQ(layout.totalsStart, doc.bookmark("SMTNET")->start);

  // Once split, a second location finds the same layout and changes nothing.
  doc.setModified(false);
  const LocateResult again = Reperer_Tableaux(doc, LocatePurpose::Recalculation);
  EXPECT_FALSE(again.layout->headerSplit);
  EXPECT_EQ(again.layout->firstLineTable, 2);
  EXPECT_FALSE(doc.isModified());
}

TEST(Reperer_Tableaux, WithoutTotalBookmarksEveryTableAfterTheHeaderCounts) {
  QuoteDoc shape;
  shape.lines = kTwoLines;
  shape.totals = fixtures::para("") + fixtures::table({{"a", "b", "c", "d", "e"}});
  word::WordDocument doc = shape.build();
  const TableLayout layout = *Reperer_Tableaux(doc, LocatePurpose::Recalculation).layout;
  EXPECT_EQ(layout.totalsStart, kNoTotalsStart);
  EXPECT_EQ(lineTables(doc, layout), (std::vector<int>{2, 3}));
}

TEST(Reperer_Tableaux, OnlyTablesWithTheHeadersColumnsBeforeTheTotalsAreLineTables) {
  QuoteDoc shape;
  shape.lines = kTwoLines;
  shape.between = fixtures::para("") + fixtures::table({{"x", "y", "z"}}) +  // other column count
                  fixtures::para("") +
                  fixtures::table({{"<w:p><w:bookmarkStart w:id=\"50\" "
                                    "w:name=\"STOT1234\"/><w:r><w:t>*** Sous total</w:t></w:r>"
                                    "<w:bookmarkEnd w:id=\"50\"/></w:p>",
                                    "", "", "", "24,00"}}) +
                  fixtures::para("") + fixtures::table({kTwoLines.first()});
  shape.totals =
      fixtures::para("") +
      fixtures::table(
          {{"Total HT",
            "<w:p><w:bookmarkStart w:id=\"60\" "
            "w:name=\"SMTBRUT\"/><w:r><w:t>0</w:t></w:r><w:bookmarkEnd w:id=\"60\"/></w:p>",
            "", "", ""}}) +
      fixtures::para("") + fixtures::table({kTwoLines.first()});  // after the totals
  word::WordDocument doc = shape.build();
  const TableLayout layout = *Reperer_Tableaux(doc, LocatePurpose::Recalculation).layout;
  ASSERT_EQ(doc.tableCount(), 7);
  EXPECT_EQ(lineTables(doc, layout), (std::vector<int>{2, 5}));
  const QSet<int> subTotals = subTotalTables(doc);
  EXPECT_EQ(subTotals, QSet<int>{4});
  QStringList kinds;
  for (int t = 1; t <= doc.tableCount(); ++t)
    kinds << tableKindName(tableKind(doc, layout, t, subTotals));
  EXPECT_EQ(kinds, (QStringList{"header", "line", "other", "sub-total", "line", "other", "other"}));
}

TEST(Reperer_Tableaux, MessagesWhenTheHeaderCannotBeFound) {
  QuoteDoc none;
  none.codes = {"QTE", "MTNET"};
  word::WordDocument doc = none.build();
  EXPECT_EQ(Reperer_Tableaux(doc, LocatePurpose::DesignationUpdate).message,
            QString::fromUtf8("Les signets des tableaux n'ont pu être repérés, la mise à jour ne "
                              "peut pas s'effectuer"));

  QuoteDoc libart;  // LIBART stands in for CODART, except for the level masking
  libart.codes = {"LIBART", "QTE"};
  word::WordDocument withLibart = libart.build();
  const LocateResult found = Reperer_Tableaux(withLibart, LocatePurpose::Recalculation);
  ASSERT_TRUE(found.layout);
  EXPECT_EQ(found.layout->columnCount, 2);
  EXPECT_EQ(
      Reperer_Tableaux(withLibart, LocatePurpose::LevelMasking).message,
      QString::fromUtf8("L'abscence de signet CODART empêche le travail de masquage des niveaux"));

  word::WordDocument outside = word::WordDocument::fromPackage(
      fixtures::MiniDocx{fixtures::marked("CODART", "Code", 1)}.package());
  EXPECT_EQ(Reperer_Tableaux(outside, LocatePurpose::Recalculation).message,
            "Le signet CODART n'est pas dans un tableau!");
  EXPECT_FALSE(outside.isModified());
}

TEST(ColumnMap, MapsEachCodeToItsHeaderColumnAndBack) {
  QuoteDoc shape;
  shape.codes = {"CODART", "LIBART", "QTE", "UNITE", "PUBRUT", "PCREM", "PUNET", "MTNET", "TXTVA"};
  word::WordDocument doc = shape.build();
  const ColumnMap map = ColumnMap::read(doc, 1);
  EXPECT_EQ(map.column("CODART"), 1);
  EXPECT_EQ(map.column("TXTVA"), 9);
  EXPECT_EQ(map.column("POIDS"), 0);
  EXPECT_EQ(map.codeAt(3), "QTE");
  EXPECT_EQ(map.codeAt(10), "");
}

TEST(ColumnMap, IgnoresColumnsPastTheTwentyFifthAndUnknownCells) {
  QuoteDoc shape;
  shape.codes = {"LIBART"};
  for (int i = 2; i <= 27; ++i)
    shape.codes << (i == 3 ? "CODART" : i == 26 ? "QTE" : QString("X%1").arg(i));
  word::WordDocument doc = shape.build();
  const ColumnMap map = ColumnMap::read(doc, 1);
  EXPECT_EQ(map.columnCount(), ColumnMap::kMaxColumns);
  EXPECT_EQ(map.column("CODART"), 3);
  EXPECT_EQ(map.column("QTE"), 0);
  EXPECT_EQ(map.codeAt(2), "");
}

TEST(Totals, TotalBookmarksAreWrittenWithTheirMasks) {
  QuoteDoc shape;
  shape.totals = fixtures::marked("SMTNET", "", 10) + fixtures::marked("SPOIDS", "", 11) +
                 fixtures::marked("PCPLUS", "", 12) + fixtures::marked("MTPLUS", "", 13);
  word::WordDocument doc = shape.build();
  EXPECT_TRUE(writeTotal(doc, "SMTNET", 1234.5, ','));
  EXPECT_TRUE(writeTotal(doc, "SPOIDS", 12.3456, ','));
  EXPECT_TRUE(writeTotal(doc, "PCPLUS", 7.6, ','));
  EXPECT_TRUE(writeTotal(doc, "MTPLUS", 1234567, ','));
  EXPECT_FALSE(writeTotal(doc, "STTC", 1, ','));  // not in this document
  EXPECT_FALSE(writeTotal(doc, "RS", 1, ','));    // not a total
  EXPECT_EQ(doc.bookmarkText("SMTNET"), "1 234,50");
  EXPECT_EQ(doc.bookmarkText("SPOIDS"), "12,346");
  EXPECT_EQ(doc.bookmarkText("PCPLUS"), "8");
  EXPECT_EQ(doc.bookmarkText("MTPLUS"), "1234 567,00");  // the mask has six digit places
}

}  // namespace
