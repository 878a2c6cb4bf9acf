#pragma once

#include <QString>
#include <QVariantMap>

namespace tarovent::db {
class Database;
}
namespace tarovent::ui {
class MessageFunnel;
}

namespace tarovent::dossiers {

// Why a company whose numbers are used up can take no more dossiers.
QString tooManyDossiers(const ui::MessageFunnel& messages);

// What the first save of a dossier writes: the required company, client and quote type, and
// any other TDOS field by name.
struct NewDossier {
  QString company;
  QString client;
  QString type;
  QString rep;      // TDOS_CAL, may be empty
  QString contact;  // TDOS_CONTACT
  QString summary;  // TDOS_RESUME
  QVariantMap otherFields;
};

// The first save of a dossier: checks it, takes the next free number of its company (above its
// counter and its stored dossiers) and inserts it. The counter and the dossier are written in
// one write transaction, so two workstations saving at once never share a number; a failure
// leaves the counter as it was.
class DossierCreation {
 public:
  // `clients` is the database holding TCLI and TCAL (the main one when the family has no
  // commercial database). Messages are translated by `messages`.
  DossierCreation(db::Database& main, db::Database& clients, const ui::MessageFunnel& messages);

  struct Result {
    long number = 0;  // the dossier's number when saved
    QString company;  // its company code as stored
    QString refusal;  // why nothing was written, else empty
    bool saved() const { return refusal.isEmpty(); }
  };

  // Why `d` cannot be saved (company missing or deactivated, client or type unknown, required
  // data empty); empty when it can. Throws db::DbError.
  QString refusal(const NewDossier& d);
  // Checks, numbers and inserts `d`. Throws db::DbError (nothing written then).
  Result create(const NewDossier& d);

 private:
  bool exists(db::Database& db, const QString& table, const QString& code);

  db::Database& m_main;
  db::Database& m_clients;
  const ui::MessageFunnel& m_messages;
};

}  // namespace tarovent::dossiers
