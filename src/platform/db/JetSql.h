#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "JetType.h"
#include "SqlDialect.h"

namespace tarovent::db {

struct IndexSpec {
  QString name;
  QStringList fields;
  QList<bool> descending;  // one per field
  bool unique = false;
  bool primary = false;
};

// The result of translating one Jet SQL statement into a backend's SQL.
struct SqlTranslation {
  enum class Kind {
    Select,       // sql is a SELECT
    SelectInto,   // sql is the inner SELECT; schema/table name the new table
    Insert,       // sql ready to run
    Update,       // sql ready to run
    Delete,       // sql ready to run
    CreateTable,  // schema, table, fields, indexes
    CreateIndex,  // schema, table, indexes[0]
    AddColumn,    // schema, table, fields[0]
    DropColumn,   // schema, table, column
    DropTable,    // schema, table
    DropIndex,    // schema, table, indexName
  };
  Kind kind = Kind::Select;
  QString sql;
  QString schema = QStringLiteral("main");
  QString table;
  QList<FieldSpec> fields;
  QList<IndexSpec> indexes;
  QString column;
  QString indexName;
  // For a SELECT over exactly one table without join, grouping, DISTINCT or aggregate: that
  // table (a dynaset over it can be edited); empty otherwise.
  QString updatableTable;
  QString updatableSchema = QStringLiteral("main");
  // The name that table has in the statement: its alias, or its own name.
  QString updatableAlias;
};

// Translates Jet SQL as the program writes it. `attach` returns the schema name under which a
// database file (from "[path].TABLE" or "IN 'path'") is reachable on the connection ("main" for
// the connection's own file); it attaches it when needed. Throws DbError: err::UnsupportedSql
// with the statement text for what the translator does not handle, err::SyntaxError for
// malformed SQL.
using AttachFunction = std::function<QString(const QString& path)>;
SqlTranslation translateJetSql(const QString& jet, const AttachFunction& attach,
                               const SqlDialect& dialect = sqliteDialect());

// Converts a stand-alone Jet expression (criteria, ORDER BY text) to the dialect's SQL.
QString translateJetExpression(const QString& jet, const SqlDialect& dialect = sqliteDialect());

}  // namespace tarovent::db
