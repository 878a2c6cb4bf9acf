#include "guard/QuoteReading.h"

#include "composition/ColumnMap.h"
#include "composition/LineChange.h"
#include "composition/LineCode.h"
#include "composition/NumberFormat.h"
#include "composition/TableLocator.h"
#include "platform/word/WordDocument.h"

namespace tarovent::guard {

using composition::round2;

std::optional<composition::WorkLine> readQuoteLine(const word::WordDocument& doc,
                                                   const composition::ColumnMap& columns,
                                                   int docTable, int row) {
  const auto line = composition::readWrittenLine(doc, columns, docTable, row);
  if (!line) return std::nullopt;
  composition::WorkLine l;
  static_cast<composition::QuoteLine&>(l) = *line;
  composition::Calcul_Ligne(l);
  l.docTable = docTable;
  l.row = row;
  if (composition::isLabourCode(l.code)) l.type = QStringLiteral("M");
  return l;
}

std::optional<QuoteReading> readQuote(word::WordDocument& doc, QString* message) {
  const composition::LocateResult located =
      composition::Reperer_Tableaux(doc, composition::LocatePurpose::Recalculation);
  if (!located.layout) {
    if (message) *message = located.message;
    return std::nullopt;
  }
  QuoteReading r;
  r.columns = composition::ColumnMap::read(doc, located.layout->headerTable);
  const composition::ColumnMap& columns = r.columns;
  double materials = 0, labour = 0;
  int num = 0, ordinal = 0;
  for (int t : composition::lineTables(doc, *located.layout)) {
    ++ordinal;
    r.lineTables << t;
    for (int row = 1; row <= doc.rowCount(t); ++row) {
      std::optional<composition::WorkLine> line = readQuoteLine(doc, columns, t, row);
      if (!line) continue;
      composition::WorkLine& l = *line;
      l.num = ++num;
      l.table = ordinal;
      if (composition::isCounted(l)) {
        r.netTotal += l.netAmount;
        (l.type == QLatin1String("M") ? labour : materials) += l.costAmount;
      }
      r.lines << l;
    }
  }
  r.netTotal = round2(r.netTotal);
  r.costTotal = round2(round2(materials) + round2(labour));
  return r;
}

QString money(double value) {
  return composition::formatMasked(value, composition::kPriceMask, QLatin1Char(','));
}

std::optional<double> marginRate(double netTotal, double costTotal) {
  if (composition::cents(costTotal) == 0) return std::nullopt;
  return round2((round2(netTotal - costTotal)) / costTotal * 100);
}

}  // namespace tarovent::guard
