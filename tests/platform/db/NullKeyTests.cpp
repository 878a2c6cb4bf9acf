#include <algorithm>

#include "DbTestSupport.h"

namespace tarovent::db::test {
namespace {

// Rows whose key fields are Null belong to the index like the others: Null sorts first.
class NullKeyTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    exec("CREATE TABLE T (ID LONG, A TEXT(5), B LONG)");
    exec("CREATE INDEX IXA ON T (A)");
    exec("CREATE INDEX IXAB ON T (A, B)");
    const char* rows[][2] = {{"'b'", "1"},     {"Null", "2"}, {"'a'", "Null"}, {"'b'", "Null"},
                             {"Null", "Null"}, {"'a'", "1"},  {"Null", "1"}};
    int id = 0;
    for (const auto& r : rows)
      exec(QStringLiteral("INSERT INTO T VALUES (%1, %2, %3)").arg(++id).arg(r[0], r[1]));
  }

  static QStringList walk(Recordset& rs, bool backward = false) {
    QStringList ids;
    backward ? rs.MoveLast() : rs.MoveFirst();
    while (!(backward ? rs.BOF() : rs.EOF_())) {
      ids << at(rs, "ID");
      backward ? rs.MovePrevious() : rs.MoveNext();
    }
    if (backward) std::reverse(ids.begin(), ids.end());
    return ids;
  }
};

TEST_F(NullKeyTest, NullsComeFirstInEveryWalk) {
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
  rs.setIndex("IXAB");
  const QStringList order = {"5", "7", "2", "3", "6", "4", "1"};
  EXPECT_EQ(walk(rs), order);
  EXPECT_EQ(walk(rs, true), order);
  EXPECT_EQ(rs.RecordCount(), 7);
  rs.MoveFirst();
  for (int i = 0; i < order.size(); ++i, rs.MoveNext()) {
    EXPECT_EQ(rs.AbsolutePosition(), i) << at(rs, "ID").toStdString();
  }
  rs.setIndex("IXA");
  EXPECT_EQ(walk(rs), QStringList({"2", "5", "7", "3", "6", "1", "4"}));
  EXPECT_EQ(walk(rs, true), QStringList({"2", "5", "7", "3", "6", "1", "4"}));
}

TEST_F(NullKeyTest, SeekFindsAndPassesNullKeys) {
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
  rs.setIndex("IXAB");
  rs.Seek("=", QVariant(), QVariant());
  EXPECT_FALSE(rs.NoMatch());
  EXPECT_EQ(at(rs, "ID"), "5");
  rs.MoveNext();
  EXPECT_EQ(at(rs, "ID"), "7");
  rs.Seek(">=", QVariant(), 2);
  EXPECT_EQ(at(rs, "ID"), "2");
  rs.Seek("<", "a", 1);
  EXPECT_EQ(at(rs, "ID"), "3");
  rs.MovePrevious();
  EXPECT_EQ(at(rs, "ID"), "2");
  rs.Seek("<", QVariant());
  EXPECT_TRUE(rs.NoMatch());
  rs.Seek("<=", "b", 1);
  EXPECT_EQ(at(rs, "ID"), "1");
  rs.MovePrevious();
  EXPECT_EQ(at(rs, "ID"), "4");
}

TEST_F(NullKeyTest, ADescendingIndexPutsNullsLast) {
  exec("CREATE INDEX IXD ON T (A DESC, B)");
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
  rs.setIndex("IXD");
  const QStringList order = {"4", "1", "3", "6", "5", "7", "2"};
  EXPECT_EQ(walk(rs), order);
  EXPECT_EQ(walk(rs, true), order);
  rs.Seek("<", QVariant(), 1);
  EXPECT_EQ(at(rs, "ID"), "5");
  rs.Seek(">", "a", 1);
  EXPECT_EQ(at(rs, "ID"), "5");
}

}  // namespace
}  // namespace tarovent::db::test
