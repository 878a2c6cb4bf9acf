#include <sys/wait.h>
#include <unistd.h>

#include "DbTestSupport.h"

namespace tarovent::db::test {
namespace {

// Adds 1 to the counter `times` times, each in its own transaction, like numbering does, from
// a workspace like `like` (the same files or the same server).
bool increment(const Workspace& like, const QString& file, int times) {
  try {
    Workspace ws;
    ws.setServer(like.server(), like.renamed());
    Database db = ws.OpenDatabase(file);
    Recordset rs = db.OpenRecordset("TCPT");
    rs.setIndex("PrimaryKey");
    for (int i = 0; i < times; ++i) {
      ws.BeginTrans();
      rs.Seek("=", "AB");
      if (rs.NoMatch()) return false;
      rs.Edit();
      rs.setValue("TCPT_N", rs.value("TCPT_N").toLongLong() + 1);
      rs.Update();
      ws.CommitTrans();
    }
    return true;
  } catch (const DbError& e) {
    fprintf(stderr, "%s\n", e.what());
    return false;
  }
}

using ConcurrencyTest = DbTest;

TEST_F(ConcurrencyTest, TwoProcessesIncrementingOneCounterLoseNothing) {
  exec(
      "CREATE TABLE TCPT (TCPT_SOC TEXT(2), TCPT_N LONG, CONSTRAINT PrimaryKey PRIMARY KEY "
      "(TCPT_SOC))");
  exec("INSERT INTO TCPT VALUES ('AB', 0)");
  const QString file = m_db.Name();
  m_db.Close();

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(increment(m_ws, file, 1000) ? 0 : 1);
  const bool mine = increment(m_ws, file, 1000);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(mine);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  Database db = m_ws.OpenDatabase(file);
  Recordset rs = db.OpenRecordset("TCPT");
  EXPECT_EQ(rs.value("TCPT_N").toLongLong(), 2000);
}

}  // namespace
}  // namespace tarovent::db::test
