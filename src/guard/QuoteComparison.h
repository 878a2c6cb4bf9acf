#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include "guard/QuoteReading.h"

namespace tarovent::guard {

// One difference between two versions of a quote.
struct QuoteDifference {
  enum class Kind { Added, Removed, Repriced };
  Kind kind = Kind::Added;
  QString code;
  int level = 0;
  double oldQuantity = 0, oldPrice = 0;                    // net unit price; 0 for an added line
  double newQuantity = 0, newPrice = 0;                    // 0 for a removed line
  int oldTable = 0, oldRow = 0, newTable = 0, newRow = 0;  // line tables and rows, 0 for none
};

struct QuoteComparison {
  QVector<QuoteDifference> differences;  // removed and re-priced in the first's order, then added
  double oldNetTotal = 0, newNetTotal = 0;
};

// Lines are matched by code (case ignored), supplier and level wherever they stand, so a line
// moved to another table is the same line. Several lines of one code pair first those that
// kept their quantity and price, then those that kept their quantity, then the others in
// document order; lines without a code are not compared.
QuoteComparison compareQuotes(const QuoteReading& before, const QuoteReading& after);

// One line of text a difference: "+", "-" or "~", the code, the old and new quantity and net
// unit price; then the two net totals.
QStringList comparisonText(const QuoteComparison& comparison, int quantityDecimals);

}  // namespace tarovent::guard
