#include <gtest/gtest.h>

#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>

#include "BothBackends.h"
#include "DbTestSupport.h"
#include "PgCluster.h"
#include "QtPrinters.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"

namespace tarovent::db::test {
namespace {

// Table recordsets walked, sought and written over more rows than one read brings: what
// changes between two reads must neither be skipped nor be met twice.
class TableWalkTest : public BothBackendsTest {
 protected:
  void SetUp() override {
    createDatabase("WALK.MDB");
    if (HasFatalFailure() || IsSkipped()) return;
    m_db.Execute(
        "CREATE TABLE T (K LONG, NOM TEXT(20), V DOUBLE, CONSTRAINT PrimaryKey PRIMARY KEY (K))");
    m_db.Execute("CREATE INDEX IXNOM ON T (NOM)");
  }

  // Rows K = 10, 20, ... with NOM given by `name` (a Null when it gives a null QString).
  void fill(int rows, const std::function<QString(int)>& name) {
    TransactionGuard g(m_ws);
    Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
    for (int i = 1; i <= rows; ++i) {
      rs.AddNew();
      rs.setValue("K", i * 10);
      const QString n = name(i);
      if (!n.isNull()) rs.setValue("NOM", n);
      rs.setValue("V", i);
      rs.Update();
    }
    g.commit();
  }

  static QList<int> forward(Recordset& rs) {
    QList<int> out;
    for (rs.MoveFirst(); !rs.EOF_(); rs.MoveNext()) out << rs.value("K").toInt();
    return out;
  }
  static QList<int> backward(Recordset& rs) {
    QList<int> out;
    for (rs.MoveLast(); !rs.BOF(); rs.MovePrevious()) out << rs.value("K").toInt();
    std::reverse(out.begin(), out.end());
    return out;
  }
  static QList<int> keys(int from, int to, int step = 10) {
    QList<int> out;
    for (int k = from; k <= to; k += step) out << k;
    return out;
  }
};

TAROVENT_ON_BOTH_BACKENDS(TableWalkTest);

TEST_P(TableWalkTest, BothWaysAndBackAgainOverManyReads) {
  fill(700, [](int i) { return QStringLiteral("N%1").arg(i % 37, 2, 10, QLatin1Char('0')); });
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
  rs.setIndex("PrimaryKey");
  EXPECT_EQ(forward(rs), keys(10, 7000));
  EXPECT_EQ(backward(rs), keys(10, 7000));
  // Turning back in the middle of a walk, after and before the edges of the reads.
  rs.MoveFirst();
  for (int n = 0; n < 260; ++n) rs.MoveNext();
  EXPECT_EQ(rs.value("K").toInt(), 2610);
  EXPECT_EQ(rs.AbsolutePosition(), 260);
  QList<int> back;
  for (int n = 0; n < 255; ++n, rs.MovePrevious()) back << rs.value("K").toInt();
  EXPECT_EQ(back.first(), 2610);
  EXPECT_EQ(back.last(), 70);
  EXPECT_EQ(rs.value("K").toInt(), 60);
  rs.MoveNext();
  EXPECT_EQ(rs.value("K").toInt(), 70);
  rs.setAbsolutePosition(499);
  EXPECT_EQ(rs.value("K").toInt(), 5000);
  rs.MovePrevious();
  EXPECT_EQ(rs.value("K").toInt(), 4990);

  // On a second index whose values repeat, the key ties follow the primary key.
  rs.setIndex("IXNOM");
  QList<QPair<QString, int>> seen;
  for (; !rs.EOF_(); rs.MoveNext()) seen << qMakePair(rs.text("NOM"), rs.value("K").toInt());
  QList<QPair<QString, int>> sorted = seen;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(seen, sorted);
  EXPECT_EQ(seen.size(), 700);
  QList<int> walkedBack;
  for (rs.MoveLast(); !rs.BOF(); rs.MovePrevious()) walkedBack.prepend(rs.value("K").toInt());
  QList<int> walked;
  for (const auto& p : std::as_const(seen)) walked << p.second;
  EXPECT_EQ(walkedBack, walked);
}

TEST_P(TableWalkTest, RowsAddedAndDeletedByAnotherRecordsetDuringAWalk) {
  fill(300, [](int i) { return QStringLiteral("N%1").arg(i); });
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
  rs.setIndex("PrimaryKey");
  for (int n = 0; n < 59; ++n) rs.MoveNext();
  ASSERT_EQ(rs.value("K").toInt(), 600);

  Recordset other = m_db.OpenRecordset("T", RecordsetType::Table);
  other.setIndex("PrimaryKey");
  for (const int k : {605, 5, 2995}) {
    other.AddNew();
    other.setValue("K", k);
    other.Update();
  }
  for (const int k : {610, 620, 590}) {
    other.Seek("=", k);
    other.Delete();
  }
  rs.MoveNext();
  EXPECT_EQ(rs.value("K").toInt(), 605);
  rs.MoveNext();
  EXPECT_EQ(rs.value("K").toInt(), 630);
  rs.MovePrevious();
  rs.MovePrevious();
  EXPECT_EQ(rs.value("K").toInt(), 600);
  rs.MovePrevious();
  EXPECT_EQ(rs.value("K").toInt(), 580);

  // The current record deleted by another recordset: gone, and moves go on from its place.
  other.Seek("=", 580);
  other.Delete();
  EXPECT_DB_ERROR(rs.value("NOM"), err::RecordDeleted);
  rs.MovePrevious();
  EXPECT_EQ(rs.value("K").toInt(), 570);
  QList<int> rest;
  for (; !rs.EOF_(); rs.MoveNext()) rest << rs.value("K").toInt();
  EXPECT_EQ(rest.size(), 242);
  EXPECT_EQ(rest.last(), 3000);
  EXPECT_TRUE(rest.contains(2995));
  EXPECT_EQ(forward(rs).first(), 5);
  EXPECT_EQ(rs.RecordCount(), 299);
}

TEST_P(TableWalkTest, SeekThenWalkEitherWay) {
  fill(400, [](int i) { return QStringLiteral("N%1").arg(i); });
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
  rs.setIndex("PrimaryKey");
  rs.Seek("=", 1500);
  ASSERT_FALSE(rs.NoMatch());
  rs.MoveNext();
  EXPECT_EQ(rs.value("K").toInt(), 1510);
  rs.MovePrevious();
  rs.MovePrevious();
  EXPECT_EQ(rs.value("K").toInt(), 1490);
  rs.Seek(">=", 1505);
  EXPECT_EQ(rs.value("K").toInt(), 1510);
  rs.MovePrevious();
  EXPECT_EQ(rs.value("K").toInt(), 1500);
  rs.Seek("<", 1505);
  EXPECT_EQ(rs.value("K").toInt(), 1500);
  QList<int> after;
  for (int n = 0; n < 200; ++n, rs.MoveNext()) after << rs.value("K").toInt();
  EXPECT_EQ(after, keys(1500, 3490));
  rs.Seek(">", 3000);
  QList<int> before;
  for (int n = 0; n < 300; ++n, rs.MovePrevious()) before.prepend(rs.value("K").toInt());
  EXPECT_EQ(before, keys(20, 3010));
  rs.Seek("=", 1505);
  EXPECT_TRUE(rs.NoMatch());
  EXPECT_DB_ERROR(rs.MoveNext(), err::NoCurrentRecord);
  rs.Seek("<=", 5);
  EXPECT_TRUE(rs.NoMatch());
  rs.Seek(">", 4000);
  EXPECT_TRUE(rs.NoMatch());
}

TEST_P(TableWalkTest, BookmarksAndEditsOutliveTheReadsTheyCameFrom) {
  fill(300, [](int i) { return QStringLiteral("N%1").arg(i); });
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
  rs.setIndex("PrimaryKey");
  for (int n = 0; n < 9; ++n) rs.MoveNext();
  const QByteArray tenth = rs.Bookmark();
  for (int n = 0; n < 260; ++n) rs.MoveNext();
  const QByteArray far = rs.Bookmark();
  EXPECT_EQ(rs.value("K").toInt(), 2700);
  rs.setBookmark(tenth);
  EXPECT_EQ(rs.value("K").toInt(), 100);
  rs.MoveNext();
  EXPECT_EQ(rs.value("K").toInt(), 110);
  rs.setBookmark(far);
  rs.MovePrevious();
  EXPECT_EQ(rs.value("K").toInt(), 2690);

  // Edits in one transaction while walking: each record read again shows what was written,
  // also when the walk comes back to it.
  {
    TransactionGuard g(m_ws);
    for (rs.MoveFirst(); !rs.EOF_(); rs.MoveNext()) {
      rs.Edit();
      rs.setValue("V", rs.value("V").toDouble() * 2);
      rs.Update();
    }
    rs.MoveLast();
    for (int n = 0; n < 120; ++n) rs.MovePrevious();
    EXPECT_EQ(rs.value("V").toDouble(), 2 * 180);
    g.commit();
  }
  Recordset sum = m_db.OpenRecordset("SELECT Sum(V) AS S FROM T");
  EXPECT_EQ(sum.number("S"), 300 * 301);

  // A key edited moves the record: the walk goes on from its new place.
  rs.setBookmark(tenth);
  rs.Edit();
  rs.setValue("K", 2705);
  rs.Update();
  EXPECT_EQ(rs.value("K").toInt(), 2705);
  rs.MoveNext();
  EXPECT_EQ(rs.value("K").toInt(), 2710);
  rs.setBookmark(rs.LastModified());
  rs.MovePrevious();
  EXPECT_EQ(rs.value("K").toInt(), 2700);
}

// Keys compare without case but with accents, as the text order of the engine: rows that tie
// must each be met once, whatever the edge of a read falls on.
TEST_P(TableWalkTest, KeysThatDifferByCaseOrAccentEachMetOnce) {
  const QStringList variants = {"ecole", "ÉCOLE", "Ecole", "école", "eden", "Émile", "emile"};
  fill(140, [&](int i) { return variants[i % variants.size()]; });
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
  rs.setIndex("IXNOM");
  QStringList names;
  QSet<int> seen;
  for (; !rs.EOF_(); rs.MoveNext()) {
    names << rs.text("NOM");
    seen << rs.value("K").toInt();
  }
  EXPECT_EQ(seen.size(), 140);
  QStringList groups;
  for (const QString& n : std::as_const(names))
    if (groups.isEmpty() || groups.last().compare(n, Qt::CaseInsensitive) != 0) groups << n;
  QStringList lowered;
  for (const QString& g : std::as_const(groups)) lowered << g.toLower();
  EXPECT_EQ(lowered, QStringList({"ecole", "école", "eden", "emile", "émile"}));
  EXPECT_EQ(backward(rs).size(), 140);

  rs.Seek("=", "ÉCOLE");
  ASSERT_FALSE(rs.NoMatch());
  EXPECT_EQ(rs.text("NOM").toLower(), "école");
  rs.MovePrevious();
  EXPECT_EQ(rs.text("NOM").toLower(), "ecole");
  rs.Seek(">", "ECOLE");
  EXPECT_EQ(rs.text("NOM").toLower(), "école");
  rs.Seek("<", "Émile");
  EXPECT_EQ(rs.text("NOM"), "emile");
}

// Nulls come first in an ascending index, and a walk goes through them and out of them in
// both directions.
TEST_P(TableWalkTest, NullKeysFirstAndWalkedThroughBothWays) {
  fill(180, [](int i) { return i % 3 ? QString() : QStringLiteral("N%1").arg(i % 7); });
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
  rs.setIndex("IXNOM");
  const QList<int> walked = forward(rs);
  EXPECT_EQ(walked.size(), 180);
  EXPECT_EQ(walked.mid(0, 3), QList<int>({10, 20, 40}));
  EXPECT_EQ(backward(rs), walked);
  // From the first value back into the Nulls, and on from the last Null.
  rs.Seek(">=", "N0");
  EXPECT_EQ(rs.text("NOM"), "N0");
  EXPECT_EQ(rs.AbsolutePosition(), 120);
  rs.MovePrevious();
  EXPECT_TRUE(rs.value("NOM").isNull());
  EXPECT_EQ(rs.value("K").toInt(), 1790);
  rs.MoveNext();
  EXPECT_EQ(rs.text("NOM"), "N0");
  rs.Seek("=", QVariant());
  ASSERT_FALSE(rs.NoMatch());
  EXPECT_EQ(rs.value("K").toInt(), 10);
  rs.Seek("<", "N0");
  EXPECT_EQ(rs.value("K").toInt(), 1790);
}

// Rows of a table without a primary key each edited once by a walk, however writes move them.
TEST_P(TableWalkTest, EveryRowOfAKeylessTableEditedOnceByAWalk) {
  m_db.Execute("CREATE TABLE L (NOM TEXT(10), N LONG)");
  m_db.Execute("CREATE UNIQUE INDEX IXN ON L (N)");
  for (int i = 0; i < 120; ++i)
    m_db.Execute(QStringLiteral("INSERT INTO L (NOM, N) VALUES ('L%1', %2)")
                     .arg(i)
                     .arg(i % 10 ? QString::number(i) : QStringLiteral("Null")));
  Recordset rs = m_db.OpenRecordset("L", RecordsetType::Table);
  int edited = 0;
  for (; !rs.EOF_() && edited < 500; rs.MoveNext(), ++edited) {
    rs.Edit();
    rs.setValue("NOM", rs.text("NOM") + "*");
    rs.Update();
  }
  EXPECT_EQ(edited, 120);
  Recordset check = m_db.OpenRecordset("SELECT Count(*) AS C FROM L WHERE NOM LIKE '*[*]'");
  EXPECT_EQ(check.number("C"), 120);
}

}  // namespace
}  // namespace tarovent::db::test
