#include <gtest/gtest.h>

#include "FamilyFixture.h"
#include "QuoteDocs.h"
#include "articles/ArticleFiles.h"
#include "composition/LinePricing.h"
#include "composition/Recalculation.h"
#include "composition/TableLocator.h"
#include "composition/Totals.h"
#include "core/ProcessState.h"
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

  // A quote of the given columns and lines whose totals carry the bookmarks `sums`.
  static word::WordDocument quote(const QStringList& codes, const QList<QStringList>& lines,
                                  const QStringList& sums = {"SMTNET"}, const QString& after = {}) {
    QuoteDoc q;
    q.codes = codes;
    q.lines = lines;
    q.totals.clear();
    int id = 900;
    for (const QString& n : sums) q.totals += fixtures::marked(n, "0", id++);
    q.totals += after;
    return q.build();
  }
  static RecalcOptions fromQuote() {
    RecalcOptions o;
    o.fromQuote = true;
    return o;
  }
  RecalcResult run(word::WordDocument& doc, RecalcOptions o = fromQuote()) {
    return Recalcul_Document(*m_state, *m_files, doc, o);
  }
  static QString values(const RecalcResult& r, const QStringList& names) {
    QStringList shown;
    for (const QString& n : names) shown << r.bookmarks.value(n);
    return shown.join('|');
  }
  // The cells of one column of the last table, top to bottom.
  static QString column(const word::WordDocument& doc, int col) {
    QStringList cells;
    const int t = doc.tableCount();
    for (int row = 1; row <= doc.rowCount(t); ++row) cells << doc.cellText({t, row, col});
    return cells.join(' ');
  }
  void stock(const QString& sql) { m_state->base(core::entry::Stock).db.Execute(sql); }
  QString messages() const { return m_messages.texts().join('|'); }

  std::unique_ptr<articles::ArticleFiles> m_files;
};

TEST_F(RecalculationTest, LinesAndTotals) {
  word::WordDocument doc =
      quote({"CODART", "LIBART", "QTE", "PUBRUT", "PCREM", "PUNET", "MTBRUT", "MTNET", "MTREM"},
            {{"X1", "Vis", "3", "9,99", "10", "", "", "", ""},
             {"X2", "Plaque", "2", "100.00", "", "", "", "", ""},
             {"", "Un texte libre", "", "", "", "", "", "", ""}},
            {"SMTBRUT", "SMTREM", "SMTNET", "STXTVA", "SMTTVA", "STTC", "DEVISE"});
  RecalcOptions o = fromQuote();
  o.vatField = "20";
  const RecalcResult r = run(doc, o);
  ASSERT_TRUE(r.completed) << messages().toStdString();
  EXPECT_EQ(values(r, {"SMTBRUT", "SMTREM", "SMTNET", "SMTTVA", "STTC"}),
            "229,97|3,00|226,97|45,39|272,36");
  // Without a conversion coefficient the converted total is left as it was.
  EXPECT_FALSE(r.bookmarks.contains("DEVISE"));
  EXPECT_EQ(doc.bookmarkText("DEVISE"), "0");
  EXPECT_EQ(column(doc, 8), "26,97 200,00 ");
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
  word::WordDocument doc = quote({"CODART", "QTE", "PUBRUT", "MTNET"}, {{"X1", "2", "10", ""}});
  const RecalcResult r = run(doc);
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(r.bookmarks.value("SMTNET"), "20,00");
  ASSERT_EQ(m_messages.texts().size(), 1);
  EXPECT_TRUE(m_messages.texts().first().startsWith("Les lignes du devis n'ont pas pu"));
  db::Recordset kept =
      local.OpenRecordset("select count(*) as n, max(TMP_Codart) as c from TMP_TABLEAU");
  EXPECT_EQ(kept.text("c") + QString::number(kept.number("n")), "OLD1");
}

TEST_F(RecalculationTest, TwoVatRatesAndTemplateDefaultRate) {
  word::WordDocument doc =
      quote({"CODART", "QTE", "PUBRUT", "MTNET", "TXTVA"},
            {{"A", "1", "100", "", "20"}, {"B", "2", "50", "", "5,5"}, {"C", "1", "10", "", "20"}},
            {"SMTNET", "STXTVA1", "SMTTVA1", "STXTVA2", "SMTTVA2", "SMTTVA"});
  EXPECT_EQ(values(run(doc), {"STXTVA1", "SMTTVA1", "STXTVA2", "SMTTVA2", "SMTTVA"}),
            "20,00|22,00|5,50|5,50|27,50");

  // A template has no VAT field: the default rate applies, once the user agrees to recalculate.
  word::WordDocument tpl =
      quote({"CODART", "QTE", "PUBRUT", "MTNET"}, {{"A", "1", "100", ""}}, {"SMTNET", "SMTTVA"});
  m_messages.script({ui::Answer::Yes});
  EXPECT_EQ(run(tpl, {}).bookmarks.value("SMTTVA"), "20,00");
  m_messages.script({ui::Answer::No});
  EXPECT_FALSE(run(tpl, {}).completed);
}

TEST_F(RecalculationTest, MissingSectionWarnsOncePerLine) {
  m_state->base(core::entry::Planning)
      .db.Execute("INSERT INTO TSEC VALUES ('SOUD', 'Soudure', 40, 60)");
  word::WordDocument doc =
      quote({"CODART", "QTE", "PUBRUT", "MTNET"},
            {{"MO*SOUD", "2", "60", ""}, {"MO*XX", "1", "50", ""}, {"MO*XX", "3", "50", ""}});
  const RecalcResult r = run(doc);
  EXPECT_EQ(m_messages.texts(), QStringList({"Attention la section XX n'existe plus ! ",
                                             "Attention la section XX n'existe plus ! "}));
  EXPECT_DOUBLE_EQ(r.costLabour, 80);
  EXPECT_DOUBLE_EQ(r.hours, 6);
  EXPECT_EQ(r.bookmarks.value("SMTNET"), "320,00");
}

// What a version is worth when its text is saved: the net total and hours the recalculation
// counts, read from the lines as they stand. Components add nothing; a discount rounds per line.
TEST_F(RecalculationTest, AQuoteIsWorthWhatItsRecalculationCounts) {
  word::WordDocument doc =
      quote({"CODART", "QTE", "PUBRUT", "PCREM", "MTNET"}, {{"A", "3", "10,005", "10", ""},
                                                            {"   C", "2", "5", "", ""},
                                                            {"MO*Z", "1,5", "40", "", ""},
                                                            {"", "", "", "", ""},
                                                            {"", "2", "0,5", "", ""}});
  const auto figures = quoteFigures(doc);
  ASSERT_TRUE(figures);
  EXPECT_DOUBLE_EQ(figures->netTotal, 88);  // 3 x 9,00 + 1,5 x 40 + 2 x 0,50
  EXPECT_DOUBLE_EQ(figures->hours, 1.5);
  const RecalcResult r = run(doc);
  ASSERT_TRUE(r.completed);
  EXPECT_DOUBLE_EQ(r.netTotal, figures->netTotal);
  EXPECT_DOUBLE_EQ(r.hours, figures->hours);
  word::WordDocument blank = quote({"QTE", "MTNET"}, {{"1", ""}});  // no code column
  EXPECT_FALSE(quoteFigures(blank));
}

TEST_F(RecalculationTest, ForcedAmountAndCoefficients) {
  stock(
      "INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_UNST_LIB, TARTI_PMP) VALUES ('B', "
      "'A', 'M', 50)");
  word::WordDocument doc = quote(
      {"CODART", "QTE", "UNITE", "PUBRUT", "MTNET"},
      {{"A", "1", "UN", "600", ""}, {"B", "4", "M", "100", ""}, {"MO*Z", "1", "H", "50", ""}});
  RecalcOptions o = fromQuote();
  o.adjustment.mode = 3;
  o.adjustment.forcedAmount = 1260;  // counted total 1 050 raised by 20 %
  EXPECT_EQ(run(doc, o).bookmarks.value("SMTNET"), "1 260,00");
  EXPECT_EQ(column(doc, 4), "720,00 120,00 60,00");

  // 10 % on materials only: the labour line keeps its price, A is a special supply (0 %).
  o.adjustment = {};
  o.adjustment.mode = 1;
  o.adjustment.materials = 10;
  m_messages.script({ui::Answer::No});
  run(doc, o);
  EXPECT_EQ(column(doc, 4), "720,00 132,00 60,00");
}

TEST_F(RecalculationTest, AnArticleMetAgainCostsTheSameAndAChangeIsSeenByTheNextRun) {
  stock(
      "INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_UNST_LIB, TARTI_PMP, TARTI_COEFFRG) "
      "VALUES ('VIS', 'A', 'U', 2, 50)");
  stock(
      "INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_UNST_LIB, TARTI_PMP) VALUES ('ECROU', "
      "'A', 'U', 1)");
  // Two kits sharing their screws: the second roll-up of a run reads what the first read.
  for (const char* kit : {"KIT", "KIT2"}) {
    stock(QStringLiteral("INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_UNST_LIB) "
                         "VALUES ('%1', 'F', 'U')")
              .arg(kit));
    stock(QStringLiteral("INSERT INTO TLIEN (TLIEN_PERE, TLIEN_VARPERE, TLIEN_FILS, "
                         "TLIEN_VARFILS, TLIEN_QTEUNI) VALUES ('%1', '00', 'VIS', '00', 2)")
              .arg(kit));
  }
  word::WordDocument doc = quote({"CODART", "QTE", "PUBRUT", "MTNET", "PDR", "MTPDR"},
                                 {{"VIS", "2", "10", "", "", ""},
                                  {"ECROU", "1", "10", "", "", ""},
                                  {"ABSENT", "1", "7", "", "9", ""},
                                  {"VIS", "3", "10", "", "", ""},
                                  {"ABSENT", "2", "7", "", "", ""},
                                  {"KIT", "1", "20", "", "", ""},
                                  {"KIT2", "1", "20", "", "", ""}},
                                 {"SPDRMAT"});
  RecalcResult r = run(doc);
  ASSERT_TRUE(r.completed);
  // An article the stock does not hold keeps the cost written on its own line.
  EXPECT_EQ(column(doc, 5), "3,00 1,00 9,00 3,00 0,00 6,00 6,00");
  EXPECT_EQ(doc.cellText({doc.tableCount(), 4, 6}), "9,00");
  EXPECT_EQ(r.bookmarks.value("SPDRMAT"), "37,00");

  stock("UPDATE TARTI SET TARTI_PMP = 4 WHERE TARTI_CODART = 'VIS'");
  stock(
      "INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_UNST_LIB, TARTI_PMP) VALUES ('ABSENT', "
      "'A', 'U', 5)");
  r = run(doc);
  EXPECT_EQ(column(doc, 5), "6,00 1,00 5,00 6,00 5,00 12,00 12,00");
  EXPECT_EQ(r.bookmarks.value("SPDRMAT"), "70,00");
}

// A component bought at 1,005 makes a kit cost 1,005 a piece (its cell shows 1,01): three
// kits cost 3,015, rounded once to 3,02, not 3 x 1,01.
TEST_F(RecalculationTest, ARolledUpCostIsRoundedOnlyInTheAmounts) {
  stock(
      "INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_UNST_LIB, TARTI_PMP) VALUES "
      "('RIVET', 'A', 'U', 1.005)");
  stock("INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_UNST_LIB) VALUES ('KIT', 'F', 'U')");
  stock(
      "INSERT INTO TLIEN (TLIEN_PERE, TLIEN_VARPERE, TLIEN_FILS, TLIEN_VARFILS, TLIEN_QTEUNI) "
      "VALUES ('KIT', '00', 'RIVET', '00', 1)");
  word::WordDocument doc = quote({"CODART", "QTE", "PUBRUT", "MTNET", "PDR", "MTPDR"},
                                 {{"KIT", "3", "20", "", "", ""}}, {"SPDRMAT"});
  const RecalcResult r = run(doc);
  EXPECT_EQ(column(doc, 5) + " " + column(doc, 6), "1,01 3,02");
  EXPECT_EQ(r.bookmarks.value("SPDRMAT"), "3,02");
}

TEST_F(RecalculationTest, ComponentsAddNothingTheirParentLineCarries) {
  db::Database& planning = m_state->base(core::entry::Planning).db;
  planning.Execute("INSERT INTO TSEC VALUES ('SOUD', 'Soudure', 40, 60)");
  planning.Execute("INSERT INTO TSEC VALUES ('MONT', 'Montage', 35, 55)");
  const QStringList sums = {"SMTNET", "SPDRMAT",  "SPDRMO", "SPDRTOT",
                            "SMARGE", "SPCMARGE", "SPOIDS"};
  word::WordDocument doc =
      quote({"CODART", "QTE", "PUBRUT", "PDR", "MTNET", "MTPDR", "POIDS", "POIDSTOT"},
            {{"KIT", "2", "500", "300", "", "", "10", ""},
             {"   TUBE", "4", "50", "30", "", "", "2", ""},
             {"   MO*SOUD", "3", "60", "", "", "", "", ""},
             {"VIS", "10", "1,25", "0,80", "", "", "", ""},
             {"MO*MONT", "2", "55", "", "", "", "", ""}},
            sums);
  RecalcResult r = run(doc);
  ASSERT_TRUE(r.completed);
  EXPECT_EQ(values(r, sums), "1 122,50|608,00|70,00|678,00|444,50|65,56|20,000");
  EXPECT_DOUBLE_EQ(r.hours, 2);
  const int t = doc.tableCount();
  EXPECT_EQ(doc.cellText({t, 2, 5}), " ");  // a component shows no amount of its own
  EXPECT_EQ(doc.cellText({t, 2, 8}), "8,000");

  // Forcing takes exactly the lines the total counts, so it reaches the amount.
  RecalcOptions o = fromQuote();
  o.adjustment.mode = 3;
  o.adjustment.forcedAmount = 15000;
  EXPECT_EQ(run(doc, o).bookmarks.value("SMTNET"), "15 000,00");
  EXPECT_TRUE(m_messages.texts().isEmpty()) << messages().toStdString();
  EXPECT_EQ(doc.cellText({t, 2, 3}), "50,00");  // components keep their prices
}

TEST_F(RecalculationTest, OptionTablesAfterTheTotalsAreAdjustedOnlyWhenAskedAndNeverCounted) {
  word::WordDocument doc =
      quote({"CODART", "QTE", "PUBRUT", "MTNET"}, {{"X1", "1", "229,35", ""}}, {"SMTNET"},
            fixtures::para("Options") + fixtures::table({{"OPT", "1", "1000", ""}}));
  const int options = doc.tableCount();
  RecalcOptions o = fromQuote();
  o.adjustment.mode = 1;
  m_messages.script({ui::Answer::Yes});
  EXPECT_EQ(run(doc, o).bookmarks.value("SMTNET"), "229,35");  // 0 %: nothing moves
  EXPECT_EQ(doc.cellText({options, 1, 4}), "1 000,00");

  o.adjustment.materials = o.adjustment.unitComponents = o.adjustment.labour =
      o.adjustment.specialSupplies = 10;
  for (const auto& [answer, net] :
       {std::pair{ui::Answer::Yes, "252,29"}, std::pair{ui::Answer::No, "277,52"}}) {
    m_messages.script({answer});
    EXPECT_EQ(run(doc, o).bookmarks.value("SMTNET"), net);
    EXPECT_EQ(doc.cellText({options, 1, 3}), "1 100,00");
  }
}

TEST_F(RecalculationTest, SecondRateCurrencyAndThreeDecimalPricesRoundAsShown) {
  m_state->params.coeffDev = 6.55957;
  m_state->params.libDev2 = "FRF";
  const QStringList sums = {"SMTNET", "SMTTVA1", "SMTTVA2", "SMTTVA", "STTC", "DEVISE"};
  word::WordDocument doc = quote({"CODART", "QTE", "PUBRUT", "PCREM", "PUNET", "MTNET", "TXTVA"},
                                 {{"A", "100", "9,99", "10", "", "", "20"},
                                  {"B", "1", "10,10", "", "", "", "5,5"},
                                  {"B", "1", "10,10", "", "", "", "5,5"},
                                  {"C", "1", "1,005", "", "", "", "20"}},
                                 sums + QStringList{"STXTVA1", "STXTVA2"});
  const RecalcResult r = run(doc);
  // The amount comes from the rounded net price; 1.005 is shown 1,01 and counts 1,01.
  EXPECT_EQ(column(doc, 5), "8,99 10,10 10,10 1,01");
  EXPECT_EQ(column(doc, 6), "899,00 10,10 10,10 1,01");
  EXPECT_EQ(doc.cellText({doc.tableCount(), 4, 3}), "1,01");
  // Per-rate VAT is 0,56 a line, not 5,5 % of 20,20; the second currency is of the TTC.
  EXPECT_EQ(values(r, sums), "920,21|180,00|1,12|181,12|1 101,33|7 224,25 FRF");
}

TEST_F(RecalculationTest, RowsLackingCellsStopTheRunBeforeAnythingIsWritten) {
  word::WordDocument doc =
      quote({"CODART", "QTE", "PUBRUT", "MTNET"}, {{"A", "1", "10", ""}, {"B", "2"}});
  EXPECT_FALSE(run(doc).completed);
  EXPECT_EQ(messages(), "Structure en tableaux incorrecte - Le recalcul ne peut aboutir");
  EXPECT_EQ(doc.cellText({doc.tableCount(), 1, 4}), "");
  EXPECT_EQ(doc.bookmarkText("SMTNET"), "0");
}

// A forced remainder goes to the first line that can take a cent a piece.
TEST_F(RecalculationTest, ForcedRemainderSettlesOnTheFirstLineThatCanTakeACent) {
  word::WordDocument doc =
      quote({"CODART", "QTE", "PUBRUT", "MTNET"},
            {{"A", "10", "1,00", ""}, {"B", "1", "1,00", ""}, {"C", "1", "1,00", ""}});
  RecalcOptions o = fromQuote();
  o.adjustment.mode = 3;
  o.adjustment.forcedAmount = 12.05;  // 12.00 after the prorata: 5 cents left
  EXPECT_EQ(run(doc, o).bookmarks.value("SMTNET"), "12,05");
  EXPECT_EQ(column(doc, 3), "1,00 1,05 1,00");  // under a cent a piece for the 10 of A
  EXPECT_TRUE(m_messages.texts().isEmpty()) << messages().toStdString();

  // Nothing to share the amount over.
  bool zero = false;
  QVector<WorkLine> none(1);
  none[0].table = 1;
  Ajuster_Prorata(none, false, o.adjustment, zero);
  EXPECT_TRUE(zero);

  // 29 pieces take 29 cents exactly: 0.29 x 100 is a hair below 29 as a double.
  QVector<WorkLine> one(1);
  one[0].quantity = 29;
  one[0].grossPrice = 1;
  Calcul_Ligne(one[0]);
  EXPECT_DOUBLE_EQ(Solder_Reste(one, 0.29), 0);
  EXPECT_DOUBLE_EQ(one[0].grossPrice, 1.01);

  // The prorata rounds the new unit price before the amount: 1.125 shows 1,13, ten make 11,30.
  QVector<WorkLine> ten(1);
  ten[0].table = 1;
  ten[0].quantity = 10;
  ten[0].grossPrice = 1;
  Calcul_Ligne(ten[0]);
  o.adjustment.forcedAmount = 11.25;
  EXPECT_DOUBLE_EQ(Ajuster_Prorata(ten, false, o.adjustment, zero), 11.3);
  EXPECT_DOUBLE_EQ(ten[0].grossPrice, 1.13);
}

TEST_F(RecalculationTest, AdjustmentWindowChoices) {
  auto a = Valider_Ajustement(0, {"10", "", "5", "2"}, "", m_messages);
  ASSERT_TRUE(a);
  EXPECT_DOUBLE_EQ(a->unitComponents, 0);
  EXPECT_DOUBLE_EQ(a->labour, 5);
  EXPECT_DOUBLE_EQ(Valider_Ajustement(1, {"7,5"}, "", m_messages)->specialSupplies, 7.5);
  EXPECT_FALSE(Valider_Ajustement(3, {}, " ", m_messages));
  EXPECT_EQ(m_messages.texts().last(), "Vous n'avez pas saisi le montant à forcer");
  EXPECT_DOUBLE_EQ(Valider_Ajustement(3, {}, "1 200,50", m_messages)->forcedAmount, 1200.5);
  EXPECT_EQ(Valider_Ajustement(4, {}, "", m_messages)->mode, 4);
  // Nothing from a box that does not hold a whole number; the refused box is told.
  m_messages.clear();
  int refused = -1;
  EXPECT_FALSE(Valider_Ajustement(0, {"10", "5", "12abc", "2"}, "", m_messages, &refused));
  EXPECT_EQ(refused, 2);
  ASSERT_EQ(m_messages.texts().size(), 1);
  EXPECT_TRUE(m_messages.texts()[0].startsWith(
      "Pourcentage main d'oeuvre : « 12abc » n'est pas un nombre."));
  EXPECT_FALSE(Valider_Ajustement(3, {}, "1 200,5x", m_messages, &refused));
  EXPECT_EQ(refused, 0);
  EXPECT_FALSE(Valider_Ajustement(5, {"nan"}, "", m_messages));
  EXPECT_DOUBLE_EQ(Valider_Ajustement(5, {"1.234,5"}, "", m_messages)->majoration, 1234.5);
}

// Each type chooses which of the article's texts go under its designation.
TEST_F(RecalculationTest, LineWrittenFromTheEntryPanelWithTheTypesDescriptions) {
  m_state->mainDb().Execute(
      "INSERT INTO TTYP (TTYP_CODE, TTYP_LIB, TTYP_DART1A, TTYP_DART2A, TTYP_DTRF1, TTYP_DTRF2, "
      "TTYP_MASKET1) VALUES ('MR', 'Menuiserie', True, False, True, True, True)");
  db::Recordset type = m_state->mainDb().OpenRecordset("select * from TTYP where TTYP_CODE='MR'");
  const DescriptionRules rules = descriptionRules(type);
  word::WordDocument doc = quote({"CODART", "LIBART", "QTE", "PUBRUT", "PCREM", "PUNET", "MTNET"},
                                 QList<QStringList>(3, QStringList(7)));
  const auto layout = *Reperer_Tableaux(doc, LocatePurpose::Recalculation).layout;
  const int t = layout.firstLineTable;
  const LineWriter writer(ColumnMap::read(doc, layout.headerTable), LineOptions{});
  EntryLine e;
  e.code = "VIS";
  e.designation = "Vis M8";
  e.description1 = "Tête hexagonale";
  e.description2 = "Stock";
  e.quantity = 3;
  e.unitPrice = 9.99;
  const struct {
    QString type, designation;
  } cases[] = {{"A", "Vis M8\rTête hexagonale"},  // text 2 not for type A
               {"N", "Vis M8\rTête hexagonale\rStock"},
               {"O", "Vis M8"}};  // an option has no description options
  for (int row = 1; row <= 3; ++row) {
    e.type = cases[row - 1].type;
    Ecrire_Ligne(doc, t, row, writer, e, row == 1 ? 10 : 0, rules);
    EXPECT_EQ(doc.cellText({t, row, 2}), cases[row - 1].designation);
  }
  EXPECT_EQ(doc.cellText({t, 1, 6}) + " " + doc.cellText({t, 1, 7}), "8,99 26,97");
  EXPECT_TRUE(doc.showHiddenText());  // text 1 is hidden in the table for this type
}

// Cost prices (mode 2), base prices (mode 4) and the majoration of the net total (mode 5).
TEST_F(RecalculationTest, CostBaseAndMajorationModes) {
  stock(
      "INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_UNST_LIB, TARTI_PMP, TARTI_PVU1) "
      "VALUES ('P1', 'A', 'U', 10, 20)");
  stock(
      "INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_UNST_LIB, TARTI_PMP, TARTI_PVU2) "
      "VALUES ('P2', 'A', 'U', 8, 15)");
  stock(
      "INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_UNST_LIB, TARTI_PMP, TARTI_PVU1) "
      "VALUES ('P0', 'A', 'U', 0, 5)");
  m_state->base(core::entry::Planning)
      .db.Execute("INSERT INTO TSEC VALUES ('SOUD', 'Soudure', 40, 60)");
  m_state->base(core::entry::Tariffs)
      .db.Execute(
          "INSERT INTO TTRF (TTRF_CODFOURN, TTRF_REFFOURN, TTRF_CODART, TTRF_LIBART, "
          "TTRF_PUnit, TTRF_PrixVen) VALUES ('F1', 'R-1', '*', 'Roulement', 30, 45)");
  const QStringList codes = {"CODART", "QTE", "PUBRUT", "PDR", "CODFOURN", "MTNET"};
  const QList<QStringList> known = {{"P1", "1", "50", "", "", ""},
                                    {"P2", "1", "50", "", "", ""},
                                    {"P0", "1", "50", "", "", ""},
                                    {"R-1", "1", "50", "", "F1", ""},
                                    {"MO*SOUD", "1", "50", "", "", ""}};
  const QString unreferenced = "Les articles non référencés n'ont pu être traités, \r";
  const struct {
    int mode;
    QString materials, labour;
    bool withUnknown;
    QString prices, message;
  } cases[] = {
      // A known article without cost keeps its price quietly; only ZZ is "non référencé".
      {2, "", "", false, "10,00 8,00 50,00 30,00 40,00", ""},
      {2, "", "", true, "10,00 8,00 50,00 30,00 40,00 7,00",
       unreferenced + "leur prix de revient étant inconnu !"},
      // Price 2 falls back on price 1 and back, as line entry prices them: never 0.
      {4, "PV1", "PV", false, "20,00 15,00 5,00 45,00 60,00", ""},
      {4, "PV2", "PV", true, "20,00 15,00 5,00 45,00 60,00 7,00",
       unreferenced + "leur prix de base étant inconnu !"},
      {4, "PDR", "PDR", false, "10,00 8,00 50,00 30,00 40,00", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.prices.toStdString());
    QList<QStringList> lines = known;
    if (c.withUnknown) lines << QStringList{"ZZ", "1", "7", "", "", ""};
    word::WordDocument doc = quote(codes, lines);
    RecalcOptions o = fromQuote();
    o.adjustment.mode = c.mode;
    if (!c.materials.isEmpty()) o.adjustment.materialsPrice = c.materials;
    if (!c.labour.isEmpty()) o.adjustment.labourPrice = c.labour;
    m_messages.clear();
    EXPECT_TRUE(run(doc, o).completed);
    EXPECT_EQ(column(doc, 3), c.prices);
    EXPECT_EQ(messages(), c.message);
  }

  word::WordDocument doc = quote({"CODART", "QTE", "PUBRUT", "MTNET"}, {{"A", "2", "500", ""}},
                                 {"SMTNET", "PCPLUS", "MTPLUS", "SMTNETPLUS"});
  RecalcOptions o = fromQuote();
  o.adjustment.mode = 5;
  o.adjustment.majoration = 7.5;
  EXPECT_EQ(values(run(doc, o), {"SMTNET", "PCPLUS", "MTPLUS", "SMTNETPLUS"}),
            "1 000,00|8|75,00|1 075,00");
}

TEST(GrossTotalCheck, ARoundingGapIsClosedALargerOneWarned) {
  const QString calcul = "Vérifiez votre calcul, un problème d'arrondi a pu se produire";
  const QString remise = "Vérifiez votre remise, un écart d'arrondi est intervenu dans le calcul";
  const struct {
    double gross, net, discount, checked;
    QString warning;
  } cases[] = {
      {110, 100, 10, 110, ""},    // gross = net + discount
      {100.10, 100, 0, 100, ""},  // no discount: up to 10 cents brought back
      {100.11, 100, 0.01, 100.11, calcul},
      {100.40, 100, 10, 110, ""},  // with a discount: below 50 cents brought back
      {100.50, 100, 10, 100.50, remise},
      {99.95, 100, 0, 100, ""},  // a gross below the net is a gap too
  };
  for (const auto& c : cases) {
    const GrossCheck r = checkGrossTotal(c.gross, c.net, c.discount);
    EXPECT_DOUBLE_EQ(r.gross, c.checked) << c.gross;
    EXPECT_EQ(r.warning, c.warning) << c.gross;
  }
}

// A quote worth nothing cannot be forced; a remainder no line can take is left to the user.
TEST_F(RecalculationTest, ProrataMessages) {
  RecalcOptions o = fromQuote();
  o.adjustment.mode = 3;
  o.adjustment.forcedAmount = 100;
  word::WordDocument nothing = quote({"CODART", "QTE", "PUBRUT", "MTNET"}, {{"A", "1", "0", ""}});
  run(nothing, o);
  ASSERT_FALSE(m_messages.texts().isEmpty());
  EXPECT_EQ(m_messages.texts().first(),
            "La valorisation de votre devis est nulle !\nL'ajustement au prorata des valeurs des "
            "lignes n'est donc pas possible");

  // 1 000 pieces at 1,00 cannot reach 1 000,05: a cent more a piece is 10,00 more.
  word::WordDocument many = quote({"CODART", "QTE", "PUBRUT", "MTNET"}, {{"A", "1000", "1", ""}});
  o.adjustment = {};
  o.adjustment.mode = 3;
  o.adjustment.forcedAmount = 1000.05;
  m_messages.clear();
  EXPECT_EQ(run(many, o).bookmarks.value("SMTNET"), "1 000,00");
  EXPECT_EQ(messages(),
            "L'ajustement parfait est impossible du fait des arrondis\nVous devrez le terminer "
            "manuellement");
}

TEST_F(RecalculationTest, MajorationOfTheNetTotal) {
  const QStringList codes = {"CODART", "QTE", "PUBRUT", "MTNET"};
  word::WordDocument incomplete =
      quote(codes, {{"A", "1", "1000", ""}}, {"SMTNET", "SMTTVA", "STTC"});
  EXPECT_FALSE(Majoration_Total(incomplete, m_messages, "10", ','));
  EXPECT_EQ(m_messages.texts().last(),
            "Modèle incomplet pour cette fonctionnalité (Signets manquants) ...");

  const QStringList sums = {"PCPLUS", "MTPLUS", "SMTNETPLUS", "SMTTVA", "STTC"};
  word::WordDocument doc = quote(codes, {{"A", "1", "1000", ""}}, sums + QStringList{"SMTNET"});
  doc.setBookmarkText("SMTNET", "1 000,00");
  EXPECT_FALSE(Majoration_Total(doc, m_messages, "", ','));  // no answer, no change
  EXPECT_EQ(doc.bookmarkText("PCPLUS"), "0");
  ASSERT_TRUE(Majoration_Total(doc, m_messages, "10", ','));
  QStringList shown;  // VAT always 20 % here
  for (const QString& b : sums) shown << doc.bookmarkText(b);
  EXPECT_EQ(shown.join('|'), "10|100,00|1 100,00|220,00|1 320,00");
}

TEST_F(RecalculationTest, DesignationsFollowTheArticleFile) {
  stock(
      "INSERT INTO TARTI (TARTI_CODART, TARTI_LIBART, TARTI_libart2, TARTI_Type, TARTI_DESCR, "
      "TARTI_INFOS) VALUES ('VIS', 'Vis M8', 'Vis inox M8', 'A', 'Tête hexagonale', 'Stock')");
  word::WordDocument doc =
      quote({"CODART", "LIBART", "QTE", "MTNET"}, {{"VIS", "ancienne", "2", "10,00"},
                                                   {"MO*SOUD", "Soudure", "1", "5,00"},
                                                   {"INCONNU", "garde", "1", "1,00"}});
  DescriptionRules rules;
  rules["A"] = {true, true, false, true};
  EXPECT_EQ(Maj_Designations(*m_state, *m_files, doc, rules), 1);
  EXPECT_EQ(column(doc, 2), "Vis inox M8\rTête hexagonale\rStock Soudure garde");
  EXPECT_EQ(column(doc, 4), "10,00 5,00 1,00");  // amounts untouched
}

TEST_F(RecalculationTest, DocumentWrittenByLibreOffice) {
  const QString ours = m_dir.filePath("quote.docx");
  quote({"CODART", "LIBART", "QTE", "PUBRUT", "PCREM", "MTNET"},
        {{"X1", "Vis", "3", "9,99", "10", ""}, {"X2", "Plaque", "2", "100,00", "", ""}},
        {"SMTBRUT", "SMTREM", "SMTNET"})
      .saveAs(ours);
  QDir(m_dir.path()).mkpath("lo");
  QDir(m_dir.path()).mkpath("pdf");
  fixtures::LibreOffice lo;
  const QString written =
      lo.convert({ours}, "docx:MS Word 2007 XML", m_dir.filePath("lo")).value(0);
  ASSERT_FALSE(written.isEmpty()) << "LibreOffice could not rewrite the quote";

  word::WordDocument doc = word::WordDocument::open(written);
  const RecalcResult r = run(doc);
  ASSERT_TRUE(r.completed) << messages().toStdString();
  EXPECT_EQ(values(r, {"SMTBRUT", "SMTNET"}), "229,97|226,97");
  EXPECT_EQ(column(doc, 6), "26,97 200,00");
  doc.save();

  const QString pdf = lo.convert({written}, "pdf", m_dir.filePath("pdf")).value(0);
  ASSERT_FALSE(pdf.isEmpty()) << "LibreOffice could not open the recalculated quote";
  const QString text = fixtures::LibreOffice::pdfText(pdf);
  EXPECT_TRUE(text.contains("226,97")) << text.toStdString();
}

}  // namespace
}  // namespace tarovent::composition
