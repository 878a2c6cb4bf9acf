#pragma once

#include <QString>
#include <functional>

namespace tarovent::db {
class Database;
}
namespace tarovent::ui {
class MessageFunnel;
}

namespace tarovent::dossiers {

// What the user asked for: the dossier and the version shown, the target company and the two
// check boxes of the panel.
struct DuplicationRequest {
  QString company;
  long number = 0;
  int sequence = -1;  // the version shown; -1 when the dossier has none yet
  QString target;
  bool copyDocument = false;
  bool copyUserFields = false;
};

// Copies a dossier with its last version (and optionally the version's document) into a new
// dossier of an active company, through the work tables TMP_DOS and TMP_DEV of the local work
// database. The copy, its version and the target's counter are written in one transaction:
// a failure leaves neither a half copy nor a raised counter.
class DossierDuplication {
 public:
  // `local` holds TMP_DOS and TMP_DEV; `mainPath` is the main database's file as the catalogue
  // names it; `documents` is the documents folder, with its trailing separator.
  DossierDuplication(db::Database& local, QString mainPath, QString documents,
                     const ui::MessageFunnel& messages);

  struct Result {
    QString company;  // the copy's company and number
    long number = 0;
    QString refusal;  // why nothing was written, else empty
    // The copy is stored but its text could not take its name: where it was left.
    QString documentLeft;
    bool done() const { return refusal.isEmpty(); }
  };

  // The question asked before anything is written.
  QString confirmation(const DuplicationRequest& r) const;
  // Runs the copy. Throws db::DbError (nothing written then), for instance when the new number
  // is already used in the target company.
  Result run(const DuplicationRequest& r);

  // Called after the inserts, before the counter is raised (failure tests).
  void setAfterInserts(std::function<void()> hook) { m_afterInserts = std::move(hook); }

 private:
  QString mainTable(const QString& table) const;
  QString targetRefusal(const QString& target);
  long copyRows(const DuplicationRequest& r, const QString& target);
  QString stageDocument(const DuplicationRequest& r, const QString& target, long number) const;

  db::Database& m_local;
  QString m_mainPath;
  QString m_documents;
  const ui::MessageFunnel& m_messages;
  std::function<void()> m_afterInserts;
};

}  // namespace tarovent::dossiers
