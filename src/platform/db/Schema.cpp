#include "Schema.h"

#include "Connection.h"
#include "DbError.h"
#include "SqliteValue.h"

namespace tarovent::db {

namespace {

const QString kCounters = QStringLiteral("MSysTaroventCounters");

QString qualified(const QString& schema, const QString& name) {
  return quoteIdentifier(schema) + '.' + quoteIdentifier(name);
}

QString fieldList(const QStringList& fields, const QList<bool>& desc = {}) {
  QStringList parts;
  for (int i = 0; i < fields.size(); ++i)
    parts << quoteIdentifier(fields[i]) + (i < desc.size() && desc[i] ? " DESC" : "");
  return parts.join(", ");
}

DbError tableExists(const QString& table) {
  return DbError(err::TableExists, QStringLiteral("La table '%1' existe déjà.").arg(table));
}

}  // namespace

template <typename F>
void Schema::atomically(F&& f) {
  m_c.beforeWrite();
  m_c.releaseCursors();
  m_c.exec(QStringLiteral("SAVEPOINT tarovent_ddl"));
  try {
    f();
    m_c.exec(QStringLiteral("RELEASE tarovent_ddl"));
  } catch (...) {
    sqlite3_exec(m_c.handle(), "ROLLBACK TO tarovent_ddl; RELEASE tarovent_ddl", nullptr, nullptr,
                 nullptr);
    m_c.schemaChanged(true);
    throw;
  }
  m_c.schemaChanged();
}

QString Schema::createTableSql(const QString& schema, const QString& table,
                               const QList<FieldSpec>& fields, const IndexSpec* primary) const {
  QStringList cols;
  for (const auto& f : fields) cols << sqliteColumnDefinition(f);
  if (primary)
    cols << QStringLiteral("CONSTRAINT %1 PRIMARY KEY (%2)")
                .arg(quoteIdentifier(primary->name.isEmpty() ? "PrimaryKey" : primary->name),
                     fieldList(primary->fields, primary->descending));
  return QStringLiteral("CREATE TABLE %1 (%2)").arg(qualified(schema, table), cols.join(", "));
}

void Schema::counterSupport(const QString& schema, const QString& table, const QString& field) {
  // The highest number ever given is kept apart from the rows, so that deleting the last
  // records does not hand their numbers out again.
  m_c.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (TableName TEXT COLLATE NOCASE, "
                          "FieldName TEXT COLLATE NOCASE, Last INTEGER, PRIMARY KEY (TableName, "
                          "FieldName))")
               .arg(qualified(schema, kCounters)));
  const QString tag = table + "~~counter~" + field;
  const QString key = quoteText(table) + ", " + quoteText(field);
  const QString where = "TableName = " + quoteText(table) + " AND FieldName = " + quoteText(field);
  m_c.exec(
      QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(qualified(schema, table + "~~ai~" + field)));
  m_c.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
               .arg(qualified(schema, table + "~~ai~" + field), quoteIdentifier(table),
                    quoteIdentifier(field)));
  m_c.exec(QStringLiteral(
               "CREATE TRIGGER IF NOT EXISTS %1 AFTER INSERT ON %2 FOR EACH ROW BEGIN "
               "INSERT OR IGNORE INTO %4 VALUES (%5, (SELECT IFNULL(MAX(%3), 0) FROM %2 WHERE "
               "rowid <> NEW.rowid)); "
               "UPDATE %4 SET Last = MAX(Last + (NEW.%3 IS NULL), IFNULL(NEW.%3, 0)) WHERE %6; "
               "UPDATE %2 SET %3 = (SELECT Last FROM %4 WHERE %6) WHERE rowid = NEW.rowid AND "
               "NEW.%3 IS NULL; END")
               .arg(qualified(schema, tag), quoteIdentifier(table), quoteIdentifier(field),
                    quoteIdentifier(kCounters), key, where));
}

void Schema::createTable(const QString& schema, const QString& table,
                         const QList<FieldSpec>& fields, const QList<IndexSpec>& indexes) {
  if (table.isEmpty() || fields.isEmpty())
    throw DbError(err::TableNeedsField,
                  QStringLiteral("Une table doit avoir un nom et au moins un champ."));
  if (m_c.hasTable(table, schema)) throw tableExists(table);
  const IndexSpec* primary = nullptr;
  for (const auto& ix : indexes)
    if (ix.primary) primary = &ix;
  atomically([&] {
    m_c.exec(createTableSql(schema, table, fields, primary));
    for (const auto& f : fields)
      if (f.autoIncrement) counterSupport(schema, table, f.name);
    for (const auto& ix : indexes)
      if (!ix.primary)
        m_c.exec(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                     .arg(ix.unique ? "UNIQUE " : "", qualified(schema, table + '~' + ix.name),
                          quoteIdentifier(table), fieldList(ix.fields, ix.descending)));
  });
}

void Schema::rebuild(const QString& schema, const QString& table, const QList<FieldSpec>& fields,
                     const IndexSpec* primary) {
  const TableInfo old = m_c.table(table, schema);
  QStringList common;
  for (const auto& f : fields)
    if (old.indexOfField(f.name) >= 0) common << quoteIdentifier(f.name);
  const QString tmp = table + "~~rebuild";
  m_c.exec(createTableSql(schema, tmp, fields, primary));
  m_c.exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3")
               .arg(qualified(schema, tmp), common.join(", "), qualified(schema, table)));
  // Saved queries (views) read the table by name: they must neither stop the renaming nor be
  // rewritten to follow the old table.
  m_c.exec(QStringLiteral("PRAGMA legacy_alter_table=ON"));
  try {
    m_c.exec(QStringLiteral("DROP TABLE %1").arg(qualified(schema, table)));
    m_c.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2")
                 .arg(qualified(schema, tmp), quoteIdentifier(table)));
  } catch (...) {
    m_c.exec(QStringLiteral("PRAGMA legacy_alter_table=OFF"));
    throw;
  }
  m_c.exec(QStringLiteral("PRAGMA legacy_alter_table=OFF"));
  for (const auto& ix : old.indexes) {
    if (ix.primary) continue;
    bool keep = true;
    for (const auto& f : ix.fields) {
      bool present = false;
      for (const auto& nf : fields) present |= nf.name.compare(f, Qt::CaseInsensitive) == 0;
      keep &= present;
    }
    if (keep)
      m_c.exec(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                   .arg(ix.unique ? "UNIQUE " : "", qualified(schema, ix.sqlName),
                        quoteIdentifier(table), fieldList(ix.fields, ix.descending)));
  }
  for (const auto& f : fields)
    if (f.autoIncrement) counterSupport(schema, table, f.name);
}

void Schema::addField(const QString& schema, const QString& table, const FieldSpec& field) {
  const TableInfo& info = m_c.table(table, schema);
  if (info.indexOfField(field.name) >= 0)
    throw DbError(
        err::FieldExists,
        QStringLiteral("Le champ '%1' existe déjà dans la table '%2'.").arg(field.name, table));
  atomically([&] {
    const QString dflt = sqliteDefaultTerm(field);
    const bool alterable = !dflt.startsWith('(') && !(field.required && dflt.isEmpty());
    if (alterable) {
      m_c.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2")
                   .arg(qualified(schema, table), sqliteColumnDefinition(field)));
    } else {
      QList<FieldSpec> fields = info.fields;
      fields << field;
      const IndexInfo* pk = nullptr;
      for (const auto& ix : info.indexes)
        if (ix.primary) pk = &ix;
      IndexSpec primary;
      if (pk) {
        primary.name = pk->name;
        primary.fields = pk->fields;
        primary.descending = pk->descending;
      }
      rebuild(schema, table, fields, pk ? &primary : nullptr);
    }
    if (field.autoIncrement) {
      // Existing rows are numbered in their stored order, as the engine does.
      m_c.exec(QStringLiteral("UPDATE %1 SET %2 = r.n FROM (SELECT rowid AS id, row_number() "
                              "OVER (ORDER BY rowid) AS n FROM %1) AS r WHERE %1.rowid = r.id")
                   .arg(qualified(schema, table), quoteIdentifier(field.name)));
      counterSupport(schema, table, field.name);
    }
  });
}

void Schema::dropField(const QString& schema, const QString& table, const QString& field) {
  const TableInfo info = m_c.table(table, schema);
  const int pos = info.indexOfField(field);
  if (pos < 0)
    throw DbError(err::ItemNotFound,
                  QStringLiteral("Élément '%1' non trouvé dans cette collection.").arg(field));
  for (const auto& ix : info.indexes)
    for (const auto& f : ix.fields)
      if (f.compare(field, Qt::CaseInsensitive) == 0)
        throw DbError(err::FieldInIndex,
                      QStringLiteral("Impossible de supprimer le champ '%1' : il fait partie "
                                     "de l'index '%2'.")
                          .arg(field, ix.name));
  const QString name = info.fields[pos].name;
  atomically([&] {
    if (info.fields[pos].autoIncrement) {
      const QString tag = table + "~~ai~" + name;
      m_c.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(qualified(schema, tag)));
      m_c.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1")
                   .arg(qualified(schema, table + "~~counter~" + name)));
      m_c.exec(QStringLiteral("DROP INDEX IF EXISTS %1").arg(qualified(schema, tag)));
    }
    m_c.exec(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2")
                 .arg(qualified(schema, table), quoteIdentifier(name)));
  });
}

void Schema::createIndex(const QString& schema, const QString& table, const IndexSpec& index) {
  const TableInfo info = m_c.table(table, schema);
  if (info.findIndex(index.name))
    throw DbError(
        err::IndexExists,
        QStringLiteral("La table '%1' a déjà un index nommé '%2'.").arg(table, index.name));
  for (const auto& f : index.fields)
    if (info.indexOfField(f) < 0)
      throw DbError(err::ItemNotFound,
                    QStringLiteral("Élément '%1' non trouvé dans cette collection.").arg(f));
  atomically([&] {
    if (index.primary) {
      for (const auto& ix : info.indexes)
        if (ix.primary)
          throw DbError(err::PrimaryKeyExists, QStringLiteral("La clé primaire existe déjà."));
      rebuild(schema, table, info.fields, &index);
    } else {
      m_c.exec(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                   .arg(index.unique ? "UNIQUE " : "", qualified(schema, table + '~' + index.name),
                        quoteIdentifier(info.name), fieldList(index.fields, index.descending)));
    }
  });
}

void Schema::dropIndex(const QString& schema, const QString& table, const QString& index) {
  const TableInfo info = m_c.table(table, schema);
  const IndexInfo* ix = info.findIndex(index);
  if (!ix)
    throw DbError(
        err::IndexNotFound,
        QStringLiteral("L'index '%1' n'existe pas dans la table '%2'.").arg(index, table));
  atomically([&] {
    if (ix->primary)
      rebuild(schema, table, info.fields, nullptr);
    else
      m_c.exec(QStringLiteral("DROP INDEX %1").arg(qualified(schema, ix->sqlName)));
  });
}

void Schema::dropTable(const QString& schema, const QString& table) {
  const TableInfo& info = m_c.table(table, schema);
  const QString name = info.name;
  atomically([&] {
    m_c.exec(QStringLiteral("DROP TABLE %1").arg(qualified(schema, name)));
    // A table made again under this name numbers from 1.
    if (m_c.hasTable(kCounters, schema))
      m_c.exec(QStringLiteral("DELETE FROM %1 WHERE TableName = %2")
                   .arg(qualified(schema, kCounters), quoteText(name)));
  });
}

int Schema::selectInto(const QString& schema, const QString& table, const QString& select) {
  if (m_c.hasTable(table, schema)) throw tableExists(table);
  int rows = 0;
  atomically([&] {
    QList<FieldSpec> fields;
    sqlite3_stmt* s = m_c.prepare(select);
    const int n = sqlite3_column_count(s);
    const int first = sqlite3_step(s);
    for (int i = 0; i < n; ++i) {
      FieldSpec f;
      const char* decl = sqlite3_column_decltype(s, i);
      if (decl) {
        f = fieldFromSqlite(QString::fromUtf8(sqlite3_column_name(s, i)), QString::fromUtf8(decl),
                            {}, false);
        f.autoIncrement = false;  // a copy keeps the numbers, not the counter
      } else {
        f.name = QString::fromUtf8(sqlite3_column_name(s, i));
        const int t = first == SQLITE_ROW ? sqlite3_column_type(s, i) : SQLITE_TEXT;
        if (t == SQLITE_INTEGER) {
          f.type = FieldType::Long;
        } else if (t == SQLITE_FLOAT) {
          f.type = FieldType::Double;
        } else if (t == SQLITE_TEXT && looksLikeStoredDate(columnText(s, i))) {
          f.type = FieldType::Date;
        } else {
          f.type = FieldType::Text;
          f.size = 255;
        }
      }
      fields << f;
    }
    sqlite3_finalize(s);
    if (first != SQLITE_ROW && first != SQLITE_DONE) m_c.fail(first, select);
    m_c.exec(createTableSql(schema, table, fields, nullptr));
    m_c.exec(QStringLiteral("INSERT INTO %1 %2").arg(qualified(schema, table), select));
    rows = sqlite3_changes(m_c.handle());
  });
  return rows;
}

}  // namespace tarovent::db
