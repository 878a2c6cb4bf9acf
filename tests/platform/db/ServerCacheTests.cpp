#include <gtest/gtest.h>

#include <QThread>

#include "BothBackends.h"
#include "DbTestSupport.h"
#include "QtPrinters.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/PgDatabase.h"
#include "platform/db/PgSession.h"

namespace tarovent::db::test {
namespace {

// What a server database keeps between statements (the tables it has read) follows the
// tables made and dropped, here and by other workstations.
class ServerCacheTest : public BothBackendsTest {
 protected:
  void SetUp() override {
    createDatabase("TAROVENT.MDB");
    if (HasFatalFailure() || IsSkipped()) return;
    m_db.Execute("CREATE TABLE T (ID LONG, NOM TEXT(10), CONSTRAINT PrimaryKey PRIMARY KEY (ID))");
    m_db.Execute("INSERT INTO T (ID, NOM) VALUES (1, 'a')");
  }

  QString nameAt(const QString& source, RecordsetType type) {
    Recordset rs = m_db.OpenRecordset(source, type);
    return rs.EOF_() ? QString() : rs.text("NOM");
  }
};

INSTANTIATE_TEST_SUITE_P(Server, ServerCacheTest,
                         ::testing::Values(::tarovent::db::test::Backend::Postgres),
                         ::tarovent::db::test::backendName);

TEST_P(ServerCacheTest, ATableDroppedIsNotFoundAtItsNextOpening) {
  for (RecordsetType type : {RecordsetType::Table, RecordsetType::Dynaset})
    EXPECT_EQ(nameAt("T", type), "a");
  // Here: the table is gone for every database of the process.
  Database other = m_ws.OpenDatabase(m_db.Name());
  other.Execute("DROP TABLE T");
  EXPECT_DB_ERROR(nameAt("T", RecordsetType::Table), err::SourceNotFound);
  EXPECT_FALSE(m_db.server()->hasTable("T"));
  m_db.Execute("CREATE TABLE T (ID LONG, NOM TEXT(10), CONSTRAINT PrimaryKey PRIMARY KEY (ID))");
  m_db.Execute("INSERT INTO T (ID, NOM) VALUES (2, 'b')");
  EXPECT_EQ(nameAt("T", RecordsetType::Table), "b");
  // On another workstation: opening it fails as reading it would, with the same number.
  m_db.server()->session().exec("DROP TABLE \"T\"");
  for (RecordsetType type : {RecordsetType::Table, RecordsetType::Dynaset, RecordsetType::Snapshot}) {
    SCOPED_TRACE(int(type));
    EXPECT_DB_ERROR(nameAt("T", type), err::SourceNotFound);
  }
}

TEST_P(ServerCacheTest, ASavedQueryIsNoTableWhateverWasReadOfIt) {
  m_db.CreateQueryDef("Q", "SELECT * FROM T");
  EXPECT_EQ(nameAt("Q", RecordsetType::Dynaset), "a");
  EXPECT_EQ(nameAt("SELECT * FROM Q", RecordsetType::Snapshot), "a");
  EXPECT_FALSE(m_db.server()->hasTable("Q"));
  EXPECT_DB_ERROR(m_db.OpenRecordset("Q", RecordsetType::Table), err::InvalidOperation);
}

// The key chosen right after opening keeps the rows the opening read, while they are good.
TEST_P(ServerCacheTest, ThePrimaryKeyChosenAfterOpeningLandsOnTheFirstRowAsItIsNow) {
  m_db.Execute("INSERT INTO T (ID, NOM) VALUES (3, 'c')");
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
  rs.MoveNext();
  rs.setIndex("PrimaryKey");
  EXPECT_EQ(rs.text("ID"), "1");
  rs.MoveNext();
  EXPECT_EQ(rs.text("ID"), "3");
  rs.Seek("=", 3);
  rs.setIndex("PrimaryKey");  // what the seek read is not the start
  EXPECT_EQ(rs.text("ID"), "1");

  // Its own change of the first row.
  Recordset edited = m_db.OpenRecordset("T", RecordsetType::Table);
  edited.Edit();
  edited.setValue("NOM", "z");
  edited.Update();
  edited.setIndex("PrimaryKey");
  EXPECT_EQ(edited.text("NOM"), "z");

  // A row another workstation wrote ahead of the first.
  Recordset late = m_db.OpenRecordset("T", RecordsetType::Table);
  std::unique_ptr<PgSession> elsewhere =
      PgSession::open(m_ws.server(), QStringLiteral("tarovent"), false);
  elsewhere->exec("INSERT INTO \"T\" (\"ID\", \"NOM\") VALUES (0, 'o')");
  QThread::msleep(5);  // the server is asked at most once a millisecond
  late.setIndex("PrimaryKey");
  EXPECT_EQ(late.text("ID"), "0");

  // No row at all.
  m_db.Execute("DELETE * FROM T");
  Recordset none = m_db.OpenRecordset("T", RecordsetType::Table);
  none.setIndex("PrimaryKey");
  EXPECT_TRUE(none.EOF_());
  EXPECT_TRUE(none.BOF());
}

}  // namespace
}  // namespace tarovent::db::test
