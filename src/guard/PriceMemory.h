#pragma once

#include <QDate>
#include <QString>
#include <QVector>
#include <optional>

#include "guard/QuoteReading.h"

namespace tarovent::core {
class ProcessState;
}
namespace tarovent::db {
class Database;
}
namespace tarovent::word {
class WordDocument;
}

namespace tarovent::guard {

// A quote version as its document's name gives it: "00012_00.AB" is version 0 of dossier 12
// of company AB.
struct QuoteKey {
  QString company;
  long dossier = 0;
  int sequence = 0;
  QString number() const;  // the quote number, "00012_00.AB"
  bool operator==(const QuoteKey&) const = default;
};
std::optional<QuoteKey> quoteKeyOfFile(const QString& fileName);
// The version the composition works on, as the dossier workspace handed it over.
QuoteKey contextKey(const core::ProcessState& state);

// A price a client was quoted for an article.
struct RememberedPrice {
  QDate date;
  QuoteKey quote;
  double quantity = 0, price = 0, discount = 0, netPrice = 0;
};

// The price memory: the table TMEMPRIX of the main database holds, per client and article
// code, the prices each quote version gave (one row per code and version, its first priced
// main line). It is written again for a version at every save of its document, and rebuilt
// from the documents by `rebuildPriceMemory`.
class PriceMemory {
 public:
  explicit PriceMemory(db::Database& main) : m_db(main) {}

  // Replaces what was recorded for `key` with the lines of `quote`, under the client of its
  // dossier and the date of its version. False when the version is unknown (nothing written).
  // Throws db::DbError.
  bool record(const QuoteKey& key, const QuoteReading& quote);
  // The latest prices (most recent first, at most `count`) the client was quoted for `code`,
  // leaving out the version `current`.
  QVector<RememberedPrice> latest(const QString& client, const QString& code,
                                  const std::optional<QuoteKey>& current, int count = 3);

 private:
  db::Database& m_db;
};

// After a save: records the document `path` of the family's main database. Never throws; a
// document whose tables cannot be read, or whose version is unknown, records nothing.
bool recordSavedQuote(core::ProcessState& state, const QString& path, word::WordDocument& doc);

// Empties the price memory and records again every quote document of the documents folder
// (and its DOC_TAROVENT subfolder). Returns the number of documents recorded; `skipped`
// receives the names of the documents that could not be read. Throws db::DbError.
int rebuildPriceMemory(core::ProcessState& state, QStringList* skipped = nullptr);

}  // namespace tarovent::guard
