#include <libpq-fe.h>
#include <sqlite3.h>

#include <QElapsedTimer>

#include "DbTestSupport.h"
#include "platform/db/Connection.h"

namespace tarovent::db::test {
namespace {

class TransactionTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    exec("CREATE TABLE T (K TEXT(5), N LONG, CONSTRAINT PrimaryKey PRIMARY KEY (K))");
    exec("INSERT INTO T VALUES ('A', 1)");
    m_other = m_ws.CreateDatabase(path("AUTRE.MDB"));
    m_other.Execute("CREATE TABLE U (K TEXT(5), N LONG)");
  }
  Database m_other;
};

// A workspace transaction locks a database only once it touches it: another process (here
// another connection) keeps writing to the files the transaction does not use.
TEST_F(TransactionTest, OnlyTheDatabasesATransactionTouchesAreLocked) {
  m_ws.BeginTrans();
  exec("UPDATE T SET N = 2");
  Workspace other = anotherWorkspace();
  Database db = other.OpenDatabase(path("AUTRE.MDB"));
  QElapsedTimer t;
  t.start();
  db.Execute("INSERT INTO U VALUES ('x', 1)");
  EXPECT_LT(t.elapsed(), 1000);
  Database same = other.OpenDatabase(m_db.Name());
  EXPECT_DB_ERROR(same.Execute("UPDATE T SET N = 3"), err::Locked);
  m_ws.CommitTrans();
  EXPECT_EQ(column("select N from T", "N"), QStringList{"2"});
  same.Execute("UPDATE T SET N = 3");
}

TEST_F(TransactionTest, RollingBackAnUntouchedOrNestedTransactionKeepsTheRest) {
  m_ws.BeginTrans();
  m_ws.Rollback();
  m_ws.BeginTrans();
  exec("UPDATE T SET N = 5");
  m_db.BeginTrans();
  exec("UPDATE T SET N = 6");
  m_db.Rollback();
  m_ws.CommitTrans();
  EXPECT_EQ(column("select N from T", "N"), QStringList{"5"});
  EXPECT_EQ(m_db.transactionLevel(), 0);
}

// A commit refused by a constraint checked only at commit time leaves no transaction behind:
// the work is undone, the file unlocked, and the next transaction starts afresh.
TEST_F(TransactionTest, ACommitRefusedAtTheEndUndoesTheTransaction) {
  // C.PID references P.ID, checked only at commit.
  if (onServer()) {
    PGconn* c = PQconnectdb(m_ws.server().toUtf8().constData());
    PGresult* r = PQexec(c,
                         "CREATE TABLE test.\"P\" (\"ID\" integer PRIMARY KEY);"
                         "CREATE TABLE test.\"C\" (\"ID\" integer, \"PID\" integer REFERENCES "
                         "test.\"P\" (\"ID\") DEFERRABLE INITIALLY DEFERRED)");
    EXPECT_EQ(PQresultStatus(r), PGRES_COMMAND_OK) << PQerrorMessage(c);
    PQclear(r);
    PQfinish(c);
  } else {
    ASSERT_EQ(sqlite3_exec(m_db.connection()->handle(),
                           "PRAGMA foreign_keys = ON;"
                           "CREATE TABLE P (ID INTEGER PRIMARY KEY);"
                           "CREATE TABLE C (ID INTEGER, PID INTEGER REFERENCES P (ID) "
                           "DEFERRABLE INITIALLY DEFERRED)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    m_db.connection()->schemaChanged();
  }
  {
    TransactionGuard g(m_ws);
    exec("UPDATE T SET N = 7");
    exec("INSERT INTO C VALUES (1, 99)");
    EXPECT_DB_ERROR(g.commit(), err::ValidationFailed);
    EXPECT_EQ(m_db.transactionLevel(), 0);
    if (!onServer()) {
      EXPECT_NE(sqlite3_get_autocommit(m_db.connection()->handle()), 0);
    }
  }
  EXPECT_EQ(column("select N from T", "N"), QStringList{"1"});
  EXPECT_EQ(column("select ID from C", "ID"), QStringList{});
  // Nothing stays locked: another workstation writes at once.
  Workspace other = anotherWorkspace();
  Database same = other.OpenDatabase(m_db.Name());
  QElapsedTimer t;
  t.start();
  same.Execute("UPDATE T SET N = 3");
  EXPECT_LT(t.elapsed(), 1000);
  m_ws.BeginTrans();
  exec("INSERT INTO P VALUES (99)");
  exec("INSERT INTO C VALUES (1, 99)");
  m_ws.CommitTrans();
  EXPECT_EQ(column("select PID from C", "PID"), QStringList{"99"});
}

// A read snapshot shows the database as at its first read, holds back no other writer, and
// gives way to a write or a transaction of its own connection, which then behave as without it.
TEST_F(TransactionTest, AReadSnapshotSeesOneStateAndGivesWayToWrites) {
  Workspace other = anotherWorkspace();
  Database there = other.OpenDatabase(m_db.Name());
  const auto seenThere = [&] {
    Recordset rs = there.OpenRecordset("select N from T");
    return rs.text("N");
  };
  {
    ReadSnapshot snapshot(m_db);
    EXPECT_TRUE(m_db.inReadSnapshot());
    EXPECT_EQ(column("select N from T", "N"), QStringList{"1"});
    there.Execute("UPDATE T SET N = 2");  // not blocked
    EXPECT_EQ(column("select N from T", "N"), QStringList{"1"});
    Recordset table = m_db.OpenRecordset("T", RecordsetType::Table);
    table.setIndex("PrimaryKey");
    table.Seek("=", QStringLiteral("A"));
    EXPECT_EQ(table.text("N"), "1");
  }
  EXPECT_EQ(column("select N from T", "N"), QStringList{"2"});
  {
    ReadSnapshot snapshot(m_db);
    EXPECT_EQ(column("select N from T", "N"), QStringList{"2"});
    exec("UPDATE T SET N = 3");  // ends the snapshot and commits at once
    EXPECT_FALSE(m_db.inReadSnapshot());
    EXPECT_EQ(seenThere(), "3");
    ReadSnapshot again(m_db);
    m_db.BeginTrans();
    exec("UPDATE T SET N = 4");
    m_db.CommitTrans();
    EXPECT_EQ(seenThere(), "4");
  }
  // Inside a transaction there is nothing to take: the transaction stays the caller's.
  m_db.BeginTrans();
  {
    ReadSnapshot snapshot(m_db);
    EXPECT_FALSE(m_db.inReadSnapshot());
    exec("UPDATE T SET N = 5");
  }
  m_db.Rollback();
  EXPECT_EQ(column("select N from T", "N"), QStringList{"4"});
}

// Outside WAL mode a reader would hold back every writer for as long as it lasted: no snapshot.
TEST_F(TransactionTest, NoReadSnapshotOnARollbackJournal) {
  m_db.connection()->exec("PRAGMA journal_mode=DELETE");
  ReadSnapshot snapshot(m_db);
  EXPECT_FALSE(m_db.inReadSnapshot());
  EXPECT_EQ(column("select N from T", "N"), QStringList{"1"});
}

}  // namespace
}  // namespace tarovent::db::test
