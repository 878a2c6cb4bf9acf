#include <QLineEdit>
#include <QTableWidget>

#include "../composition/FamilyFixture.h"
#include "platform/db/RowReader.h"
#include "reports/FLSTAFF.h"
#include "reports/OrderCostStatistics.h"
#include "ui/UiTestSupport.h"

namespace tarovent::reports {
namespace {

TEST(OrderCostRules, ConditionAndAmounts) {
  OrderPeriod p{QDate(2026, 1, 1), QDate(2026, 3, 31), {}};
  EXPECT_EQ(orderCondition(p),
            "TAFF_DatMaj>=#01/01/2026# and TAFF_DatMaj<=#03/31/2026# and TAFF_Etat ='F'");
  p.workType = "T'1";
  EXPECT_EQ(orderCondition(p),
            "TAFF_DatMaj>=#01/01/2026# and TAFF_DatMaj<=#03/31/2026# and TAFF_TYPTRAV = 'T''1' "
            "and TAFF_Etat ='F'");
  EXPECT_EQ(formatAmount(1234.5, ','), "1 234,50");
  EXPECT_EQ(formatAmount(-0.004, '.'), "0.00");
}

// Finished orders AF1 (2 units, type T1) and AF2 (no quantity, type T2) changed in the first
// quarter of 2026; AF3 not finished, AF4 changed in April. Their hours, purchases, stock
// movements and invoices in the sibling databases.
class OrderCostStatisticsTest : public fixtures::FamilyTest {
 protected:
  void SetUp() override {
    FamilyTest::SetUp();
    run(core::entry::Commercial,
        {"INSERT INTO TAFF (TAFF_NUMAFF, TAFF_NomClient, TAFF_DATCREA, TAFF_DatMaj, TAFF_QTE, "
         "TAFF_TYPTRAV, TAFF_Etat) VALUES ('AF1', 'Aubry', #01/10/2026#, #02/15/2026#, 2, 'T1', "
         "'F')",
         "INSERT INTO TAFF (TAFF_NUMAFF, TAFF_NomClient, TAFF_DATCREA, TAFF_DatMaj, TAFF_QTE, "
         "TAFF_TYPTRAV, TAFF_Etat) VALUES ('AF2', 'Berthier', #01/12/2026#, #03/20/2026#, Null, "
         "'T2', 'F')",
         "INSERT INTO TAFF (TAFF_NUMAFF, TAFF_NomClient, TAFF_DatMaj, TAFF_Etat) "
         "VALUES ('AF3', 'Carré', #02/01/2026#, 'E')",
         "INSERT INTO TAFF (TAFF_NUMAFF, TAFF_NomClient, TAFF_DatMaj, TAFF_Etat) "
         "VALUES ('AF4', 'Dumas', #04/01/2026#, 'F')",
         "INSERT INTO TFAC VALUES ('FA1', 'AF1', #02/20/2026#, 500)",
         "INSERT INTO TFAC VALUES ('PF-1', 'AF1', #01/11/2026#, 900)",
         "INSERT INTO TFAC VALUES ('PF-2', 'AF2', #01/13/2026#, 300)",
         "INSERT INTO TFAC VALUES ('FA3', 'AF3', #02/20/2026#, 700)"});
    run(core::entry::Planning,
        {"INSERT INTO TSEC (TSEC_CODSEC, TSEC_Libsec, TSEC_CoutHRevient) VALUES ('SOUD', "
         "'Soudure', 40)",
         "INSERT INTO TSEC (TSEC_CODSEC, TSEC_Libsec, TSEC_CoutHRevient) VALUES ('PEINT', "
         "'Peinture', 30)",
         "INSERT INTO THEU (THEU_NumAff, THEU_CodSec, THEU_NbrHRea) VALUES ('AF1', 'SOUD', 3)",
         "INSERT INTO THEU (THEU_NumAff, THEU_CodSec, THEU_NbrHRea) VALUES ('AF1', 'PEINT', 2)",
         "INSERT INTO THEU (THEU_NumAff, THEU_CodSec, THEU_NbrHRea) VALUES ('AF1', '*', 5)",
         "INSERT INTO THEU (THEU_NumAff, THEU_CodSec, THEU_NbrHRea) VALUES ('af2', 'SOUD', 1)"});
    run(core::entry::Purchasing,
        {"INSERT INTO TCMD (TCMD_NumCmde, TCMD_NumAff) VALUES ('CF1', 'AF1')",
         "INSERT INTO TCMD_DETAIL VALUES ('CF1', 1, 'R1', 2, 50, 10)",
         "INSERT INTO TCMD_DETAIL VALUES ('CF1', 2, '*', 1, 40, 0)"});
    run(core::entry::Stock,
        {"INSERT INTO TMVTS (TMVTS_CODMVT, TMVTS_QTE, TMVTS_PU, TMVTS_IMP1) VALUES ('S', 4, 5, "
         "'AF1')",
         "INSERT INTO TMVTS (TMVTS_CODMVT, TMVTS_QTE, TMVTS_PU, TMVTS_IMP1) VALUES ('E', 10, 5, "
         "'AF1')",
         "INSERT INTO TMVTS (TMVTS_CODMVT, TMVTS_QTE, TMVTS_PU, TMVTS_IMP1) VALUES ('S', 2, 7.5, "
         "'AF2')"});
  }
  // Some sibling databases are only opened when a window needs their tables.
  void run(int base, const QStringList& statements) {
    db::Workspace ws;
    const QString path = base == core::entry::Purchasing
                             ? core::Catalogue(*m_state).lookUp(base).path()
                             : m_state->base(base).path();
    db::Database db = ws.OpenDatabase(path);
    for (const QString& sql : statements) db.Execute(sql);
  }
  QStringList shown(OrderCostStatistics& s) {
    QStringList lines;
    for (const QStringList& row : orderCostCells(s, '.')) lines << row.join('|');
    lines << orderCostAverageCells(s, '.').join('|');
    return lines;
  }
  inline static const OrderPeriod kQuarter{QDate(2026, 1, 1), QDate(2026, 3, 31), {}};
};

TEST_F(OrderCostStatisticsTest, PerUnitCostsMarginsAndAverages) {
  OrderCostStatistics s(*m_state);
  ASSERT_EQ(s.compute(kQuarter), OrderCostStatistics::Outcome::Filled);
  // AF2 has no quantity: one unit. Its only invoice is a pro-forma: no margin, yet it counts
  // in every average.
  EXPECT_EQ(shown(s), (QStringList{"AF1|Aubry|10/01/2026|2|90.00|45.00|10.00|250.00|105.00",
                                   "AF2|Berthier|12/01/2026||40.00|0.00|15.00|0.00|",
                                   "65.00|12.50|22.50|125.00|25.00"}));
  EXPECT_TRUE(m_messages.texts().isEmpty());
  // The work table holds the same, margin Null where none.
  QStringList table;
  m_state->localDb.forEachRow("select * from TMP_STATAFF", [&table](const db::RowReader& r) {
    table << r.text("NumAff") + '|' + QString::number(r.number("PDRMDO")) + '|' +
                 (r.isNull("Marge") ? QString("-") : QString::number(r.number("Marge")));
  });
  EXPECT_EQ(table, (QStringList{"AF1|90|105", "AF2|40|-"}));
}

TEST_F(OrderCostStatisticsTest, WorkTypeAndMissingDatabases) {
  OrderCostStatistics s(*m_state);
  OrderPeriod p = kQuarter;
  p.workType = "T1";
  ASSERT_EQ(s.compute(p), OrderCostStatistics::Outcome::Filled);
  EXPECT_EQ(shown(s).value(0).section('|', 0, 0), "AF1");
  EXPECT_EQ(shown(s).size(), 2);
  // Without the purchasing database in the catalogue the supplier costs are 0, silently.
  {
    db::Workspace ws;
    ws.OpenDatabase(m_layout.root + "DBPATH.MDB").Execute("DELETE FROM TPATH WHERE TPATH_NUM = 6");
  }
  ASSERT_EQ(s.compute(kQuarter), OrderCostStatistics::Outcome::Filled);
  EXPECT_EQ(shown(s), (QStringList{"AF1|Aubry|10/01/2026|2|90.00|0.00|10.00|250.00|150.00",
                                   "AF2|Berthier|12/01/2026||40.00|0.00|15.00|0.00|",
                                   "65.00|12.50|0.00|125.00|47.50"}));
  EXPECT_TRUE(m_messages.texts().isEmpty());
  // Nothing invoiced at all: no average margin.
  m_state->base(core::entry::Commercial).db.Execute("DELETE FROM TFAC");
  ASSERT_EQ(s.compute(kQuarter), OrderCostStatistics::Outcome::Filled);
  EXPECT_EQ(shown(s).last(), "65.00|12.50|0.00|0.00|");
}

TEST_F(OrderCostStatisticsTest, NoOrderClosesTheWindowWithItsMessage) {
  const OrderPeriod empty{QDate(2020, 1, 1), QDate(2020, 12, 31), {}};
  EXPECT_EQ(FLSTAFF::create(*m_state, empty), nullptr);
  EXPECT_EQ(m_messages.texts(), QStringList{"Aucune affaire trouvée pour la sélection."});
  // Without the commercial database no order can be found either.
  m_messages.clear();
  m_state->base(core::entry::Commercial).folder.clear();
  OrderCostStatistics s(*m_state);
  EXPECT_EQ(s.compute(kQuarter), OrderCostStatistics::Outcome::NoOrder);
  EXPECT_EQ(m_messages.texts(), QStringList{"Aucune affaire trouvée pour la sélection."});
}

TEST_F(OrderCostStatisticsTest, WindowListsTheOrdersAndTheAverages) {
  std::unique_ptr<FLSTAFF> w(FLSTAFF::create(*m_state, kQuarter));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(tarovent::test::keyboardFaults(w.get()), QStringList());
  EXPECT_EQ(w->list()->rowCount(), 2);
  EXPECT_EQ(w->list()->item(1, 0)->text(), "AF2");
  EXPECT_EQ(w->list()->item(1, 8)->text(), "");
  EXPECT_EQ(w->averagesShown().size(), 5);
  EXPECT_FALSE(w->averagesShown().last().isEmpty());
}

}  // namespace
}  // namespace tarovent::reports
