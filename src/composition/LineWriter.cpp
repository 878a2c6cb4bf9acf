#include "composition/LineWriter.h"

#include "composition/LineCode.h"
#include "composition/NumberFormat.h"
#include "platform/word/WordDocument.h"

namespace tarovent::composition {

LineWriter::LineWriter(const ColumnMap& columns, const LineOptions& options)
    : m_columns(columns), m_options(options) {}

LineWriter LineWriter::withHiddenDescriptions(bool hide1, bool hide2) const {
  LineOptions options = m_options;
  options.hideDescription1 = hide1;
  options.hideDescription2 = hide2;
  return LineWriter(m_columns, options);
}

void LineWriter::write(word::WordDocument& doc, int table, int row, const QuoteLine& line) const {
  bool wroteHidden = false;
  auto put = [&](const QString& code, const QList<word::TextPiece>& pieces) {
    const int column = m_columns.column(code);
    if (column == 0 || column > doc.cellCount(table, row)) return;
    doc.setCellContent({table, row, column}, pieces);
    for (const word::TextPiece& piece : pieces)
      wroteHidden = wroteHidden || piece.format.hidden.value_or(false);
  };
  auto hidden = [](bool hide) {
    word::CharFormat format;
    format.hidden = hide;
    return format;
  };
  auto number = [&](const QString& code, bool show, double value, const QString& mask,
                    bool visible) {
    show = show && !(m_options.blankZeros && value == 0);
    put(code, {{show ? formatMasked(value, mask, m_options.decimalSeparator) : QString(),
                hidden(!visible)}});
  };

  const bool priced = line.quantity != 0;
  const bool component = line.level > 0;
  const bool prices = m_options.printPrice;
  const bool quantities = m_options.printQuantity;

  put("CODART", {{indentedCode(line.code, line.level), hidden(isLabourCode(line.code))}});
  QList<word::TextPiece> designation{{line.designation, hidden(false)}};
  if (!line.description1.isEmpty())
    designation.append({QLatin1Char('\r') + line.description1, hidden(m_options.hideDescription1)});
  if (!line.description2.isEmpty())
    designation.append({QLatin1Char('\r') + line.description2, hidden(m_options.hideDescription2)});
  put("LIBART", designation);

  number("QTE", priced, line.quantity, quantityMask(m_options.quantityDecimals), quantities);
  put("UNITE", {{line.unit, {}}});
  number("PDR", priced, line.costPrice, kPriceMask, prices);
  number("PUBRUT", priced, line.grossPrice, kPriceMask, prices);
  number("PCREM", priced && line.discountPercent != 0, line.discountPercent, kPercentMask, prices);
  number("PUNET", priced && !component, line.netPrice, kPriceMask, prices);
  number("MTNET", priced && !component, line.netAmount, kAmountMask, prices);
  number("MTPDR", priced && !component, line.costAmount, kAmountMask, prices);
  number("MTBRUT", priced && !component, line.grossAmount, kAmountMask, prices);
  number("MTREM", priced && !component, line.discountAmount, kPriceMask, prices);
  number("POIDS", line.weight != 0, line.weight, kWeightMask, quantities);
  number("POIDSTOT", line.totalWeight != 0, line.totalWeight, kWeightMask, quantities);
  put("USER1", {{line.user1, {}}});
  put("USER2", {{line.user2, {}}});
  put("USER3", {{line.user3, {}}});
  put("USER4", {{line.user4, {}}});
  put("REMPL", {{line.replacement, {}}});
  put("CODFOURN", {{line.supplier, {}}});
  put("TXTVA", {{withDecimalMark(line.vatRate, m_options.decimalSeparator), {}}});

  if (wroteHidden) doc.setShowHiddenText(true);
}

}  // namespace tarovent::composition
