#include <sys/wait.h>
#include <unistd.h>

#include <QFileInfo>
#include <QThread>

#include "DbTestSupport.h"

namespace tarovent::db::test {
namespace {

class VisibilityTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    exec("CREATE TABLE TCPT (K TEXT(5), N LONG, CONSTRAINT PrimaryKey PRIMARY KEY (K))");
    exec("CREATE TABLE TWORK (CODE TEXT(5), ID LONG)");
    for (const char* k : {"A", "B", "C", "D"})
      exec(QStringLiteral("INSERT INTO TCPT VALUES ('%1', 10)").arg(k));
  }
  // B's key becomes CC: the walk goes on from CC, and C is still met going back.
  void editKeyAndWalk() {
    Recordset a = m_db.OpenRecordset("TCPT", RecordsetType::Table);
    a.setIndex("PrimaryKey");
    a.MoveNext();
    a.Edit();
    a.setValue("K", "CC");
    a.Update();
    EXPECT_EQ(at(a, "K"), "CC");
    a.MoveNext();
    EXPECT_EQ(at(a, "K"), "D");
    a.MovePrevious();
    a.MovePrevious();
    EXPECT_EQ(at(a, "K"), "C");
    a.Edit();
    a.setValue("N", 42);
    a.Update();
    a.MoveNext();
    EXPECT_EQ(at(a, "K"), "CC");
    a.MovePrevious();
    EXPECT_EQ(at(a, "N"), "42");
  }
  // Another process's commits are looked for once a millisecond.
  static void letTimePass() { QThread::msleep(3); }
};

TEST_F(VisibilityTest, InsideATransactionEveryRecordsetSeesItsWrites) {
  Recordset a = m_db.OpenRecordset("TCPT", RecordsetType::Table);
  a.setIndex("PrimaryKey");
  Recordset b = m_db.OpenRecordset("TCPT", RecordsetType::Table);
  b.setIndex("PrimaryKey");
  Recordset d = m_db.OpenRecordset("select * from TCPT order by K");
  EXPECT_EQ(a.value("N").toInt(), 10);
  EXPECT_EQ(d.value("N").toInt(), 10);

  m_ws.BeginTrans();
  b.Edit();
  b.setValue("N", 11);
  b.Update();
  EXPECT_EQ(a.value("N").toInt(), 11);
  EXPECT_EQ(d.value("N").toInt(), 11);
  a.Edit();
  a.setValue("N", a.value("N").toInt() + 1);
  a.Update();
  m_ws.CommitTrans();

  EXPECT_EQ(column("select N from TCPT where K = 'A'", "N"), QStringList{"12"});
  EXPECT_EQ(b.value("N").toInt(), 12);
}

TEST_F(VisibilityTest, AWalkMeetsRowsChangedBehindIt) {
  Recordset a = m_db.OpenRecordset("TCPT", RecordsetType::Table);
  a.setIndex("PrimaryKey");
  exec("UPDATE TCPT SET N = 20 WHERE K = 'B'");
  exec("DELETE FROM TCPT WHERE K = 'C'");
  exec("INSERT INTO TCPT VALUES ('BB', 30)");
  a.MoveNext();
  EXPECT_EQ(at(a, "N"), "20");
  a.MoveNext();
  EXPECT_EQ(at(a, "K"), "BB");
  a.MoveNext();
  EXPECT_EQ(at(a, "K"), "D");
}

// Inside a transaction the rows read ahead outlive a write: they must not after a key edit.
TEST_F(VisibilityTest, AnEditedKeyMovesTheRecordAndTheWalkGoesOnFromThere) {
  editKeyAndWalk();
  exec("UPDATE TCPT SET K = 'B' WHERE K = 'CC'");
  m_ws.BeginTrans();
  editKeyAndWalk();
  m_ws.CommitTrans();
}

// Edit starts from the record as the file has it, however the record was last read: after
// another recordset's write, a nested rollback, another process's commit between transactions.
TEST_F(VisibilityTest, EditStartsFromTheRecordAsItIsNow) {
  Recordset a = m_db.OpenRecordset("TCPT", RecordsetType::Table);
  a.setIndex("PrimaryKey");
  Recordset b = m_db.OpenRecordset("TCPT", RecordsetType::Table);
  b.setIndex("PrimaryKey");
  const auto editedN = [&] {
    a.Edit();
    const int n = a.value("N").toInt();
    a.CancelUpdate();
    return n;
  };
  m_ws.BeginTrans();
  a.MoveFirst();
  a.Edit();  // the walks read every field from here on
  a.CancelUpdate();
  a.MoveFirst();
  EXPECT_EQ(editedN(), 10);
  b.Edit();
  b.setValue("N", 11);
  b.Update();
  EXPECT_EQ(editedN(), 11);

  m_ws.BeginTrans();
  a.Edit();
  a.setValue("N", 12);
  a.Update();
  EXPECT_EQ(editedN(), 12);
  m_ws.Rollback();
  EXPECT_EQ(editedN(), 11);
  a.MoveFirst();
  m_ws.CommitTrans();

  Workspace other = anotherWorkspace();
  Database db = other.OpenDatabase(m_db.Name());
  db.Execute("UPDATE TCPT SET N = 13 WHERE K = 'A'");
  m_ws.BeginTrans();
  EXPECT_EQ(column("select N from TCPT where K = 'B'", "N"), QStringList{"10"});
  const int n = editedN();
  EXPECT_EQ(n, 13);
  a.Edit();
  a.setValue("N", n + 1);
  a.Update();
  m_ws.CommitTrans();
  EXPECT_EQ(column("select N from TCPT where K = 'A'", "N"), QStringList{"14"});
}

TEST_F(VisibilityTest, AHeldRecordsetSeesAnotherConnectionsCommitsAtItsNextMove) {
  Recordset a = m_db.OpenRecordset("TCPT", RecordsetType::Table);
  a.setIndex("PrimaryKey");
  a.MoveNext();
  Workspace other = anotherWorkspace();
  Database db = other.OpenDatabase(m_db.Name());
  db.Execute("UPDATE TCPT SET N = 99");
  db.Execute("INSERT INTO TCPT VALUES ('BA', 5)");
  letTimePass();
  a.MoveNext();
  EXPECT_EQ(at(a, "K"), "BA");
  a.MoveNext();
  EXPECT_EQ(at(a, "N"), "99");
  a.Seek("=", "A");
  EXPECT_EQ(at(a, "N"), "99");
  EXPECT_EQ(a.RecordCount(), 5);
}

// One process walks a table recordset it holds open while another commits 2,000 updates and
// an insert: the walker ends up seeing both, and its reads never hold the journal back.
TEST_F(VisibilityTest, AWalkerHeldOpenDoesNotPinTheJournal) {
  const QString file = m_db.Name();
  Recordset walker = m_db.OpenRecordset("TCPT", RecordsetType::Table);
  walker.setIndex("PrimaryKey");
  EXPECT_EQ(at(walker, "N"), "10");

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    try {
      Workspace ws = anotherWorkspace();
      Database db = ws.OpenDatabase(file);
      for (int i = 0; i < 2000; ++i) db.Execute("UPDATE TCPT SET N = N + 1 WHERE K = 'A'");
      db.Execute("INSERT INTO TCPT VALUES ('E', 1)");
    } catch (const DbError& e) {
      fprintf(stderr, "%s\n", e.what());
      _exit(1);
    }
    _exit(0);
  }
  int status = 0;
  int walks = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (walker.EOF_()) walker.MoveFirst();
    walker.value("N");
    walker.MoveNext();
    ++walks;
    QThread::usleep(300);  // a window's pace, not a tight loop
  }
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_GT(walks, 0);

  letTimePass();
  QStringList seen;
  walker.MoveFirst();
  while (!walker.EOF_()) {
    seen << at(walker, "K") + "=" + at(walker, "N");
    walker.MoveNext();
  }
  EXPECT_EQ(seen, QStringList({"A=2010", "B=10", "C=10", "D=10", "E=1"}));
  if (!onServer()) {
    EXPECT_LT(QFileInfo(file + "-wal").size(), 1024 * 1024);
  }
}

// Two connections of one process (the program holds the main and the work databases, and some
// work goes through either): each sees the other's commits at once, rows and tables alike.
TEST_F(VisibilityTest, AnotherConnectionOfTheProcessIsSeenAtOnce) {
  Recordset a = m_db.OpenRecordset("TCPT", RecordsetType::Table);
  a.setIndex("PrimaryKey");
  Workspace other = anotherWorkspace();
  Database db = other.OpenDatabase(m_db.Name());
  for (int n = 1; n <= 30; ++n) {
    a.MoveFirst();  // reads ahead
    db.Execute(QStringLiteral("UPDATE TCPT SET N = %1").arg(n));
    a.MoveNext();
    ASSERT_EQ(at(a, "N"), QString::number(n));
    a.Seek("=", "D");
    ASSERT_EQ(at(a, "N"), QString::number(n));
  }

  // The table is made again with other fields by the other connection.
  Recordset once = m_db.OpenRecordset("TWORK", RecordsetType::Table);
  once.Close();
  db.Execute("DROP TABLE TWORK");
  db.Execute("CREATE TABLE TWORK (ID LONG, LIB TEXT(20))");
  db.Execute("INSERT INTO TWORK VALUES (1, 'copie')");
  Recordset w = m_db.OpenRecordset("TWORK", RecordsetType::Table);
  ASSERT_FALSE(w.EOF_());
  EXPECT_EQ(at(w, "LIB"), "copie");
}

TEST_F(VisibilityTest, IdleLetsARecordsetReadAgain) {
  Recordset a = m_db.OpenRecordset("TCPT", RecordsetType::Table);
  a.setIndex("PrimaryKey");
  Workspace other = anotherWorkspace();
  Database db = other.OpenDatabase(m_db.Name());
  db.Execute("UPDATE TCPT SET N = 7 WHERE K = 'B'");
  m_ws.Idle();
  a.MoveNext();
  EXPECT_EQ(at(a, "N"), "7");
}

}  // namespace
}  // namespace tarovent::db::test
