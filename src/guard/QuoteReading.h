#pragma once

#include <QString>
#include <QVector>
#include <optional>

#include "composition/ColumnMap.h"
#include "composition/WorkLine.h"

namespace tarovent::word {
class WordDocument;
}

namespace tarovent::guard {

// The lines of a quote document as its cells hold them, with the amounts the line formulas
// give: no article file is read. `table` counts the line tables from 1, `docTable` is the
// table of the document. Text lines (no code, no quantity) are left out.
struct QuoteReading {
  QVector<composition::WorkLine> lines;
  QVector<int> lineTables;  // the document's tables the lines were read from
  composition::ColumnMap columns;
  double netTotal = 0;   // of the counted lines, rounded as the totals are
  double costTotal = 0;  // materials and labour, rounded each as the totals are
};

// One row of a line table as `readQuote` reads it (its amounts computed, "M" for a labour
// line), without its order numbers; none for a text row.
std::optional<composition::WorkLine> readQuoteLine(const word::WordDocument& doc,
                                                   const composition::ColumnMap& columns,
                                                   int docTable, int row);

// None, with the location message in `message`, when the tables cannot be located.
std::optional<QuoteReading> readQuote(word::WordDocument& doc, QString* message = nullptr);

// An amount as the quote prints it, "1 234,50": what the guard's texts and windows show.
QString money(double value);

// Margin on cost in percent, rounded to the cent as the totals print it; none without cost.
std::optional<double> marginRate(double netTotal, double costTotal);

}  // namespace tarovent::guard
