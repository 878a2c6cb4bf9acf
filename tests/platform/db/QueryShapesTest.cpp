// The statements the program builds, run on small tables, with the rows they must produce.
#include "DbTestSupport.h"

namespace tarovent::db::test {
namespace {

// What goes through the database layer rather than the translation alone: SELECT … INTO
// keeping the declarations, attached files named by path, relative IN files.
class QueryShapesTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    exec(
        "CREATE TABLE TDOS (TDOS_SOC TEXT(2), TDOS_NUMDOSS LONG, TDOS_CLIENT TEXT(10), "
        "CONSTRAINT PrimaryKey PRIMARY KEY (TDOS_SOC, TDOS_NUMDOSS))");
    exec(
        "CREATE TABLE TDEV (TDEV_SOC TEXT(2), TDEV_NUMDOSS LONG, TDEV_NSEQ SHORT, TDEV_DATE "
        "DATETIME, TDEV_MONTANT DOUBLE, CONSTRAINT PrimaryKey PRIMARY KEY "
        "(TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ))");
    exec("INSERT INTO TDOS VALUES ('AB', 1, 'C01')");
    exec("INSERT INTO TDOS VALUES ('AB', 5, 'C02')");
    exec("INSERT INTO TDEV VALUES ('AB', 1, 0, #01/10/2026#, 100)");
    exec("INSERT INTO TDEV VALUES ('AB', 1, 1, #01/20/2026#, 150)");
    exec("INSERT INTO TDEV VALUES ('AB', 5, 0, #02/01/2026#, 80)");
  }

  Database createSibling(const QString& name, const QStringList& statements) {
    Database db = m_ws.CreateDatabase(path(name));
    for (const auto& s : statements) db.Execute(s);
    return db;
  }
};

// Names are the engine's whatever their case, as the program writes them here and there.
TEST_F(QueryShapesTest, TablesAndFieldsNamedInAnotherCase) {
  exec("INSERT INTO tdos (tdos_soc, Tdos_NumDoss, TDOS_client) VALUES ('CD', 7, 'C07')");
  exec("UPDATE Tdev SET tdev_montant = tdev_Montant + 1 WHERE TDEV_nseq = 0");
  EXPECT_EQ(column("SELECT tdos.Tdos_Client, TDEV.tdev_MONTANT FROM Tdos INNER JOIN tdev ON "
                   "TDOS.TDOS_SOC = Tdev.tdev_soc AND tdos.tdos_numdoss = TDEV.TDEV_NUMDOSS "
                   "WHERE TDEV.TDEV_NSEQ = 0 ORDER BY tdos.TDOS_NUMDOSS",
                   "TDEV_MONTANT"),
            QStringList({"101", "81"}));
  Recordset rs = m_db.OpenRecordset("select * from tdos where tdos_numdoss = 7",
                                    RecordsetType::Dynaset);
  ASSERT_FALSE(rs.EOF_());
  EXPECT_EQ(rs.fieldSpec(0).name, "TDOS_SOC");  // as defined
  rs.Edit();
  rs.setValue("tdos_client", "C70");
  rs.Update();
  EXPECT_EQ(column("SELECT TDOS_CLIENT FROM TDOS WHERE TDOS_NUMDOSS = 7", "TDOS_CLIENT"),
            QStringList{"C70"});
}

TEST_F(QueryShapesTest, WorkTablesCopiedIntoTheLocalDatabase) {
  exec("CREATE TABLE TMP_TABLEAU (TMP_NUM LONG, TMP_NUMTAB LONG, TMP_CODE TEXT(20))");
  exec("INSERT INTO TMP_TABLEAU VALUES (1, 2, 'A''B')");
  Database local = m_ws.CreateDatabase(path("BDLOC.MDB"));
  local.Close();
  QDir::setCurrent(m_dir.path());
  exec("SELECT DISTINCTROW * INTO TMP_TABLEAU IN 'bdloc.mdb' from TMP_TABLEAU;");
  local = m_ws.OpenDatabase(path("BDLOC.MDB"));
  Recordset rs =
      local.OpenRecordset("select * from TMP_TABLEAU where TMP_NUMTAB=2 order by TMP_NUM;");
  ASSERT_EQ(rs.RecordCount(), 1);
  EXPECT_EQ(rs.text("TMP_CODE"), "A'B");
  EXPECT_EQ(local.tableDef("TMP_TABLEAU").Field("TMP_CODE").type, FieldType::Text);
  local.Execute("delete * from TMP_TABLEAU;");
  EXPECT_EQ(local.OpenRecordset("TMP_TABLEAU").RecordCount(), 0);
}

TEST_F(QueryShapesTest, TranslationsLoadedFromAnotherFile) {
  createSibling("BDTRAD.MDB",
                {"CREATE TABLE TTRAD (T_VALEUR TEXT(255), T_TRAD1 TEXT(255), T_TRAD2 TEXT(255))",
                 "INSERT INTO TTRAD VALUES ('Quitter', 'Quit', Null)",
                 "INSERT INTO TTRAD VALUES ('Enregistrez ou annulez votre saisie et recommencez', "
                 "'Save or cancel', '')",
                 "INSERT INTO TTRAD VALUES ('Dossier', '', 'Akt')"});
  Database local = m_ws.CreateDatabase(path("BDLOC.MDB"));
  local.Execute("CREATE TABLE TMP_TRAD (T_ABREGE TEXT(20), T_VALEUR TEXT(255), T_TRAD TEXT(255))");
  const QString folder = m_dir.path() + "/";
  local.Execute(
      "INSERT INTO TMP_TRAD ( T_ABREGE, T_VALEUR, T_TRAD ) SELECT Left([T_VALEUR],20) AS "
      "Expr1, TTRAD.T_VALEUR, TTRAD.T_TRAD1 FROM [" +
      folder +
      "BDTRAD.MDB].TTRAD where "
      "TTRAD.T_TRAD1 & '' <> '' order by T_VALEUR; ");
  QStringList abr;
  Recordset rs = local.OpenRecordset("select * from TMP_TRAD order by T_ABREGE");
  for (; !rs.EOF_(); rs.MoveNext()) abr << rs.text("T_ABREGE") + "=" + rs.text("T_TRAD");
  EXPECT_EQ(abr, QStringList({"Enregistrez ou annul=Save or cancel", "Quitter=Quit"}));
}

TEST_F(QueryShapesTest, DuplicationThroughWorkTablesOfTheSameDeclarations) {
  exec("SELECT TDOS.* INTO TMP_DOS From TDOS WHERE (((TDOS.TDOS_SOC) Is Null));");
  exec("SELECT TDEV.* INTO TMP_DEV From TDEV WHERE (((TDEV.TDEV_SOC) Is Null));");
  EXPECT_EQ(m_db.tableDef("TMP_DEV").Field("TDEV_DATE").type, FieldType::Date);
  EXPECT_EQ(m_db.tableDef("TMP_DOS").Field("TDOS_CLIENT").effectiveSize(), 10);
  EXPECT_EQ(column("select * from TMP_DEV", "TDEV_SOC"), QStringList());
  const QString main = m_db.Name();
  exec("delete * from TMP_DOS;");
  exec("delete * from TMP_DEV;");
  exec("INSERT INTO TMP_DOS SELECT TDOS.* From [" + main +
       "].TDOS WHERE (((TDOS_SOC)='AB') AND ((TDOS_NUMDOSS)=1));");
  exec("INSERT INTO TMP_DEV SELECT TDEV.* From [" + main +
       "].TDEV WHERE (((TDEV_SOC)='AB') AND ((TDEV_NUMDOSS)=1)) ORDER BY TDEV_NSEQ DESC;");
  Recordset dev = m_db.OpenRecordset("TMP_DEV");
  EXPECT_EQ(dev.text("TDEV_NSEQ"), "1");  // highest sequence first, in insertion order
  exec("UPDATE TMP_DOS SET TDOS_SOC = 'CD', TDOS_NUMDOSS = 10");
  exec("UPDATE TMP_DEV SET TDEV_SOC = 'CD', TDEV_NUMDOSS = 10");
  exec("INSERT INTO [" + main + "].TDOS SELECT TMP_DOS.* FROM TMP_DOS;");
  exec("INSERT INTO [" + main + "].TDEV SELECT TMP_DEV.* FROM TMP_DEV;");
  EXPECT_EQ(column("select * from TDEV where TDEV_SOC = 'CD' and TDEV_NUMDOSS = 10 order by "
                   "TDEV_NSEQ",
                   "TDEV_MONTANT"),
            QStringList({"100", "150"}));
}

}  // namespace
}  // namespace tarovent::db::test
