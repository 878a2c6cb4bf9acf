#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "PgCluster.h"
#include "platform/db/Database.h"

namespace tarovent::db::test {

enum class Backend { Sqlite, Postgres };

// A test run once on a database file and once on a throw-away server, where the database is a
// schema, named after its file, of a server database of the test's own.
class BothBackendsTest : public ::testing::TestWithParam<Backend> {
 protected:
  // Creates the test's database `file` on the backend of the run; skips without a server.
  void createDatabase(const QString& file) {
    ASSERT_TRUE(m_dir.isValid());
    if (GetParam() == Backend::Postgres) {
      PgCluster* cluster = nullptr;
      TAROVENT_REQUIRE_PG(cluster);
      m_ws.setServer(cluster->freshDatabase());
    }
    m_db = m_ws.CreateDatabase(m_dir.filePath(file));
  }

  QTemporaryDir m_dir;
  Workspace m_ws;
  Database m_db;
};

inline std::string backendName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::Sqlite ? "SQLite" : "PostgreSQL";
}

}  // namespace tarovent::db::test

#define TAROVENT_ON_BOTH_BACKENDS(suite)                                          \
  INSTANTIATE_TEST_SUITE_P(Backends, suite,                                       \
                           ::testing::Values(::tarovent::db::test::Backend::Sqlite, \
                                             ::tarovent::db::test::Backend::Postgres), \
                           ::tarovent::db::test::backendName)
