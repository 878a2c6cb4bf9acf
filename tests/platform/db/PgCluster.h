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

  // Stops the server now (also done when the program ends).
  void stop();

  // Stops the server as a power cut or an administrator would (`fast`: sessions are told;
  // otherwise it dies at once), keeping its data, then starts it again on the same folder.
  // True when the server did what was asked.
  bool halt(bool fast = true);
  bool resume();

 private:
  PgCluster() = default;
  bool start(QString* why, bool* missing);
  QString m_dir;
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
