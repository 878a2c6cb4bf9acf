#pragma once
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <optional>

#include "JetType.h"

struct sqlite3_stmt;

namespace tarovent::db {

// The current row of a read-only query stepped forward once, for bulk reads that a dynaset
// would first copy whole into variants. Values read as a recordset reads them: Null is 0 or
// empty, a number stored as text with a decimal comma still counts. Fields are named by string
// literals (case ignored) and found once per query.
class RowReader {
 public:
  explicit RowReader(sqlite3_stmt* s) : m_s(s) {}
  // A row the server backend has read whole, with its columns' names.
  RowReader(const QStringList* columns, const QVariantList* row) : m_names(columns), m_row(row) {}
  bool isNull(const char* name) const;
  QString text(const char* name) const;
  double number(const char* name) const;
  QVariant value(const char* name) const;

 private:
  int column(const char* name) const;
  QVariant rowValue(const char* name) const;
  sqlite3_stmt* m_s = nullptr;
  const QStringList* m_names = nullptr;
  const QVariantList* m_row = nullptr;
  mutable QHash<const char*, int> m_columns;
  mutable QHash<int, std::optional<FieldType>> m_types;
};

}  // namespace tarovent::db
