#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "PgCluster.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/DefaultServer.h"

namespace tarovent::db::test {

// Each test gets its own folder and a fresh database in it. With TAROVENT_TEST_SERVER set,
// the databases are schemas of a server database of the test's own, on the program's
// throw-away PostgreSQL server (the test is skipped when the server programs are missing).
class DbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    if (qEnvironmentVariableIsSet("TAROVENT_TEST_SERVER")) {
      PgCluster* cluster = nullptr;
      TAROVENT_REQUIRE_PG(cluster);
      // The test's own database when the whole program runs on the server.
      m_ws.setServer(defaultServer().isEmpty() ? cluster->freshDatabase() : defaultServer());
    }
    m_db = m_ws.CreateDatabase(path("TEST.MDB"));
  }
  bool onServer() const { return !m_ws.server().isEmpty(); }
  // Another workstation's workspace: the same files, or the same server.
  Workspace anotherWorkspace() const {
    Workspace ws;
    ws.setServer(m_ws.server(), m_ws.renamed());
    return ws;
  }
  QString path(const QString& name) const { return m_dir.filePath(name); }

  void exec(const QString& sql) { m_db.Execute(sql); }

  // All values of one column of a query, read as text (Null as "<null>").
  QStringList column(const QString& sql, const QString& field) {
    QStringList out;
    Recordset rs = m_db.OpenRecordset(sql, RecordsetType::Dynaset, rsopt::ReadOnly);
    while (!rs.EOF_()) {
      const QVariant v = rs.value(field);
      out << (v.isNull() ? QStringLiteral("<null>") : v.toString());
      rs.MoveNext();
    }
    return out;
  }

  // The current record's field of a table recordset, as text.
  static QString at(const Recordset& rs, const QString& field) {
    return rs.value(field).toString();
  }

  QTemporaryDir m_dir;
  Workspace m_ws;
  Database m_db;
};

#define EXPECT_DB_ERROR(stmt, num)                \
  do {                                            \
    try {                                         \
      stmt;                                       \
      ADD_FAILURE() << "no error raised: " #stmt; \
    } catch (const ::tarovent::db::DbError& e) {  \
      EXPECT_EQ(e.number(), num) << e.what();     \
    }                                             \
  } while (0)

}  // namespace tarovent::db::test
