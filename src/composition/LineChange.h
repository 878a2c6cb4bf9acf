#pragma once

#include <QChar>
#include <QString>
#include <optional>

#include "composition/ColumnMap.h"
#include "composition/QuoteLine.h"

namespace tarovent::word {
class WordDocument;
}

namespace tarovent::composition {

// The values of a written line the user may change in place, as shown or typed.
struct LineChange {
  QString quantity, price, discount;
};

// A written line as its row holds it: code and level, quantity, prices, discount, cost and
// unit weight, supplier; none for a row without code and quantity (a text line).
std::optional<QuoteLine> readWrittenLine(const word::WordDocument& doc, const ColumnMap& columns,
                                         int table, int row);

// What the change prompt shows for a written line.
LineChange shownChange(const QuoteLine& line, int quantityDecimals, QChar decimalSeparator);

// Rewrites the quantity, gross and net prices, discount and amounts of one row from `line`,
// recomputed with the line formulas; each cell keeps its format (hidden stays hidden). A
// quantity of 0 leaves them empty, a component gets no net price or amounts.
void rewriteWrittenLine(word::WordDocument& doc, const ColumnMap& columns, int table, int row,
                        QuoteLine& line, int quantityDecimals, QChar decimalSeparator);

}  // namespace tarovent::composition
