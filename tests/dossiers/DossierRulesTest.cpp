#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "DossierTestSupport.h"
#include "dossiers/DossierRules.h"

namespace tarovent::dossiers {
namespace {

class DossierRules : public test::MainDbTest {
 protected:
  void version(const QString& company, long number, int seq, const QString& date) {
    m_db.Execute(QStringLiteral("INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE) "
                                "VALUES ('%1', %2, %3, %4)")
                     .arg(company)
                     .arg(number)
                     .arg(seq)
                     .arg(date));
  }
  QStringList names(const QStringList& paths) {
    QStringList n;
    for (const QString& p : paths) n << QDir(m_dir.path()).relativeFilePath(p);
    n.sort();
    return n;
  }
};

TEST_F(DossierRules, LastVersionDateSeeksTheHighestSequenceOfTheDossier) {
  version("AB", 2, 0, "#01/05/2026#");
  version("AB", 4, 0, "#02/01/2026#");
  version("AB", 4, 1, "#02/02/2026#");
  version("AB", 4, 7, "#02/09/2026#");
  version("AB", 10, 0, "#03/01/2026#");
  version("CD", 4, 0, "#04/01/2026#");
  version("CD", 6, 3, "Null");
  DossierRowCells cells;
  EXPECT_EQ(cells.lastVersionDate("AB", 4), "");  // not opened yet
  cells.open(m_db, m_db);
  const struct {
    const char* company;
    long number;
    const char* date;
  } cases[] = {
      {"AB", 4, "09/02/26"},   // the highest sequence, between other dossiers
      {"AB", 2, "05/01/26"},   // the first key of the table
      {"AB", 3, ""},           // no version: the record before belongs to AB 2
      {"AB", 1, ""},           // before the first key
      {"AB", 10, "01/03/26"},  // numbers compare as numbers, not as text
      {"CD", 4, "01/04/26"},   // same number, other company
      {"CD", 6, ""},           // the last key of the table, its date Null
      {"CD", 9, ""},           // past the end: the last record is another dossier's
      {"ab", 4, "09/02/26"},   // codes compare as the engine compares them
  };
  for (const auto& c : cases)
    EXPECT_EQ(cells.lastVersionDate(c.company, c.number), c.date) << c.company << c.number;
  EXPECT_EQ(cells.clientName("C2") + cells.clientName("C9") + cells.clientName(""), "Berthier");
}

TEST_F(DossierRules, VehicleFoundByComplementThenRegistration) {
  m_db.Execute(
      "INSERT INTO TVEH (TVEH_CODCLI, TVEH_IMMAT, TVEH_COMPLIDENT, TVEH_MARQUE, TVEH_USER3, "
      "TVEH_USER15) VALUES ('C1', 'AA-111-AA', 'SERIE1', 'Iveco', Null, 'quinze')");
  m_db.Execute(
      "INSERT INTO TVEH (TVEH_CODCLI, TVEH_IMMAT, TVEH_USER3, TVEH_USER4) "
      "VALUES ('C2', 'BB-222', 'trois', '')");
  m_db.Execute("INSERT INTO TVEH (TVEH_CODCLI, TVEH_IMMAT) VALUES ('C2', 'CC1')");

  auto byComplement = vehicleFill(m_db, "BB-222", "SERIE1");
  ASSERT_TRUE(byComplement);
  EXPECT_EQ(byComplement->make, "Iveco");
  EXPECT_EQ(byComplement->userFields, (QMap<int, QString>{{15, "quinze"}}));  // Null 3 absent

  auto byRegistration = vehicleFill(m_db, "BB-222", "INCONNU");
  ASSERT_TRUE(byRegistration);
  EXPECT_EQ(byRegistration->make, "");
  EXPECT_EQ(byRegistration->userFields, (QMap<int, QString>{{3, "trois"}, {4, ""}}));

  EXPECT_FALSE(vehicleFill(m_db, "CC1", ""));  // too short to be looked for
  EXPECT_FALSE(vehicleFill(m_db, "ZZ-000", "RIEN"));
}

TEST_F(DossierRules, DocumentsOfADossierInFolderAndSubfolder) {
  ASSERT_TRUE(QDir(m_dir.path()).mkdir("DOC_TAROVENT"));
  for (const char* name : {"00012_00.AB", "DOC_TAROVENT/00012_01.AB", "00012_00.CD", "00112_00.AB",
                           "00012_00.ABC", "00012_100.AB", "00012.AB"}) {
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  EXPECT_EQ(names(dossierDocuments(m_dir.path() + '/', "AB", 12)),
            (QStringList{"00012_00.AB", "DOC_TAROVENT/00012_01.AB"}));
  EXPECT_TRUE(dossierDocuments(m_dir.path() + '/', "AB", 13).isEmpty());
  // Dossier 100012 would find dossier 12's texts, whose names it shares.
  EXPECT_TRUE(dossierDocuments(m_dir.path() + '/', "AB", 100012).isEmpty());
}

TEST_F(DossierRules, ClientSearchTakesTheCodeThenTheName) {
  for (const char* c : {"'MENU', 'Menuiserie du Morvan'", "'SCIE', 'Scierie des Vosges'",
                        "'DUP', 'Dupont'"})
    m_db.Execute(QStringLiteral("INSERT INTO TCLI (TCLI_CODE, TCLI_RS) VALUES (%1)").arg(c));
  db::Recordset clients = m_db.OpenRecordset("select TCLI_CODE, TCLI_RS from TCLI order by TCLI_CODE");
  const struct {
    const char* typed;
    const char* found;
  } cases[] = {
      {"SC", "SCIE"},      // a code beginning so
      {"Morvan", "MENU"},  // no code: the name holding it
      {"dupont", "DUP"},   // a name, whatever its case
      {"B", "C1"},         // no code, no name holding it: the first code after
      {"ZZ", "SCIE"},      // past every code: the last client
  };
  for (const auto& c : cases) {
    findClient(clients, c.typed);
    EXPECT_EQ(clients.text("TCLI_CODE"), c.found) << c.typed;
  }
}

TEST_F(DossierRules, SourcesOfTheWorkspace) {
  m_db.Execute(
      "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_CAL) VALUES "
      "('AB', 1, 'C1', 'JD')");
  m_db.Execute(
      "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_CAL) VALUES "
      "('AB', 2, 'C1', 'MA')");
  m_db.Execute("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT) VALUES ('ZZ', 1, 'C2')");
  const auto rows = [this](const QString& sql) {
    QStringList r;
    db::Recordset rs = m_db.OpenRecordset(sql, db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
    for (; !rs.EOF_(); rs.MoveNext()) r << rs.text("TDOS_SOC") + rs.text("TDOS_NUMDOSS");
    return r;
  };
  EXPECT_EQ(rows(dossierSql::dossiers("")), (QStringList{"AB2", "AB1", "ZZ1"}));
  EXPECT_EQ(rows(dossierSql::dossiers("JD")), QStringList{"AB1"});
  EXPECT_TRUE(rows(dossierSql::dossiers("O'B")).isEmpty());
  EXPECT_EQ(m_db.OpenRecordset(dossierSql::companies(true)).RecordCount(), 1);
  EXPECT_EQ(dossierSql::clientBuffer("DU"), "left(TCLI_Code,2) >='DU'");
  EXPECT_TRUE(quoteTypesExist(m_db));
  m_db.Execute("DELETE FROM TTYP");
  EXPECT_FALSE(quoteTypesExist(m_db));
}

}  // namespace
}  // namespace tarovent::dossiers
