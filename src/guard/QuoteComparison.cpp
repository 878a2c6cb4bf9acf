#include "guard/QuoteComparison.h"

#include <QHash>
#include <vector>

#include "composition/NumberFormat.h"

namespace tarovent::guard {

using composition::WorkLine;

namespace {

QString keyOf(const WorkLine& l) {
  return l.code.toUpper() + QChar(0x1f) + l.supplier.toUpper() + QChar(0x1f) +
         QString::number(l.level);
}

bool sameQuantity(double a, double b) {
  return composition::roundHalfUp(a, 6) == composition::roundHalfUp(b, 6);
}

bool unchanged(const WorkLine& a, const WorkLine& b) {
  return sameQuantity(a.quantity, b.quantity) && composition::sameAmount(a.netPrice, b.netPrice);
}

}  // namespace

QuoteComparison compareQuotes(const QuoteReading& before, const QuoteReading& after) {
  QuoteComparison c;
  c.oldNetTotal = before.netTotal;
  c.newNetTotal = after.netTotal;
  // The lines of the second version by key, in document order, each taken once.
  QHash<QString, std::vector<int>> byKey;
  for (int i = 0; i < after.lines.size(); ++i)
    if (!after.lines[i].code.isEmpty()) byKey[keyOf(after.lines[i])].push_back(i);
  std::vector<int> match(before.lines.size(), -1);
  std::vector<bool> taken(after.lines.size(), false);
  // Passes from the closest pairs to any pair: same quantity and price, same quantity, any.
  enum class Pass { Unchanged, SameQuantity, Any };
  const auto pair = [&](Pass pass) {
    for (int i = 0; i < before.lines.size(); ++i) {
      const WorkLine& a = before.lines[i];
      if (a.code.isEmpty() || match[i] >= 0) continue;
      const auto it = byKey.constFind(keyOf(a));
      if (it == byKey.cend()) continue;
      for (int j : *it) {
        const WorkLine& b = after.lines[j];
        if (taken[j] || (pass == Pass::Unchanged && !unchanged(a, b)) ||
            (pass == Pass::SameQuantity && !sameQuantity(a.quantity, b.quantity)))
          continue;
        match[i] = j;
        taken[j] = true;
        break;
      }
    }
  };
  for (Pass pass : {Pass::Unchanged, Pass::SameQuantity, Pass::Any}) pair(pass);
  for (int i = 0; i < before.lines.size(); ++i) {
    const WorkLine& a = before.lines[i];
    if (a.code.isEmpty()) continue;
    QuoteDifference d;
    d.code = a.code;
    d.level = a.level;
    d.oldQuantity = a.quantity;
    d.oldPrice = a.netPrice;
    d.oldTable = a.table;
    d.oldRow = a.row;
    if (match[i] < 0) {
      d.kind = QuoteDifference::Kind::Removed;
      c.differences << d;
      continue;
    }
    const WorkLine& b = after.lines[match[i]];
    if (unchanged(a, b)) continue;
    d.kind = QuoteDifference::Kind::Repriced;
    d.newQuantity = b.quantity;
    d.newPrice = b.netPrice;
    d.newTable = b.table;
    d.newRow = b.row;
    c.differences << d;
  }
  for (int j = 0; j < after.lines.size(); ++j) {
    const WorkLine& b = after.lines[j];
    if (b.code.isEmpty() || taken[j]) continue;
    QuoteDifference d;
    d.kind = QuoteDifference::Kind::Added;
    d.code = b.code;
    d.level = b.level;
    d.newQuantity = b.quantity;
    d.newPrice = b.netPrice;
    d.newTable = b.table;
    d.newRow = b.row;
    c.differences << d;
  }
  return c;
}

QStringList comparisonText(const QuoteComparison& c, int quantityDecimals) {
  const QChar sep = QLatin1Char(',');
  const QString qtyMask = composition::quantityMask(quantityDecimals);
  const auto values = [&](double qty, double price) {
    return composition::formatMasked(qty, qtyMask, sep) + QStringLiteral(" x ") +
           composition::formatMasked(price, composition::kPriceMask, sep);
  };
  QStringList out;
  for (const QuoteDifference& d : c.differences) {
    switch (d.kind) {
      case QuoteDifference::Kind::Added:
        out << QStringLiteral("+ ") + d.code + ' ' + values(d.newQuantity, d.newPrice);
        break;
      case QuoteDifference::Kind::Removed:
        out << QStringLiteral("- ") + d.code + ' ' + values(d.oldQuantity, d.oldPrice);
        break;
      case QuoteDifference::Kind::Repriced:
        out << QStringLiteral("~ ") + d.code + ' ' + values(d.oldQuantity, d.oldPrice) +
                   QStringLiteral(" -> ") + values(d.newQuantity, d.newPrice);
        break;
    }
  }
  out << QStringLiteral("Total net HT : ") +
             composition::formatMasked(c.oldNetTotal, composition::kPriceMask, sep) +
             QStringLiteral(" -> ") +
             composition::formatMasked(c.newNetTotal, composition::kPriceMask, sep);
  return out;
}

}  // namespace tarovent::guard
