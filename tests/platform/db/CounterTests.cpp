#include "DbTestSupport.h"

namespace tarovent::db::test {
namespace {

using CounterTest = DbTest;

// Numbers given by a COUNTER field are never given again, even after the last rows go.
TEST_F(CounterTest, NumbersAreNotReusedAfterDeletingTheLastRows) {
  exec("CREATE TABLE T (ID COUNTER, NOM TEXT(10), CONSTRAINT PrimaryKey PRIMARY KEY (ID))");
  for (const char* n : {"a", "b", "c"})
    exec(QStringLiteral("INSERT INTO T (NOM) VALUES ('%1')").arg(n));
  exec("DELETE FROM T WHERE ID >= 2");
  exec("INSERT INTO T (NOM) VALUES ('d')");
  exec("DELETE * FROM T");
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
  rs.AddNew();
  rs.setValue("NOM", "e");
  rs.Update();
  exec("INSERT INTO T (ID, NOM) VALUES (10, 'f')");
  exec("INSERT INTO T (NOM) VALUES ('g')");
  EXPECT_EQ(column("select ID & NOM as X from T order by ID", "X"),
            QStringList({"5e", "10f", "11g"}));

  // A table made again under the same name starts afresh.
  exec("DROP TABLE T");
  exec("CREATE TABLE T (ID COUNTER, NOM TEXT(10))");
  exec("INSERT INTO T (NOM) VALUES ('a')");
  EXPECT_EQ(column("select ID from T", "ID"), QStringList{"1"});
}

}  // namespace
}  // namespace tarovent::db::test
