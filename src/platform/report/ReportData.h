#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include "ReportDefinition.h"
#include "SelectionFormula.h"
#include "platform/db/Database.h"

namespace tarovent::report {

// The rows of a report's data source, read one at a time in the report's order (its groups,
// then its sort keys), only those its selection formula keeps. Each row holds the values of the
// fields asked for, in that order.
class ReportData {
 public:
  // Checks the source and every field against the database before reading anything. Throws
  // ReportError naming the line of the report that asks for a missing source or field.
  // `formulaLine` is the line of the formula in the file (0 when the program gave it).
  // `wanted` fields are read when the source has them (placeholders that may name a field).
  ReportData(db::Database& db, const ReportDefinition& def, const QStringList& fields,
             const QStringList& wanted, SelectionFormula formula, int formulaLine);

  // The next row kept, false at the end.
  bool next(QVector<QVariant>& row);
  // The place of `field` in the rows; -1 when it is not read.
  int slot(const QString& field) const;

 private:
  QString m_file;
  db::Recordset m_rows;
  QStringList m_sourceFields;
  QStringList m_read;  // the fields of a row, in order
  int m_fieldCount = 0;
  QVector<int> m_formulaSlots;  // per formula field, its place in the recordset
  SelectionFormula m_formula;
  bool m_started = false;
};

}  // namespace tarovent::report
