#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>

#include "platform/db/Database.h"

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::reports {

// Which quotes the statistics keep: those that never became an affair, those that did, all.
enum class QuoteChoice { NotWon, Won, All };

// The criteria of the quote statistics; an empty text or an invalid date is not a criterion.
struct QuoteCriteria {
  QDate from, to;
  QString client, category, rep, type, user1, user2;
  QuoteChoice choice = QuoteChoice::All;
};

// The WHERE clause of the statistics: the period (1900 to 2100 when open), then each criterion
// given, in the window's order.
QString quoteCondition(const QuoteCriteria& c);
// The statement that refills TMP_RENTA with the last version of every dossier that passes.
QString quoteFillStatement(const QString& mainPath, const QString& clientPath,
                           const QString& condition);
// The key an affair carries at the start of its quote number: company and dossier number on
// five digits ("A" and 42 give "A00042").
QString quoteKey(const QString& company, const QString& dossier);
// The caption of a choice.
QString choiceLabel(QuoteChoice choice);

// The affairs of one table of the commercial product (TAFF or TAFS), found by the start of their
// quote number as a criterion "left(X_NUMDEV, n) = 'key'" finds them: the first one in the
// table's order, case ignored.
class AffairIndex {
 public:
  struct Affair {
    QString number;
    QVariant created;
  };
  // Reads `table` (prefix of its fields `prefix`: "TAFF", "TAFS") of `db`.
  void load(db::Database& db, const QString& table);
  void clear();
  const Affair* find(const QString& key) const;
  int size() const { return int(m_quotes.size()); }

 private:
  QVector<QString> m_quotes;  // case-folded quote numbers, in table order
  QVector<Affair> m_affairs;
  mutable QHash<int, QHash<QString, int>> m_byLength;  // per key length, first affair per key
};

// The quote statistics of FRENTA: TMP_RENTA filled for the criteria, each quote matched with its
// affair among the current then the archived ones, the rows kept for the choice. Messages go
// through the process's funnel.
class QuoteStatistics {
 public:
  explicit QuoteStatistics(core::ProcessState& state);

  // Reads the affairs when the commercial database is there; without it no quote is won.
  // Database errors throw.
  void loadAffairs();
  bool hasAffairs() const { return m_affairsLoaded; }

  enum class Outcome { DatesOutOfOrder, NoQuote, Filled, Failed };
  Outcome fill(const QuoteCriteria& c);

  // The two halves of fill() for measures; both throw database errors.
  int fillTable(const QuoteCriteria& c);
  void matchAffairs(QuoteChoice choice);

  // The database that holds TMP_RENTA.
  db::Database& workDatabase();
  // {PERIODE}, {CHOIX} and {CRITERES} of the report.
  static QHash<QString, QString> reportParameters(const QuoteCriteria& c);

 private:
  core::ProcessState& m_state;
  AffairIndex m_current, m_archived;
  bool m_affairsLoaded = false;
};

}  // namespace tarovent::reports
