#pragma once

#include <QDate>
#include <QString>

namespace tarovent::db {
class Database;
}

namespace tarovent::clients {

// Every visit with its client, filtered and ordered as the list's selection and sort left it
// (each part empty for none).
QString visitListSql(const QString& criteria, const QString& order);
// The visits planned strictly before `day` and not made yet, with the same criteria and order.
QString dueVisitsSql(const QDate& day, const QString& criteria, const QString& order);
// The user's own criteria in the WHERE part of a due-visit list (the due condition taken off).
QString criteriaBesideDue(const QString& where);

// The saved query the visits report reads: deleted and made again from the list's source.
inline const QString kVisitPrintQuery = QStringLiteral("RimpVis");
void saveVisitPrintQuery(db::Database& db, const QString& source);
// The report's selection formula for one visit.
QString visitSelectionFormula(long line);

}  // namespace tarovent::clients
