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
#include <cerrno>
#include <csignal>
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

// In a child just forked: stdin, stdout and stderr on /dev/null and every other descriptor of
// the test program closed but `keep`, so that no server started from here holds a pipe or a
// lock of whoever ran the tests.
void closeInherited(int keep = -1) {
  const int null = open("/dev/null", O_RDWR);
  dup2(null, 0);
  dup2(null, 1);
  dup2(null, 2);
  if (keep > 3) close_range(3, keep - 1, 0);
  close_range(keep >= 3 ? keep + 1 : 3, ~0U, 0);
}

// Runs a shell command line as `user` (empty: as ourselves); output goes to `log`.
int runAs(const QString& user, const QString& command, const QString& log) {
  QString line = command + " >>" + quoted(log) + " 2>&1";
  if (!user.isEmpty()) line = "runuser -u " + quoted(user) + " -- /bin/sh -c " + quoted(line);
  const QByteArray bytes = line.toLocal8Bit();
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    closeInherited();
    execl("/bin/sh", "sh", "-c", bytes.constData(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The system user the server runs as: the server refuses root.
bool serverUser(QString* user, QString* why) {
  user->clear();
  if (geteuid() != 0) return true;
  if (!getpwnam("postgres")) {
    *why = QStringLiteral("utilisateur système 'postgres' absent");
    return false;
  }
  *user = QStringLiteral("postgres");
  return true;
}

QByteArray stopCommand(const QString& user, const QString& bin, const QString& dir) {
  return (user.isEmpty() ? QString() : "runuser -u " + user + " -- ").toLocal8Bit() +
         QFile::encodeName(quoted(bin + "/pg_ctl") + " -D " + quoted(dir + "/data") +
                           " -m immediate stop; rm -rf " + quoted(dir));
}

QString databaseOf(const QString& conninfo) {
  for (const QString& word : conninfo.split(' ', Qt::SkipEmptyParts))
    if (word.startsWith(QStringLiteral("dbname="))) return word.mid(7);
  return {};
}

bool execute(const QString& conninfo, const QString& sql) {
  PGconn* c = PQconnectdb(conninfo.toUtf8().constData());
  bool ok = PQstatus(c) == CONNECTION_OK;
  if (ok) {
    PGresult* r = PQexec(c, sql.toUtf8().constData());
    ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    PQclear(r);
  }
  PQfinish(c);
  return ok;
}

const char kToken[] = "/holder";

PgCluster* g_cluster = nullptr;

}  // namespace

PgCluster* PgCluster::instance(QString* why, bool* missing) {
  static QString failure;
  static bool absent = false;
  static const bool started = [] {
    auto* c = new PgCluster;
    const QString shared = qEnvironmentVariable("TAROVENT_TEST_CLUSTER");
    bool ok = false;
    if (!shared.isEmpty() && QFileInfo::exists(shared + "/data/PG_VERSION")) {
      ok = c->adopt(shared, &failure);
    } else {
      QTemporaryDir dir(QDir::tempPath() + "/tarovent-pg-XXXXXX");
      dir.setAutoRemove(false);
      ok = c->start(dir.path(), 0, &failure, &absent);
    }
    if (!ok) {
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

bool PgCluster::adopt(const QString& dir, QString* why) {
  m_dir = dir;
  m_shared = true;
  m_owner = getpid();
  m_main = QStringLiteral("p%1").arg(getpid());
  if (!execute(admin(), "CREATE DATABASE " + m_main)) {
    *why = QStringLiteral("le serveur de la série de tests ne répond pas (%1)").arg(dir);
    return false;
  }
  return true;
}

bool PgCluster::start(const QString& dir, qint64 watched, QString* why, bool* missing) {
  m_bin = serverBinaries();
  if (m_bin.isEmpty()) {
    *missing = true;
    *why = QStringLiteral("programmes du serveur PostgreSQL absents (initdb, pg_ctl)");
    return false;
  }
  m_dir = dir;
  if (!serverUser(&m_user, why)) return false;
  if (!m_user.isEmpty()) {
    const passwd* pw = getpwnam(m_user.toLocal8Bit().constData());
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
              "-c full_page_writes=off -c max_connections=" + (watched ? "120" : "40");
  if (!resume()) {
    *why = QStringLiteral("le serveur ne démarre pas (voir %1)").arg(log);
    return false;
  }
  m_owner = getpid();

  const QByteArray stopLine = stopCommand(m_user, m_bin, m_dir);
  if (watched) {
    // A shared cluster: a watcher stops it when the process running the programs is gone,
    // unless a later run has taken the folder over.
    const QByteArray token = QByteArray::number(watched);
    const QByteArray tokenFile = QFile::encodeName(m_dir + kToken);
    QFile file(m_dir + kToken);
    if (!file.open(QIODevice::WriteOnly) || file.write(token) != token.size()) {
      *why = QStringLiteral("dossier du serveur inutilisable");
      stop();
      return false;
    }
    file.close();
    if (fork() == 0) {
      closeInherited();
      setsid();
      for (;;) {
        sleep(1);
        char held[32] = {};
        const int fd = open(tokenFile.constData(), O_RDONLY);
        const ssize_t n = fd < 0 ? 0 : read(fd, held, sizeof held - 1);
        if (fd >= 0) close(fd);
        if (n <= 0 || token != QByteArray(held, int(n))) _exit(0);  // stopped, or taken over
        if (kill(pid_t(watched), 0) != 0 && errno == ESRCH) break;
      }
      execl("/bin/sh", "sh", "-c", stopLine.constData(), static_cast<char*>(nullptr));
      _exit(1);
    }
  } else {
    // Whatever way this program ends, a watcher stops the server and removes the folder once
    // the pipe's last writer is gone.
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) == 0) {
      const pid_t watcher = fork();
      if (watcher == 0) {
        closeInherited(fds[0]);
        setsid();
        char byte;
        while (read(fds[0], &byte, 1) > 0) {
        }
        execl("/bin/sh", "sh", "-c", stopLine.constData(), static_cast<char*>(nullptr));
        _exit(1);
      }
      close(fds[0]);
    }
  }

  const bool ok = execute(admin(), "CREATE DATABASE " + m_main);
  if (!ok) {
    *why = QStringLiteral("connexion au serveur impossible");
    stop();
    return false;
  }
  return true;
}

bool PgCluster::startShared(const QString& dir, qint64 holder, QString* why) {
  stopShared(dir);  // a cluster a killed run left there
  if (!QDir().mkpath(dir)) {
    *why = QStringLiteral("dossier %1 impossible à créer").arg(dir);
    return false;
  }
  PgCluster c;
  bool missing = false;
  if (c.start(dir, holder, why, &missing)) return true;
  QDir(dir).removeRecursively();
  // Without the server programs the programs skip their tests on the server.
  return missing;
}

void PgCluster::stopShared(const QString& dir) {
  QString user, why;
  const QString bin = serverBinaries();
  if (QFileInfo::exists(dir + "/data/PG_VERSION") && !bin.isEmpty() && serverUser(&user, &why))
    runAs(user, quoted(bin + "/pg_ctl") + " -D " + quoted(dir + "/data") + " -m fast -w stop",
          "/dev/null");
  QDir(dir).removeRecursively();
}

QString PgCluster::admin() const {
  return QStringLiteral("host=%1 port=5432 user=tarovent dbname=postgres").arg(m_dir);
}

QString PgCluster::conninfo() const {
  return QStringLiteral("host=%1 port=5432 user=tarovent dbname=%2").arg(m_dir, m_main);
}

QString PgCluster::freshDatabase() const {
  static std::atomic<int> next{0};
  const QString name = QStringLiteral("d%1_%2").arg(getpid()).arg(++next);
  execute(admin(), "CREATE DATABASE " + name);
  return QStringLiteral("host=%1 port=5432 user=tarovent dbname=%2").arg(m_dir, name);
}

void PgCluster::dropDatabase(const QString& conninfo) const {
  const QString name = databaseOf(conninfo);
  if (!name.isEmpty()) execute(admin(), "DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
}

bool PgCluster::copyDatabase(const QString& from, const QString& conninfo) const {
  const QString name = databaseOf(conninfo);
  const QString source = databaseOf(from);
  if (name.isEmpty() || source.isEmpty()) return false;
  execute(admin(), "DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
  return execute(admin(), "CREATE DATABASE " + name + " TEMPLATE " + source);
}

QString PgCluster::freshSchema() {
  static std::atomic<int> next{0};
  return QStringLiteral("t%1").arg(++next);
}

bool PgCluster::halt(bool fast) {
  if (m_shared || !m_running || getpid() != m_owner) return false;
  m_running = false;
  return runAs(m_user,
               quoted(m_bin + "/pg_ctl") + " -D " + quoted(m_dir + "/data") + " -m " +
                   (fast ? "fast" : "immediate") + " -w stop",
               m_dir + "/log.ctl") == 0;
}

bool PgCluster::resume() {
  if (m_shared) return false;
  if (m_running) return true;
  m_running = runAs(m_user,
                    quoted(m_bin + "/pg_ctl") + " -D " + quoted(m_dir + "/data") + " -l " +
                        quoted(m_dir + "/log") + " -w -o " + quoted(m_options) + " start",
                    m_dir + "/log.ctl") == 0;
  return m_running;
}

void PgCluster::stop() {
  if (m_shared) {
    if (getpid() == m_owner)
      execute(admin(), "DROP DATABASE IF EXISTS " + m_main + " WITH (FORCE)");
    return;
  }
  // A child process forked by a test leaves the server to its parent.
  if (!m_running || getpid() != m_owner) return;
  m_running = false;
  runAs(m_user, quoted(m_bin + "/pg_ctl") + " -D " + quoted(m_dir + "/data") + " -m fast -w stop",
        m_dir + "/log.ctl");
  QDir(m_dir).removeRecursively();
}

}  // namespace tarovent::db::test
