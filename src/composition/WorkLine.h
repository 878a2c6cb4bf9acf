#pragma once

#include <QString>

#include "composition/QuoteLine.h"

namespace tarovent::composition {

// One line row of the document as the recalculation reads it: the quote line with where it
// sits and what the article files told of it.
struct WorkLine : QuoteLine {
  int num = 0;
  int table = 0;  // 1 = first line table; the option tables after the totals come next
  int docTable = 0;
  int row = 0;
  QString type;                           // A, F, N, M or empty
  double basePrice1 = 0, basePrice2 = 0;  // base selling prices found by the walk
  bool baseKnown = false;
  bool afterTotals = false;  // a line of an option table after the totals
};

// What a quote counts: its main lines before the totals. An exploded manufactured article's
// own line carries its components through the roll-up, so the components add nothing to
// amounts, costs, weights or hours; option tables after the totals never enter the totals.
inline bool isCounted(const WorkLine& line) { return line.level == 0 && !line.afterTotals; }

}  // namespace tarovent::composition
