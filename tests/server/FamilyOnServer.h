#pragma once

#include <QFile>
#include <QString>

#include "install/ServerMigration.h"
#include "platform/db/DefaultServer.h"
#include "platform/db/PgCluster.h"

namespace tarovent::test {

// True when the whole test program runs with its databases on the throw-away server.
inline bool wholeProgramOnServer() {
  return qEnvironmentVariable("TAROVENT_TEST_SERVER") == QLatin1String("all");
}

// The family in `root` copied into the server database `conninfo`, named in its milostar.ini,
// and its database files removed: a workstation that has only milostar.ini and the documents.
// False when the copy failed its count check.
inline bool moveFamilyToServer(const QString& root, const QString& conninfo) {
  if (!install::migrateFamily(root, conninfo).ok()) return false;
  install::nameServer(root, conninfo);
  for (const auto& [file, schema] : install::familyDatabases(root)) QFile::remove(file);
  return true;
}

// A server database for a suite whose tests share what its set-up made: made at the set-up when
// the whole program runs on the server (empty otherwise), named again in each test's SetUp()
// (use()), dropped at the suite's end.
class SuiteServer {
 public:
  void make() {
    if (!wholeProgramOnServer()) return;
    QString why;
    bool missing = false;
    if (db::test::PgCluster* cluster = db::test::PgCluster::instance(&why, &missing))
      m_conninfo = cluster->freshDatabase();
  }
  // The suite's database for the workspaces made from now on to the end of the test.
  void use() const {
    if (!m_conninfo.isEmpty()) db::setDefaultServer(m_conninfo);
  }
  void drop() {
    QString why;
    bool missing = false;
    if (db::test::PgCluster* cluster = db::test::PgCluster::instance(&why, &missing);
        cluster && !m_conninfo.isEmpty())
      cluster->dropDatabase(m_conninfo);
    m_conninfo.clear();
  }
  const QString& conninfo() const { return m_conninfo; }

 private:
  QString m_conninfo;
};

}  // namespace tarovent::test
