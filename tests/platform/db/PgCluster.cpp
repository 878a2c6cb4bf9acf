#include "PgCluster.h"

#include <fcntl.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <cstdlib>

namespace tarovent::db::test {

namespace {

// Where initdb and pg_ctl are: next to pg_config's answer, or in Debian's versioned folders.
QString serverBinaries() {
  QProcess config;
  config.start(QStringLiteral("pg_config"), {QStringLiteral("--bindir")});
  if (config.waitForFinished(5000) && config.exitCode() == 0) {
    const QString dir = QString::fromLocal8Bit(config.readAllStandardOutput()).trimmed();
    if (QFileInfo::exists(dir + "/initdb") && QFileInfo::exists(dir + "/pg_ctl")) return dir;
  }
  QDir versions(QStringLiteral("/usr/lib/postgresql"));
  const QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  for (auto it = found.crbegin(); it != found.crend(); ++it) {
    const QString dir = versions.filePath(*it + "/bin");
    if (QFileInfo::exists(dir + "/initdb") && QFileInfo::exists(dir + "/pg_ctl")) return dir;
  }
  return {};
}

QString quoted(const QString& word) { return '\'' + QString(word).replace('\'', "'\\''") + '\''; }

// Runs a shell command line as `user` (empty: as ourselves); output goes to `log`.
int runAs(const QString& user, const QString& command, const QString& log) {
  QString line = command + " >>" + quoted(log) + " 2>&1";
  if (!user.isEmpty()) line = "runuser -u " + quoted(user) + " -- /bin/sh -c " + quoted(line);
  return QProcess::execute(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), line});
}

PgCluster* g_cluster = nullptr;

}  // namespace

PgCluster* PgCluster::instance(QString* why, bool* missing) {
  static QString failure;
  static bool absent = false;
  static const bool started = [] {
    auto* c = new PgCluster;
    if (!c->start(&failure, &absent)) {
      delete c;
      return false;
    }
    g_cluster = c;
    std::atexit([] { g_cluster->stop(); });
    return true;
  }();
  if (!started) {
    *why = failure;
    *missing = absent;
  }
  return started ? g_cluster : nullptr;
}

bool PgCluster::start(QString* why, bool* missing) {
  m_bin = serverBinaries();
  if (m_bin.isEmpty()) {
    *missing = true;
    *why = QStringLiteral("programmes du serveur PostgreSQL absents (initdb, pg_ctl)");
    return false;
  }
  QTemporaryDir dir(QDir::tempPath() + "/tarovent-pg-XXXXXX");
  dir.setAutoRemove(false);
  m_dir = dir.path();
  if (geteuid() == 0) {
    // The server refuses to run as root.
    const passwd* pw = getpwnam("postgres");
    if (!pw) {
      *why = QStringLiteral("utilisateur système 'postgres' absent");
      return false;
    }
    m_user = QStringLiteral("postgres");
    if (chown(QFile::encodeName(m_dir).constData(), pw->pw_uid, pw->pw_gid) != 0) {
      *why = QStringLiteral("dossier temporaire inutilisable");
      return false;
    }
  }
  const QString log = m_dir + "/log";
  const QString data = m_dir + "/data";
  if (runAs(m_user,
            quoted(m_bin + "/initdb") + " -D " + quoted(data) +
                " -U tarovent --auth=trust --no-sync --encoding=UTF8 --locale=C.UTF-8",
            log) != 0) {
    *why = QStringLiteral("initdb a échoué (voir %1)").arg(log);
    return false;
  }
  m_options = "-k " + m_dir +
              " -p 5432 -c listen_addresses= -c fsync=off -c synchronous_commit=off "
              "-c full_page_writes=off -c max_connections=40";
  if (!resume()) {
    *why = QStringLiteral("le serveur ne démarre pas (voir %1)").arg(log);
    return false;
  }
  m_owner = getpid();

  // Whatever way this program ends, a watcher stops the server and removes the folder once
  // the pipe's last writer is gone.
  const QByteArray stopLine =
      (m_user.isEmpty() ? QString() : "runuser -u " + m_user + " -- ").toLocal8Bit() +
      QFile::encodeName(quoted(m_bin + "/pg_ctl") + " -D " + quoted(data) +
                        " -m immediate stop; rm -rf " + quoted(m_dir));
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) == 0) {
    const pid_t watcher = fork();
    if (watcher == 0) {
      close(fds[1]);
      const int null = open("/dev/null", O_RDWR);
      dup2(null, 0);
      dup2(null, 1);
      dup2(null, 2);
      setsid();
      char byte;
      while (read(fds[0], &byte, 1) > 0) {
      }
      execl("/bin/sh", "sh", "-c", stopLine.constData(), static_cast<char*>(nullptr));
      _exit(1);
    }
    close(fds[0]);
  }

  PGconn* admin = PQconnectdb(
      QStringLiteral("host=%1 port=5432 user=tarovent dbname=postgres").arg(m_dir).toUtf8());
  const bool ok = PQstatus(admin) == CONNECTION_OK;
  if (ok) PQclear(PQexec(admin, "CREATE DATABASE tarovent"));
  PQfinish(admin);
  if (!ok) {
    *why = QStringLiteral("connexion au serveur impossible");
    stop();
    return false;
  }
  return true;
}

QString PgCluster::conninfo() const {
  return QStringLiteral("host=%1 port=5432 user=tarovent dbname=tarovent").arg(m_dir);
}

QString PgCluster::freshDatabase() const {
  static std::atomic<int> next{0};
  const QString name = QStringLiteral("d%1").arg(++next);
  PGconn* admin = PQconnectdb(
      QStringLiteral("host=%1 port=5432 user=tarovent dbname=postgres").arg(m_dir).toUtf8());
  PQclear(PQexec(admin, ("CREATE DATABASE " + name).toUtf8().constData()));
  PQfinish(admin);
  return QStringLiteral("host=%1 port=5432 user=tarovent dbname=%2").arg(m_dir, name);
}

QString PgCluster::freshSchema() {
  static std::atomic<int> next{0};
  return QStringLiteral("t%1").arg(++next);
}

bool PgCluster::halt(bool fast) {
  if (!m_running || getpid() != m_owner) return false;
  m_running = false;
  return runAs(m_user,
               quoted(m_bin + "/pg_ctl") + " -D " + quoted(m_dir + "/data") + " -m " +
                   (fast ? "fast" : "immediate") + " -w stop",
               m_dir + "/log.ctl") == 0;
}

bool PgCluster::resume() {
  if (m_running) return true;
  m_running = runAs(m_user,
                    quoted(m_bin + "/pg_ctl") + " -D " + quoted(m_dir + "/data") + " -l " +
                        quoted(m_dir + "/log") + " -w -o " + quoted(m_options) + " start",
                    m_dir + "/log.ctl") == 0;
  return m_running;
}

void PgCluster::stop() {
  // A child process forked by a test leaves the server to its parent.
  if (!m_running || getpid() != m_owner) return;
  m_running = false;
  runAs(m_user, quoted(m_bin + "/pg_ctl") + " -D " + quoted(m_dir + "/data") + " -m fast -w stop",
        m_dir + "/log.ctl");
  QDir(m_dir).removeRecursively();
}

}  // namespace tarovent::db::test
