#include "Visits.h"

#include <QRegularExpression>

#include "platform/db/Database.h"

namespace tarovent::clients {

namespace {

const QString kBase =
    QStringLiteral("Select * from TVIS left join TCLI on TVIS.TVIS_CODCLI = TCLI.TCLI_CODE ");

QString ordered(QString sql, const QString& order) {
  if (!order.trimmed().isEmpty()) sql += " ORDER BY " + order.trimmed();
  return sql + ';';
}

}  // namespace

QString visitListSql(const QString& criteria, const QString& order) {
  QString sql = kBase;
  if (!criteria.trimmed().isEmpty()) sql += " WHERE " + criteria.trimmed();
  return ordered(sql, order);
}

QString dueVisitsSql(const QDate& day, const QString& criteria, const QString& order) {
  QString sql = kBase + "WHERE TVIS_DatePrev<#" + day.toString(QStringLiteral("MM/dd/yyyy")) +
                "# AND IsNull(TVIS_DateRea) ";
  if (!criteria.trimmed().isEmpty()) sql += "AND (" + criteria.trimmed() + ") ";
  return ordered(sql, order);
}

QString criteriaBesideDue(const QString& where) {
  static const QRegularExpression due(
      QStringLiteral(
          "^\\s*TVIS_DatePrev<#[0-9/]+#\\s+AND\\s+IsNull\\(TVIS_DateRea\\)\\s*(AND\\s+|$)"),
      QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch m = due.match(where);
  if (!m.hasMatch()) return where.trimmed();
  return where.mid(m.capturedLength()).trimmed();
}

void saveVisitPrintQuery(db::Database& db, const QString& source) {
  if (db.hasQueryDef(kVisitPrintQuery)) db.DeleteQueryDef(kVisitPrintQuery);
  db.CreateQueryDef(kVisitPrintQuery, source);
}

QString visitSelectionFormula(long line) {
  return "{RImpVis.TVIS_NumLig}= " + QString::number(line);
}

}  // namespace tarovent::clients
