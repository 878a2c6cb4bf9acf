#include <gtest/gtest.h>

#include "../composition/FamilyFixture.h"
#include <QDate>

#include "articles/ArticleFiles.h"
#include "articles/Nomenclature.h"
#include "platform/db/Database.h"

namespace tarovent::articles {
namespace {

// P holds two A and a body SUB (one operation) of four C.
class NomenclatureTest : public fixtures::FamilyTest {
 protected:
  void SetUp() override {
    FamilyTest::SetUp();
    if (HasFatalFailure()) return;
    for (const char* a :
         {"'P', 'Pompe', 'F'", "'A', 'Vis', 'A'", "'SUB', 'Corps', 'F'", "'C', 'Tôle', 'A'"})
      stock(QStringLiteral("INSERT INTO TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type) VALUES "
                           "(%1)")
                .arg(a));
    for (const char* l : {"'P', 'A', 2", "'P', 'SUB', 1", "'SUB', 'C', 4"})
      stock(QStringLiteral("INSERT INTO TLIEN (TLIEN_PERE, TLIEN_FILS, TLIEN_QTEUNI, "
                           "TLIEN_VARPERE, TLIEN_VARFILS) VALUES (%1, '00', '00')")
                .arg(l));
    db::Database& plan = m_state->base(core::entry::Planning).db;
    plan.Execute("INSERT INTO TSEC VALUES ('SOUD', 'Soudure', 40, 60)");
    plan.Execute(
        "INSERT INTO TGAM (TGAM_Codart, TGAM_Vargam, TGAM_Numope, TGAM_CodSec, TGAM_Libope) "
        "VALUES ('SUB', '00', 10, 'SOUD', 'Souder')");
    m_state->routingTable = plan.OpenRecordset("TGAM", db::RecordsetType::Table);
    m_state->routingTable.setIndex("PrimaryKey");
    m_files = std::make_unique<ArticleFiles>(*m_state);
  }
  void stock(const QString& sql) { m_state->base(core::entry::Stock).db.Execute(sql); }
  QStringList query(db::Database& d, const QString& sql, const QStringList& fields) {
    QStringList out;
    for (db::Recordset rs = d.OpenRecordset(sql); !rs.EOF_(); rs.MoveNext()) {
      QStringList row;
      for (const QString& f : fields) row << rs.text(f);
      out << row.join(' ');
    }
    return out;
  }
  void addLine(int number, int depth, const QString& code, const QString& type,
               double quantity = 1) {
    m_state->localDb.Execute(
        QStringLiteral("INSERT INTO TMP_NOMENC (TMP_NumLig, TMP_Niveau, TMP_Codart, TMP_Type, "
                       "TMP_Newlig, TMP_Libart, TMP_Unite, TMP_QTEUNI) VALUES (%1, %2, '%3', "
                       "'%4', True, 'Nouveau %3', 'UN', %5)")
            .arg(number)
            .arg(depth)
            .arg(code, type)
            .arg(quantity));
  }
  std::unique_ptr<ArticleFiles> m_files;
};

TEST_F(NomenclatureTest, LoadsComponentsAndOperationsDepthFirst) {
  ASSERT_TRUE(Charger_Nomenclature(*m_files, m_state->localDb, "P", m_messages));
  EXPECT_EQ(query(m_state->localDb, "select * from TMP_NOMENC order by TMP_NumLig",
                  {"TMP_Niveau", "TMP_Codart", "TMP_Type", "TMP_QTEUNI"}),
            QStringList({"1 A A 2", "1 SUB F 1", "2 SOUD M 0", "2 C A 4"}));

  stock(
      "INSERT INTO TLIEN (TLIEN_PERE, TLIEN_VARPERE, TLIEN_FILS, TLIEN_VARFILS) VALUES "
      "('SUB', '00', 'NOPE', '00')");
  EXPECT_FALSE(Charger_Nomenclature(*m_files, m_state->localDb, "P", m_messages));
  EXPECT_EQ(m_messages.texts().last(), "Nomenclature erronée, article NOPE inconnu !");

  // C made of SUB, which is made of C: the loop is told from the parent to the component.
  stock("DELETE FROM TLIEN WHERE TLIEN_FILS = 'NOPE'");
  stock("UPDATE TARTI SET TARTI_Type = 'F' WHERE TARTI_CODART = 'C'");
  stock(
      "INSERT INTO TLIEN (TLIEN_PERE, TLIEN_VARPERE, TLIEN_FILS, TLIEN_VARFILS) VALUES "
      "('C', '00', 'SUB', '00')");
  m_messages.clear();
  EXPECT_FALSE(Charger_Nomenclature(*m_files, m_state->localDb, "P", m_messages));
  EXPECT_EQ(m_messages.texts(), QStringList{"Attention, nomenclature bouclante entre C et SUB"});
  EXPECT_EQ(m_messages.beeps(), 1);
}

// As the explosion walks it: links out of date are left out, a sub-assembly without bill is
// told; deleted loaded lines go from the database at the save, sub-assemblies keeping their
// own bill.
TEST_F(NomenclatureTest, LoadsTodaysLinksAndSavesDeletions) {
  stock("INSERT INTO TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type) VALUES ('VIDE', 'Kit', 'F')");
  stock("INSERT INTO TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type) VALUES ('OLD', 'Ancien', 'A')");
  stock("INSERT INTO TLIEN (TLIEN_PERE, TLIEN_FILS, TLIEN_QTEUNI, TLIEN_VARPERE, TLIEN_VARFILS) "
        "VALUES ('P', 'VIDE', 1, '00', '00')");
  stock("INSERT INTO TLIEN (TLIEN_PERE, TLIEN_FILS, TLIEN_QTEUNI, TLIEN_VARPERE, TLIEN_VARFILS, "
        "TLIEN_FinApplic) VALUES ('P', 'OLD', 1, '00', '00', " +
        QDate::currentDate().addDays(-1).toString("#MM/dd/yyyy#") + ")");
  ASSERT_TRUE(Charger_Nomenclature(*m_files, m_state->localDb, "P", m_messages));
  EXPECT_EQ(m_messages.texts(), QStringList{"VIDE sans décomposition!"});
  EXPECT_EQ(query(m_state->localDb, "select * from TMP_NOMENC order by TMP_NumLig",
                  {"TMP_Niveau", "TMP_Codart"}),
            QStringList({"1 A", "1 SUB", "2 SOUD", "2 C", "1 VIDE"}));

  Enregistrer_Nomenclature(*m_files, m_state->localDb, "P",
                           {{"P", "SUB", "F", 0}, {"SUB", "SOUD", "M", 10}});
  db::Database& stockDb = m_state->base(core::entry::Stock).db;
  EXPECT_EQ(query(stockDb, "select * from TLIEN order by TLIEN_PERE, TLIEN_FILS",
                  {"TLIEN_PERE", "TLIEN_FILS"}),
            QStringList({"P A", "P OLD", "P VIDE", "SUB C"}));
  EXPECT_TRUE(query(m_state->base(core::entry::Planning).db, "select * from TGAM",
                    {"TGAM_Numope"})
                  .isEmpty());
}

TEST_F(NomenclatureTest, SaveCreatesWhatTheNewLinesAdd) {
  ASSERT_TRUE(Charger_Nomenclature(*m_files, m_state->localDb, "P", m_messages));
  addLine(10, 1, "NEW", "F", 3);
  addLine(11, 2, "SOUD", "M");
  addLine(12, 2, "SOUD", "M");
  addLine(13, 1, "A", "A", 5);  // already under P
  addLine(14, 2, "  ", "A");    // left blank
  Enregistrer_Nomenclature(*m_files, m_state->localDb, "P");
  db::Database& stockDb = m_state->base(core::entry::Stock).db;
  EXPECT_EQ(query(stockDb, "select * from TLIEN where TLIEN_PERE = 'P' order by TLIEN_FILS",
                  {"TLIEN_FILS", "TLIEN_QTEUNI"}),
            QStringList({"A 2", "NEW 3", "SUB 1"}));
  EXPECT_EQ(query(stockDb, "select * from TARTI where TARTI_CODART = 'NEW'",
                  {"TARTI_Type", "TARTI_Sous_Type", "TARTI_LIBART"}),
            QStringList{"F SEM Nouveau NEW"});
  EXPECT_EQ(query(m_state->base(core::entry::Planning).db,
                  "select * from TGAM where TGAM_Codart = 'NEW' order by TGAM_Numope",
                  {"TGAM_Numope", "TGAM_CodSec"}),
            QStringList({"1 SOUD", "6 SOUD"}));
  EXPECT_EQ(
      query(m_state->localDb, "select * from TMP_NOMENC where TMP_NumLig >= 10", {"TMP_Pere"}),
      QStringList({"P", "NEW", "NEW", "P"}));
}

}  // namespace
}  // namespace tarovent::articles
