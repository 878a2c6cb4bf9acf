#pragma once

#include <QList>
#include <QString>

#include "JetSql.h"
#include "JetType.h"

namespace tarovent::db {

class Connection;

// Table-definition work on one connection: what DDL statements and table definitions share.
// Every operation runs inside a savepoint, so a failure leaves the schema as it was.
class Schema {
 public:
  explicit Schema(Connection& c) : m_c(c) {}

  void createTable(const QString& schema, const QString& table, const QList<FieldSpec>& fields,
                   const QList<IndexSpec>& indexes);
  void addField(const QString& schema, const QString& table, const FieldSpec& field);
  void dropField(const QString& schema, const QString& table, const QString& field);
  void createIndex(const QString& schema, const QString& table, const IndexSpec& index);
  void dropIndex(const QString& schema, const QString& table, const QString& index);
  void dropTable(const QString& schema, const QString& table);
  // Creates `table` from the columns of `select` (already SQLite) and copies its rows.
  int selectInto(const QString& schema, const QString& table, const QString& select);

 private:
  void counterSupport(const QString& schema, const QString& table, const QString& field);
  QString createTableSql(const QString& schema, const QString& table,
                         const QList<FieldSpec>& fields, const IndexSpec* primary) const;
  void rebuild(const QString& schema, const QString& table, const QList<FieldSpec>& fields,
               const IndexSpec* primary);
  template <typename F>
  void atomically(F&& f);

  Connection& m_c;
};

}  // namespace tarovent::db
