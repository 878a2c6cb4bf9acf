#include <sqlite3.h>

#include <QThread>

#include "DbTestSupport.h"

namespace tarovent::db::test {
namespace {

// Several hundred rows, so that a dynaset's values come in more than one block.
class LargeDynasetTest : public DbTest {
 protected:
  static constexpr int kRows = 300;

  void SetUp() override {
    DbTest::SetUp();
    exec(
        "CREATE TABLE TDOS (SOC TEXT(3), NUM LONG, CLI TEXT(10), MONTANT DOUBLE, "
        "CONSTRAINT PrimaryKey PRIMARY KEY (SOC, NUM))");
    TransactionGuard g(m_db);
    Recordset rs = m_db.OpenRecordset("TDOS", RecordsetType::Table);
    for (int i = 0; i < kRows; ++i) {
      rs.AddNew();
      rs.setValue("SOC", i % 2 ? "B" : "A");
      rs.setValue("NUM", i);
      rs.setValue("CLI", QStringLiteral("C%1").arg(i, 3, 10, QLatin1Char('0')));
      rs.setValue("MONTANT", i * 10);
      rs.Update();
    }
    g.commit();
  }

  // The query the dossier list reads: company A first, newest number first.
  Recordset list() {
    return m_db.OpenRecordset(
        "select TDOS.*, MONTANT * 2 AS DOUBLE_M from TDOS order by SOC, NUM DESC");
  }

  // NUM of the row at each position of the list as it reads at opening.
  static int numAt(int position) {
    const int half = kRows / 2;
    return position < half ? 2 * (half - 1 - position) : 2 * (kRows - 1 - position) + 1;
  }

  static QList<int> walk(Recordset& rs, bool forward) {
    QList<int> nums;
    if (forward) {
      for (rs.MoveFirst(); !rs.EOF_(); rs.MoveNext()) nums << rs.value("NUM").toInt();
    } else {
      for (rs.MoveLast(); !rs.BOF(); rs.MovePrevious()) nums.prepend(rs.value("NUM").toInt());
    }
    return nums;
  }

  static QList<int> expected(const QList<int>& skipped = {}) {
    QList<int> nums;
    for (int p = 0; p < kRows; ++p)
      if (!skipped.contains(numAt(p))) nums << numAt(p);
    return nums;
  }
};

TEST_F(LargeDynasetTest, WalksPositionsAndBookmarksAcrossBlocks) {
  Recordset rs = list();
  EXPECT_EQ(rs.RecordCount(), kRows);
  EXPECT_EQ(rs.value("NUM").toInt(), numAt(0));
  EXPECT_EQ(walk(rs, true), expected());
  EXPECT_EQ(walk(rs, false), expected());

  for (const int p : {0, 63, 64, 65, 127, 128, 200, kRows - 1}) {
    SCOPED_TRACE(p);
    rs.setAbsolutePosition(p);
    EXPECT_EQ(rs.AbsolutePosition(), p);
    EXPECT_EQ(rs.value("NUM").toInt(), numAt(p));
    EXPECT_EQ(rs.value("DOUBLE_M").toDouble(), numAt(p) * 20.0);
  }
  EXPECT_DB_ERROR(rs.setAbsolutePosition(kRows), err::NoCurrentRecord);
  EXPECT_DB_ERROR(rs.setAbsolutePosition(-1), err::NoCurrentRecord);

  rs.setAbsolutePosition(250);
  const QByteArray deep = rs.Bookmark();
  rs.MoveLast();
  EXPECT_EQ(rs.AbsolutePosition(), kRows - 1);
  EXPECT_EQ(rs.value("NUM").toInt(), 1);
  rs.setBookmark(deep);
  EXPECT_EQ(rs.value("NUM").toInt(), numAt(250));
  rs.MoveNext();
  EXPECT_EQ(rs.value("NUM").toInt(), numAt(251));

  // A clone opened before anything was read shares the rows the other reads later.
  Recordset fresh = list();
  Recordset copy = fresh.Clone();
  fresh.setAbsolutePosition(190);
  copy.setBookmark(fresh.Bookmark());
  EXPECT_EQ(copy.value("CLI").toString(),
            QStringLiteral("C%1").arg(numAt(190), 3, 10, QLatin1Char('0')));
}

TEST_F(LargeDynasetTest, FindsRowsNotYetRead) {
  Recordset rs = list();
  rs.FindFirst("CLI = 'C001'");
  ASSERT_FALSE(rs.NoMatch());
  EXPECT_EQ(rs.AbsolutePosition(), kRows - 1);
  rs.FindPrevious("MONTANT < 30");
  EXPECT_EQ(rs.value("NUM").toInt(), 0);  // company A's rows come first
  EXPECT_EQ(rs.AbsolutePosition(), 149);
  rs.FindLast("MONTANT > 2900");
  EXPECT_EQ(rs.value("NUM").toInt(), 291);
  rs.FindNext("MONTANT > 2900");
  EXPECT_TRUE(rs.NoMatch());
  EXPECT_EQ(rs.value("NUM").toInt(), 291);

  Recordset other = list();
  other.FindLast("NUM = 150");
  EXPECT_EQ(other.AbsolutePosition(), 74);
}

TEST_F(LargeDynasetTest, HolesAndAddedRowsKeepPositionsAndBookmarks) {
  Recordset rs = list();
  rs.setAbsolutePosition(200);
  const QByteArray mark = rs.Bookmark();
  const int marked = numAt(200);
  QList<int> gone;
  for (const int p : {64, 10, 10}) {  // the second 10 is the row that came after the first
    rs.setAbsolutePosition(p);
    gone << rs.value("NUM").toInt();
    rs.Delete();
  }
  EXPECT_EQ(gone, QList<int>({numAt(64), numAt(10), numAt(11)}));
  EXPECT_EQ(rs.RecordCount(), kRows - 3);
  rs.setBookmark(mark);
  EXPECT_EQ(rs.value("NUM").toInt(), marked);
  EXPECT_EQ(rs.AbsolutePosition(), 197);
  rs.setAbsolutePosition(197);
  EXPECT_EQ(rs.value("NUM").toInt(), marked);
  EXPECT_EQ(walk(rs, true), expected(gone));
  EXPECT_EQ(walk(rs, false), expected(gone));

  rs.AddNew();
  rs.setValue("SOC", "A");
  rs.setValue("NUM", 1000);
  rs.Update();
  rs.MoveLast();
  EXPECT_EQ(rs.value("NUM").toInt(), 1000);  // added rows come last, whatever the order
  EXPECT_EQ(rs.AbsolutePosition(), kRows - 3);
  EXPECT_EQ(rs.RecordCount(), kRows - 2);

  rs.Requery();
  EXPECT_EQ(rs.RecordCount(), kRows - 2);
  EXPECT_EQ(rs.value("NUM").toInt(), 1000);  // now in its place: first of company A
}

// Rows reached after another connection changed them: a deleted row is stepped over, an
// updated row shows its new values even when it no longer meets the query, and a new row is
// not one of the set.
TEST_F(LargeDynasetTest, ChangesByAnotherConnectionBeforeTheRowsAreReached) {
  Recordset rs = m_db.OpenRecordset("select * from TDOS where MONTANT >= 0 order by SOC, NUM DESC");
  Workspace otherWs = anotherWorkspace();
  Database other = otherWs.OpenDatabase(m_db.Name());
  other.Execute("DELETE FROM TDOS WHERE NUM = " + QString::number(numAt(128)));
  // The server knows a row by its key: one whose key changed reads there as deleted.
  other.Execute("UPDATE TDOS SET MONTANT = -1" + QString(onServer() ? "" : ", SOC = 'Z'") +
                " WHERE NUM = " + QString::number(numAt(130)));
  other.Execute("INSERT INTO TDOS (SOC, NUM) VALUES ('A', 5000)");

  EXPECT_EQ(walk(rs, true), expected({numAt(128)}));
  EXPECT_EQ(rs.RecordCount(), kRows - 1);
  rs.setAbsolutePosition(129);
  EXPECT_EQ(rs.value("NUM").toInt(), numAt(130));
  EXPECT_EQ(rs.value("MONTANT").toDouble(), -1);
  EXPECT_EQ(rs.value("SOC").toString(), onServer() ? "A" : "Z");
}

// A dynaset held open between reads keeps no read transaction: the journal can be emptied.
TEST_F(LargeDynasetTest, AHeldDynasetDoesNotPinTheJournal) {
  Recordset rs = list();
  rs.setAbsolutePosition(100);
  rs.value("NUM");
  Workspace otherWs;
  Database other = otherWs.OpenDatabase(m_db.Name());
  other.Execute("UPDATE TDOS SET MONTANT = 7");

  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(m_db.Name().toUtf8().constData(), &raw), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(raw, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr),
            SQLITE_OK);
  int log = -1, done = -1;
  const int rc = sqlite3_wal_checkpoint_v2(raw, nullptr, SQLITE_CHECKPOINT_TRUNCATE, &log, &done);
  sqlite3_close(raw);
  EXPECT_EQ(rc, SQLITE_OK);
  EXPECT_EQ(log, 0);

  rs.MoveNext();
  EXPECT_EQ(rs.value("MONTANT").toDouble(), 7);
}

// Another workstation's commit reaches a list held open at its next move, in the rows it had
// read and in those of later blocks alike.
TEST_F(LargeDynasetTest, AHeldDynasetSeesAnotherWorkstationsCommitsAtItsNextMove) {
  Recordset rs = list();
  rs.setAbsolutePosition(100);
  EXPECT_EQ(rs.value("MONTANT").toDouble(), numAt(100) * 10.0);
  Workspace otherWs = anotherWorkspace();
  Database other = otherWs.OpenDatabase(m_db.Name());
  other.Execute("UPDATE TDOS SET MONTANT = 7");
  QThread::msleep(3);  // others' commits are looked for once a millisecond
  rs.MoveNext();
  EXPECT_EQ(rs.value("MONTANT").toDouble(), 7);
  rs.MovePrevious();
  EXPECT_EQ(rs.value("MONTANT").toDouble(), 7);
  rs.setAbsolutePosition(250);
  EXPECT_EQ(rs.value("MONTANT").toDouble(), 7);
}

// A dossier's versions as the workspace reads them, down to the last one deleted.
TEST_F(LargeDynasetTest, DeletingTheOnlyRowLeavesAnEmptySet) {
  Recordset rs = m_db.OpenRecordset("select * from TDOS where NUM = 7");
  ASSERT_FALSE(rs.EOF_());
  rs.Delete();
  rs.MoveNext();
  EXPECT_TRUE(rs.EOF_());
  EXPECT_EQ(rs.RecordCount(), 0);
  rs.Requery();
  EXPECT_TRUE(rs.EOF_() && rs.BOF());

  exec("CREATE TABLE ONE (K LONG, CONSTRAINT PrimaryKey PRIMARY KEY (K))");
  exec("INSERT INTO ONE VALUES (1)");
  Recordset table = m_db.OpenRecordset("ONE", RecordsetType::Table);
  table.Delete();
  table.MoveNext();
  EXPECT_TRUE(table.EOF_());
  EXPECT_EQ(table.RecordCount(), 0);
}

TEST_F(LargeDynasetTest, ReadOnlyAndSnapshotSets) {
  Recordset ro = m_db.OpenRecordset("select * from TDOS where SOC = 'B' order by NUM",
                                    RecordsetType::Dynaset, rsopt::ReadOnly);
  EXPECT_FALSE(ro.Updatable());
  EXPECT_EQ(ro.RecordCount(), kRows / 2);
  ro.setAbsolutePosition(100);
  EXPECT_EQ(ro.value("NUM").toInt(), 201);
  EXPECT_DB_ERROR(ro.Edit(), err::ReadOnly);

  Recordset snap = m_db.OpenRecordset("select * from TDOS order by NUM", RecordsetType::Snapshot);
  exec("UPDATE TDOS SET MONTANT = 0");
  snap.setAbsolutePosition(250);
  EXPECT_EQ(snap.value("MONTANT").toDouble(), 2500);  // read when it opened
}

}  // namespace
}  // namespace tarovent::db::test
