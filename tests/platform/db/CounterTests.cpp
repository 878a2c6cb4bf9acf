#include "DbTestSupport.h"

namespace tarovent::db::test {
namespace {

using CounterTest = DbTest;

// A table recordset's new record is numbered as an inserted row is, after the highest number
// ever given (the rules themselves are checked on both backends in JetBackendsTest).
TEST_F(CounterTest, ARecordsetsNewRecordTakesTheNextNumberEvenAfterDeletions) {
  exec("CREATE TABLE T (ID COUNTER, NOM TEXT(10), CONSTRAINT PrimaryKey PRIMARY KEY (ID))");
  exec("INSERT INTO T (NOM) VALUES ('a')");
  exec("INSERT INTO T (NOM) VALUES ('b')");
  exec("DELETE * FROM T");
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
  rs.AddNew();
  rs.setValue("NOM", "c");
  rs.Update();
  EXPECT_EQ(column("select ID & NOM as X from T", "X"), QStringList{"3c"});
}

}  // namespace
}  // namespace tarovent::db::test
