#include "TableWriter.h"

#include <sqlite3.h>

#include "platform/db/Connection.h"
#include "platform/db/DbError.h"
#include "platform/db/SqliteValue.h"

namespace tarovent::install {

TableWriter::TableWriter(db::Database& db, const QString& table, const QStringList& fields)
    : m_db(db), m_table(table) {
  const db::TableDef def = db.tableDef(table);
  QStringList columns, marks;
  for (const QString& name : fields) {
    m_fields << def.Field(name);
    columns << db::quoteIdentifier(m_fields.last().name);
    marks << QStringLiteral("?");
  }
  m_stmt = db.connection()->prepare(
      QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
          .arg(db::quoteIdentifier(def.Name()), columns.join(", "), marks.join(", ")));
}

TableWriter::~TableWriter() { sqlite3_finalize(m_stmt); }

void TableWriter::add(const QVariantList& values) {
  if (values.size() != m_fields.size())
    throw db::DbError(db::err::ItemNotFound, QStringLiteral("%1 : %2 valeurs pour %3 champs.")
                                .arg(m_table)
                                .arg(values.size())
                                .arg(m_fields.size()));
  db::Connection& c = *m_db.connection();
  sqlite3_reset(m_stmt);
  for (int i = 0; i < values.size(); ++i)
    db::bindValue(m_stmt, i + 1, db::coerceToField(values[i], m_fields[i]));
  c.beforeWrite();
  const int rc = sqlite3_step(m_stmt);
  if (rc != SQLITE_DONE) c.fail(rc, m_table);
  c.afterWrite();
  ++m_count;
}

}  // namespace tarovent::install
