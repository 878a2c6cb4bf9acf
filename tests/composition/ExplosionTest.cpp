#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>

#include "ChangeLog.h"
#include "FamilyFixture.h"
#include "QuoteDocs.h"
#include "articles/ArticleFiles.h"
#include "composition/Explosion.h"
#include "composition/Recalculation.h"
#include "platform/db/Database.h"
#include "platform/word/LibreOffice.h"

namespace tarovent::composition {
namespace {

using fixtures::QuoteDoc;

const QStringList kColumns{"CODART", "LIBART", "QTE",   "UNITE", "PDR",
                           "PUBRUT", "PCREM",  "MTNET", "USER1"};

// A pump P of two screws A, three bodies SUB (each of four sheets C, with a welding
// operation), a seal B valid from tomorrow and a phantom Z of quantity 0; L1 and L2 contain
// each other; BAD lists an unknown part between two known ones.
class ExplosionTest : public fixtures::FamilyTest {
 protected:
  void SetUp() override {
    FamilyTest::SetUp();
    if (HasFatalFailure()) return;
    const char* articles[] = {
        "'P', 'Pompe', 'F', 0, 0, 0, 0, 'UN', 'Pompe de relevage'",
        "'A', 'Vis', 'A', 10, 20, 15, 14, 'UN', 'Inox A2'",
        "'SUB', 'Corps', 'F', 0, 0, 0, 0, 'UN', Null",
        "'C', 'Tôle', 'A', 5, 0, 6, 7, 'KG', Null",
        "'B', 'Joint', 'A', 100, 0, 0, 0, 'UN', Null",
        "'Z', 'Fantôme', 'F', 0, 0, 0, 0, 'UN', Null",
        "'D', 'Écrou', 'A', 1, 0, 0, 0, 'UN', Null",
        "'L1', 'Boucle 1', 'F', 0, 0, 0, 0, 'UN', Null",
        "'L2', 'Boucle 2', 'F', 0, 0, 0, 0, 'UN', Null",
        "'BAD', 'Erroné', 'F', 0, 0, 0, 0, 'UN', Null",
    };
    for (const char* a : articles)
      stock(QStringLiteral("INSERT INTO TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type, TARTI_PMP, "
                           "TARTI_COEFFRG, TARTI_PVU1, TARTI_PVU2, TARTI_UNST_LIB, TARTI_DESCR) "
                           "VALUES (%1)")
                .arg(a));
    const QString tomorrow = QDate::currentDate().addDays(1).toString("MM/dd/yyyy");
    const QStringList links = {
        "'P', '00', 1, 'A', '00', 2, Null",
        "'P', '00', 2, 'SUB', '00', 3, Null",
        "'P', '00', 3, 'B', '00', 5, #" + tomorrow + "#",
        "'P', '00', 4, 'Z', '00', 0, Null",
        "'SUB', '00', 1, 'C', '00', 4, Null",
        "'Z', '00', 1, 'D', '00', 2, Null",
        "'L1', '00', 1, 'L2', '00', 1, Null",
        "'L2', '00', 1, 'L1', '00', 1, Null",
        "'BAD', '00', 1, 'A', '00', 1, Null",
        "'BAD', '00', 2, 'NOPE', '00', 1, Null",
        "'BAD', '00', 3, 'C', '00', 1, Null",
    };
    for (const QString& l : links)
      stock(
          "INSERT INTO TLIEN (TLIEN_PERE, TLIEN_VARPERE, TLIEN_NUMORD, TLIEN_FILS, "
          "TLIEN_VARFILS, TLIEN_QTEUNI, TLIEN_DebApplic) VALUES (" +
          l + ")");
    db::Database& plan = m_state->base(core::entry::Planning).db;
    plan.Execute("INSERT INTO TSEC VALUES ('SOUD', 'Soudure', 40, 60)");
    for (const char* op : {"'P', '00', 10, 'SOUD', 'Assemblage', 1, 0.5, 'ST01'",
                           "'SUB', '00', 10, 'SOUD', 'Soudure', 1, 0.5, Null",
                           "'SUB', '00', 20, 'PEINT', 'Peinture', 0, 1, Null"})
      plan.Execute(QStringLiteral("INSERT INTO TGAM (TGAM_Codart, TGAM_Vargam, TGAM_Numope, "
                                  "TGAM_CodSec, TGAM_Libope, TGAM_TmpPrep, TGAM_TmpPie, "
                                  "TGAM_CodFourn) VALUES (%1)")
                       .arg(op));
    stock("UPDATE TARTI SET TARTI_USER1 = 'Zone B' WHERE TARTI_CODART = 'A'");
    m_state->routingTable = plan.OpenRecordset("TGAM", db::RecordsetType::Table);
    m_state->routingTable.setIndex("PrimaryKey");
    m_files = std::make_unique<articles::ArticleFiles>(*m_state);
    m_options.lines.quantityDecimals = 0;
    m_options.pricing.tarMat = "R";
    m_options.pricing.tarMo = "V";
  }

  void stock(const QString& sql) { m_state->base(core::entry::Stock).db.Execute(sql); }

  word::WordDocument quote(const QList<QStringList>& lines = {QStringList(9)},
                           const QString& between = {}) {
    QuoteDoc q;
    q.codes = kColumns;
    q.lines = lines;
    q.between = between;
    word::WordDocument doc = q.build();
    m_columns = ColumnMap::read(doc, 1);
    m_cursor = {doc.tableCount(), 1};
    return doc;
  }

  ExplosionResult explode(word::WordDocument& doc, const QString& code, double quantity,
                          DocumentChanges* changes = nullptr) {
    EntryLine line;
    line.code = code;
    line.designation = "Article " + code;
    line.type = "F";
    line.quantity = quantity;
    line.unitPrice = 100;
    return Eclater_Article(*m_files, doc, m_columns, m_cursor, line, m_options, m_messages,
                           changes);
  }

  // The cells of a row of the line table from the third column on.
  static QString cells(const word::WordDocument& doc, int row) {
    QStringList out;
    for (int c = 3; c <= kColumns.size(); ++c) out << doc.cellText({doc.tableCount(), row, c});
    return out.join('|');
  }
  // Code and quantity of each row of the line table.
  static QStringList rows(const word::WordDocument& doc) {
    QStringList out;
    const int t = doc.tableCount();
    for (int r = 1; r <= doc.rowCount(t); ++r)
      out << doc.cellText({t, r, 1}) + "|" + doc.cellText({t, r, 3});
    return out;
  }

  std::unique_ptr<articles::ArticleFiles> m_files;
  ExplosionOptions m_options;
  ColumnMap m_columns;
  TableCursor m_cursor;
};

TEST_F(ExplosionTest, WalksTheBillDepthFirstWithCumulativeQuantitiesAndRoutings) {
  word::WordDocument doc = quote();
  const ExplosionResult r = explode(doc, "P", 3);
  EXPECT_TRUE(r.completed) << m_messages.texts().join('|').toStdString();
  // A: 2 x 3; SUB: 3 x 3 with its welding (1 + 0,5 x 9 h) just below, then C: 4 x 9. B starts
  // tomorrow; Z counts 0 so neither it nor its nuts get a line.
  EXPECT_EQ(rows(doc), QStringList({"P|3", "   MO*SOUD|2,50", "   A|6", "   SUB|9",
                                    "      MO*SOUD|5,50", "      MO*PEINT|9,00", "      C|36"}));
  EXPECT_EQ(r.rows, 7);
  EXPECT_EQ(m_messages.texts(), QStringList({"Erreur GAMME: Code de section [PEINT] inconnu !! "}));
  // Quantity, unit, cost, price, discount, amount and user field 1 of each row below the pump.
  // Bought components are priced by the materials mode (R: PMP x 1.2), without discount nor
  // amount, and keep the article's user field; labour codes are hidden, priced by the labour
  // mode (V: 60 an hour); an unknown section has no price, a sub-assembly none of its own.
  EXPECT_EQ(cells(doc, 1), "3|||100,00||300,00|");
  EXPECT_EQ(cells(doc, 2), "2,50|H|40,00|60,00|||");
  EXPECT_EQ(cells(doc, 3), "6|UN|12,00|12,00|||Zone B");
  EXPECT_EQ(cells(doc, 4), "9|UN|||||");
  EXPECT_EQ(cells(doc, 6), "9,00|H|||||");
  EXPECT_EQ(doc.cellText({doc.tableCount(), 2, 2}), "Assemblage");
  EXPECT_TRUE(doc.isCellHidden({doc.tableCount(), 2, 1}));
}

// The walk keeps the lists of the sub-assemblies it entered while it asks for others: a write to
// the stock base in between (on a server, any commit of another workstation) has the links read
// again, and the lists already handed out must still hold what they held.
TEST_F(ExplosionTest, LinksHandedOutSurviveAReadingOfTheBillAfterAWrite) {
  const auto pump = m_files->explosionLinks("P");
  ASSERT_TRUE(pump);
  stock("UPDATE TLIEN SET TLIEN_QTEUNI = 7 WHERE TLIEN_PERE = 'SUB'");
  const auto body = m_files->explosionLinks("SUB");
  ASSERT_TRUE(body);
  ASSERT_EQ(body->size(), 1u);
  EXPECT_EQ((*body)[0].quantity, 7);
  QStringList held;
  for (const articles::ExplosionLink& l : *pump)
    held << l.component + "x" + QString::number(l.quantity);
  EXPECT_EQ(held, QStringList({"Ax2", "SUBx3", "Bx5", "Zx0"}));
}

TEST_F(ExplosionTest, StopsOnWhatMakesTheBillUnusableKeepingTheLinesWritten) {
  const struct {
    QString code;
    QStringList rows;
    QString message;
  } cases[] = {
      {"L1", {"L1|1", "   L2|1", "      L1|1"}, "Attention, nomenclature bouclante entre L2 et L1"},
      {"BAD", {"BAD|1", "   A|1"}, "Nomenclature erronée, article NOPE inconnu !"},
      {"A", {"|"}, "A sans décomposition!"},
      {"NONE", {"|"}, "Erreur interne, article introuvable : NONE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code.toStdString());
    m_messages.clear();
    word::WordDocument doc = quote();
    EXPECT_FALSE(explode(doc, c.code, 1).completed);
    EXPECT_EQ(rows(doc), c.rows);
    EXPECT_EQ(m_messages.texts(), QStringList{c.message});
    EXPECT_EQ(m_messages.beeps(), c.code == "L1" ? 1 : 0);  // the circular bill beeps
  }
}

TEST_F(ExplosionTest, ComponentPricesFollowTheMaterialsMode) {
  for (const auto& [mode, price] :
       {std::pair{"R", "12,00"}, std::pair{"V", "15,00"}, std::pair{"P", "14,00"}}) {
    m_options.pricing.tarMat = mode;
    word::WordDocument doc = quote();
    explode(doc, "BAD", 1);
    EXPECT_EQ(doc.cellText({doc.tableCount(), 2, 6}), price) << mode;
  }
  m_options.pricing.tarMat = "X";
  m_messages.clear();
  word::WordDocument doc = quote();
  EXPECT_EQ(explode(doc, "BAD", 1).rows, 1);
  EXPECT_EQ(m_messages.texts().join('|'),
            "Le type de tarification n'a pas été initialisé \nVoir Paramètres Généraux");
}

TEST_F(ExplosionTest, InsertsAboveTheCursorAndTellsTheViewsRowByRow) {
  word::WordDocument doc = quote(
      {{"X1", "Avant", "1", "", "", "", "", "", ""}, {"X2", "Après", "1", "", "", "", "", "", ""}});
  m_cursor.row = 2;
  m_options.insert = true;
  stock("DELETE FROM TLIEN WHERE TLIEN_PERE = 'P' AND TLIEN_FILS <> 'A'");
  fixtures::ChangeLog changes;
  EXPECT_EQ(explode(doc, "P", 1, &changes).rows, 3);
  EXPECT_EQ(rows(doc), QStringList({"X1|1", "P|1", "   MO*SOUD|1,50", "   A|2", "X2|1"}));
  EXPECT_EQ(m_cursor.row, 5);  // still on X2
  EXPECT_EQ(changes.calls.join(','),
            QString("inserted %1 2 1,inserted %1 3 1,inserted %1 4 1").arg(doc.tableCount()));
}

TEST_F(ExplosionTest, DescriptionsGoOutsideTheTableWithTheirTitle) {
  word::WordDocument doc = quote({QStringList(9)}, fixtures::marked("DESCRHT", "", 950));
  m_options.type.flags = {{"TTYP_DART1A_HT", true},
                          {"TTYP_DART1F_HT", true},
                          {"TTYP_LibEnTitre", true},
                          {"TTYP_TitreEnGras", true}};
  stock("DELETE FROM TLIEN WHERE TLIEN_PERE = 'P' AND TLIEN_FILS <> 'A'");
  ASSERT_TRUE(explode(doc, "P", 1).completed);
  const QString body = doc.bodyText();
  const qsizetype pump = body.indexOf("Pompe\rPompe de relevage");
  const qsizetype screw = body.indexOf("Vis\rInox A2");
  EXPECT_GE(pump, 0) << body.toStdString();
  EXPECT_GT(screw, pump);
}

TEST_F(ExplosionTest, RecalculationCountsTheExplodedArticleOnce) {
  word::WordDocument doc = quote();
  ASSERT_TRUE(explode(doc, "P", 3).completed);
  RecalcOptions o;
  o.fromQuote = true;
  o.vatField = "20";
  m_messages.clear();
  const RecalcResult r = Recalcul_Document(*m_state, *m_files, doc, o);
  ASSERT_TRUE(r.completed);
  // One pump: welding 1.5 h x 40, screws 2 x 12, bodies 3 x (1.5 h x 40 + 4 x 5); PEINT is
  // unknown. Components and routing lines below the pump are not counted again.
  EXPECT_DOUBLE_EQ(r.costMaterials, 3 * (60 + 24 + 3 * (60 + 20)));
  EXPECT_DOUBLE_EQ(r.costLabour, 0);
  EXPECT_DOUBLE_EQ(r.hours, 0);
}

TEST_F(ExplosionTest, ExplodedQuoteKeepsItsIndentationAndHiddenCodesInLibreOffice) {
  if (QStandardPaths::findExecutable("soffice").isEmpty()) GTEST_SKIP() << "no LibreOffice";
  word::WordDocument doc = quote();
  ASSERT_TRUE(explode(doc, "P", 3).completed);
  const QString ours = m_dir.filePath("exploded.docx");
  doc.saveAs(ours);
  QDir(m_dir.path()).mkpath("lo");
  fixtures::LibreOffice lo;
  const QString written =
      lo.convert({ours}, "docx:MS Word 2007 XML", m_dir.filePath("lo")).value(0);
  ASSERT_FALSE(written.isEmpty()) << "LibreOffice could not open the exploded quote";
  const word::WordDocument back = word::WordDocument::open(written, word::OpenMode::ReadOnly);
  EXPECT_EQ(rows(back), rows(doc));
  const int t = back.tableCount();
  EXPECT_TRUE(back.isCellHidden({t, 2, 1}));
  EXPECT_FALSE(back.isCellHidden({t, 3, 1}));
}

}  // namespace
}  // namespace tarovent::composition
