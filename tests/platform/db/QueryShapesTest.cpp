// The statements the program builds, run on small tables, with the rows they must produce.
#include <QDate>

#include "DbTestSupport.h"

namespace tarovent::db::test {
namespace {

QString usDate(const QDate& d) { return d.toString("MM/dd/yyyy"); }

class QueryShapesTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    exec(
        "CREATE TABLE TSOC (TSOC_CODE TEXT(2), TSOC_NSEQ LONG, TSOC_Desactive YESNO, "
        "CONSTRAINT PrimaryKey PRIMARY KEY (TSOC_CODE))");
    exec(
        "CREATE TABLE TDOS (TDOS_SOC TEXT(2), TDOS_NUMDOSS LONG, TDOS_CLIENT TEXT(10), "
        "TDOS_CAL TEXT(5), TDOS_TYPE TEXT(5), TDOS_RESUME TEXT(60), TDOS_USER1 TEXT(20), "
        "TDOS_USER2 TEXT(20), TDOS_CM TEXT(5), CONSTRAINT PrimaryKey PRIMARY KEY (TDOS_SOC, "
        "TDOS_NUMDOSS))");
    exec(
        "CREATE TABLE TDEV (TDEV_SOC TEXT(2), TDEV_NUMDOSS LONG, TDEV_NSEQ SHORT, TDEV_DATE "
        "DATETIME, TDEV_DATREL DATETIME, TDEV_MONTANT DOUBLE, CONSTRAINT PrimaryKey PRIMARY KEY "
        "(TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ))");
    exec("INSERT INTO TSOC VALUES ('AB', 2, False)");
    exec("INSERT INTO TSOC VALUES ('CD', 9, True)");
    exec("INSERT INTO TDOS VALUES ('AB', 1, 'C01', 'JD', 'REP', 'Pompe', 'u1', 'u2', 'x')");
    exec("INSERT INTO TDOS VALUES ('AB', 5, 'C02', 'MM', 'FAB', 'Grille', 'v1', Null, 'y')");
    exec("INSERT INTO TDOS VALUES ('CD', 3, 'C01', 'JD', 'REP', 'Portail', Null, Null, 'z')");
    const QDate today = QDate::currentDate();
    m_yesterday = usDate(today.addDays(-1));
    m_tomorrow = usDate(today.addDays(1));
    exec("INSERT INTO TDEV VALUES ('AB', 1, 0, #01/10/2026#, #" + m_yesterday + "#, 100)");
    exec("INSERT INTO TDEV VALUES ('AB', 1, 1, #01/20/2026#, Null, 150)");
    exec("INSERT INTO TDEV VALUES ('AB', 5, 0, #02/01/2026#, #" + m_tomorrow + "#, 80)");
    exec("INSERT INTO TDEV VALUES ('CD', 3, 0, #03/01/2026#, #" + usDate(today) + "#, 40)");
    exec("INSERT INTO TDEV VALUES ('ZZ', 7, 0, #03/05/2026#, #" + m_yesterday + "#, 1)");
  }

  Database createSibling(const QString& name, const QStringList& statements) {
    Database db = m_ws.CreateDatabase(path(name));
    for (const auto& s : statements) db.Execute(s);
    return db;
  }

  QString m_yesterday, m_tomorrow;
};

TEST_F(QueryShapesTest, CompanyCounterAggregate) {
  const QStringList got = column(
      "SELECT TDOS.TDOS_SOC, Max(TDOS.TDOS_NUMDOSS) AS DERNDOSS From TDOS GROUP BY "
      "TDOS.TDOS_SOC Having (((TDOS.TDOS_SOC) = 'ab')) ORDER BY TDOS.TDOS_SOC;",
      "DERNDOSS");
  EXPECT_EQ(got, QStringList({"5"}));
  EXPECT_EQ(column("select * from TSOC where TSOC_Desactive=false;", "TSOC_CODE"),
            QStringList({"AB"}));
  EXPECT_EQ(column("select * from TDOS order by TDOS_SOC, TDOS_NUMDOSS DESC;", "TDOS_NUMDOSS"),
            QStringList({"5", "1", "3"}));
  EXPECT_EQ(column("select * from TDEV where TDEV_SOC < '' ", "TDEV_SOC"), QStringList());
  EXPECT_EQ(column("select * from TDEV where ( TDEV_SOC = 'AB' and TDEV_NUMDOSS = 1) order by "
                   "TDEV_NSEQ",
                   "TDEV_MONTANT"),
            QStringList({"100", "150"}));
}

TEST_F(QueryShapesTest, WorkTableCopiesStructureOnly) {
  exec("SELECT TDOS.* INTO TMP_DOS From TDOS WHERE (((TDOS.TDOS_SOC) Is Null));");
  exec("SELECT TDEV.* INTO TMP_DEV From TDEV WHERE (((TDEV.TDEV_SOC) Is Null));");
  EXPECT_TRUE(m_db.hasTable("TMP_DOS"));
  EXPECT_EQ(m_db.tableDef("TMP_DEV").Field("TDEV_DATE").type, FieldType::Date);
  EXPECT_EQ(m_db.tableDef("TMP_DOS").Field("TDOS_CLIENT").effectiveSize(), 10);
  EXPECT_EQ(column("select * from TMP_DEV", "TDEV_SOC"), QStringList());
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
  local.Execute("CREATE INDEX NTX_ABREGE ON TMP_TRAD (T_ABREGE)");
  Recordset t = local.OpenRecordset("TMP_TRAD");
  t.setIndex("NTX_ABREGE");
  t.Seek("=", "QUITTER");
  EXPECT_FALSE(t.NoMatch());
}

TEST_F(QueryShapesTest, DuplicationThroughWorkTables) {
  exec("SELECT TDOS.* INTO TMP_DOS From TDOS WHERE (((TDOS.TDOS_SOC) Is Null));");
  exec("SELECT TDEV.* INTO TMP_DEV From TDEV WHERE (((TDEV.TDEV_SOC) Is Null));");
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

TEST_F(QueryShapesTest, LatestQuoteAndReminderLists) {
  EXPECT_EQ(
      column("SELECT TDEV.TDEV_SOC AS SOC, Max(TDEV.TDEV_NUMDOSS) AS NUMDOSS, "
             "Max(TDEV.TDEV_DATE) AS DATMAX FROM TDEV INNER JOIN TDOS ON (TDEV.TDEV_NUMDOSS "
             "= TDOS.TDOS_NUMDOSS) AND (TDEV.TDEV_SOC = TDOS.TDOS_SOC) GROUP BY TDEV.TDEV_SOC "
             "ORDER BY TDEV.TDEV_SOC;",
             "DATMAX"),
      QStringList({"2026-02-01", "2026-03-01"}));
  const QString reminders =
      "SELECT * FROM TDOS RIGHT JOIN TDEV ON (TDOS.TDOS_NUMDOSS = TDEV.TDEV_NUMDOSS) AND "
      "(TDOS.TDOS_SOC = TDEV.TDEV_SOC) where TDEV.TDEV_DATREL Is Not Null And TDEV.TDEV_DATREL <= "
      "Date() ";
  const QString order =
      "ORDER BY TDEV.TDEV_DATREL, TDEV.TDEV_SOC, TDEV.TDEV_NUMDOSS, TDEV.TDEV_NSEQ;";
  // The version without a dossier still comes through the right join; tomorrow's does not.
  EXPECT_EQ(column(reminders + order, "TDEV_SOC"), QStringList({"AB", "ZZ", "CD"}));
  EXPECT_EQ(column(reminders + order, "TDOS_CLIENT"), QStringList({"C01", "<null>", "C01"}));
  EXPECT_EQ(column(reminders + "and TDOS.TDOS_CAL = 'jd' " + order, "TDEV_NUMDOSS"),
            QStringList({"1", "3"}));
  EXPECT_EQ(column("SELECT Right('00000' & TDEV_NUMDOSS,5) & '_' & Right('00' & TDEV_NSEQ,2) & "
                   "'.' & TDEV_SOC AS NumDevis, * FROM TDOS RIGHT JOIN TDEV ON (TDOS.TDOS_NUMDOSS "
                   "= TDEV.TDEV_NUMDOSS) AND (TDOS.TDOS_SOC = TDEV.TDEV_SOC) Where "
                   "(((TDOS.TDOS_CAL) = 'JD')) ORDER BY TDEV.TDEV_NUMDOSS DESC;",
                   "NumDevis"),
            QStringList({"00003_00.CD", "00001_00.AB", "00001_01.AB"}));
}

TEST_F(QueryShapesTest, StatisticsKeepTheLastVersionOfEachDossier) {
  createSibling("CLIENT.MDB", {"CREATE TABLE TCLI (TCLI_CODE TEXT(10), TCLI_CATEG TEXT(5))",
                               "INSERT INTO TCLI VALUES ('C01', 'IND')",
                               "INSERT INTO TCLI VALUES ('C02', 'AGR')"});
  exec(
      "CREATE TABLE TMP_RENTA (SOC TEXT(2), NUMDOSS LONG, NUMDEV SHORT, DATDEV DATETIME, DATREL "
      "DATETIME, MONTANT DOUBLE, CLIENT TEXT(10), TYPE TEXT(5), CAL TEXT(5), RESUME TEXT(60), "
      "USER1 TEXT(20), USER2 TEXT(20), NUMAFF TEXT(10), CM TEXT(5))");
  const QString main = m_db.Name();
  const QString cli = path("CLIENT.MDB");
  QString condition =
      "where TDEV_DATE >= #01/01/1900# AND TDEV_DATE <= #12/31/2100# AND "
      "TDOS_CLIENT = 'C01' AND ";
  condition.chop(4);
  exec("delete * from TMP_RENTA");
  exec(
      "INSERT INTO TMP_RENTA ( SOC, NUMDOSS, NUMDEV, DATDEV, DATREL, MONTANT, CLIENT, TYPE, CAL, "
      "RESUME, USER1, USER2, NUMAFF, CM) SELECT TDEV.TDEV_SOC, TDEV.TDEV_NUMDOSS, "
      "Last(TDEV.TDEV_NSEQ) AS DNSEQ, Last(TDEV.TDEV_DATE) AS DDATE, Last(TDEV.TDEV_DATREL) AS "
      "DDATREL, Last(TDEV.TDEV_MONTANT) AS DMONTANT, Last(TDOS.TDOS_CLIENT) AS DCLIENT, "
      "Last(TDOS.TDOS_TYPE) AS DTYPE, Last(TDOS.TDOS_CAL) AS DCAL, Last(TDOS.TDOS_RESUME) AS "
      "DRESUME, Last(TDOS.TDOS_USER1) AS DUSER1, Last(TDOS.TDOS_USER2) AS DUSER2, '' AS Expr1 , "
      "last(TDOS.TDOS_CM) as CM FROM ([" +
      main + "].TDEV LEFT JOIN [" + main +
      "].TDOS ON "
      "(TDEV.TDEV_NUMDOSS = TDOS.TDOS_NUMDOSS) AND (TDEV.TDEV_SOC = TDOS.TDOS_SOC)) left join [" +
      cli + "].TCLI on TDOS.TDOS_CLIENT = TCLI.TCLI_CODE " + condition +
      "GROUP BY TDEV.TDEV_SOC, TDEV.TDEV_NUMDOSS ORDER BY TDEV.TDEV_SOC, TDEV.TDEV_NUMDOSS; ");
  EXPECT_EQ(column("select * from TMP_RENTA order by SOC", "NUMDEV"), QStringList({"1", "0"}));
  EXPECT_EQ(column("select * from TMP_RENTA order by SOC", "MONTANT"), QStringList({"150", "40"}));
  EXPECT_EQ(column("select * from TMP_RENTA order by SOC", "DATDEV"),
            QStringList({"2026-01-20", "2026-03-01"}));
  exec("delete * from TMP_RENTA");
  exec(
      "INSERT INTO TMP_RENTA (SOC, NUMDOSS) SELECT TDEV.TDEV_SOC, TDEV.TDEV_NUMDOSS FROM TDEV "
      "LEFT JOIN [" +
      cli +
      "].TCLI ON TDEV.TDEV_SOC = TCLI.TCLI_CODE WHERE TCLI.TCLI_CATEG Is "
      "Null GROUP BY TDEV.TDEV_SOC, TDEV.TDEV_NUMDOSS");
  EXPECT_EQ(column("select * from TMP_RENTA", "SOC").size(), 4);
}

TEST_F(QueryShapesTest, OrderCostTotals) {
  createSibling(
      "PLAN.MDB",
      {"CREATE TABLE THEU (THEU_NumAff TEXT(10), THEU_CodSec TEXT(5), THEU_NbrHRea TEXT(10))",
       "CREATE TABLE TSEC (TSEC_CodSec TEXT(5), TSEC_CoutHRevient DOUBLE)",
       "INSERT INTO TSEC VALUES ('SOU', 40)", "INSERT INTO TSEC VALUES ('TOU', 50)",
       "INSERT INTO THEU VALUES ('AF1', 'SOU', '2')",
       "INSERT INTO THEU VALUES ('AF1', 'TOU', '1.5')", "INSERT INTO THEU VALUES ('AF1', '*', '9')",
       "INSERT INTO THEU VALUES ('AF2', 'SOU', Null)",
       "INSERT INTO THEU VALUES ('AF3', 'SOU', '0')"});
  createSibling("ACHAT.MDB",
                {"CREATE TABLE TCMD (TCMD_NumCmde TEXT(10), TCMD_NumAff TEXT(10))",
                 "CREATE TABLE TCMD_DETAIL (TCMD_DETAIL_NumCmde TEXT(10), TCMD_DETAIL_Qte DOUBLE, "
                 "TCMD_DETAIL_PrixUnit DOUBLE, TCMD_DETAIL_PCRemise DOUBLE, TCMD_DETAIL_RefFourn "
                 "TEXT(20))",
                 "INSERT INTO TCMD VALUES ('K1', 'AF1')", "INSERT INTO TCMD VALUES ('K2', Null)",
                 "INSERT INTO TCMD_DETAIL VALUES ('K1', 2, 100, 10, 'R1')",
                 "INSERT INTO TCMD_DETAIL VALUES ('K1', 1, 50, 0, '*')",
                 "INSERT INTO TCMD_DETAIL VALUES ('K2', 1, 10, 0, 'R2')"});
  createSibling("STOCK.MDB",
                {"CREATE TABLE TMVTS (TMVTS_IMP1 TEXT(10), TMVTS_CODMVT TEXT(1), TMVTS_QTE DOUBLE, "
                 "TMVTS_PU DOUBLE)",
                 "INSERT INTO TMVTS VALUES ('AF1', 'S', 3, 10)",
                 "INSERT INTO TMVTS VALUES ('AF1', 'E', 5, 10)",
                 "INSERT INTO TMVTS VALUES ('AF2', 'S', 1, 0)"});
  createSibling(
      "GESCOM.MDB",
      {"CREATE TABLE TFAC (TFAC_NumFact TEXT(10), TFAC_NumAff TEXT(10), TFAC_MtHT DOUBLE)",
       "CREATE TABLE TAFF (TAFF_Numaff TEXT(10), TAFF_NomClient TEXT(50), TAFF_DatCrea "
       "DATETIME, TAFF_QTE DOUBLE, TAFF_DatMaj DATETIME, TAFF_TYPTRAV TEXT(5), TAFF_Etat "
       "TEXT(1), TAFF_NUMDEV TEXT(20))",
       "INSERT INTO TFAC VALUES ('F001', 'AF1', 500)",
       "INSERT INTO TFAC VALUES ('F002', 'AF1', 100)",
       "INSERT INTO TFAC VALUES ('PF-01', 'AF1', 999)", "INSERT INTO TFAC VALUES ('F003', '*', 50)",
       "INSERT INTO TAFF VALUES ('AF2', 'Zoé', #02/01/2026#, 2, #06/10/2026#, 'REP', "
       "'F', 'AB00001')",
       "INSERT INTO TAFF VALUES ('AF1', 'Ateliers d''Épinal', #01/01/2026#, Null, "
       "#06/01/2026#, 'REP', 'F', Null)",
       "INSERT INTO TAFF VALUES ('AF3', 'X', #01/01/2026#, 1, #06/01/2026#, 'FAB', "
       "'F', 'CD00003')"});
  const QString plan = path("PLAN.MDB"), achat = path("ACHAT.MDB"), stock = path("STOCK.MDB"),
                gescom = path("GESCOM.MDB");
  exec("CREATE TABLE TMP_STATAFF (NumAff TEXT(10), Client TEXT(50), DateAff DATETIME, Qte DOUBLE)");
  exec("delete * from TMP_STATAFF");
  exec(
      "INSERT INTO TMP_STATAFF ( NumAff, Client, DateAff, Qte ) SELECT DISTINCTROW "
      "TAFF.TAFF_Numaff, TAFF.TAFF_NomClient, TAFF.TAFF_DatCrea, TAFF.TAFF_QTE FROM [" +
      gescom +
      "].TAFF where TAFF_DatMaj>=#05/01/2026# and TAFF_DatMaj<=#06/30/2026# and TAFF_TYPTRAV = "
      "'REP' and TAFF_Etat ='F' order by TAFF_NumAFF;");
  EXPECT_EQ(column("TMP_STATAFF", "NumAff"), QStringList({"AF1", "AF2"}));

  const QString labour =
      "SELECT DISTINCTROW THEU.THEU_NumAff, Sum(CDbl([THEU_NbrHRea])*[TSEC_CoutHRevient]) AS "
      "TotMDO FROM [" +
      plan + "].THEU LEFT JOIN [" + plan +
      "].TSEC ON THEU.THEU_CodSec = "
      "TSEC.TSEC_CodSec where THEU.THEU_CODSEC <> '*' and THEU.THEU_NbrHRea is not null GROUP BY "
      "THEU.THEU_NumAff Having (((Sum(CDbl([THEU_NbrHRea]) * [TSEC_CoutHRevient])) <> 0) And "
      "((Sum(THEU.THEU_NbrHRea)) <> 0 And (Sum(THEU.THEU_NbrHRea)) Is Not Null)) ORDER BY "
      "THEU.THEU_NumAff;";
  EXPECT_EQ(column(labour, "TotMDO"), QStringList({"155"}));
  Recordset mdo = m_db.OpenRecordset(labour);
  mdo.FindFirst("THEU_NumAff='AF1'");
  EXPECT_FALSE(mdo.NoMatch());

  const QString supplier =
      "SELECT DISTINCTROW TCMD.TCMD_NumAff, Sum(([TCMD_DETAIL_Qte]*[TCMD_DETAIL_PrixUnit])*(1-(["
      "TCMD_DETAIL_PCRemise]/100))) AS TotFou FROM [" +
      achat + "].TCMD LEFT JOIN [" + achat +
      "].TCMD_DETAIL ON TCMD.TCMD_NumCmde = TCMD_DETAIL.TCMD_DETAIL_NumCmde GROUP BY "
      "TCMD.TCMD_NumAff, [TCMD_DETAIL_RefFourn]<>'*' HAVING ((TCMD.TCMD_NumAff Is Not Null) AND "
      "(([TCMD_DETAIL_RefFourn]<>'*')=True));";
  EXPECT_EQ(column(supplier, "TotFou"), QStringList({"180"}));

  const QString store =
      "SELECT DISTINCTROW TMVTS.TMVTS_IMP1, Sum([TMVTS_QTE]*[TMVTS_PU]) AS TotMag From [" + stock +
      "].TMVTS GROUP BY TMVTS.TMVTS_IMP1, TMVTS.TMVTS_CODMVT HAVING (((Sum([TMVTS_QTE]*[TMVTS_PU]))"
      "<>0) AND (TMVTS.TMVTS_CODMVT='S')) ORDER BY TMVTS.TMVTS_IMP1;";
  EXPECT_EQ(column(store, "TotMag"), QStringList({"30"}));

  const QString invoices =
      "SELECT DISTINCTROW TFAC.TFAC_NumAff, Sum(TFAC.TFAC_MtHT) AS TotFac From [" + gescom +
      "].TFAC GROUP BY TFAC.TFAC_NumFact, TFAC.TFAC_NumAff Having ((TFAC.TFAC_NumFact < 'PF-') And "
      "(TFAC.TFAC_NumAff <> '*') And ((Sum(TFAC.TFAC_MtHT)) > 0)) ORDER BY TFAC.TFAC_NumAff;";
  QStringList totals = column(invoices, "TotFac");
  totals.sort();
  EXPECT_EQ(totals, QStringList({"100", "500"}));  // one row per invoice

  // Business number of a quote.
  Database com = m_ws.OpenDatabase(gescom);
  Recordset aff = com.OpenRecordset("select * from TAFF where TAFF_NUMDEV & '' <> ''");
  EXPECT_EQ(aff.RecordCount(), 2);
  aff.FindFirst("left(TAFF_NUMDEV,7) = 'CD00003'");
  ASSERT_FALSE(aff.NoMatch());
  EXPECT_EQ(aff.text("TAFF_Numaff"), "AF3");
}

TEST_F(QueryShapesTest, VisitsAndDocumentBase) {
  exec("CREATE TABLE TCLI (TCLI_CODE TEXT(10), TCLI_NOM TEXT(50))");
  exec("CREATE TABLE TVIS (TVIS_CODCLI TEXT(10), TVIS_DatePrev DATETIME, TVIS_DateRea DATETIME)");
  exec("INSERT INTO TCLI VALUES ('C01', 'Ateliers d''Épinal')");
  exec("INSERT INTO TVIS VALUES ('C01', #05/01/2026#, Null)");
  exec("INSERT INTO TVIS VALUES ('C01', #04/01/2026#, #04/02/2026#)");
  exec("INSERT INTO TVIS VALUES ('C02', #03/01/2026#, Null)");
  const QString base =
      "Select * From TVIS LEFT JOIN TCLI ON TVIS.TVIS_CODCLI = TCLI.TCLI_CODE "
      "WHERE TVIS_CODCLI='C01' ";
  EXPECT_EQ(column(base + "ORDER BY TVIS_DatePrev DESC;", "TVIS_DatePrev"),
            QStringList({"2026-05-01", "2026-04-01"}));
  EXPECT_EQ(column(base + "AND isnull(TVIS_DateRea) ORDER BY TVIS_DatePrev DESC;", "TVIS_DatePrev"),
            QStringList({"2026-05-01"}));
  EXPECT_EQ(
      column(base + "AND not isnull(TVIS_DateRea) ORDER BY TVIS_DatePrev DESC;", "TVIS_DateRea"),
      QStringList({"2026-04-02"}));
  EXPECT_EQ(column("Select * from TVIS left join TCLI on TVIS.TVIS_CODCLI = TCLI.TCLI_CODE WHERE "
                   "TVIS_DatePrev<#04/15/2026# AND IsNull(TVIS_DateRea) ORDER BY TVIS_CODCLI;",
                   "TCLI_NOM"),
            QStringList({"<null>"}));

  exec("CREATE TABLE TPROJ (PROJET TEXT(20), PATHBASE TEXT(255))");
  exec("CREATE TABLE TPROJ_DETAIL (PROJET TEXT(20), VALCHAMP TEXT(50), FICHIER TEXT(255))");
  exec("INSERT INTO TPROJ_DETAIL VALUES ('QUILMORA', 'ART''01', 'photo.jpg')");
  EXPECT_EQ(column("select * from TPROJ where PROJET = 'ZORVANE'", "PROJET"), QStringList());
  EXPECT_EQ(column("select * from TPROJ_DETAIL where PROJET='QUILMORA' and VALCHAMP=" +
                       sqlLiteral("art'01"),
                   "FICHIER"),
            QStringList({"photo.jpg"}));
  EXPECT_EQ(column("select * from TCLI where TCLI_NOM = 'ATELIERS D''ÉPINAL'", "TCLI_CODE"),
            QStringList({"C01"}));
}

TEST_F(QueryShapesTest, TextComparisonAndOrderIgnoreCase) {
  exec("CREATE TABLE TNOM (NOM TEXT(20))");
  for (const char* n : {"C", "b", "A", "ÉLÈVE", "e", "f"})
    exec(QStringLiteral("INSERT INTO TNOM VALUES ('%1')").arg(QString::fromUtf8(n)));
  EXPECT_EQ(column("select * from TNOM WHERE NOM = 'élève'", "NOM"), QStringList({"ÉLÈVE"}));
  EXPECT_EQ(column("select * from TNOM ORDER BY NOM", "NOM"),
            QStringList({"A", "b", "C", "e", "ÉLÈVE", "f"}));
  EXPECT_EQ(column("select * from TNOM WHERE NOM Like 'é*'", "NOM"), QStringList({"ÉLÈVE"}));
  EXPECT_EQ(column("select * from TNOM WHERE InStr(NOM, 'LÈ') > 0", "NOM"), QStringList({"ÉLÈVE"}));
  EXPECT_DB_ERROR(exec("CREATE UNIQUE INDEX U ON TNOM (NOM)");
                  exec("INSERT INTO TNOM VALUES ('a')"), err::DuplicateKey);
}

}  // namespace
}  // namespace tarovent::db::test
