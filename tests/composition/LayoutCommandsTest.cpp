#include <gtest/gtest.h>

#include "FamilyFixture.h"
#include "QuoteDocs.h"
#include "articles/ArticleFiles.h"
#include "composition/LayoutCommands.h"
#include "composition/Recalculation.h"
#include "composition/TableLocator.h"

namespace tarovent::composition {
namespace {

using fixtures::QuoteDoc;

const QString kInTable = "Le curseur doit être positionné dans un tableau.";

class LayoutCommandsTest : public fixtures::FamilyTest {
 protected:
  void SetUp() override {
    FamilyTest::SetUp();
    if (HasFatalFailure()) return;
    m_files = std::make_unique<articles::ArticleFiles>(*m_state);
  }

  // Lines of levels 0, 0, 1, 0 (labour) and 2: 30 + 200 + 40 net for the main ones.
  word::WordDocument build() {
    QuoteDoc q;
    q.codes = {"CODART", "LIBART", "QTE", "UNITE", "PUBRUT", "MTNET", "POIDSTOT"};
    q.lines = {{"A1", "Vis", "3", "U", "10", "", "1,5"},
               {"A2", "Plaque", "2", "U", "100", "", "0.25"},
               {"   C1", "Rondelle", "5", "U", "1", "", ""},
               {"MO*S1", "Montage", "1", "H", "40", "", ""},
               {"      C2", "Ecrou", "1", "U", "2", "", ""}};
    word::WordDocument doc = q.build();
    layout = *Reperer_Tableaux(doc, LocatePurpose::Recalculation).layout;
    columns = ColumnMap::read(doc, layout.headerTable);
    return doc;
  }

  QString netTotal(word::WordDocument& doc) {
    const RecalcResult r = Recalcul_Document(*m_state, *m_files, doc, {});
    EXPECT_TRUE(r.completed) << m_messages.texts().join('|').toStdString();
    return r.bookmarks.value("SMTNET");
  }

  // The line tables as the document stands now.
  static std::vector<int> lineTablesNow(word::WordDocument& doc) {
    return lineTables(doc, *Reperer_Tableaux(doc, LocatePurpose::Recalculation).layout);
  }

  std::unique_ptr<articles::ArticleFiles> m_files;
  TableLayout layout;
  ColumnMap columns;
};

TEST_F(LayoutCommandsTest, SubTotalsSumTheirTableAndAreNotCountedTwice) {
  word::WordDocument doc = build();
  m_messages.setFallback(ui::Answer::Yes);  // a template: recalculate with the default rate
  EXPECT_EQ(netTotal(doc), "270,00");
  const int t = layout.firstLineTable;
  Cursor cursor{t, 2};
  ASSERT_TRUE(insertSubTotal(doc, columns, cursor, m_messages, std::nullopt, ','));
  EXPECT_EQ(cursor, (Cursor{t, 2}));
  // Its weight is 0: no unit weights, none recalculated.
  EXPECT_EQ(doc.cellText({t + 1, 1, 6}) + " " + doc.cellText({t + 1, 1, 7}), "270,00 0,000");
  EXPECT_EQ(netTotal(doc), "270,00");

  // Regression: a second sub-total under the same table took the first one's bookmark.
  ASSERT_TRUE(insertSubTotal(doc, columns, cursor, m_messages, std::nullopt, ','));
  EXPECT_EQ(subTotalTables(doc), (QSet<int>{t + 1, t + 2}));
  EXPECT_EQ(lineTablesNow(doc), std::vector<int>{t});

  // Every recalculation refreshes them from the lines above, as they now stand.
  doc.setCellText({t, 1, 3}, "4");
  m_messages.clear();
  EXPECT_EQ(netTotal(doc), "280,00");
  EXPECT_EQ(doc.cellText({t + 1, 1, 6}) + " " + doc.cellText({t + 2, 1, 6}), "280,00 280,00");
  EXPECT_EQ(doc.cellText({t + 1, 1, 1}), "*** Sous total");

  // In the sub-total table: refused, nothing added.
  Cursor inSubTotal{t + 1, 1};
  m_messages.clear();
  EXPECT_FALSE(insertSubTotal(doc, columns, inSubTotal, m_messages, std::nullopt, ','));
  EXPECT_EQ(m_messages.texts(), QStringList{"Vous êtes positionné dans un tableau de sous-total"});
  EXPECT_EQ(doc.tableCount(), t + 2);
}

TEST_F(LayoutCommandsTest, ExtendedSubTotalCarriesItsBoldTitle) {
  word::WordDocument doc = build();
  const int t = layout.firstLineTable;
  Cursor cursor{t, 1};
  // A title left blank is a cancelled question.
  ASSERT_TRUE(insertSubTotal(doc, columns, cursor, m_messages, QString(), ','));
  EXPECT_EQ(doc.tableCount(), t);
  ASSERT_TRUE(insertSubTotal(doc, columns, cursor, m_messages, QString("Lot 1"), '.'));
  EXPECT_EQ(doc.cellText({t + 1, 1, 1}), "Lot 1");
  EXPECT_TRUE(doc.cellFormat({t + 1, 1, 1}).bold.value_or(false));
  EXPECT_EQ(subTotalTables(doc), QSet<int>{t + 1});
  // Input cells hold 1,5 and 0.25: both separators read.
  EXPECT_EQ(doc.cellText({t + 1, 1, 7}), "1.750");
}

TEST_F(LayoutCommandsTest, SplitAndNewTableLeaveLineTablesTheRecalculationReads) {
  word::WordDocument doc = build();
  m_messages.setFallback(ui::Answer::Yes);
  const int t = layout.firstLineTable;
  Cursor cursor{t, 3};
  ASSERT_TRUE(splitTableAtCursor(doc, cursor, m_messages));
  EXPECT_EQ(cursor, (Cursor{t + 1, 1}));
  EXPECT_EQ(doc.rowCount(t + 1), 3);
  cursor = {t, 1};
  ASSERT_TRUE(addLineTable(doc, cursor, m_messages));
  EXPECT_EQ(cursor, (Cursor{t + 1, 1}));
  EXPECT_EQ(doc.cellCount(t + 1, 1), layout.columnCount);
  EXPECT_EQ(lineTablesNow(doc), (std::vector<int>{t, t + 1, t + 2}));
  EXPECT_EQ(netTotal(doc), "270,00");
  // The new table takes a sub-total of its own.
  ASSERT_TRUE(insertSubTotal(doc, columns, cursor, m_messages, std::nullopt, ','));
  EXPECT_EQ(doc.cellText({t + 2, 1, 6}), "0,00");

  // Splitting at the first row changes nothing; outside a table is refused.
  cursor = {t, 1};
  const int tables = doc.tableCount();
  ASSERT_TRUE(splitTableAtCursor(doc, cursor, m_messages));
  EXPECT_EQ(doc.tableCount(), tables);
  Cursor nowhere;
  m_messages.clear();
  EXPECT_FALSE(splitTableAtCursor(doc, nowhere, m_messages));
  EXPECT_FALSE(addLineTable(doc, nowhere, m_messages));
  EXPECT_EQ(m_messages.texts(), (QStringList{kInTable, kInTable}));
}

TEST_F(LayoutCommandsTest, PrintLevelsHideDeepRowsAndPrices) {
  // Per row, three flags: row hidden, price hidden, quantity hidden.
  const struct {
    QString detail, price;
    PrintOptions print;
    QString rows;
  } cases[] = {
      // Level 1 and price level 0: level 2 vanishes, level 1 prints without prices.
      {"1", "0", {}, "000 000 010 000 111"},
      {"", "", {}, "000 000 000 000 000"},  // blank fields: every level
      // The price level never goes deeper than the detail level.
      {"0", "5", {}, "000 000 111 000 111"},
      {"", "", {false, false}, "011 011 011 011 011"},
  };
  for (const auto& c : cases) {
    word::WordDocument doc = build();
    const int t = layout.firstLineTable;
    ASSERT_TRUE(applyPrintLevels(doc, columns, c.detail, c.price, c.print, m_messages));
    EXPECT_TRUE(doc.showHiddenText());
    QStringList shown;
    for (int r = 1; r <= 5; ++r) {
      QString flags;
      for (bool f :
           {doc.isRowHidden(t, r), doc.isCellHidden({t, r, 5}), doc.isCellHidden({t, r, 3})})
        flags += f ? '1' : '0';
      shown << flags;
      EXPECT_EQ(doc.isCellHidden({t, r, 2}), doc.isRowHidden(t, r));  // the designation
    }
    EXPECT_EQ(shown.join(' '), c.rows) << c.detail.toStdString() << "/" << c.price.toStdString();
    // The labour code stays hidden on a visible row.
    EXPECT_TRUE(doc.isCellHidden({t, 4, 1}));
  }
  // Hidden rows come back when the levels are widened.
  word::WordDocument doc = build();
  ASSERT_TRUE(applyPrintLevels(doc, columns, "0", "0", {}, m_messages));
  ASSERT_TRUE(applyPrintLevels(doc, columns, "", "", {}, m_messages));
  EXPECT_FALSE(doc.isRowHidden(layout.firstLineTable, 5));
  QuoteDoc noCode;
  noCode.codes = {"LIBART", "QTE", "MTNET"};
  word::WordDocument without = noCode.build();
  m_messages.clear();
  EXPECT_FALSE(applyPrintLevels(without, {}, "1", "1", {}, m_messages));
  EXPECT_EQ(m_messages.texts(),
            QStringList{"L'abscence de signet CODART empêche le travail de masquage des niveaux"});
}

TEST_F(LayoutCommandsTest, MaskSwitchesTheTableKeepingLabourCodesHidden) {
  word::WordDocument doc = build();
  const int t = layout.firstLineTable;
  for (bool hidden : {true, false}) {
    ASSERT_TRUE(switchTableHidden(doc, columns, {t, 2}, m_messages));
    EXPECT_EQ(doc.isTableHidden(t), hidden);
  }
  EXPECT_FALSE(doc.isCellHidden({t, 1, 1}));
  EXPECT_TRUE(doc.isCellHidden({t, 4, 1}));
  // A sub-total under a hidden table is printed all the same.
  ASSERT_TRUE(switchTableHidden(doc, columns, {t, 2}, m_messages));
  Cursor cursor{t, 5};
  ASSERT_TRUE(insertSubTotal(doc, columns, cursor, m_messages, std::nullopt, ','));
  EXPECT_FALSE(doc.isRowHidden(t + 1, 1));
  EXPECT_TRUE(doc.isTableHidden(t));
  m_messages.clear();
  EXPECT_FALSE(switchTableHidden(doc, columns, {}, m_messages));
  EXPECT_EQ(m_messages.texts(), QStringList{"Placez vous d'abord dans un tableau"});
}

}  // namespace
}  // namespace tarovent::composition
