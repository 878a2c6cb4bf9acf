#include "guard/ComparisonReport.h"

#include "platform/db/Database.h"

namespace tarovent::guard {

QString differenceText(QuoteDifference::Kind kind) {
  switch (kind) {
    case QuoteDifference::Kind::Added:
      return QStringLiteral("+ Ajoutée");
    case QuoteDifference::Kind::Removed:
      return QStringLiteral("- Supprimée");
    case QuoteDifference::Kind::Repriced:
      break;
  }
  return QStringLiteral("~ Modifiée");
}

QString linePlace(int table, int row) {
  return table > 0 ? QStringLiteral("%1 / %2").arg(table).arg(row) : QString();
}

namespace {

QVariant place(int table, int row) {
  return table > 0 ? QVariant(linePlace(table, row)) : QVariant();
}

}  // namespace

void writeComparisonRows(db::Database& local, const QuoteComparison& c) {
  if (!local.hasTable(kComparisonTable)) {
    local.Execute("CREATE TABLE " + kComparisonTable +
                  " (NUMLIG LONG, ECART TEXT(20), CODE TEXT(50), AVANT TEXT(20), QTE1 DOUBLE, "
                  "PU1 DOUBLE, APRES TEXT(20), QTE2 DOUBLE, PU2 DOUBLE)");
    local.RefreshTableDefs();
  }
  db::TransactionGuard g(local);
  local.Execute("delete * from " + kComparisonTable);
  {
    db::RowInserter rows(
        local, kComparisonTable,
        {"NUMLIG", "ECART", "CODE", "AVANT", "QTE1", "PU1", "APRES", "QTE2", "PU2"});
    int n = 0;
    for (const QuoteDifference& d : c.differences) {
      const bool before = d.kind != QuoteDifference::Kind::Added;
      const bool after = d.kind != QuoteDifference::Kind::Removed;
      rows.add({++n, differenceText(d.kind), d.code, place(d.oldTable, d.oldRow),
                before ? QVariant(d.oldQuantity) : QVariant(),
                before ? QVariant(d.oldPrice) : QVariant(), place(d.newTable, d.newRow),
                after ? QVariant(d.newQuantity) : QVariant(),
                after ? QVariant(d.newPrice) : QVariant()});
    }
  }
  g.commit();
}

}  // namespace tarovent::guard
