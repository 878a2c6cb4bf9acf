#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "FamilyFixture.h"
#include "QuoteDocs.h"
#include "articles/ArticleFiles.h"
#include "composition/LinePricing.h"
#include "composition/Recalculation.h"
#include "composition/TableLocator.h"
#include "core/Catalogue.h"
#include "core/ProcessState.h"
#include "install/Installer.h"
#include "platform/db/Database.h"
#include "platform/word/LibreOffice.h"

namespace tarovent::composition {
namespace {

using fixtures::QuoteDoc;

class RecalculationTest : public fixtures::FamilyTest {
 protected:
  void SetUp() override {
    FamilyTest::SetUp();
    if (HasFatalFailure()) return;
    m_state->params.txTvaDef = 20;
    m_files = std::make_unique<articles::ArticleFiles>(*m_state);
  }

  RecalcResult run(word::WordDocument& doc, RecalcOptions o = {}) {
    return Recalcul_Document(*m_state, *m_files, doc, o);
  }

  static QString totals(const QStringList& names) {
    QString xml;
    int id = 900;
    for (const QString& n : names) xml += fixtures::marked(n, "0", id++);
    return xml;
  }

  std::unique_ptr<articles::ArticleFiles> m_files;
};

TEST_F(RecalculationTest, LinesAndTotals) {
  QuoteDoc q;
  q.codes = {"CODART", "LIBART", "QTE", "PUBRUT", "PCREM", "PUNET", "MTBRUT", "MTNET", "MTREM"};
  q.lines = {{"X1", "Vis", "3", "9,99", "10", "", "", "", ""},
             {"X2", "Plaque", "2", "100.00", "", "", "", "", ""},
             {"", "Un texte libre", "", "", "", "", "", "", ""}};
  q.totals = totals({"SMTBRUT", "SMTREM", "SMTNET", "STXTVA", "SMTTVA", "STTC", "DEVISE"});
  word::WordDocument doc = q.build();
  RecalcOptions o;
  o.fromQuote = true;
  o.vatField = "20";
  const RecalcResult r = run(doc, o);
  ASSERT_TRUE(r.completed) << m_messages.texts().join('|').toStdString();
  QStringList shown;
  for (const char* b : {"SMTBRUT", "SMTREM", "SMTNET", "SMTTVA", "STTC"})
    shown << r.bookmarks.value(b);
  EXPECT_EQ(shown.join('|'), "229,97|3,00|226,97|45,39|272,36");
  // Without a conversion coefficient the converted total is left as it was.
  EXPECT_FALSE(r.bookmarks.contains("DEVISE"));
  EXPECT_EQ(doc.bookmarkText("DEVISE"), "0");
  EXPECT_EQ(doc.cellText({doc.tableCount(), 1, 8}), "26,97");
  EXPECT_TRUE(m_messages.texts().isEmpty());
  // The lines as read stay in the workstation's work table, replacing the last run's.
  run(doc, o);
  db::Recordset kept = m_state->localDb.OpenRecordset(
      "select TMP_Codart, TMP_Qte, TMP_PUBRUT from TMP_TABLEAU order by TMP_NUM");
  QStringList rows;
  for (; !kept.EOF_(); kept.MoveNext())
    rows << kept.text("TMP_Codart") + " " + QString::number(kept.number("TMP_Qte")) + " " +
                QString::number(kept.number("TMP_PUBRUT"));
  EXPECT_EQ(rows, (QStringList{"X1 3 9.99", "X2 2 100", " 0 0"}));
}

// A workstation base whose work table is not ours keeps its rows; the user is told, and the
// quote is computed all the same.
TEST_F(RecalculationTest, AWorkTableLackingAFieldKeepsItsRowsAndWarns) {
  db::Database& local = m_state->localDb;
  local.Execute("DROP TABLE TMP_TABLEAU");
  local.Execute("CREATE TABLE TMP_TABLEAU (TMP_NUM LONG, TMP_Codart TEXT(30))");
  local.Execute("INSERT INTO TMP_TABLEAU VALUES (7, 'OLD')");
  QuoteDoc q;
  q.codes = {"CODART", "QTE", "PUBRUT", "MTNET"};
  q.lines = {{"X1", "2", "10", ""}};
  q.totals = totals({"SMTNET"});
  word::WordDocument doc = q.build();
  RecalcOptions o;
  o.fromQuote = true;
  const RecalcResult r = run(doc, o);
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(r.bookmarks.value("SMTNET"), "20,00");
  ASSERT_EQ(m_messages.texts().size(), 1);
  EXPECT_TRUE(m_messages.texts().first().startsWith("Les lignes du devis n'ont pas pu"));
  db::Recordset kept = local.OpenRecordset("select TMP_Codart from TMP_TABLEAU");
  ASSERT_FALSE(kept.EOF_());
  EXPECT_EQ(kept.text("TMP_Codart"), "OLD");
  kept.MoveNext();
  EXPECT_TRUE(kept.EOF_());
}

TEST_F(RecalculationTest, TwoVatRatesAndTemplateDefaultRate) {
  QuoteDoc q;
  q.codes = {"CODART", "QTE", "PUBRUT", "MTNET", "TXTVA"};
  q.lines = {{"A", "1", "100", "", "20"}, {"B", "2", "50", "", "5,5"}, {"C", "1", "10", "", "20"}};
  q.totals = totals({"SMTNET", "STXTVA1", "SMTTVA1", "STXTVA2", "SMTTVA2", "SMTTVA"});
  word::WordDocument doc = q.build();
  RecalcOptions o;
  o.fromQuote = true;
  const RecalcResult r = run(doc, o);
  QStringList shown;
  for (const char* b : {"STXTVA1", "SMTTVA1", "STXTVA2", "SMTTVA2", "SMTTVA"})
    shown << r.bookmarks.value(b);
  EXPECT_EQ(shown.join('|'), "20,00|22,00|5,50|5,50|27,50");

  // A template has no VAT field: the default rate applies, once the user agrees to recalculate.
  QuoteDoc plain;
  plain.codes = {"CODART", "QTE", "PUBRUT", "MTNET"};
  plain.lines = {{"A", "1", "100", ""}};
  plain.totals = totals({"SMTNET", "SMTTVA"});
  word::WordDocument tpl = plain.build();
  m_messages.script({ui::Answer::Yes});
  const RecalcResult t = run(tpl);
  EXPECT_EQ(t.bookmarks.value("SMTTVA"), "20,00");
  m_messages.script({ui::Answer::No});
  EXPECT_FALSE(run(tpl).completed);
}

TEST_F(RecalculationTest, MissingSectionWarnsOncePerLine) {
  m_state->base(core::entry::Planning)
      .db.Execute("INSERT INTO TSEC VALUES ('SOUD', 'Soudure', 40, 60)");
  QuoteDoc q;
  q.codes = {"CODART", "QTE", "PUBRUT", "MTNET"};
  q.lines = {{"MO*SOUD", "2", "60", ""}, {"MO*XX", "1", "50", ""}, {"MO*XX", "3", "50", ""}};
  q.totals = totals({"SMTNET", "SPDRMO"});
  word::WordDocument doc = q.build();
  RecalcOptions o;
  o.fromQuote = true;
  const RecalcResult r = run(doc, o);
  EXPECT_EQ(m_messages.texts(), QStringList({"Attention la section XX n'existe plus ! ",
                                             "Attention la section XX n'existe plus ! "}));
  EXPECT_DOUBLE_EQ(r.costLabour, 80);
  EXPECT_DOUBLE_EQ(r.hours, 6);
  EXPECT_EQ(r.bookmarks.value("SMTNET"), "320,00");
}

TEST_F(RecalculationTest, ForcedAmountAndCoefficients) {
  m_state->base(core::entry::Stock)
      .db.Execute(
          "INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_UNST_LIB, TARTI_PMP) VALUES ('B', "
          "'A', 'M', 50)");
  QuoteDoc q;
  q.codes = {"CODART", "QTE", "UNITE", "PUBRUT", "MTNET"};
  q.lines = {{"A", "1", "UN", "600", ""}, {"B", "4", "M", "100", ""}, {"MO*Z", "1", "H", "50", ""}};
  q.totals = totals({"SMTNET"});
  word::WordDocument doc = q.build();
  RecalcOptions o;
  o.fromQuote = true;
  o.adjustment.mode = 3;
  o.adjustment.forcedAmount = 1260;  // counted total 1 050 raised by 20 %
  RecalcResult r = run(doc, o);
  EXPECT_EQ(r.bookmarks.value("SMTNET"), "1 260,00");
  const int t = doc.tableCount();
  EXPECT_EQ(doc.cellText({t, 1, 4}), "720,00");
  EXPECT_EQ(doc.cellText({t, 2, 4}), "120,00");

  // 10 % on materials only: the labour line keeps its price.
  o.adjustment = {};
  o.adjustment.mode = 1;
  o.adjustment.materials = 10;
  m_messages.script({ui::Answer::No});
  r = run(doc, o);
  EXPECT_EQ(doc.cellText({t, 2, 4}), "132,00");
  EXPECT_EQ(doc.cellText({t, 3, 4}), "60,00");
  EXPECT_EQ(doc.cellText({t, 1, 4}), "720,00");  // not an article: special supplies, 0 %
}

TEST_F(RecalculationTest, AnArticleMetAgainCostsTheSameAndAChangeIsSeenByTheNextRun) {
  db::Database& stock = m_state->base(core::entry::Stock).db;
  stock.Execute(
      "INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_UNST_LIB, TARTI_PMP, TARTI_COEFFRG) "
      "VALUES ('VIS', 'A', 'U', 2, 50)");
  stock.Execute(
      "INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_UNST_LIB, TARTI_PMP) VALUES ('ECROU', "
      "'A', 'U', 1)");
  // Two kits sharing their screws: the second roll-up of a run reads what the first read.
  for (const char* kit : {"KIT", "KIT2"}) {
    stock.Execute(QStringLiteral("INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_UNST_LIB) "
                                 "VALUES ('%1', 'F', 'U')")
                      .arg(kit));
    stock.Execute(QStringLiteral("INSERT INTO TLIEN (TLIEN_PERE, TLIEN_VARPERE, TLIEN_FILS, "
                                 "TLIEN_VARFILS, TLIEN_QTEUNI) VALUES ('%1', '00', 'VIS', '00', 2)")
                      .arg(kit));
  }
  QuoteDoc q;
  q.codes = {"CODART", "QTE", "PUBRUT", "MTNET", "PDR", "MTPDR"};
  q.lines = {{"VIS", "2", "10", "", "", ""},    {"ECROU", "1", "10", "", "", ""},
             {"ABSENT", "1", "7", "", "9", ""}, {"VIS", "3", "10", "", "", ""},
             {"ABSENT", "2", "7", "", "", ""},  {"KIT", "1", "20", "", "", ""},
             {"KIT2", "1", "20", "", "", ""}};
  q.totals = totals({"SPDRMAT"});
  word::WordDocument doc = q.build();
  RecalcOptions o;
  o.fromQuote = true;
  RecalcResult r = run(doc, o);
  ASSERT_TRUE(r.completed);
  const int t = doc.tableCount();
  // Cost per line; an article the stock does not hold keeps the cost written on its own line.
  const auto costs = [&] {
    QStringList c;
    for (int row = 1; row <= 7; ++row) c << doc.cellText({t, row, 5});
    return c.join(' ');
  };
  EXPECT_EQ(costs(), "3,00 1,00 9,00 3,00 0,00 6,00 6,00");
  EXPECT_EQ(doc.cellText({t, 4, 6}), "9,00");
  EXPECT_EQ(r.bookmarks.value("SPDRMAT"), "37,00");

  stock.Execute("UPDATE TARTI SET TARTI_PMP = 4 WHERE TARTI_CODART = 'VIS'");
  stock.Execute(
      "INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_UNST_LIB, TARTI_PMP) VALUES ('ABSENT', "
      "'A', 'U', 5)");
  r = run(doc, o);
  EXPECT_EQ(costs(), "6,00 1,00 5,00 6,00 5,00 12,00 12,00");
  EXPECT_EQ(r.bookmarks.value("SPDRMAT"), "70,00");
}

TEST_F(RecalculationTest, ComponentsAddNothingTheirParentLineCarries) {
  m_state->base(core::entry::Planning)
      .db.Execute("INSERT INTO TSEC VALUES ('SOUD', 'Soudure', 40, 60)");
  m_state->base(core::entry::Planning)
      .db.Execute("INSERT INTO TSEC VALUES ('MONT', 'Montage', 35, 55)");
  QuoteDoc q;
  q.codes = {"CODART", "QTE", "PUBRUT", "PDR", "MTNET", "MTPDR", "POIDS", "POIDSTOT"};
  q.lines = {{"KIT", "2", "500", "300", "", "", "10", ""},
             {"   TUBE", "4", "50", "30", "", "", "2", ""},
             {"   MO*SOUD", "3", "60", "", "", "", "", ""},
             {"VIS", "10", "1,25", "0,80", "", "", "", ""},
             {"MO*MONT", "2", "55", "", "", "", "", ""}};
  q.totals = totals({"SMTNET", "SPDRMAT", "SPDRMO", "SPDRTOT", "SMARGE", "SPCMARGE", "SPOIDS"});
  word::WordDocument doc = q.build();
  RecalcOptions o;
  o.fromQuote = true;
  RecalcResult r = run(doc, o);
  ASSERT_TRUE(r.completed);
  QStringList shown;
  for (const char* b : {"SMTNET", "SPDRMAT", "SPDRMO", "SPDRTOT", "SMARGE", "SPCMARGE", "SPOIDS"})
    shown << r.bookmarks.value(b);
  EXPECT_EQ(shown.join('|'), "1 122,50|608,00|70,00|678,00|444,50|65,56|20,000");
  EXPECT_DOUBLE_EQ(r.hours, 2);
  const int t = doc.tableCount();
  EXPECT_EQ(doc.cellText({t, 2, 5}), " ");  // a component shows no amount of its own
  EXPECT_EQ(doc.cellText({t, 2, 8}), "8,000");

  // Forcing takes exactly the lines the total counts, so it reaches the amount.
  o.adjustment.mode = 3;
  o.adjustment.forcedAmount = 15000;
  r = run(doc, o);
  EXPECT_EQ(r.bookmarks.value("SMTNET"), "15 000,00");
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
  EXPECT_EQ(doc.cellText({t, 2, 3}), "50,00");  // components keep their prices
}

TEST_F(RecalculationTest, OptionTablesAfterTheTotalsAreAdjustedOnlyWhenAskedAndNeverCounted) {
  QuoteDoc q;
  q.codes = {"CODART", "QTE", "PUBRUT", "MTNET"};
  q.lines = {{"X1", "1", "229,35", ""}};
  q.totals =
      totals({"SMTNET"}) + fixtures::para("Options") + fixtures::table({{"OPT", "1", "1000", ""}});
  word::WordDocument doc = q.build();
  const int options = doc.tableCount();
  RecalcOptions o;
  o.fromQuote = true;
  o.adjustment.mode = 1;
  m_messages.script({ui::Answer::Yes});
  RecalcResult r = run(doc, o);  // 0 %: nothing moves
  EXPECT_EQ(r.bookmarks.value("SMTNET"), "229,35");
  EXPECT_EQ(doc.cellText({options, 1, 4}), "1 000,00");

  o.adjustment.materials = o.adjustment.unitComponents = o.adjustment.labour =
      o.adjustment.specialSupplies = 10;
  m_messages.script({ui::Answer::Yes});
  r = run(doc, o);
  EXPECT_EQ(r.bookmarks.value("SMTNET"), "252,29");
  EXPECT_EQ(doc.cellText({options, 1, 3}), "1 100,00");
  m_messages.script({ui::Answer::No});
  r = run(doc, o);
  EXPECT_EQ(r.bookmarks.value("SMTNET"), "277,52");
  EXPECT_EQ(doc.cellText({options, 1, 3}), "1 100,00");
}

TEST_F(RecalculationTest, SecondRateCurrencyAndThreeDecimalPricesRoundAsShown) {
  m_state->params.coeffDev = 6.55957;
  m_state->params.libDev2 = "FRF";
  QuoteDoc q;
  q.codes = {"CODART", "QTE", "PUBRUT", "PCREM", "PUNET", "MTNET", "TXTVA"};
  q.lines = {{"A", "100", "9,99", "10", "", "", "20"},
             {"B", "1", "10,10", "", "", "", "5,5"},
             {"B", "1", "10,10", "", "", "", "5,5"},
             {"C", "1", "1,005", "", "", "", "20"}};
  q.totals =
      totals({"SMTNET", "STXTVA1", "SMTTVA1", "STXTVA2", "SMTTVA2", "SMTTVA", "STTC", "DEVISE"});
  word::WordDocument doc = q.build();
  RecalcOptions o;
  o.fromQuote = true;
  const RecalcResult r = run(doc, o);
  const int t = doc.tableCount();
  EXPECT_EQ(doc.cellText({t, 1, 5}), "8,99");
  EXPECT_EQ(doc.cellText({t, 1, 6}), "899,00");  // from the rounded net price
  // 1.005 is shown 1,01 and counts 1,01.
  EXPECT_EQ(doc.cellText({t, 4, 3}), "1,01");
  EXPECT_EQ(doc.cellText({t, 4, 6}), "1,01");
  // Per-rate VAT is 0,56 a line, not 5,5 % of 20,20; the second currency is of the TTC.
  QStringList shown;
  for (const char* b : {"SMTNET", "SMTTVA1", "SMTTVA2", "SMTTVA", "STTC", "DEVISE"})
    shown << r.bookmarks.value(b);
  EXPECT_EQ(shown.join('|'), "920,21|180,00|1,12|181,12|1 101,33|7 224,25 FRF");
}

TEST_F(RecalculationTest, RowsLackingCellsStopTheRunBeforeAnythingIsWritten) {
  QuoteDoc q;
  q.codes = {"CODART", "QTE", "PUBRUT", "MTNET"};
  q.lines = {{"A", "1", "10", ""}, {"B", "2"}};
  word::WordDocument doc = q.build();
  RecalcOptions o;
  o.fromQuote = true;
  EXPECT_FALSE(run(doc, o).completed);
  EXPECT_EQ(m_messages.texts(),
            QStringList{"Structure en tableaux incorrecte - Le recalcul ne peut aboutir"});
  EXPECT_EQ(doc.cellText({doc.tableCount(), 1, 4}), "");
  EXPECT_EQ(doc.bookmarkText("SMTNET"), "0,00");
}

TEST_F(RecalculationTest, RemainderGoesToTheFirstLineThatCanTakeIt) {
  QVector<WorkLine> lines;
  const double data[][2] = {{10, 3.33}, {1, 10.01}, {1, 20}};
  for (const auto& d : data) {
    WorkLine l;
    l.table = 1;
    l.quantity = d[0];
    l.grossPrice = d[1];
    l.type = "A";
    Calcul_Ligne(l);
    lines << l;
  }
  EXPECT_DOUBLE_EQ(lines[0].netAmount, 33.3);
  bool zero = false;
  Adjustment a;
  a.mode = 3;
  a.forcedAmount = 63.36;  // 63.31 counted: 5 cents to settle
  const double total = Ajuster_Prorata(lines, false, a, zero);
  EXPECT_FALSE(zero);
  EXPECT_NEAR(total, 63.36, 0.05);
  a.forcedAmount = 0;
  QVector<WorkLine> none(1);
  none[0].table = 1;
  a.mode = 3;
  Ajuster_Prorata(none, false, a, zero);
  EXPECT_TRUE(zero);

  // 29 pieces take 29 cents exactly: 0.29 x 100 is a hair below 29 as a double.
  QVector<WorkLine> one(1);
  one[0].quantity = 29;
  one[0].grossPrice = 1;
  Calcul_Ligne(one[0]);
  EXPECT_DOUBLE_EQ(Solder_Reste(one, 0.29), 0);
  EXPECT_DOUBLE_EQ(one[0].grossPrice, 1.01);
}

TEST_F(RecalculationTest, ForcedRemainderSettlesOnTheFirstLineThatCanTakeACent) {
  QuoteDoc q;
  q.codes = {"CODART", "QTE", "PUBRUT", "MTNET"};
  q.lines = {{"A", "10", "1,00", ""}, {"B", "1", "1,00", ""}, {"C", "1", "1,00", ""}};
  q.totals = totals({"SMTNET"});
  word::WordDocument doc = q.build();
  RecalcOptions o;
  o.fromQuote = true;
  o.adjustment.mode = 3;
  o.adjustment.forcedAmount = 12.05;  // 12.00 after the prorata: 5 cents left
  const RecalcResult r = run(doc, o);
  const int t = doc.tableCount();
  // 5 cents over 10 pieces is less than a cent a piece.
  EXPECT_EQ(doc.cellText({t, 1, 3}) + " " + doc.cellText({t, 2, 3}) + " " + doc.cellText({t, 3, 3}),
            "1,00 1,05 1,00");
  EXPECT_EQ(r.bookmarks.value("SMTNET"), "12,05");
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
}

TEST_F(RecalculationTest, AdjustmentWindowChoices) {
  auto a = Valider_Ajustement(0, {"10", "", "5", "2"}, "", m_messages);
  ASSERT_TRUE(a);
  EXPECT_DOUBLE_EQ(a->unitComponents, 0);
  EXPECT_DOUBLE_EQ(a->labour, 5);
  a = Valider_Ajustement(1, {"7,5"}, "", m_messages);
  EXPECT_DOUBLE_EQ(a->specialSupplies, 7.5);
  EXPECT_FALSE(Valider_Ajustement(3, {}, " ", m_messages));
  EXPECT_EQ(m_messages.texts().last(), "Vous n'avez pas saisi le montant à forcer");
  EXPECT_DOUBLE_EQ(Valider_Ajustement(3, {}, "1 200,50", m_messages)->forcedAmount, 1200.5);
  EXPECT_EQ(Valider_Ajustement(4, {}, "", m_messages)->mode, 4);
}

TEST_F(RecalculationTest, LineWrittenFromTheEntryPanelWithTheTypesDescriptions) {
  m_state->mainDb().Execute(
      "INSERT INTO TTYP (TTYP_CODE, TTYP_LIB, TTYP_DART1A, TTYP_DART2A, TTYP_DTRF1, TTYP_DTRF2, "
      "TTYP_MASKET1) VALUES ('MR', 'Menuiserie', True, False, True, True, True)");
  db::Recordset type = m_state->mainDb().OpenRecordset("select * from TTYP where TTYP_CODE='MR'");
  const DescriptionRules rules = descriptionRules(type);

  QuoteDoc q;
  q.codes = {"CODART", "LIBART", "QTE", "PUBRUT", "PCREM", "PUNET", "MTNET"};
  q.lines = {
      {"", "", "", "", "", "", ""}, {"", "", "", "", "", "", ""}, {"", "", "", "", "", "", ""}};
  word::WordDocument doc = q.build();
  const auto layout = *Reperer_Tableaux(doc, LocatePurpose::Recalculation).layout;
  const int t = layout.firstLineTable;
  const LineWriter writer(ColumnMap::read(doc, layout.headerTable), LineOptions{});
  EntryLine e;
  e.code = "VIS";
  e.type = "A";
  e.designation = "Vis M8";
  e.description1 = "Tête hexagonale";
  e.description2 = "Stock";
  e.quantity = 3;
  e.unitPrice = 9.99;
  Ecrire_Ligne(doc, t, 1, writer, e, 10, rules);
  EXPECT_EQ(doc.cellText({t, 1, 6}), "8,99");
  EXPECT_EQ(doc.cellText({t, 1, 7}), "26,97");
  EXPECT_EQ(doc.cellText({t, 1, 2}), "Vis M8\rTête hexagonale");  // text 2 not for type A
  EXPECT_TRUE(doc.showHiddenText());  // text 1 is hidden in the table for this type
  e.type = "N";
  Ecrire_Ligne(doc, t, 2, writer, e, 0, rules);
  EXPECT_EQ(doc.cellText({t, 2, 2}), "Vis M8\rTête hexagonale\rStock");
  e.type = "O";  // an option has no description options
  Ecrire_Ligne(doc, t, 3, writer, e, 0, rules);
  EXPECT_EQ(doc.cellText({t, 3, 2}), "Vis M8");
}

TEST_F(RecalculationTest, MajorationOfTheNetTotal) {
  QuoteDoc q;
  q.codes = {"CODART", "QTE", "PUBRUT", "MTNET"};
  q.lines = {{"A", "1", "1000", ""}};
  q.totals = totals({"SMTNET", "SMTTVA", "STTC"});
  word::WordDocument incomplete = q.build();
  EXPECT_FALSE(Majoration_Total(incomplete, m_messages, "10", ','));
  EXPECT_EQ(m_messages.texts().last(),
            "Modèle incomplet pour cette fonctionnalité (Signets manquants) ...");

  q.totals = totals({"SMTNET", "SMTTVA", "STTC", "PCPLUS", "MTPLUS", "SMTNETPLUS"});
  word::WordDocument doc = q.build();
  doc.setBookmarkText("SMTNET", "1 000,00");
  EXPECT_FALSE(Majoration_Total(doc, m_messages, "", ','));  // no answer, no change
  EXPECT_EQ(doc.bookmarkText("PCPLUS"), "0");
  ASSERT_TRUE(Majoration_Total(doc, m_messages, "10", ','));
  QStringList shown;  // VAT always 20 % here
  for (const char* b : {"PCPLUS", "MTPLUS", "SMTNETPLUS", "SMTTVA", "STTC"})
    shown << doc.bookmarkText(b);
  EXPECT_EQ(shown.join('|'), "10|100,00|1 100,00|220,00|1 320,00");
}

TEST_F(RecalculationTest, DesignationsFollowTheArticleFile) {
  m_state->base(core::entry::Stock)
      .db.Execute(
          "INSERT INTO TARTI (TARTI_CODART, TARTI_LIBART, TARTI_libart2, TARTI_Type, TARTI_DESCR, "
          "TARTI_INFOS) VALUES ('VIS', 'Vis M8', 'Vis inox M8', 'A', 'Tête hexagonale', 'Stock')");
  QuoteDoc q;
  q.codes = {"CODART", "LIBART", "QTE", "MTNET"};
  q.lines = {{"VIS", "ancienne", "2", "10,00"},
             {"MO*SOUD", "Soudure", "1", "5,00"},
             {"INCONNU", "garde", "1", "1,00"}};
  word::WordDocument doc = q.build();
  DescriptionRules rules;
  rules["A"] = {true, true, false, true};
  EXPECT_EQ(Maj_Designations(*m_state, *m_files, doc, rules), 1);
  const int t = doc.tableCount();
  const QString cell = doc.cellText({t, 1, 2});
  EXPECT_TRUE(cell.startsWith("Vis inox M8")) << cell.toStdString();
  EXPECT_TRUE(cell.contains("Tête hexagonale"));
  EXPECT_EQ(doc.cellText({t, 2, 2}), "Soudure");
  EXPECT_EQ(doc.cellText({t, 3, 2}), "garde");
  EXPECT_EQ(doc.cellText({t, 1, 4}), "10,00");  // amounts untouched
}

TEST_F(RecalculationTest, DocumentWrittenByLibreOffice) {
  QuoteDoc q;
  q.codes = {"CODART", "LIBART", "QTE", "PUBRUT", "PCREM", "MTNET"};
  q.lines = {{"X1", "Vis", "3", "9,99", "10", ""}, {"X2", "Plaque", "2", "100,00", "", ""}};
  q.totals = totals({"SMTBRUT", "SMTREM", "SMTNET"});
  const QString ours = m_dir.filePath("quote.docx");
  q.build().saveAs(ours);
  QDir(m_dir.path()).mkpath("lo");
  QDir(m_dir.path()).mkpath("pdf");
  fixtures::LibreOffice lo;
  const QString written =
      lo.convert({ours}, "docx:MS Word 2007 XML", m_dir.filePath("lo")).value(0);
  ASSERT_FALSE(written.isEmpty()) << "LibreOffice could not rewrite the quote";

  word::WordDocument doc = word::WordDocument::open(written);
  RecalcOptions o;
  o.fromQuote = true;
  o.vatField = "20";
  const RecalcResult r = run(doc, o);
  ASSERT_TRUE(r.completed) << m_messages.texts().join('|').toStdString();
  EXPECT_EQ(r.bookmarks.value("SMTBRUT"), "229,97");
  EXPECT_EQ(r.bookmarks.value("SMTNET"), "226,97");
  const int t = doc.tableCount();
  EXPECT_EQ(doc.cellText({t, 1, 6}), "26,97");
  doc.save();

  const QString pdf = lo.convert({written}, "pdf", m_dir.filePath("pdf")).value(0);
  ASSERT_FALSE(pdf.isEmpty()) << "LibreOffice could not open the recalculated quote";
  const QString text = fixtures::LibreOffice::pdfText(pdf);
  EXPECT_TRUE(text.contains("226,97")) << text.toStdString();
  EXPECT_TRUE(text.contains("200,00"));
}

}  // namespace
}  // namespace tarovent::composition
