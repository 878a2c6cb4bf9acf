#include "DbTestSupport.h"
#include "core/AdminRun.h"

namespace tarovent::db::test {
namespace {

using tarovent::test::admin;
using tarovent::test::AdminRun;

class AdminSqlTest : public ::testing::Test {
 protected:
  QTemporaryDir m_dir;
  QString file() const { return m_dir.filePath("A.MDB"); }
};

TEST_F(AdminSqlTest, PrintsRowsInItsFormat) {
  const AdminRun r =
      admin({"sql", "--create", file(),
             "CREATE TABLE T (N LONG, D DOUBLE, S TEXT(20), DT DATETIME, B YESNO, M MEMO)",
             "INSERT INTO T VALUES (1, 26.97, 'a' & Chr(9) & 'b', #12/31/2025#, True, 'l1' & "
             "Chr(10) & 'l2')",
             "INSERT INTO T VALUES (2, 200, Null, #01/02/2026 13:45:00#, False, Null)",
             "select N, D, S, DT, B, M from T order by N", "select Sum(D) AS TOTAL from T"});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_EQ(r.out,
            "N\tD\tS\tDT\tB\tM\n"
            "1\t26.97\ta\\tb\t2025-12-31\tTrue\tl1\\nl2\n"
            "2\t200\t\t2026-01-02 13:45:00\tFalse\t\n"
            "TOTAL\n"
            "226.97\n");
}

TEST_F(AdminSqlTest, StopsAtTheFirstFailureKeepingEarlierWork) {
  const AdminRun r =
      admin({"sql", "--create", file(), "CREATE TABLE T (N LONG)", "INSERT INTO T VALUES (1)",
             "INSERT INTO NOPE VALUES (1)", "INSERT INTO T VALUES (2)"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.err.startsWith("Erreur n° ")) << r.err.toStdString();
  const AdminRun after = admin({"sql", file(), "select * from T"});
  EXPECT_EQ(after.out, "N\n1\n");
  const AdminRun missing = admin({"sql", m_dir.filePath("NONE.MDB"), "select 1"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.err.startsWith("Erreur n° 3024 : "));
}

}  // namespace
}  // namespace tarovent::db::test
