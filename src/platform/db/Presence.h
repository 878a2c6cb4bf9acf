#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "Database.h"

namespace tarovent::db {

// Someone else's session holding an item open, or the last save of an item.
struct Holder {
  QString user;
  QString machine;
  double since = 0;  // seconds since 1970 (UTC)
};

// One session of the program (a user on a machine) as the other sessions of the same database
// see it: which items (named by the caller) it holds open, kept in a table of the database.
// Rows carry a heartbeat: the rows of a session whose program was killed stop counting once
// their heartbeat is older than the expiry, and the next session to look removes them; on the
// machine the program ran on, they stop counting as soon as its process is gone.
// Each item also keeps a save number, so that a session saving an item can tell whether
// another one saved it since it read it (no lost update).
class Presence {
 public:
  // `db` keeps the tables (made on first use); `user` and `machine` name this session.
  Presence(Database db, QString user, QString machine);
  // The session's rows go with it.
  ~Presence();
  Presence(const Presence&) = delete;
  Presence& operator=(const Presence&) = delete;

  // Seconds since 1970; tests put a clock of their own.
  void setClock(std::function<double()> clock) { m_clock = std::move(clock); }
  // A session silent for longer than this no longer holds anything (90 s by default).
  void setExpiry(double seconds) { m_expiry = seconds; }
  static constexpr double kHeartbeat = 30;  // how often the program calls heartbeat()

  void hold(const QString& item);
  void release(const QString& item);
  void releaseAll();
  // The other live sessions holding `item`, longest held first.
  QList<Holder> others(const QString& item);
  // Keeps this session's rows alive and removes the expired rows of every session.
  void heartbeat();

  // The save number of `item` now (0 when never saved); read when the item is opened.
  qint64 saveNumber(const QString& item);
  // Records a save of `item` when its save number is still `seen`, and gives the new number;
  // otherwise nothing is written and `newer` tells who saved it meanwhile. Runs in a write
  // transaction of the database: of two sessions saving from one number, one only succeeds.
  std::optional<qint64> claimSave(const QString& item, qint64 seen, Holder* newer = nullptr);

  const QString& user() const { return m_user; }
  const QString& machine() const { return m_machine; }

 private:
  void ensureTables();
  double now() const { return m_clock(); }
  Database m_db;
  QString m_user, m_machine, m_id;
  QStringList m_held;
  double m_expiry = 90;
  std::function<double()> m_clock;
  bool m_tablesReady = false;
};

// The name users know this workstation by and the user logged on it.
QString workstationName();
QString workstationUser();

}  // namespace tarovent::db
