#include "Presence.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSysInfo>
#include <QUuid>

#include "DbError.h"

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace tarovent::db {

namespace {

const QString kSessions = QStringLiteral("MSysTaroventSessions");
const QString kSaves = QStringLiteral("MSysTaroventSaves");

QString number(double v) { return QString::number(v, 'f', 3); }

double systemClock() { return double(QDateTime::currentMSecsSinceEpoch()) / 1000.0; }

// A session's name begins with its program's process number: "p4242-…".
QString sessionId() {
  return QStringLiteral("p%1-%2")
      .arg(QCoreApplication::applicationPid())
      .arg(QUuid::createUuid().toString(QUuid::Id128).left(26));
}

// The process number a session's name begins with; none for a name without one (written by
// an older program).
std::optional<qint64> processOf(const QString& session) {
  const qsizetype dash = session.indexOf(u'-');
  if (!session.startsWith(u'p') || dash < 2) return std::nullopt;
  bool ok = false;
  const qint64 pid = session.mid(1, dash - 1).toLongLong(&ok);
  return ok && pid > 0 ? std::optional<qint64>(pid) : std::nullopt;
}

// True only when the system says no process has that number: a number taken again by another
// program counts as alive, and the session then waits for its heartbeat to expire.
bool processGone(qint64 pid) {
#if defined(Q_OS_UNIX)
  return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
#elif defined(Q_OS_WIN)
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  const bool ended = GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
  CloseHandle(process);
  return ended;
#else
  Q_UNUSED(pid);
  return false;
#endif
}

}  // namespace

QString workstationName() {
  const QString host = QSysInfo::machineHostName();
  return host.isEmpty() ? QStringLiteral("?") : host;
}

QString workstationUser() {
  for (const char* name : {"USER", "USERNAME", "LOGNAME"}) {
    const QString user = qEnvironmentVariable(name);
    if (!user.isEmpty()) return user;
  }
#ifdef Q_OS_UNIX
  // Started without a login environment (a service, a desktop launcher): the account's name.
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name && *pw->pw_name)
    return QString::fromLocal8Bit(pw->pw_name);
#endif
  return QStringLiteral("?");
}

Presence::Presence(Database db, QString user, QString machine)
    : m_db(std::move(db)),
      m_user(std::move(user).left(64)),
      m_machine(std::move(machine).left(64)),
      m_id(sessionId()),
      m_clock(systemClock) {}

Presence::~Presence() {
  try {
    releaseAll();
  } catch (const DbError&) {
    // A base gone: the rows expire by themselves.
  }
}

void Presence::ensureTables() {
  if (m_tablesReady) return;
  // Two sessions may make a table at once: the second one's failure is no error.
  const auto make = [this](const QString& table, const QString& ddl) {
    if (m_db.hasTable(table)) return;
    try {
      m_db.Execute(ddl);
    } catch (const DbError&) {
      if (!m_db.hasTable(table)) throw;
    }
  };
  make(kSessions, "CREATE TABLE " + kSessions +
                      " (SessionId TEXT(40), UserName TEXT(64), Machine TEXT(64), Item TEXT(200), "
                      "Since DOUBLE, Beat DOUBLE)");
  make(kSaves, "CREATE TABLE " + kSaves +
                   " (Item TEXT(200), SaveNumber LONG, UserName TEXT(64), Machine TEXT(64), "
                   "SavedAt DOUBLE, CONSTRAINT PrimaryKey PRIMARY KEY (Item))");
  m_tablesReady = true;
}

void Presence::hold(const QString& item) {
  if (m_held.contains(item)) return;
  ensureTables();
  const double t = now();
  m_db.Execute("INSERT INTO " + kSessions +
               " (SessionId, UserName, Machine, Item, Since, Beat) VALUES (" + sqlLiteral(m_id) +
               ", " + sqlLiteral(m_user) + ", " + sqlLiteral(m_machine) + ", " +
               sqlLiteral(item.left(200)) + ", " + number(t) + ", " + number(t) + ")");
  m_held << item;
}

void Presence::release(const QString& item) {
  if (!m_held.removeOne(item)) return;
  m_db.Execute("DELETE FROM " + kSessions + " WHERE SessionId = " + sqlLiteral(m_id) +
               " AND Item = " + sqlLiteral(item.left(200)));
}

void Presence::releaseAll() {
  if (m_held.isEmpty() || !m_db.isOpen()) return;
  m_held.clear();
  m_db.Execute("DELETE FROM " + kSessions + " WHERE SessionId = " + sqlLiteral(m_id));
}

QList<Holder> Presence::others(const QString& item) {
  ensureTables();
  QList<Holder> found;
  QStringList gone;
  m_db.forEachRow(
      "SELECT SessionId, UserName, Machine, Since FROM " + kSessions + " WHERE Item = " +
          sqlLiteral(item.left(200)) + " AND SessionId <> " + sqlLiteral(m_id) +
          " AND Beat >= " + number(now() - m_expiry) + " ORDER BY Since",
      [&](const RowReader& row) {
        const QString session = row.text("SessionId");
        // A program of this machine that ended without letting go (killed, a power cut)
        // holds nothing: its user would otherwise read that they have the dossier open
        // elsewhere until the heartbeat expires.
        if (row.text("Machine") == m_machine)
          if (const std::optional<qint64> pid = processOf(session); pid && processGone(*pid)) {
            if (!gone.contains(session)) gone << session;
            return;
          }
        found << Holder{row.text("UserName"), row.text("Machine"), row.number("Since")};
      });
  for (const QString& session : gone) {
    try {
      m_db.Execute("DELETE FROM " + kSessions + " WHERE SessionId = " + sqlLiteral(session));
    } catch (const DbError&) {
      // Left to expire.
    }
  }
  return found;
}

void Presence::heartbeat() {
  ensureTables();
  const double t = now();
  if (!m_held.isEmpty())
    m_db.Execute("UPDATE " + kSessions + " SET Beat = " + number(t) +
                 " WHERE SessionId = " + sqlLiteral(m_id));
  m_db.Execute("DELETE FROM " + kSessions + " WHERE Beat < " + number(t - m_expiry));
}

qint64 Presence::saveNumber(const QString& item) {
  ensureTables();
  qint64 n = 0;
  m_db.forEachRow(
      "SELECT SaveNumber FROM " + kSaves + " WHERE Item = " + sqlLiteral(item.left(200)),
      [&](const RowReader& row) { n = qint64(row.number("SaveNumber")); });
  return n;
}

std::optional<qint64> Presence::claimSave(const QString& item, qint64 seen, Holder* newer) {
  ensureTables();
  const QString key = sqlLiteral(item.left(200));
  TransactionGuard guard(m_db);
  std::optional<qint64> current;
  Holder last;
  m_db.forEachRow(
      "SELECT SaveNumber, UserName, Machine, SavedAt FROM " + kSaves + " WHERE Item = " + key,
      [&](const RowReader& row) {
        current = qint64(row.number("SaveNumber"));
        last = Holder{row.text("UserName"), row.text("Machine"), row.number("SavedAt")};
      });
  if (current.value_or(0) != seen) {
    if (newer) *newer = last;
    return std::nullopt;
  }
  const qint64 next = seen + 1;
  const QString who = sqlLiteral(m_user) + ", " + sqlLiteral(m_machine) + ", " + number(now());
  if (current)
    m_db.Execute("UPDATE " + kSaves + " SET SaveNumber = " + QString::number(next) +
                 ", UserName = " + sqlLiteral(m_user) + ", Machine = " + sqlLiteral(m_machine) +
                 ", SavedAt = " + number(now()) + " WHERE Item = " + key);
  else
    m_db.Execute("INSERT INTO " + kSaves +
                 " (Item, SaveNumber, UserName, Machine, SavedAt) VALUES (" + key + ", " +
                 QString::number(next) + ", " + who + ")");
  guard.commit();
  return next;
}

}  // namespace tarovent::db
