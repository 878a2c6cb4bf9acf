#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

#include "platform/db/Recordset.h"

namespace tarovent::db {
class Database;
}

namespace tarovent::dossiers {

// The record sources and look-ups of the dossier workspace, kept apart from its widgets.
namespace dossierSql {
// Every dossier by company then newest number first; only the representative's when a code is
// given (unordered, as the filtered list always was).
QString dossiers(const QString& salesRep);
// Every company while browsing, the active ones while a new dossier is entered.
QString companies(bool activeOnly);
QString quoteTypes();
QString clientList();
// The contacts of a client, by number.
QString contacts(const QString& client);
// The vehicles of every client, or of one client.
QString vehicles(const QString& client);
// Criteria finding one dossier in the dossiers source.
QString dossier(const QString& company, long number);
// The first dossier of the company after `company`.
QString nextCompany(const QString& company);
// The first client whose code begins at or after the search buffer.
QString clientBuffer(const QString& buffer);
}  // namespace dossierSql

// Positions the client list (TCLI_CODE, TCLI_RS) on what the user typed in its search box:
// the first code beginning with it, else the first name holding it ("Morvan" finds
// "Menuiserie du Morvan"), else the first code at or after it, else the last client.
void findClient(db::Recordset& clients, const QString& typed);

// The date and client-name cells of a row of the dossier list, read by seeks when the row is
// drawn: the versions and clients are opened once on their primary keys.
class DossierRowCells {
 public:
  // `clients` holds TCLI. Throws db::DbError.
  void open(db::Database& main, db::Database& clients);
  bool isOpen() const { return m_versions.isOpen(); }
  // The date of the dossier's last version as dd/mm/yy; empty without versions.
  QString lastVersionDate(const QString& company, long number);
  // TCLI_RS of the client; empty when it does not exist.
  QString clientName(const QString& code);

 private:
  db::Recordset m_versions;
  db::Recordset m_clients;
};

// What a chosen vehicle puts into the dossier: the custom values that are not Null (3 to 15)
// and the make.
struct VehicleFill {
  QMap<int, QString> userFields;
  QString make;
};
// Finds the vehicle by its complementary identification, then by its registration (five
// characters or more); none when neither finds it. Throws db::DbError.
std::optional<VehicleFill> vehicleFill(db::Database& clients, const QString& registration,
                                       const QString& complement);

// The documents of every version of a dossier, in the documents folder (with its trailing
// separator) and its subfolder.
QStringList dossierDocuments(const QString& folder, const QString& company, long number);

// True when at least one quote type exists: a dossier cannot be started without. Throws.
bool quoteTypesExist(db::Database& main);

}  // namespace tarovent::dossiers
