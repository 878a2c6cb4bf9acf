#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

#include "guard/PriceMemory.h"

namespace tarovent::core {
class ProcessState;
}
namespace tarovent::db {
class Database;
}

namespace tarovent::guard {

// How a version left: exported to PDF, mailed, invoiced.
struct Sending {
  QDateTime when;
  QString how;  // "export PDF", "export PDF et mail", "facture pro forma"
};

// The sendings of the quote versions: the table TENVOI of the main database, one row per
// sending. A version sent once is frozen: it opens read-only and a new version continues it.
class SentVersions {
 public:
  explicit SentVersions(db::Database& main) : m_db(main) {}

  // Throws db::DbError.
  void mark(const QuoteKey& key, const QString& how,
            const QDateTime& when = QDateTime::currentDateTime());
  // The first sending of the version; none when it never left. Throws db::DbError.
  std::optional<Sending> firstSending(const QuoteKey& key);
  // Forgets the sendings of a version that is deleted, so that a later version of the same
  // number starts free. Throws db::DbError.
  void forget(const QuoteKey& key);

 private:
  db::Database& m_db;
};

// Marks the version of the document `path` sent. Never throws: false when the document names
// no version or the base refused (a sending is never undone for its mark).
bool markSentDocument(core::ProcessState& state, const QString& path, const QString& how);

// The first sending of the version of the quote context; none for a version never sent, a
// template, or a base without the table.
std::optional<Sending> sendingOfVersion(core::ProcessState& state, const QuoteKey& key);

// What the composition shows of a frozen version: when and how it left, and what to do.
QString frozenReason(const QuoteKey& key, const Sending& sending);

}  // namespace tarovent::guard
