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

}  // namespace
}  // namespace tarovent::db::test
