#include "guard/MarginTally.h"

#include "composition/NumberFormat.h"
#include "guard/QuoteReading.h"
#include "platform/word/WordDocument.h"

namespace tarovent::guard {

using composition::cents;

void MarginTally::invalidate() {
  m_stale = true;
  m_pending.clear();
}

void MarginTally::rowsInserted(int table, int row, int count) {
  if (m_stale) return;
  // The rows already announced below the new ones moved down.
  for (auto& [t, r] : m_pending)
    if (t == table && r >= row) r += count;
  for (int i = 0; i < count; ++i) m_pending.append({table, row + i});
}

void MarginTally::count(const composition::WorkLine& l) {
  if (!composition::isCounted(l)) return;
  m_netCents += cents(l.netAmount);
  const double cost = cents(l.costPrice) != 0 ? l.costPrice : m_rules.costs.value(lineKey(l), 0);
  (l.type == QLatin1String("M") ? m_labourCents : m_materialsCents) +=
      cents(composition::round2(l.quantity * cost));
}

bool MarginTally::readAll(word::WordDocument& doc) {
  m_stale = false;
  m_pending.clear();
  m_netCents = m_materialsCents = m_labourCents = 0;
  m_rules = {};
  m_lineTables.clear();
  const std::optional<QuoteReading> quote = readQuote(doc);
  m_located = quote.has_value();
  if (!m_located) return false;
  m_threshold = readMarginThreshold(m_state);
  m_columns = quote->columns;
  for (int t : quote->lineTables) m_lineTables.insert(t);
  completeGuardRules(m_state, quote->lines, m_rules);
  for (const composition::WorkLine& l : quote->lines) count(l);
  return true;
}

void MarginTally::addPending(word::WordDocument& doc) {
  QVector<composition::WorkLine> lines;
  for (const auto& [table, row] : std::as_const(m_pending)) {
    if (!m_lineTables.contains(table) || row > doc.rowCount(table)) continue;
    if (auto l = readQuoteLine(doc, m_columns, table, row)) lines << *l;
  }
  m_pending.clear();
  completeGuardRules(m_state, lines, m_rules);
  for (const composition::WorkLine& l : lines) count(l);
}

QString MarginTally::text(word::WordDocument& doc) {
  if (m_stale)
    readAll(doc);
  else if (!m_pending.isEmpty())
    addPending(doc);
  if (!m_located) return {};
  MarginFigures m;
  m.cost = double(m_materialsCents + m_labourCents) / 100;
  m.rate = marginRate(double(m_netCents) / 100, m.cost);
  return marginText(m, m_threshold);
}

}  // namespace tarovent::guard
