#include <gtest/gtest.h>

#include <QDate>
#include <QTemporaryDir>

#include "BothBackends.h"
#include "DbTestSupport.h"
#include "PgCluster.h"
#include "QtPrinters.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"

namespace tarovent::db::test {
namespace {

// The recordsets, saved queries and transactions of Database on each backend: on the server
// the database is a schema, named after its file, of a server database of the test's own.
class BackendRecordsetTest : public BothBackendsTest {
 protected:
  void SetUp() override {
    createDatabase("TAROVENT.MDB");
    if (HasFatalFailure() || IsSkipped()) return;
    exec(
        "CREATE TABLE TCLI (SOC TEXT(2), CODE TEXT(10), NOM TEXT(20), ACTIF YESNO, "
        "CA DOUBLE, CREE DATETIME, CONSTRAINT PrimaryKey PRIMARY KEY (SOC, CODE))");
    exec("CREATE INDEX IXNOM ON TCLI (NOM)");
    const char* rows[] = {
        "'AB', 'C1', 'Martin', True, 100.5, #01/15/2025#", "'AB', 'C2', 'durand', False, 20, Null",
        "'AB', 'C3', Null, True, Null, #03/01/2025 08:30:00#",
        "'XY', 'C1', 'Dupont', False, 7, #12/31/2024#", "'XY', 'C4', 'ÉLIE', True, 0, Null"};
    for (const char* r : rows)
      exec(QStringLiteral("INSERT INTO TCLI VALUES (%1)").arg(QString::fromUtf8(r)));
  }

  void exec(const QString& jet) { m_db.Execute(jet); }

  static QStringList walk(Recordset& rs, const QString& field) {
    QStringList out;
    for (rs.MoveFirst(); !rs.EOF_(); rs.MoveNext()) out << rs.text(field);
    return out;
  }
};

TAROVENT_ON_BOTH_BACKENDS(BackendRecordsetTest);

TEST_P(BackendRecordsetTest, TableFollowsItsIndexNullsFirstAndSeeksOnIt) {
  Recordset rs = m_db.OpenRecordset("TCLI", RecordsetType::Table);
  EXPECT_EQ(rs.Index(), "");
  EXPECT_DB_ERROR(rs.Seek("=", "AB", "C1"), err::NoIndex);
  EXPECT_EQ(rs.RecordCount(), 5);
  EXPECT_EQ(walk(rs, "NOM"), QStringList({"Martin", "durand", "", "Dupont", "ÉLIE"}));
  rs.setIndex("IXNOM");
  EXPECT_EQ(walk(rs, "NOM"), QStringList({"", "Dupont", "durand", "ÉLIE", "Martin"}));

  rs.Seek("=", "DURAND");  // the text order ignores case
  ASSERT_FALSE(rs.NoMatch());
  EXPECT_EQ(rs.text("CODE"), "C2");
  EXPECT_EQ(rs.AbsolutePosition(), 2);
  rs.MoveNext();
  EXPECT_EQ(rs.text("NOM"), "ÉLIE");
  rs.Seek(">", "E");
  EXPECT_EQ(rs.text("NOM"), "ÉLIE");
  rs.Seek("<", "E");
  EXPECT_EQ(rs.text("NOM"), "durand");
  rs.Seek("=", "Personne");
  EXPECT_TRUE(rs.NoMatch());
  EXPECT_TRUE(rs.EOF_());

  rs.setIndex("PrimaryKey");
  rs.Seek(">=", "XY");  // the leading field alone
  EXPECT_EQ(rs.text("CODE"), "C1");
  EXPECT_EQ(rs.text("NOM"), "Dupont");
  rs.Seek("<=", "AB", "C9");
  EXPECT_EQ(rs.text("CODE"), "C3");
  EXPECT_THROW(rs.setIndex("IXABSENT"), DbError);
}

TEST_P(BackendRecordsetTest, YesNoAndDatesReadAsTheEngineGivesThem) {
  Recordset rs = m_db.OpenRecordset("TCLI", RecordsetType::Table, rsopt::ReadOnly);
  EXPECT_EQ(rs.value("ACTIF"), QVariant(true));
  EXPECT_EQ(rs.value("CREE"), QVariant(QDate(2025, 1, 15)));
  EXPECT_EQ(rs.number("CA"), 100.5);
  rs.MoveNext();
  rs.MoveNext();
  EXPECT_EQ(rs.value("CREE"), QVariant(QDateTime(QDate(2025, 3, 1), QTime(8, 30))));
  EXPECT_TRUE(rs.value("NOM").isNull());
  Recordset q = m_db.OpenRecordset(
      "SELECT CODE, ACTIF * 1 AS V, Not ACTIF AS N FROM TCLI "
      "WHERE SOC = 'ab' ORDER BY CODE");
  QStringList got;
  for (; !q.EOF_(); q.MoveNext()) got << q.text("CODE") + ":" + q.text("V") + ":" + q.text("N");
  EXPECT_EQ(got, QStringList({"C1:-1:0", "C2:0:-1", "C3:-1:0"}));
}

TEST_P(BackendRecordsetTest, EditsAddsAndDeletesKeepBookmarksAndTheOrder) {
  Recordset rs = m_db.OpenRecordset("TCLI", RecordsetType::Table);
  rs.setIndex("IXNOM");
  rs.Seek("=", "martin");
  const QByteArray martin = rs.Bookmark();
  rs.Edit();
  rs.setValue("NOM", "Aubert");  // moves first in the index
  rs.setValue("CA", 1.25);
  rs.Update();
  EXPECT_EQ(rs.LastModified(), martin);
  rs.AddNew();
  rs.setValue("SOC", "XY");
  rs.setValue("CODE", "C9");
  rs.setValue("NOM", "Berger");
  rs.setValue("ACTIF", true);
  rs.Update();
  const QByteArray added = rs.LastModified();
  EXPECT_EQ(walk(rs, "NOM"), QStringList({"", "Aubert", "Berger", "Dupont", "durand", "ÉLIE"}));
  rs.setBookmark(martin);
  EXPECT_EQ(rs.number("CA"), 1.25);
  rs.setBookmark(added);
  EXPECT_EQ(rs.text("CODE"), "C9");
  EXPECT_EQ(rs.value("ACTIF"), QVariant(true));
  rs.MovePrevious();
  EXPECT_EQ(rs.text("NOM"), "Aubert");
  rs.Delete();
  rs.MoveNext();
  EXPECT_EQ(rs.text("NOM"), "Berger");
  EXPECT_EQ(rs.RecordCount(), 5);
  EXPECT_DB_ERROR(rs.setBookmark(martin), err::RecordDeleted);
}

// Values already read are read again once another recordset wrote, also inside a transaction
// and when editing begins; a recordset's own writes do not make it forget its other rows.
TEST_P(BackendRecordsetTest, ValuesReadFollowTheWritesOfOtherRecordsets) {
  Recordset a = m_db.OpenRecordset("select * from TCLI order by SOC, CODE");
  Recordset b = m_db.OpenRecordset("TCLI", RecordsetType::Table);
  b.setIndex("PrimaryKey");
  a.FindFirst("CODE = 'C2'");
  EXPECT_EQ(a.number("CA"), 20);
  b.Seek("=", "AB", "C2");
  b.Edit();
  b.setValue("CA", 21);
  b.Update();
  EXPECT_EQ(a.number("CA"), 21);

  TransactionGuard g(m_ws);
  // A row read in the transaction, written by another recordset: edited from its new values.
  EXPECT_EQ(a.number("CA"), 21);
  b.Edit();
  b.setValue("NOM", "Durand");
  b.Update();
  a.Edit();
  a.setValue("CA", 22);
  a.Update();
  EXPECT_EQ(a.text("NOM"), "Durand");
  // Its own write keeps the other rows it read; the written one shows what was written.
  a.MoveNext();
  EXPECT_EQ(a.text("CODE"), "C3");
  a.Edit();
  a.setValue("CA", 3);
  a.Update();
  a.MovePrevious();
  EXPECT_EQ(a.number("CA"), 22);
  EXPECT_EQ(a.text("NOM"), "Durand");
  g.commit();
  b.Seek("=", "AB", "C3");
  EXPECT_EQ(b.number("CA"), 3);

  // Outside a transaction another workstation may write between the read and the edit.
  Workspace other;
  other.setServer(m_ws.server());
  Database elsewhere = other.OpenDatabase(m_dir.filePath("TAROVENT.MDB"));
  EXPECT_EQ(b.text("NOM"), "");
  elsewhere.Execute("UPDATE TCLI SET NOM = 'Vidal' WHERE SOC = 'AB' AND CODE = 'C3'");
  b.Edit();
  EXPECT_EQ(b.text("NOM"), "Vidal");
  b.CancelUpdate();
  // Read before a transaction began, written elsewhere before it: edited from the new values.
  EXPECT_EQ(b.text("NOM"), "Vidal");
  elsewhere.Execute("UPDATE TCLI SET NOM = 'Roux' WHERE SOC = 'AB' AND CODE = 'C3'");
  TransactionGuard later(m_ws);
  b.Edit();
  EXPECT_EQ(b.text("NOM"), "Roux");
  b.CancelUpdate();
}

// As the quote statistics match their affairs: a query of a table without any key, its rows
// edited and deleted through a dynaset.
TEST_P(BackendRecordsetTest, DynasetOfAKeylessTableEditsAndDeletesItsRows) {
  exec("CREATE TABLE TMP_RENTA (SOC TEXT(3), NUMDOSS LONG, NUMAFF TEXT(10), DATAFF DATETIME)");
  for (int i = 1; i <= 250; ++i)
    exec(QStringLiteral("INSERT INTO TMP_RENTA (SOC, NUMDOSS, NUMAFF) VALUES ('AB', %1, '')")
             .arg(i));
  Recordset rs = m_db.OpenRecordset("SELECT SOC, NUMDOSS, NUMAFF, DATAFF FROM TMP_RENTA",
                                    RecordsetType::Dynaset);
  EXPECT_EQ(rs.RecordCount(), 250);
  for (; !rs.EOF_(); rs.MoveNext()) {
    const long n = long(rs.number("NUMDOSS"));
    if (n % 3 == 0) {
      rs.Delete();
    } else if (n % 5 == 0) {
      rs.Edit();
      rs.setValue("NUMAFF", QStringLiteral("A%1").arg(n));
      rs.setValue("DATAFF", QDate(2025, 6, 1));
      rs.Update();
    }
  }
  EXPECT_EQ(rs.RecordCount(), 167);
  Recordset check =
      m_db.OpenRecordset("SELECT Count(*) AS N, Sum(IIf(NUMAFF <> '', 1, 0)) AS W FROM TMP_RENTA");
  EXPECT_EQ(check.number("N"), 167);
  EXPECT_EQ(check.number("W"), 34);  // multiples of 5 but not of 3, up to 250
}

// Values are read as the cursor reaches them: a row changed meanwhile shows its new values.
TEST_P(BackendRecordsetTest, DynasetReadsLateRowsWhenItReachesThem) {
  exec("CREATE TABLE T (ID LONG, V TEXT(10), CONSTRAINT PrimaryKey PRIMARY KEY (ID))");
  for (int i = 1; i <= 300; ++i) exec(QStringLiteral("INSERT INTO T VALUES (%1, 'v')").arg(i));
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Dynaset);
  EXPECT_EQ(rs.text("V"), "v");
  exec("UPDATE T SET V = 'w' WHERE ID = 290");
  rs.setAbsolutePosition(289);
  EXPECT_EQ(rs.text("ID"), "290");
  EXPECT_EQ(rs.text("V"), "w");
  rs.FindFirst("V = 'W'");
  EXPECT_FALSE(rs.NoMatch());
  EXPECT_EQ(rs.AbsolutePosition(), 289);
  rs.FindNext("V = 'w'");
  EXPECT_TRUE(rs.NoMatch());
}

TEST_P(BackendRecordsetTest, RefusalsCarryTheEnginesNumbersInFrench) {
  Recordset rs = m_db.OpenRecordset("TCLI", RecordsetType::Table);
  rs.AddNew();
  rs.setValue("SOC", "ab");  // the same key as 'AB', 'C1' once case is ignored
  rs.setValue("CODE", "c1");
  try {
    rs.Update();
    ADD_FAILURE() << "a duplicate key was accepted";
  } catch (const DbError& e) {
    EXPECT_EQ(e.number(), err::DuplicateKey);
    EXPECT_TRUE(e.description().startsWith("Les modifications n'ont pas été effectuées"))
        << e.what();
  }
  rs.CancelUpdate();
  EXPECT_EQ(rs.RecordCount(), 5);
  EXPECT_DB_ERROR(rs.FindFirst("NOM = 'x'"), err::OperationNotSupported);
  Recordset q = m_db.OpenRecordset("SELECT SOC FROM TCLI GROUP BY SOC");
  EXPECT_DB_ERROR(q.Seek("=", "AB"), err::OperationNotSupported);
  EXPECT_DB_ERROR(q.Edit(), err::ReadOnly);
  EXPECT_DB_ERROR(m_db.OpenRecordset("TABSENTE"), err::SourceNotFound);
  m_db.Close();
  EXPECT_DB_ERROR(rs.MoveNext(), err::ObjectClosed);
}

TEST_P(BackendRecordsetTest, TransactionsAndSavedQueries) {
  {
    TransactionGuard guard(m_ws);
    exec("DELETE * FROM TCLI WHERE SOC = 'XY'");
    Recordset rs = m_db.OpenRecordset("TCLI", RecordsetType::Table);
    EXPECT_EQ(rs.RecordCount(), 3);
  }  // not committed
  m_db.CreateQueryDef("ACTIFS", "SELECT CODE, NOM FROM TCLI WHERE ACTIF ORDER BY SOC, CODE");
  EXPECT_TRUE(m_db.hasQueryDef("actifs"));
  EXPECT_EQ(m_db.QueryDefNames(), QStringList{"ACTIFS"});
  Recordset rs = m_db.OpenRecordset("ACTIFS");
  EXPECT_EQ(walk(rs, "CODE"), QStringList({"C1", "C3", "C4"}));
  // A saved query is also a view that other queries read.
  Recordset count = m_db.OpenRecordset("SELECT Count(*) AS N FROM ACTIFS WHERE NOM Is Null");
  EXPECT_EQ(count.number("N"), 1);
  QStringList codes;
  m_db.forEachRow("SELECT CODE FROM ACTIFS", [&](const RowReader& r) { codes << r.text("CODE"); });
  EXPECT_EQ(codes.size(), 3);
  m_db.DeleteQueryDef("ACTIFS");
  EXPECT_FALSE(m_db.hasQueryDef("ACTIFS"));
  EXPECT_EQ(m_db.TableDefNames(), QStringList{"TCLI"});
  const TableDef def = m_db.tableDef("tcli");
  EXPECT_EQ(def.Name(), "TCLI");
  EXPECT_EQ(def.Field("ACTIF").type, FieldType::Boolean);
  EXPECT_EQ(def.Field("NOM").size, 20);
  EXPECT_EQ(def.Indexes().size(), 2);
}

}  // namespace
}  // namespace tarovent::db::test
