#include "DbTestSupport.h"

namespace tarovent::db::test {
namespace {

// Saved queries keep working while the tables they read are rebuilt.
class SavedQueryTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    exec("CREATE TABLE T (K TEXT(5), N LONG)");
    exec("INSERT INTO T VALUES ('A', 1)");
    exec("INSERT INTO T VALUES ('B', 2)");
    m_db.CreateQueryDef("QT", "select K, N from T where N > 0");
  }
};

TEST_F(SavedQueryTest, RebuildingATableItsQueriesReadWorks) {
  exec("CREATE INDEX PrimaryKey ON T (K) WITH PRIMARY");
  EXPECT_EQ(column("select K from QT order by K", "K"), QStringList({"A", "B"}));
  exec("ALTER TABLE T ADD COLUMN D TEXT(5) DEFAULT 'x'");
  exec("ALTER TABLE T DROP CONSTRAINT PrimaryKey");
  EXPECT_EQ(column("select K from QT order by K", "K"), QStringList({"A", "B"}));
  EXPECT_EQ(column("select D from T order by K", "D"), QStringList({"x", "x"}));
}

TEST_F(SavedQueryTest, ADynasetOverAQueryOfOneTableEditsThatTable) {
  Recordset rs = m_db.OpenRecordset("select * from QT where K = 'B'");
  EXPECT_TRUE(rs.Updatable());
  rs.Edit();
  rs.setValue("N", 20);
  rs.Update();
  rs.AddNew();
  rs.setValue("K", "C");
  rs.setValue("N", 3);
  rs.Update();
  Recordset aliased = m_db.OpenRecordset("select Q.K, Q.N from QT as Q order by Q.K");
  aliased.Edit();
  aliased.setValue("N", 10);
  aliased.Update();
  EXPECT_EQ(column("select K & N as X from T order by K", "X"), QStringList({"A10", "B20", "C3"}));
  m_db.CreateQueryDef("QG", "select K, Count(*) as C from T group by K");
  EXPECT_FALSE(m_db.OpenRecordset("select * from QG").Updatable());
}

}  // namespace
}  // namespace tarovent::db::test
