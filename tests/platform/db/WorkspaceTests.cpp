#include "DbTestSupport.h"
#include "platform/db/PgDatabase.h"
#include "platform/db/PgSession.h"

namespace tarovent::db::test {
namespace {

class WorkspaceTest : public DbTest {};

TEST_F(WorkspaceTest, ADatabaseExistsUntilDeletedAndDeletingTwiceIsNoFailure) {
  EXPECT_TRUE(m_ws.exists(path("TEST.MDB")));
  EXPECT_FALSE(m_ws.exists(path("AUTRE.MDB")));
  m_ws.CreateDatabase(path("AUTRE.MDB")).Close();
  EXPECT_TRUE(m_ws.exists(path("AUTRE.MDB")));
  EXPECT_TRUE(m_ws.deleteDatabase(path("AUTRE.MDB")));
  EXPECT_FALSE(m_ws.exists(path("AUTRE.MDB")));
  EXPECT_TRUE(m_ws.deleteDatabase(path("AUTRE.MDB")));
  // Made again after its deletion, it is empty.
  Database again = m_ws.CreateDatabase(path("AUTRE.MDB"));
  EXPECT_TRUE(again.TableDefNames().isEmpty());
}

// On a server a database opened, created or not, takes one connection: on a distant server
// each costs a handshake.
TEST_F(WorkspaceTest, ADatabaseOnAServerTakesOneConnection) {
  if (!onServer()) GTEST_SKIP() << "a file has no connection";
  exec("CREATE TABLE T (N LONG)");
  const quint64 before = PgSession::connectionsMade();
  Database created = m_ws.CreateDatabase(path("AUTRE.MDB"));
  Database opened = m_ws.OpenDatabase(path("TEST.MDB"));
  EXPECT_EQ(PgSession::connectionsMade() - before, 2u);
  // Each in its own database.
  EXPECT_TRUE(created.TableDefNames().isEmpty());
  EXPECT_EQ(opened.TableDefNames(), QStringList{"T"});
}

// Two workstations share the family's bases but each keeps its own work base under the same
// file name: what one copies there the other never sees.
TEST_F(WorkspaceTest, EachWorkstationHasItsOwnWorkBase) {
  if (!onServer()) GTEST_SKIP() << "a file's work base is in each workstation's own folder";
  exec("CREATE TABLE TMP_TAB (TMP_NUM LONG, TMP_CODE TEXT(20))");
  exec("INSERT INTO TMP_TAB VALUES (1, 'un')");
  const auto workstation = [this](const QString& own) {
    Workspace ws;
    ws.setServer(m_ws.server(), {{"bdloc", own}});
    return ws;
  };
  Workspace first = workstation("bdloc_poste1");
  Workspace second = workstation("bdloc_poste2");
  for (Workspace* ws : {&first, &second}) {
    EXPECT_TRUE(ws->deleteDatabase(path("BDLOC.MDB")));
    ws->CreateDatabase(path("BDLOC.MDB")).Close();
  }
  Database shared = first.OpenDatabase(path("TEST.MDB"));
  shared.Execute("SELECT DISTINCTROW * INTO TMP_TAB IN 'bdloc.mdb' from TMP_TAB;");
  EXPECT_EQ(first.OpenDatabase(path("BDLOC.MDB")).OpenRecordset("TMP_TAB").RecordCount(), 1);
  Database other = second.OpenDatabase(path("BDLOC.MDB"));
  EXPECT_FALSE(other.hasTable("TMP_TAB"));
  // The second's own copy is its own: the first's is left as it was.
  second.OpenDatabase(path("TEST.MDB"))
      .Execute("SELECT DISTINCTROW * INTO TMP_TAB IN 'bdloc.mdb' from TMP_TAB;");
  other.Execute("DELETE * FROM TMP_TAB");
  EXPECT_EQ(first.OpenDatabase(path("BDLOC.MDB")).OpenRecordset("TMP_TAB").RecordCount(), 1);
  // Deleting one's work base leaves the other's.
  EXPECT_TRUE(second.deleteDatabase(path("BDLOC.MDB")));
  EXPECT_TRUE(first.exists(path("BDLOC.MDB")));
  EXPECT_FALSE(second.exists(path("BDLOC.MDB")));
}

// A transaction of the work base that also writes to the main base takes the main base's write
// lock: a writer of the main base waits for it, so a number read and raised there is never
// given twice.
TEST_F(WorkspaceTest, AnAttachedBaseIsLockedByTheTransaction) {
  if (!onServer()) GTEST_SKIP() << "a file attached is locked by SQLite itself";
  exec("CREATE TABLE TSOC (TSOC_CODE TEXT(5), TSOC_NSEQ LONG)");
  exec("INSERT INTO TSOC VALUES ('AB', 1)");
  Database local = m_ws.CreateDatabase(path("BDLOC.MDB"));
  local.attach(path("TEST.MDB"));
  const QString main = "[" + path("TEST.MDB") + "].TSOC";
  local.BeginTrans();
  local.Execute("UPDATE " + main + " SET TSOC_NSEQ = 2");
  Workspace ws;
  ws.setServer(m_ws.server());
  Database writer = ws.OpenDatabase(path("TEST.MDB"));
  bool refused = false;
  // The server waits as long as it is told to: a short wait shows the lock.
  writer.server()->session().exec("SET lock_timeout = '200ms'");
  try {
    writer.BeginTrans();
    writer.Rollback();
  } catch (const DbError&) {
    refused = true;
  }
  local.CommitTrans();
  EXPECT_TRUE(refused);
  EXPECT_EQ(column("SELECT TSOC_NSEQ FROM TSOC", "TSOC_NSEQ"), QStringList{"2"});
}

}  // namespace
}  // namespace tarovent::db::test
