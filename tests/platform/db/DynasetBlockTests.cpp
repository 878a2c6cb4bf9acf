#include "DbTestSupport.h"

namespace tarovent::db::test {
namespace {

// A thousand rows in a list sorted on a field that edits change: the keys of a long list are
// read a block at a time, so moves, finds, bookmarks and writes all meet block boundaries
// (after 100, 300 and 700 keys on the server).
class DynasetBlockTest : public DbTest {
 protected:
  static constexpr int kRows = 1000;

  void SetUp() override {
    DbTest::SetUp();
    exec(
        "CREATE TABLE TL (ID LONG, ORD LONG, CLI TEXT(10), "
        "CONSTRAINT PrimaryKey PRIMARY KEY (ID))");
    TransactionGuard g(m_db);
    Recordset rs = m_db.OpenRecordset("TL", RecordsetType::Table);
    for (int i = 0; i < kRows; ++i) {
      rs.AddNew();
      rs.setValue("ID", i);
      rs.setValue("ORD", kRows - i);
      rs.setValue("CLI", QStringLiteral("C%1").arg(i, 4, 10, QLatin1Char('0')));
      rs.Update();
    }
    g.commit();
  }

  Recordset list() { return m_db.OpenRecordset("select * from TL where ORD > -9999 order by ORD"); }

  // ID of the row at each position of the list as it reads at opening.
  static int idAt(int position) { return kRows - 1 - position; }

  static QList<int> expected(const QList<int>& skipped = {}) {
    QList<int> ids;
    for (int p = 0; p < kRows; ++p)
      if (!skipped.contains(idAt(p))) ids << idAt(p);
    return ids;
  }

  static QList<int> walkForward(Recordset& rs) {
    QList<int> ids;
    for (rs.MoveFirst(); !rs.EOF_(); rs.MoveNext()) ids << rs.value("ID").toInt();
    return ids;
  }
};

TEST_F(DynasetBlockTest, MovesAndPositionsCrossBlocks) {
  Recordset rs = list();
  EXPECT_EQ(rs.value("ID").toInt(), idAt(0));
  for (int p = 1; p <= 300; ++p) rs.MoveNext();
  EXPECT_EQ(rs.AbsolutePosition(), 300);
  EXPECT_EQ(rs.value("CLI").toString(), QStringLiteral("C0%1").arg(idAt(300)));
  rs.MovePrevious();
  EXPECT_EQ(rs.value("ID").toInt(), idAt(299));
  EXPECT_EQ(walkForward(rs), expected());
  EXPECT_TRUE(rs.EOF_());

  // From the end first, then back across every block to the first row.
  Recordset back = list();
  back.MoveLast();
  EXPECT_EQ(back.AbsolutePosition(), kRows - 1);
  QList<int> ids;
  for (; !back.BOF(); back.MovePrevious()) ids.prepend(back.value("ID").toInt());
  EXPECT_EQ(ids, expected());

  Recordset counted = list();
  EXPECT_EQ(counted.RecordCount(), kRows);
  EXPECT_EQ(counted.value("ID").toInt(), idAt(0));
  for (const int p : {99, 100, 299, 300, 699, 700, 999}) {
    SCOPED_TRACE(p);
    Recordset jump = list();
    jump.setAbsolutePosition(p);
    EXPECT_EQ(jump.value("ID").toInt(), idAt(p));
    EXPECT_EQ(jump.AbsolutePosition(), p);
  }
  Recordset beyond = list();
  EXPECT_DB_ERROR(beyond.setAbsolutePosition(kRows), err::NoCurrentRecord);
  EXPECT_EQ(beyond.RecordCount(), kRows);
}

TEST_F(DynasetBlockTest, BookmarksAndFindsReachRowsNotYetRead) {
  // A clone made at once shares nothing read yet: a bookmark of a far row still leads there.
  Recordset rs = list();
  Recordset copy = rs.Clone();
  rs.setAbsolutePosition(850);
  copy.setBookmark(rs.Bookmark());
  EXPECT_EQ(copy.value("ID").toInt(), idAt(850));
  copy.MoveNext();
  EXPECT_EQ(copy.value("ID").toInt(), idAt(851));
  copy.MovePrevious();
  copy.MovePrevious();
  EXPECT_EQ(copy.AbsolutePosition(), 849);
  EXPECT_EQ(copy.RecordCount(), kRows);

  Recordset found = list();
  found.setAbsolutePosition(90);
  found.FindNext("ID = 400 OR ID = 895");
  EXPECT_EQ(found.AbsolutePosition(), 104);
  found.FindNext("ID = 400 OR ID = 895");
  EXPECT_EQ(found.value("ID").toInt(), 400);
  EXPECT_EQ(found.AbsolutePosition(), 599);
  found.FindNext("ID = 400 OR ID = 895");
  EXPECT_TRUE(found.NoMatch());
  EXPECT_EQ(found.value("ID").toInt(), 400);
  found.FindPrevious("ID = 400 OR ID = 895");
  EXPECT_EQ(found.value("ID").toInt(), 895);

  Recordset first = list();
  first.FindFirst("CLI = 'C0003'");
  EXPECT_EQ(first.AbsolutePosition(), 996);
  Recordset last = list();
  last.FindLast("ID < 5");
  EXPECT_EQ(last.value("ID").toInt(), 0);
  last.FindPrevious("ID < 5");
  EXPECT_EQ(last.value("ID").toInt(), 1);
  Recordset none = list();
  none.FindFirst("ID = 5000");
  EXPECT_TRUE(none.NoMatch());
  EXPECT_EQ(none.value("ID").toInt(), idAt(0));
}

// Writes that move rows in the list's order, through the list or elsewhere, before and after
// their keys were read: the list keeps the rows and the order it had at its opening.
TEST_F(DynasetBlockTest, EditsOfTheSortFieldKeepTheSetAsOpened) {
  Recordset rs = list();
  rs.Edit();
  rs.setValue("ORD", 5000);  // the first row read goes after all the others
  rs.Update();
  rs.setAbsolutePosition(500);
  rs.Edit();
  rs.setValue("ORD", -5);  // a row of a later block goes before all of them
  rs.Update();
  EXPECT_EQ(rs.AbsolutePosition(), 500);
  EXPECT_EQ(rs.value("ORD").toInt(), -5);
  exec("UPDATE TL SET ORD = -ORD WHERE ID < 300");
  EXPECT_EQ(walkForward(rs), expected());
  rs.setAbsolutePosition(idAt(100));
  EXPECT_EQ(rs.value("ORD").toInt(), -900);
  EXPECT_EQ(rs.RecordCount(), kRows);

  rs.Requery();
  EXPECT_EQ(rs.value("ID").toInt(), 0);
  rs.MoveLast();
  EXPECT_EQ(rs.value("ID").toInt(), kRows - 1);
}

TEST_F(DynasetBlockTest, DeletesAndAddsAroundABoundary) {
  Recordset rs = list();
  rs.setAbsolutePosition(99);
  rs.Delete();  // before any of its values were read: it leaves the count once
  rs.MoveNext();
  EXPECT_EQ(rs.value("ID").toInt(), idAt(100));
  EXPECT_EQ(rs.AbsolutePosition(), 99);
  rs.Delete();
  rs.MovePrevious();
  EXPECT_EQ(rs.value("ID").toInt(), idAt(98));
  Recordset counted = rs.Clone();
  EXPECT_EQ(counted.RecordCount(), kRows - 2);

  // Added while most keys are still to read: it comes after all of them.
  rs.AddNew();
  rs.setValue("ID", 5000);
  rs.setValue("ORD", -100);
  rs.Update();
  EXPECT_EQ(rs.value("ID").toInt(), idAt(98));
  rs.setBookmark(rs.LastModified());
  EXPECT_EQ(rs.value("ID").toInt(), 5000);
  EXPECT_EQ(rs.AbsolutePosition(), kRows - 2);
  rs.MovePrevious();
  EXPECT_EQ(rs.value("ID").toInt(), 0);
  EXPECT_EQ(rs.RecordCount(), kRows - 1);
  QList<int> ids = expected({idAt(99), idAt(100)});
  ids << 5000;
  EXPECT_EQ(walkForward(rs), ids);
}

// Keys are read on across transactions, committed or not, and a list opened inside one
// outlives its rollback.
TEST_F(DynasetBlockTest, ReadingGoesOnAcrossTransactions) {
  Recordset rs = list();
  m_ws.BeginTrans();
  rs.setAbsolutePosition(400);
  rs.Edit();
  rs.setValue("CLI", "X");
  rs.Update();
  m_ws.Rollback();
  EXPECT_EQ(rs.value("CLI").toString(), QStringLiteral("C0%1").arg(idAt(400)));
  EXPECT_EQ(walkForward(rs), expected());

  m_ws.BeginTrans();
  Recordset inside = list();
  inside.setAbsolutePosition(150);
  m_ws.Rollback();
  EXPECT_EQ(walkForward(inside), expected());

  m_ws.BeginTrans();
  Recordset committed = list();
  m_ws.CommitTrans();
  committed.MoveLast();
  EXPECT_EQ(committed.value("ID").toInt(), 0);
}

// Nulls come first in an ascending order and last in a descending one, in a field that may hold
// them, whatever the key fields beside it.
TEST_F(DynasetBlockTest, NullsKeepTheirPlaceInTheOrder) {
  exec("UPDATE TL SET CLI = Null WHERE ID >= 995");
  Recordset up = m_db.OpenRecordset("select * from TL where ID >= 800 order by CLI, ID DESC");
  QList<int> ids;
  for (int id = 999; id >= 995; --id) ids << id;
  for (int id = 800; id < 995; ++id) ids << id;
  EXPECT_EQ(walkForward(up), ids);

  Recordset down = m_db.OpenRecordset("select * from TL where ID >= 800 order by CLI DESC, ID");
  QList<int> reversed;
  for (int id = 994; id >= 800; --id) reversed << id;
  for (int id = 995; id <= 999; ++id) reversed << id;
  EXPECT_EQ(walkForward(down), reversed);
}

}  // namespace
}  // namespace tarovent::db::test
