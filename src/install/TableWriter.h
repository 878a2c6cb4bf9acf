#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

#include "platform/db/Database.h"

namespace tarovent::install {

// Appends many rows to one table through a single prepared statement: what a new family or
// the demo writes in bulk, counted. The caller wraps the writes in a transaction.
class TableWriter {
 public:
  TableWriter(db::Database& db, const QString& table, const QStringList& fields)
      : m_rows(db, table, fields) {}

  // One value per field, in the order given to the constructor; an invalid QVariant is Null.
  void add(const QVariantList& values) {
    m_rows.add(values);
    ++m_count;
  }
  int count() const { return m_count; }

 private:
  db::RowInserter m_rows;
  int m_count = 0;
};

}  // namespace tarovent::install
