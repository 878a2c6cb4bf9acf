#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QString>

#include "install/ServerMigration.h"
#include "platform/db/DefaultServer.h"
#include "platform/db/PgCluster.h"
#include "platform/db/PgSession.h"
#include "platform/db/Recordset.h"
#include "server/DemoCopy.h"

namespace tarovent::test {

// True when the whole test program runs with its databases on the throw-away server.
inline bool wholeProgramOnServer() {
  return qEnvironmentVariable("TAROVENT_TEST_SERVER") == QLatin1String("all");
}

// The family in `root` names the server database `conninfo` in its milostar.ini, and its
// database files are removed.
inline void leaveFilesForServer(const QString& root, const QString& conninfo) {
  install::nameServer(root, conninfo);
  for (const auto& [file, schema] : install::familyDatabases(root)) QFile::remove(file);
}

// The family in `root` copied into the server database `conninfo`, named in its milostar.ini,
// and its database files removed: a workstation that has only milostar.ini and the documents.
// False when the copy failed its count check.
inline bool moveFamilyToServer(const QString& root, const QString& conninfo) {
  if (!install::migrateFamily(root, conninfo).ok()) return false;
  leaveFilesForServer(root, conninfo);
  return true;
}

// The run's small demo family, copied to `root` by placeSmallDemoFamily(), moved to the server
// database `conninfo` as moveFamilyToServer() moves it. Copying a family's databases to a server
// takes most of a second, a copy of a server database a tenth: the program's first call copies
// its family to a database of its own, kept for the program, and every call (that one too) gives
// `conninfo` a copy of that database whose folder names are changed to `root`.
inline bool placeDemoFamilyOnServer(const QString& root, db::test::PgCluster& cluster,
                                    const QString& conninfo) {
  struct Column {
    QString schema, table, field;
  };
  // The database copied once, the folder its names name, and the text columns naming it.
  struct Kept {
    QString conninfo, folder;
    QList<Column> columns;
  };
  // The kept database goes with the program.
  struct Dropper : ::testing::EmptyTestEventListener {
    Dropper(db::test::PgCluster& c, QString d) : cluster(c), database(std::move(d)) {}
    void OnTestProgramEnd(const ::testing::UnitTest&) override { cluster.dropDatabase(database); }
    db::test::PgCluster& cluster;
    QString database;
  };
  static Kept kept;
  const QString folder = QDir::cleanPath(QDir(root).absolutePath()) + '/';
  if (kept.conninfo.isEmpty()) {
    QHash<QString, QString> schemas;
    for (const auto& [file, schema] : install::familyDatabases(root)) schemas.insert(file, schema);
    QList<Column> columns;
    forEachTextField(root, [&](const QString& file, db::Database& base, const QString& table,
                               const QString& field) {
      db::Recordset found = base.OpenRecordset(
          QStringLiteral("SELECT [%1] FROM [%2] WHERE ").arg(field, table) +
          beginsWith(field, folder));
      if (!found.EOF_()) columns.append({schemas.value(file), table, field});
    });
    const QString made = cluster.freshDatabase();
    if (!install::migrateFamily(root, made).ok()) {
      cluster.dropDatabase(made);
      return false;
    }
    kept = {made, folder, columns};
    ::testing::UnitTest::GetInstance()->listeners().Append(new Dropper(cluster, made));
  }
  if (!cluster.copyDatabase(kept.conninfo, conninfo)) return false;
  if (folder != kept.folder) {
    std::unique_ptr<db::PgSession> server = db::PgSession::open(conninfo, QString(), false);
    for (const Column& c : kept.columns) {
      server->enter(c.schema, false);
      server->execute(renameStatement(c.table, c.field, kept.folder, folder));
    }
  }
  leaveFilesForServer(root, conninfo);
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
