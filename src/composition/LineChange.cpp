#include "composition/LineChange.h"

#include "composition/LineCode.h"
#include "composition/NumberFormat.h"
#include "platform/word/WordDocument.h"

namespace tarovent::composition {

std::optional<QuoteLine> readWrittenLine(const word::WordDocument& doc, const ColumnMap& columns,
                                         int table, int row) {
  const int cells = doc.cellCount(table, row);
  const auto text = [&](const char* code) {
    const int c = columns.column(QLatin1String(code));
    return c > 0 && c <= cells ? doc.cellText({table, row, c}) : QString();
  };
  QuoteLine l;
  const LineCode code = parseLineCode(text("CODART"));
  l.code = code.code;
  l.level = code.level;
  if (l.code.isEmpty() && text("QTE").trimmed().isEmpty()) return std::nullopt;
  l.quantity = parseNumber(text("QTE"));
  l.grossPrice = parseNumber(text("PUBRUT"));
  l.discountPercent = parseNumber(text("PCREM"));
  l.costPrice = parseNumber(text("PDR"));
  l.weight = parseNumber(text("POIDS"));
  l.supplier = text("CODFOURN").trimmed();
  return l;
}

LineChange shownChange(const QuoteLine& l, int quantityDecimals, QChar sep) {
  return {formatMasked(l.quantity, quantityMask(quantityDecimals), sep),
          formatMasked(l.grossPrice, kPriceMask, sep),
          l.discountPercent == 0 ? QString() : formatMasked(l.discountPercent, kPercentMask, sep)};
}

void rewriteWrittenLine(word::WordDocument& doc, const ColumnMap& columns, int table, int row,
                        QuoteLine& l, int quantityDecimals, QChar sep) {
  Calcul_Ligne(l);
  const int cells = doc.cellCount(table, row);
  const auto put = [&](const char* code, bool shown, double value, const QString& mask) {
    const int c = columns.column(QLatin1String(code));
    if (c == 0 || c > cells) return;
    doc.rewriteCellText({table, row, c}, shown ? formatMasked(value, mask, sep) : QString());
  };
  const bool priced = l.quantity != 0;
  const bool amounts = priced && l.level == 0;
  put("QTE", priced, l.quantity, quantityMask(quantityDecimals));
  put("PUBRUT", priced, l.grossPrice, kPriceMask);
  put("PCREM", priced && l.discountPercent != 0, l.discountPercent, kPercentMask);
  put("PUNET", amounts, l.netPrice, kPriceMask);
  put("MTBRUT", amounts, l.grossAmount, kAmountMask);
  put("MTNET", amounts, l.netAmount, kAmountMask);
  put("MTREM", amounts, l.discountAmount, kPriceMask);
  put("MTPDR", amounts, l.costAmount, kAmountMask);
  put("POIDSTOT", l.totalWeight != 0, l.totalWeight, kWeightMask);
}

}  // namespace tarovent::composition
