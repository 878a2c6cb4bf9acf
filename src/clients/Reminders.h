#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace tarovent::db {
class Database;
}

namespace tarovent::clients {

// The quote versions whose relaunch date has come, oldest first; with a sales representative,
// only his dossiers.
QString reminderListSql(const QString& rep);
// The reminders window's caption, naming the representative when there is one.
QString reminderCaption(const QString& caption, const QString& rep);

// A quote version as a reminder row names it.
struct VersionKey {
  QString company;
  long dossier = 0;
  int sequence = 0;
};

// The date that keeps a dropped reminder out of the list for good.
inline const QDate kDroppedReminder{2100, 1, 1};

// The dossier's latest version (highest sequence below 999) loses its relaunch date. Returns
// that version's sequence, -1 when the dossier has none. Throws db::DbError.
int dropLatestReminder(db::Database& main, const QString& company, long dossier);
// The version's relaunch date becomes kDroppedReminder; false when the version does not exist.
// Throws db::DbError.
bool dropReminder(db::Database& main, const VersionKey& version);

// The cells a reminder row shows for its contact, found by name among the client's contacts;
// all empty when the client has no contact of that name.
struct ContactCells {
  QString function, telephone, mobile, mail;
};
ContactCells contactCells(db::Database& clients, const QString& client, const QString& name);

// The reminder list as the window shows it: one row a reminder, the list's columns in order
// (dates as dd/mm/yyyy), then the contact's function, telephone, mobile and mail.
QList<QStringList> reminderRows(db::Database& main, db::Database& clients, const QString& rep);

}  // namespace tarovent::clients
