#include <gtest/gtest.h>

#include "articles/ArticleFiles.h"
#include "articles/CostRollup.h"
#include "composition/FamilyFixture.h"
#include "platform/db/Database.h"

namespace tarovent::articles {
namespace {

class CostRollupTest : public fixtures::FamilyTest {
 protected:
  void SetUp() override {
    FamilyTest::SetUp();
    if (HasFatalFailure()) return;
    // The links as the stock product keys them: parent, variant, component, variant.
    stockSql("DROP TABLE TLIEN");
    stockSql(
        "CREATE TABLE TLIEN (TLIEN_PERE TEXT(30), TLIEN_VARPERE TEXT(2), TLIEN_NUMORD "
        "SHORT, TLIEN_FILS TEXT(30), TLIEN_VARFILS TEXT(2), TLIEN_QTEUNI DOUBLE, "
        "TLIEN_DebApplic DATETIME, TLIEN_FinApplic DATETIME, CONSTRAINT PrimaryKey "
        "PRIMARY KEY (TLIEN_PERE, TLIEN_VARPERE, TLIEN_FILS, TLIEN_VARFILS))");
    const auto day = [](int offset) {
      return QDate::currentDate().addDays(offset).toString("#MM/dd/yyyy#");
    };
    for (const char* a :
         {"'P', 'Pompe', 'F', 0, 0, 10, 0, 0, 0", "'SUB', 'Corps', 'F', 0, 0, 0, 0, 0, 0",
          "'A', 'Vis', 'A', 10, 10, 0, 12, 13, 0.5", "'B', 'Joint', 'A', 100, 0, 0, 0, 0, 1",
          "'C', 'Tôle', 'A', 5, 0, 0, 6, 7, 2", "'D', 'Écrou', 'A', 1000, 0, 0, 0, 0, 0"})
      stockSql(
          QStringLiteral("INSERT INTO TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type, TARTI_PMP, "
                         "TARTI_COEFFRG, TARTI_QTE_LANC, TARTI_PVU1, TARTI_PVU2, TARTI_POIDS) "
                         "VALUES (%1)")
              .arg(a));
    for (const QString& l : {QString("'P', '00', 1, 'A', '00', 2, Null, Null"),
                             "'P', '00', 2, 'B', '00', 5, " + day(1) + ", Null",
                             "'P', '00', 3, 'SUB', '00', 3, " + day(1) + ", Null",
                             "'SUB', '00', 1, 'C', '00', 4, Null, " + day(0),
                             "'SUB', '00', 2, 'D', '00', 1, Null, " + day(-1)})
      stockSql("INSERT INTO TLIEN VALUES (" + l + ")");
    db::Database& plan = m_state->base(core::entry::Planning).db;
    plan.Execute("INSERT INTO TSEC VALUES ('SOUD', 'Soudure', 40, 60)");
    for (const char* op : {"'P', '00', 10, 'SOUD', 1, 0.5", "'SUB', '00', 10, 'SOUD', 0, 1"})
      plan.Execute(QStringLiteral("INSERT INTO TGAM (TGAM_Codart, TGAM_Vargam, TGAM_Numope, "
                                  "TGAM_CodSec, TGAM_TmpPrep, TGAM_TmpPie) VALUES (%1)")
                       .arg(op));
    m_state->routingTable = plan.OpenRecordset("TGAM", db::RecordsetType::Table);
    m_state->routingTable.setIndex("PrimaryKey");
    m_files = std::make_unique<ArticleFiles>(*m_state);
  }
  void stockSql(const QString& s) { m_state->base(core::entry::Stock).db.Execute(s); }
  std::optional<ArticleValue> value(const QString& code) {
    return Valoriser_Article(*m_files, m_messages, code, "00");
  }

  std::unique_ptr<ArticleFiles> m_files;
};

TEST_F(CostRollupTest, WalksComponentsAndRoutingsWithValidityRules) {
  const auto v = value("P");
  ASSERT_TRUE(v.has_value()) << m_messages.texts().join('|').toStdString();
  // A: 2 x 10 x 1.10; B starts tomorrow; SUB (manufactured) is entered anyway:
  // C valid until today: 3 x 4 x 5; D ended yesterday.
  EXPECT_DOUBLE_EQ(v->cout_matiere, 22 + 60);
  // P: launch of 10, 1 h set-up, 0.5 h a piece at 40/h = 24; SUB: 3 x 1 h x 40 = 120.
  EXPECT_DOUBLE_EQ(v->cout_mo, 24 + 120);
  EXPECT_DOUBLE_EQ(v->valeur_mo_vente, 36 + 180);
  EXPECT_DOUBLE_EQ(v->poids, 2 * 0.5 + 12 * 2);
  EXPECT_DOUBLE_EQ(v->valeur_pv1, 2 * 12 + 12 * 6);
  EXPECT_DOUBLE_EQ(v->valeur_pv2, 2 * 13 + 12 * 7);
  EXPECT_TRUE(m_messages.texts().isEmpty());
}

// The database ignores the case of codes: so does the roll-up, in the code asked for as in
// the links (a quote line typed "p" is the pump P, not an article of cost 0).
TEST_F(CostRollupTest, CodesInAnotherCaseAreTheSameArticle) {
  stockSql("INSERT INTO TARTI (TARTI_CODART, TARTI_Type) VALUES ('Q', 'F')");
  stockSql("INSERT INTO TLIEN VALUES ('q', '00', 1, 'a', '00', 3, Null, Null)");
  const auto lower = value("p");
  ASSERT_TRUE(lower.has_value());
  EXPECT_DOUBLE_EQ(lower->cout_matiere, 22 + 60);
  EXPECT_DOUBLE_EQ(lower->cout_mo, 24 + 120);
  const auto q = value("Q");
  ASSERT_TRUE(q.has_value());
  EXPECT_DOUBLE_EQ(q->cout_matiere, 3 * 11);
  EXPECT_DOUBLE_EQ(value("P")->cout_matiere, 22 + 60);
  EXPECT_TRUE(m_messages.texts().isEmpty());
}

TEST_F(CostRollupTest, PartsMetUnderSeveralParentsCountEachTimeAndChangesShowNextCall) {
  // A second SUB under P, and A under SUB as well as under P.
  stockSql(
      "INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_PMP, TARTI_QTE_LANC) VALUES "
      "('Q', 'F', 0, 1)");
  stockSql("INSERT INTO TLIEN VALUES ('Q', '00', 1, 'SUB', '00', 2, Null, Null)");
  stockSql("INSERT INTO TLIEN VALUES ('Q', '00', 2, 'A', '00', 1, Null, Null)");
  stockSql("INSERT INTO TLIEN VALUES ('Q', '00', 3, 'SUB2', '00', 1, Null, Null)");
  stockSql(
      "INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_PMP, TARTI_QTE_LANC) VALUES "
      "('SUB2', 'F', 0, 1)");
  stockSql("INSERT INTO TLIEN VALUES ('SUB2', '00', 1, 'SUB', '00', 5, Null, Null)");
  auto v = value("Q");
  ASSERT_TRUE(v.has_value()) << m_messages.texts().join('|').toStdString();
  // SUB twice (2, then 1 x 5): its C costs 4 x 5 each time; A once at 11.
  EXPECT_DOUBLE_EQ(v->cout_matiere, 2 * 20 + 11 + 5 * 20);
  EXPECT_DOUBLE_EQ(v->cout_mo, (2 + 5) * 40);

  stockSql("UPDATE TARTI SET TARTI_PMP = 8 WHERE TARTI_CODART = 'C'");
  v = value("Q");
  ASSERT_TRUE(v.has_value());
  EXPECT_DOUBLE_EQ(v->cout_matiere, 2 * 32 + 11 + 5 * 32);

  // SUB is valued once for both places: its missing section is told once.
  m_state->base(core::entry::Planning).db.Execute("DELETE FROM TSEC");
  v = value("Q");
  ASSERT_TRUE(v.has_value());
  EXPECT_DOUBLE_EQ(v->cout_mo, 0);
  EXPECT_EQ(m_messages.texts(), QStringList{"La section SOUD n'existe plus ! "});
}

TEST_F(CostRollupTest, KeptValuesSurviveOtherBasesButNotAnotherConnectionsWrite) {
  m_state->base(core::entry::Planning).db.Execute("DELETE FROM TSEC");
  ASSERT_TRUE(value("P").has_value());
  ASSERT_EQ(m_messages.texts().size(), 2);  // the missing section, for P and for SUB

  // A commit to an unrelated base keeps what was valued: no walk, no message again.
  db::Workspace ws;
  db::Database other = ws.CreateDatabase(m_dir.filePath("other.mdb"));
  other.Execute("CREATE TABLE T (N LONG)");
  other.Execute("INSERT INTO T VALUES (1)");
  ASSERT_TRUE(value("P").has_value());
  EXPECT_EQ(m_messages.texts().size(), 2);

  // Another connection to the stock base, as another workstation would write.
  db::Database stock = ws.OpenDatabase(m_layout.dataFolder + "CORVELIN.MDB");
  stock.Execute("UPDATE TARTI SET TARTI_PMP = 20 WHERE TARTI_CODART = 'A'");
  const auto v = value("P");
  ASSERT_TRUE(v.has_value());
  EXPECT_DOUBLE_EQ(v->cout_matiere, 44 + 60);
  EXPECT_EQ(m_messages.texts().size(), 4);
}

TEST_F(CostRollupTest, BoughtArticleValuesItself) {
  const auto v = value("A");
  ASSERT_TRUE(v.has_value());
  EXPECT_DOUBLE_EQ(v->cout_matiere, 11);
  EXPECT_DOUBLE_EQ(v->cout_mo, 0);
}

// A launch quantity left at 0 counts as 1: the set-up time is spent on one piece.
TEST_F(CostRollupTest, LaunchQuantityZeroCountsAsOne) {
  stockSql(
      "INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_PMP, TARTI_QTE_LANC) VALUES "
      "('L', 'F', 0, 0)");
  stockSql("INSERT INTO TLIEN VALUES ('L', '00', 1, 'A', '00', 1, Null, Null)");
  m_state->base(core::entry::Planning)
      .db.Execute(
          "INSERT INTO TGAM (TGAM_Codart, TGAM_Vargam, TGAM_Numope, TGAM_CodSec, "
          "TGAM_TmpPrep, TGAM_TmpPie) VALUES ('L', '00', 10, 'SOUD', 2, 1)");
  const auto v = value("L");
  ASSERT_TRUE(v.has_value()) << m_messages.texts().join('|').toStdString();
  EXPECT_DOUBLE_EQ(v->cout_mo, 40 * (1 + 2));
}

TEST_F(CostRollupTest, MissingArticleStopsAndMissingSectionIsSkipped) {
  stockSql("DELETE FROM TARTI WHERE TARTI_CODART = 'C'");
  EXPECT_FALSE(value("P").has_value());
  EXPECT_EQ(m_messages.texts().last(), "L'article C n'existe plus");

  m_messages.clear();
  stockSql("INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_PMP) VALUES ('C', 'A', 5)");
  m_state->base(core::entry::Planning).db.Execute("DELETE FROM TSEC");
  const auto v = value("P");
  ASSERT_TRUE(v.has_value());
  EXPECT_DOUBLE_EQ(v->cout_mo, 0);
  EXPECT_EQ(m_messages.texts(),
            QStringList({"La section SOUD n'existe plus ! ", "La section SOUD n'existe plus ! "}));
}

TEST_F(CostRollupTest, FirstLinkMustCarryTheRequestedVariants) {
  stockSql("UPDATE TLIEN SET TLIEN_VARFILS = '01' WHERE TLIEN_PERE = 'P' AND TLIEN_FILS = 'A'");
  const auto v = value("P");
  ASSERT_TRUE(v.has_value());
  EXPECT_DOUBLE_EQ(v->cout_matiere, 0);  // P's list does not open
  EXPECT_DOUBLE_EQ(v->cout_mo, 24);
}

TEST_F(CostRollupTest, MoreThanTwentyLevelsStop) {
  for (int i = 0; i < 22; ++i) {
    stockSql(
        QStringLiteral("INSERT INTO TARTI (TARTI_CODART, TARTI_Type) VALUES ('L%1', 'F')").arg(i));
    stockSql(QStringLiteral("INSERT INTO TLIEN (TLIEN_PERE, TLIEN_VARPERE, TLIEN_FILS, "
                            "TLIEN_VARFILS, TLIEN_QTEUNI) VALUES ('L%1', '00', 'L%2', '00', 1)")
                 .arg(i)
                 .arg(i + 1));
  }
  stockSql("INSERT INTO TARTI (TARTI_CODART, TARTI_Type) VALUES ('L22', 'A')");
  EXPECT_FALSE(value("L0").has_value());
  EXPECT_EQ(m_messages.texts().last(),
            "Le nombre de niveaux dépasse les possibilités actuelles du programme");
  m_messages.clear();
  EXPECT_TRUE(value("L3").has_value());  // 19 levels below L3
  // L3, kept from the last call, fits exactly under L2.
  EXPECT_TRUE(value("L2").has_value());
}

}  // namespace
}  // namespace tarovent::articles
