#include "RowReader.h"

#include <sqlite3.h>

#include "Connection.h"
#include "Database.h"
#include "DbError.h"
#include "PgDatabase.h"
#include "SqliteValue.h"

namespace tarovent::db {

int RowReader::column(const char* name) const {
  // Names are string literals: their addresses identify them after the first search.
  auto known = m_columns.constFind(name);
  if (known != m_columns.cend()) return *known;
  if (m_row) {
    for (int i = 0; i < m_names->size(); ++i)
      if (m_names->at(i).compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
        return *m_columns.insert(name, i);
  }
  for (int i = 0; m_s && i < sqlite3_column_count(m_s); ++i)
    if (qstricmp(sqlite3_column_name(m_s, i), name) == 0) return *m_columns.insert(name, i);
  throw DbError(err::ItemNotFound, QStringLiteral("Élément non trouvé dans cette collection : ") +
                                       QString::fromLatin1(name));
}

QVariant RowReader::rowValue(const char* name) const { return m_row->value(column(name)); }

bool RowReader::isNull(const char* name) const {
  if (m_row) return rowValue(name).isNull();
  return sqlite3_column_type(m_s, column(name)) == SQLITE_NULL;
}

QString RowReader::text(const char* name) const {
  // Null reads as empty text.
  if (m_row) return rowValue(name).toString();
  return columnText(m_s, column(name));
}

double RowReader::number(const char* name) const {
  if (m_row) {
    const QVariant v = rowValue(name);
    return v.typeId() == QMetaType::QString ? v.toString().trimmed().replace(',', '.').toDouble()
                                            : v.toDouble();
  }
  const int c = column(name);
  switch (sqlite3_column_type(m_s, c)) {
    case SQLITE_NULL:
      return 0;
    case SQLITE_TEXT:
      return columnText(m_s, c).trimmed().replace(',', '.').toDouble();
    default:
      return sqlite3_column_double(m_s, c);
  }
}

QVariant RowReader::value(const char* name) const {
  if (m_row) return rowValue(name);
  const int c = column(name);
  if (sqlite3_column_type(m_s, c) == SQLITE_NULL) return {};
  // The declared type decides dates stored as text; read once per column.
  auto type = m_types.constFind(c);
  if (type == m_types.cend()) {
    const char* declared = sqlite3_column_decltype(m_s, c);
    type = m_types.insert(c, declared
                                 ? std::optional(fieldTypeFromDeclared(QString::fromUtf8(declared)))
                                 : std::nullopt);
  }
  return columnValue(m_s, c, type->value_or(FieldType::Memo), type->has_value());
}

void Database::forEachRow(const QString& jetSelect,
                          const std::function<void(const RowReader&)>& row) {
  if (PgDatabase* s = pg()) return s->forEachRow(jetSelect, row);
  Connection& c = conn();
  const SqlTranslation t = c.translate(jetSelect);
  if (t.kind != SqlTranslation::Kind::Select)
    throw DbError(err::InvalidOperation,
                  QStringLiteral("Opération non valide : une requête action ne peut pas être "
                                 "ouverte comme jeu d'enregistrements."));
  const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> s(c.prepare(t.sql), sqlite3_finalize);
  const RowReader reader(s.get());
  int rc;
  while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) row(reader);
  if (rc != SQLITE_DONE) c.fail(rc, t.sql);
}

}  // namespace tarovent::db
