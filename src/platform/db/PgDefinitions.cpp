#include <libpq-fe.h>

#include "DbError.h"
#include "PgDialect.h"
#include "PgSession.h"
#include "PgSupport.h"

// Table, index and counter definitions on the server, and bulk copies into a table.

namespace tarovent::db {

namespace {

// The columns of an index. Nulls come first in an ascending column and last in a descending
// one, as table recordsets walk them; a primary key has no Null (nor any other order).
QString columnList(const IndexSpec& ix) {
  QStringList cols;
  for (qsizetype i = 0; i < ix.fields.size(); ++i) {
    QString col = quoteIdentifier(ix.fields[i]);
    if (!ix.primary)
      col += ix.descending.value(i) ? QStringLiteral(" DESC NULLS LAST")
                                    : QStringLiteral(" NULLS FIRST");
    else if (ix.descending.value(i))
      col += QStringLiteral(" DESC");
    cols << col;
  }
  return cols.join(QStringLiteral(", "));
}

}  // namespace

void PgSession::createIndex(const QString& schema, const QString& table, const IndexSpec& ix) {
  // Index names are unique in a whole schema: each carries its table's name.
  const QString name = quoteIdentifier(table + u'~' + ix.name);
  if (ix.primary)
    exec("ALTER TABLE " + qualified(schema, table) + " ADD CONSTRAINT " + name + " PRIMARY KEY (" +
         columnList(ix) + ')');
  else
    exec(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
             .arg(ix.unique ? "UNIQUE " : "", name, qualified(schema, table), columnList(ix)));
}

void PgSession::createTable(const QString& schema, const QString& table,
                            const QList<FieldSpec>& fields, const QList<IndexSpec>& indexes) {
  const SqlDialect& dialect = postgresDialect();
  QStringList columns;
  for (const FieldSpec& f : fields) columns << dialect.columnDefinition(f);
  const QString target = qualified(schema, table);
  exec("CREATE TABLE " + target + " (" + columns.join(QStringLiteral(", ")) + ')');
  // The engine's type of each column (Yes/No and Integer are both smallint here).
  for (const FieldSpec& f : fields)
    exec("COMMENT ON COLUMN " + target + u'.' + quoteIdentifier(f.name) + " IS " +
         quoteText(sqliteDeclaredType(f)));
  for (const FieldSpec& f : fields)
    if (f.autoIncrement) followCounter(schema, table, f.name);
  for (const IndexSpec& ix : indexes) createIndex(schema, table, ix);
  namesChanged();
}

void PgSession::followCounter(const QString& schema, const QString& table, const QString& field) {
  exec(QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 FOR EACH ROW EXECUTE FUNCTION "
                      "%3.jet_counter_follow(%4)")
           .arg(quoteIdentifier(table + "~counter~" + field), qualified(schema, table),
                QLatin1String(kPgSupportSchema), quoteText(field)));
}

void PgSession::stopFollowingCounter(const QString& schema, const QString& table,
                                     const QString& field) {
  exec(QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2")
           .arg(quoteIdentifier(table + "~counter~" + field), qualified(schema, table)));
}

namespace {

// A value in COPY's text format: \N for Null, backslashes, tabs and line ends escaped.
void appendCopyValue(QByteArray& line, const QVariant& v) {
  if (v.isNull()) {
    line += "\\N";
    return;
  }
  for (const char ch : parameterText(v)) {
    switch (ch) {
      case '\\':
        line += "\\\\";
        break;
      case '\t':
        line += "\\t";
        break;
      case '\n':
        line += "\\n";
        break;
      case '\r':
        line += "\\r";
        break;
      default:
        line += ch;
    }
  }
}

}  // namespace

void PgSession::copyRows(const QString& schema, const QString& table, const QStringList& columns,
                         const QList<QVariantList>& rows) {
  if (rows.isEmpty()) return;
  QStringList quoted;
  for (const QString& c : columns) quoted << quoteIdentifier(c);
  const QString sql = "COPY " + qualified(schema, table) + " (" +
                      quoted.join(QStringLiteral(", ")) + ") FROM STDIN";
  settle();
  endSnapshot();
  Result start(PQexec(m_conn, sql.toUtf8().constData()));
  if (PQresultStatus(start.r) != PGRES_COPY_IN) fail(start, sql);
  QByteArray data;
  for (const QVariantList& row : rows) {
    for (qsizetype i = 0; i < row.size(); ++i) {
      if (i) data += '\t';
      appendCopyValue(data, row[i]);
    }
    data += '\n';
    if (data.size() > (1 << 20)) {
      PQputCopyData(m_conn, data.constData(), int(data.size()));
      data.clear();
    }
  }
  if (!data.isEmpty()) PQputCopyData(m_conn, data.constData(), int(data.size()));
  PQputCopyEnd(m_conn, nullptr);
  Result end(PQgetResult(m_conn));
  while (PGresult* more = PQgetResult(m_conn)) PQclear(more);
  if (!end.ok()) fail(end, table);
}

void PgSession::raiseCounter(const QString& schema, const QString& table, const QString& field,
                             qint64 last) {
  if (last <= 0) return;
  query(QStringLiteral("SELECT setval(pg_get_serial_sequence($1, $2), $3)"),
        {qualified(schema, table), field, last});
}

void PgSession::dropColumn(const QString& schema, const QString& table, const QString& column) {
  const QString name = schema == u"main" ? m_schema : schema;
  const PgRows found = query(
      QStringLiteral("SELECT a.attname FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid "
                     "JOIN pg_namespace n ON n.oid = c.relnamespace WHERE n.nspname = $1 AND "
                     "c.relname = $2 AND lower(a.attname) = lower($3) AND a.attnum > 0 AND "
                     "NOT a.attisdropped"),
      {name, table, column});
  if (found.rows.isEmpty())
    throw DbError(err::ItemNotFound,
                  QStringLiteral("Élément '%1' non trouvé dans cette collection.").arg(column));
  const QString stored = found.rows[0][0].toString();
  // The server would drop the indexes with the field; the engine refuses.
  const PgRows indexes = query(
      QStringLiteral("SELECT ic.relname FROM pg_index i JOIN pg_class c ON c.oid = i.indrelid "
                     "JOIN pg_namespace n ON n.oid = c.relnamespace "
                     "JOIN pg_class ic ON ic.oid = i.indexrelid "
                     "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum = ANY (i.indkey) "
                     "WHERE n.nspname = $1 AND c.relname = $2 AND a.attname = $3"),
      {name, table, stored});
  if (!indexes.rows.isEmpty())
    throw DbError(err::FieldInIndex,
                  QStringLiteral("Impossible de supprimer le champ '%1' : il fait partie "
                                 "de l'index '%2'.")
                      .arg(column, indexes.rows[0][0].toString().section(u'~', 1)));
  stopFollowingCounter(schema, table, stored);
  exec("ALTER TABLE " + qualified(schema, table) + " DROP COLUMN " + quoteIdentifier(stored));
}

void PgSession::dropIndex(const QString& schema, const QString& table, const QString& index) {
  const QString name = schema == u"main" ? m_schema : schema;
  const PgRows found = query(
      QStringLiteral("SELECT ic.relname, EXISTS (SELECT 1 FROM pg_constraint k WHERE "
                     "k.conindid = ic.oid AND k.conrelid = i.indrelid) FROM pg_index i "
                     "JOIN pg_class c ON c.oid = i.indrelid "
                     "JOIN pg_namespace n ON n.oid = c.relnamespace "
                     "JOIN pg_class ic ON ic.oid = i.indexrelid "
                     "WHERE n.nspname = $1 AND c.relname = $2 AND lower(ic.relname) = lower($3)"),
      {name, table, table + u'~' + index});
  if (found.rows.isEmpty())
    throw DbError(err::ItemNotFound,
                  QStringLiteral("Élément '%1' non trouvé dans cette collection.").arg(index));
  const QString stored = found.rows[0][0].toString();
  if (found.rows[0][1].toBool())
    exec("ALTER TABLE " + qualified(schema, table) + " DROP CONSTRAINT " + quoteIdentifier(stored));
  else
    exec("DROP INDEX " + quoteIdentifier(name) + u'.' + quoteIdentifier(stored));
}

}  // namespace tarovent::db
