#pragma once

#include <QString>
#include <optional>

namespace tarovent::db {
class Database;
}

namespace tarovent::clients {

// A client code never holds a space nor an apostrophe: they are dropped from what is typed.
QString cleanClientCode(const QString& typed);

// What a client needs before it is saved.
enum class MissingEntry { None, Identity, Category };
struct ClientIdentity {
  QString name, address1, postalCode, town, category;
};
MissingEntry missingEntry(const ClientIdentity& c);
// The message for a missing entry (untranslated).
QString missingEntryMessage(MissingEntry m);

// The six fields of a contact.
struct Contact {
  QString name, function, telephone, fax, mobile, mail;
  bool empty() const;
  Contact trimmed() const;
};

// Contacts of a client, in number order.
QString contactsSql(const QString& clientCode);
// 1 for the first contact of a client, else the number of its last contact plus one.
long nextContactNumber(db::Database& db, const QString& clientCode);
// Adds a contact under the next number; returns that number. Throws db::DbError.
long addContact(db::Database& db, const QString& clientCode, const Contact& c);
// Walks the client's contacts: deletes every contact but the first whose six fields are empty,
// and returns the first one (the client's main contact), none without contacts.
std::optional<Contact> tidyContacts(db::Database& db, const QString& clientCode);

// Another client with this telephone number, empty when none (or no number).
QString clientWithSameTelephone(db::Database& db, const QString& telephone,
                                const QString& clientCode);

// How many dossiers of the main database are made out to the client. Throws db::DbError.
long dossierCount(db::Database& main, const QString& clientCode);

// The criteria that puts the client list on the first code at or after the typed text.
QString quickSearchCriteria(const QString& typed);
// Criteria that finds one client by its code.
QString codeCriteria(const QString& code);

enum class VisitFilter { All, ToDo, Done };
// The client's visits, newest planned date first.
QString visitsSql(const QString& clientCode, VisitFilter filter);

}  // namespace tarovent::clients
