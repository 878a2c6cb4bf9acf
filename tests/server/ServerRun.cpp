#include <gtest/gtest.h>

#include <QString>
#include <cstdio>

#include "platform/db/DefaultServer.h"
#include "platform/db/PgCluster.h"

// With TAROVENT_TEST_SERVER=all (any other value puts only the fixtures that ask for it on the
// server), every test of the program runs with its databases on the
// throw-away server: each test gets a server database of its own, which every workspace made
// during the test uses unless it is told otherwise. A suite's own set-up stays on files.
namespace {

using tarovent::db::test::PgCluster;

class ServerRun : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    QString why;
    bool missing = false;
    PgCluster* cluster = PgCluster::instance(&why, &missing);
    if (!cluster) {
      // Without the server programs the tests say so and run on files; a server that does not
      // start fails every test that opens a database.
      if (!m_told) std::fprintf(stderr, "Serveur de test indisponible : %s\n", qPrintable(why));
      m_told = true;
      if (!missing) tarovent::db::setDefaultServer(QStringLiteral("host=/serveur-de-test-absent"));
      return;
    }
    m_database = cluster->freshDatabase();
    tarovent::db::setDefaultServer(m_database);
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    tarovent::db::setDefaultServer({});
    if (m_database.isEmpty()) return;
    QString why;
    bool missing = false;
    if (PgCluster* cluster = PgCluster::instance(&why, &missing)) cluster->dropDatabase(m_database);
    m_database.clear();
  }
  QString m_database;
  bool m_told = false;
};

const bool g_registered = [] {
  if (qEnvironmentVariable("TAROVENT_TEST_SERVER") == QLatin1String("all"))
    ::testing::UnitTest::GetInstance()->listeners().Append(new ServerRun);
  return true;
}();

}  // namespace
