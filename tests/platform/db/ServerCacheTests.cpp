#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tarovent::db::test
