#pragma once

#include <QString>

#include "guard/QuoteComparison.h"

namespace tarovent::db {
class Database;
}

namespace tarovent::guard {

// The work table the printed comparison (IMPCOMPDEV.RPT) reads, in the workstation's BDLOC.MDB:
// TMP_COMPDEV, one row per difference in the order shown, made anew at each print.
inline const QString kComparisonTable = QStringLiteral("TMP_COMPDEV");

// What a difference is, as shown and printed: "+ Ajoutée", "- Supprimée", "~ Modifiée".
QString differenceText(QuoteDifference::Kind kind);
// Where a line stands, "2 / 5" (line table, row); empty for none.
QString linePlace(int table, int row);

// Writes the differences into the work table, created when missing. Throws db::DbError.
void writeComparisonRows(db::Database& local, const QuoteComparison& comparison);

}  // namespace tarovent::guard
