#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

#include "platform/db/Database.h"

struct sqlite3_stmt;

namespace tarovent::install {

// Appends many rows to one table through a single prepared statement: what a new family or
// the demo writes in bulk. Values are converted to the fields' types as the record layer
// converts them. The caller wraps the writes in a transaction.
class TableWriter {
 public:
  TableWriter(db::Database& db, const QString& table, const QStringList& fields);
  ~TableWriter();
  TableWriter(const TableWriter&) = delete;
  TableWriter& operator=(const TableWriter&) = delete;

  // One value per field, in the order given to the constructor; an invalid QVariant is Null.
  void add(const QVariantList& values);
  int count() const { return m_count; }

 private:
  db::Database& m_db;
  QString m_table;
  QList<db::FieldSpec> m_fields;
  sqlite3_stmt* m_stmt = nullptr;
  int m_count = 0;
};

}  // namespace tarovent::install
