#pragma once

#include <QString>

namespace tarovent::db::test {

// A throw-away PostgreSQL server for one test program: initdb into a temporary folder, a unix
// socket in that folder (no TCP port is opened), started at the first use and stopped when the
// program ends, however it ends. Run as root, the server runs as the "postgres" user.
class PgCluster {
 public:
  // The running cluster; nullptr with the reason in `why` when it cannot run. `missing` tells
  // that the server programs are not installed (the only reason to skip rather than fail).
  static PgCluster* instance(QString* why, bool* missing);

  // Connection words for the test database of the cluster.
  QString conninfo() const;
  // A schema name not used before in this program ("t1", "t2"...).
  static QString freshSchema();
  // Makes a new, empty database on the server; returns the connection words for it.
  QString freshDatabase() const;
  // Drops a database freshDatabase() made, closing the sessions still on it.
  void dropDatabase(const QString& conninfo) const;
  // Makes the database `conninfo` names again as a copy of the one `from` names, which no
  // session may be using: what a family set up once is, given to each test in a tenth of a
  // second. False when the server refused.
  bool copyDatabase(const QString& from, const QString& conninfo) const;

  // A cluster shared by several test programs, in `dir` (a fixed folder): started by one
  // program that returns at once, leaving a watcher that stops it when `holder` (the process
  // running the programs) ends; stopped by another. A program finds it through the folder
  // named by TAROVENT_TEST_CLUSTER and then neither starts nor stops a server of its own.
  static bool startShared(const QString& dir, qint64 holder, QString* why);
  static void stopShared(const QString& dir);

  // Stops the server now (also done when the program ends).
  void stop();

  // Stops the server as a power cut or an administrator would (`fast`: sessions are told;
  // otherwise it dies at once), keeping its data, then starts it again on the same folder.
  // True when the server did what was asked.
  bool halt(bool fast = true);
  bool resume();

 private:
  PgCluster() = default;
  // A new cluster in `dir` (the folder made already); `watched`: the process whose end stops it.
  bool start(const QString& dir, qint64 watched, QString* why, bool* missing);
  bool adopt(const QString& dir, QString* why);
  QString admin() const;
  QString m_dir;
  QString m_main = QStringLiteral("tarovent");  // the database conninfo() names
  bool m_shared = false;
  QString m_bin;
  QString m_options;  // the server's own settings, the same at every start
  QString m_user;  // the system user the server runs as, empty for the current user
  bool m_running = false;
  qint64 m_owner = 0;  // the process that started the server
};

}  // namespace tarovent::db::test

// In a fixture's SetUp(): the program's server into `cluster`; the test is skipped when the
// server programs are not installed, and fails when the server does not start.
#define TAROVENT_REQUIRE_PG(cluster)                                              \
  do {                                                                            \
    QString why_;                                                                 \
    bool missing_ = false;                                                        \
    (cluster) = ::tarovent::db::test::PgCluster::instance(&why_, &missing_);      \
    if (!(cluster) && missing_)                                                   \
      GTEST_SKIP() << "Serveur PostgreSQL non installé : " << why_.toStdString(); \
    if (!(cluster)) FAIL() << why_.toStdString();                                 \
  } while (0)
