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

// A query of all the columns reads those the table has now; dropping a table its queries read
// is allowed, and the queries read the table created again under its name.
TEST_F(SavedQueryTest, QueriesFollowTheirTableDroppedOrWidened) {
  m_db.CreateQueryDef("QA", "select * from T");
  m_db.CreateQueryDef("QQ", "select K from QA where N > 1");
  exec("ALTER TABLE T ADD COLUMN D TEXT(5) DEFAULT 'x'");
  EXPECT_EQ(column("select K & D as X from QA order by K", "X"), QStringList({"Ax", "Bx"}));
  exec("DROP TABLE T");
  EXPECT_DB_ERROR(column("select K from QQ", "K"), err::SourceNotFound);
  exec("CREATE TABLE T (K TEXT(5), N LONG, E TEXT(5))");
  exec("INSERT INTO T VALUES ('Z', 9, 'e')");
  EXPECT_EQ(column("select K & E as X from QA", "X"), QStringList{"Ze"});
  EXPECT_EQ(column("select K from QQ", "K"), QStringList{"Z"});
  EXPECT_EQ(column("select K from QT", "K"), QStringList{"Z"});
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

// A saved query's name is the same name however it is spelt, as a table's is: read, looked up,
// deleted (its name then free again).
TEST_F(SavedQueryTest, ItsNameIsFoundWhateverTheCase) {
  m_db.CreateQueryDef("QueryMixte", "select K from T where N = 2");
  EXPECT_EQ(column("select K from QUERYMIXTE", "K"), QStringList{"B"});
  EXPECT_EQ(column("select K from [querymixte] where K <> 'Z'", "K"), QStringList{"B"});
  EXPECT_TRUE(m_db.hasQueryDef("QUERYMIXTE"));
  m_db.DeleteQueryDef("querymixte");
  EXPECT_FALSE(m_db.hasQueryDef("QueryMixte"));
  EXPECT_THROW(m_db.OpenRecordset("select K from QueryMixte"), DbError);
  m_db.CreateQueryDef("QUERYMIXTE", "select K from T where N = 1");
  EXPECT_EQ(column("select K from QueryMixte", "K"), QStringList{"A"});
}

}  // namespace
}  // namespace tarovent::db::test
