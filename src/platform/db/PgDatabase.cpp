#include "PgDatabase.h"

#include <algorithm>
#include <atomic>
#include <chrono>

#include "DbError.h"
#include "PgDialect.h"
#include "PgKeys.h"
#include "RecordsetImpl.h"
#include "RowReader.h"

namespace tarovent::db {

namespace {

const QString kQueries = QStringLiteral("MSysTaroventQueries");

[[noreturn]] void notFound(const QString& name) {
  throw DbError(err::ItemNotFound,
                QStringLiteral("Élément '%1' non trouvé dans cette collection.").arg(name));
}

}  // namespace

QString pgPlaceholders(const QString& sql, int first) {
  QString out;
  out.reserve(sql.size() + 8);
  int next = first;
  bool quoted = false;
  for (qsizetype i = 0; i < sql.size(); ++i) {
    const QChar ch = sql[i];
    if (ch == u'\'') quoted = !quoted;
    if (ch != u'?' || quoted) {
      out += ch;
      continue;
    }
    qsizetype j = i + 1;
    while (j < sql.size() && sql[j].isDigit()) ++j;
    const int number = j > i + 1 ? sql.mid(i + 1, j - i - 1).toInt() + first - 1 : next;
    next = std::max(next, number + 1);
    out += u'$' + QString::number(number);
    i = j - 1;
  }
  return out;
}

int PgTable::indexOfField(const QString& n) const {
  for (int i = 0; i < fields.size(); ++i)
    if (fields[i].name.compare(n, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

const IndexSpec* PgTable::findIndex(const QString& n) const {
  for (const IndexSpec& ix : indexes)
    if (ix.name.compare(n, Qt::CaseInsensitive) == 0) return &ix;
  return nullptr;
}

QStringList PgTable::identity() const {
  for (const IndexSpec& ix : indexes)
    if (ix.primary) return ix.fields;
  // A unique index tells rows apart only where it holds no Null: any number of rows may.
  for (const IndexSpec& ix : indexes)
    if (ix.unique && std::all_of(ix.fields.cbegin(), ix.fields.cend(), [this](const QString& f) {
          const int at = indexOfField(f);
          return at >= 0 && fields[at].required;
        }))
      return ix.fields;
  return {};
}

std::shared_ptr<PgDatabase> PgDatabase::open(const QString& conninfo, const QString& path,
                                             bool create, bool readOnly,
                                             const QHash<QString, QString>& renamed) {
  checkServerWords(conninfo);
  std::shared_ptr<PgDatabase> db(new PgDatabase);
  db->m_path = path;
  db->m_readOnly = readOnly;
  // The schema first, without making it: its name is the file's. The same connection then
  // goes on in it: on a distant server each connection costs a handshake.
  db->m_s = PgSession::open(conninfo, QString(), create);
  db->m_s->setRenamed(renamed);
  const QString schema = db->m_s->schemaOf(path);
  if (create && db->m_s->hasSchema(schema))
    throw DbError(err::DatabaseExists,
                  QStringLiteral("La base de données '%1' existe déjà sur le serveur.").arg(path));
  db->m_s->enter(schema, create);
  if (readOnly) db->m_s->exec(QStringLiteral("SET default_transaction_read_only = on"));
  return db;
}

bool PgDatabase::drop(const QString& conninfo, const QString& path,
                      const QHash<QString, QString>& renamed) {
  checkServerWords(conninfo);
  auto s = PgSession::open(conninfo, QString(), false);
  s->setRenamed(renamed);
  const QString schema = s->schemaOf(path);
  if (!s->hasSchema(schema)) return false;
  s->exec("DROP SCHEMA " + quoteIdentifier(schema) + " CASCADE");
  return true;
}

bool PgDatabase::exists(const QString& conninfo, const QString& path,
                        const QHash<QString, QString>& renamed) {
  checkServerWords(conninfo);
  auto s = PgSession::open(conninfo, QString(), false);
  s->setRenamed(renamed);
  return s->hasSchema(s->schemaOf(path));
}

QByteArray PgDatabase::othersVersion() {
  return session()
      .query(QStringLiteral("SELECT txid_current_snapshot()::text"))
      .rows.value(0)
      .value(0)
      .toString()
      .toLatin1();
}

namespace {

// Writes and commits of every database of this process on the server: another connection of
// the process sees them at once, without asking the server.
std::atomic<quint64> g_processWrites{0};

}  // namespace

void PgDatabase::wrote() {
  ++m_generation;
  ++g_processWrites;
}

quint64 PgDatabase::changeStamp() {
  const qint64 now = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now().time_since_epoch())
                         .count();
  if (m_stampGeneration != m_generation) {
    m_stampGeneration = m_generation;
    ++m_stamp;
  }
  if (const quint64 seen = g_processWrites.load(); seen != m_seenWrites) {
    m_seenWrites = seen;
    ++m_stamp;
  }
  // Inside a transaction this workstation holds the write lock, and a snapshot sees nothing
  // new: the server need not be asked.
  if (now != m_stampAsked && transactionLevel() == 0 && !inSnapshot()) {
    m_stampAsked = now;
    const QByteArray version = othersVersion();
    if (version != m_stampVersion) {
      m_stampVersion = version;
      ++m_stamp;
    }
  }
  return m_stamp;
}

void PgDatabase::close() {
  m_s.reset();
  m_tables.clear();
}

PgSession& PgDatabase::session() const {
  if (!m_s)
    throw DbError(err::ObjectClosed,
                  QStringLiteral("Objet invalide ou n'est plus défini (base de données)."));
  return *m_s;
}

QString PgDatabase::serverSchema(const QString& schema) const {
  return schema == u"main" ? session().schema() : schema;
}

int PgDatabase::execute(const QString& jet) {
  PgSession& s = session();
  const SqlTranslation t = s.translate(jet);
  const bool definition = t.kind != SqlTranslation::Kind::Insert &&
                          t.kind != SqlTranslation::Kind::Update &&
                          t.kind != SqlTranslation::Kind::Delete;
  if (!definition || t.kind == SqlTranslation::Kind::CreateIndex ||
      t.kind == SqlTranslation::Kind::DropIndex) {
    const int n = s.execute(jet);
    wrote();
    if (definition) schemaChanged();
    return n;
  }
  int n = 0;
  define([&](PgSession& session) { n = session.execute(jet); });
  return n;
}

QString PgDatabase::selectSql(const SqlTranslation& t) {
  // Without an order there is nothing to look up.
  const bool ofTable = !t.updatableTable.isEmpty() && t.sql.startsWith(u"SELECT ") &&
                       t.sql.contains(QLatin1String(" ORDER BY ")) &&
                       (t.updatableSchema != u"main" || hasTable(t.updatableTable));
  return ofTable ? withoutNeedlessNullOrder(t.sql, table(t.updatableTable, t.updatableSchema))
                 : t.sql;
}

void PgDatabase::forEachRow(const QString& jetSelect,
                            const std::function<void(const RowReader&)>& row) {
  const SqlTranslation t = session().translate(jetSelect);
  if (t.kind != SqlTranslation::Kind::Select)
    throw DbError(err::InvalidOperation,
                  QStringLiteral("L'instruction ne renvoie pas d'enregistrements : %1").arg(jetSelect));
  const PgRows rows = session().query(selectSql(t));
  for (const QVariantList& values : rows.rows) row(RowReader(&rows.columns, &values));
}

bool PgDatabase::returnsRows(const QString& source) {
  const QString name = source.trimmed();
  if (hasTable(name)) return true;
  if (hasQueryDef(name))
    return session().translate(queryDefSql(name)).kind == SqlTranslation::Kind::Select;
  return session().translate(source).kind == SqlTranslation::Kind::Select;
}

QStringList PgDatabase::tableNames() {
  QStringList names;
  const PgRows r = session().query(
      QStringLiteral("SELECT c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = "
                     "c.relnamespace WHERE n.nspname = $1 AND c.relkind IN ('r', 'p') AND "
                     "c.relname NOT LIKE 'MSysTarovent%' ORDER BY lower(c.relname)"),
      {session().schema()});
  for (const QVariantList& row : r.rows) names << row[0].toString();
  return names;
}

bool PgDatabase::hasTable(const QString& name) {
  // A table read since definitions last changed in this process is there still: forms open
  // the same tables over and over. (Dropped elsewhere, it fails as it would when read.)
  if (m_tablesRead == PgSession::namesGeneration()) {
    const auto it = m_tables.constFind((session().schema() + u'.' + name).toUpper());
    if (it != m_tables.cend() && !(*it)->name.isEmpty()) return true;
  }
  return !session()
              .query(QStringLiteral("SELECT 1 FROM pg_class c JOIN pg_namespace n ON n.oid = "
                                    "c.relnamespace WHERE n.nspname = $1 AND c.relkind IN ('r', "
                                    "'p') AND lower(c.relname) = lower($2)"),
                     {session().schema(), name})
              .rows.isEmpty();
}

const PgTable& PgDatabase::table(const QString& name, const QString& schema) {
  const QString server = serverSchema(schema);
  const QString key = (server + u'.' + name).toUpper();
  // Definitions changed through another connection of the process: tables are read again.
  if (m_tablesRead != PgSession::namesGeneration()) {
    m_tables.clear();
    m_tablesRead = PgSession::namesGeneration();
  }
  if (const auto it = m_tables.constFind(key); it != m_tables.cend()) return **it;
  PgSession& s = session();
  auto t = std::make_shared<PgTable>();
  t->schema = server;
  t->fields = s.tableFields(name, server);
  const PgRows stored =
      s.query(QStringLiteral("SELECT c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = "
                             "c.relnamespace WHERE n.nspname = $1 AND c.relkind IN ('r', 'p') AND "
                             "lower(c.relname) = lower($2)"),
              {server, name});
  t->name = stored.rows.value(0).value(0).toString();
  // Index names carry their table's name ("TDOS~PrimaryKey"); int2vector counts from 0.
  const PgRows ix = s.query(
      QStringLiteral("SELECT i.relname, x.indisunique, x.indisprimary, a.attname, "
                     "(x.indoption[k.n - 1] & 1) <> 0 FROM pg_index x "
                     "JOIN pg_class c ON c.oid = x.indrelid "
                     "JOIN pg_namespace n ON n.oid = c.relnamespace "
                     "JOIN pg_class i ON i.oid = x.indexrelid "
                     "CROSS JOIN LATERAL unnest(x.indkey::int2[]) WITH ORDINALITY AS k(attnum, n) "
                     "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum = k.attnum "
                     "WHERE n.nspname = $1 AND c.relname = $2 ORDER BY i.relname, k.n"),
      {server, t->name});
  for (const QVariantList& row : ix.rows) {
    QString ixName = row[0].toString();
    ixName = ixName.mid(ixName.indexOf(u'~') + 1);
    if (t->indexes.isEmpty() || t->indexes.last().name != ixName) {
      IndexSpec index;
      index.name = ixName;
      index.unique = row[1].toLongLong() != 0 || row[1].toString() == u"t";
      index.primary = row[2].toLongLong() != 0 || row[2].toString() == u"t";
      t->indexes << index;
    }
    t->indexes.last().fields << row[3].toString();
    t->indexes.last().descending << (row[4].toLongLong() != 0 || row[4].toString() == u"t");
  }
  return **m_tables.insert(key, t);
}

// The views of the saved queries are made again from their text around a change of tables:
// "*" then reads the columns a table has now, and a table that queries read can be dropped
// and created again, the queries reading it again once it is back.
void PgDatabase::define(const std::function<void(PgSession&)>& change) {
  PgSession& s = session();
  const QList<QStringList> queries = storedQueries();
  s.begin();
  try {
    for (const QStringList& q : queries)
      s.exec("DROP VIEW IF EXISTS " + quoteIdentifier(q[0]) + " CASCADE");
    change(s);
    schemaChanged();
    makeViews(queries);
    s.commit();
  } catch (...) {
    s.rollback();
    schemaChanged();
    throw;
  }
  schemaChanged();
  wrote();
}

QString PgDatabase::qualified(const QString& table) {
  const PgTable& t = this->table(table);
  return quoteIdentifier(t.schema) + u'.' + quoteIdentifier(t.name);
}

void PgDatabase::createTable(const QString& name, const QList<FieldSpec>& fields,
                             const QList<IndexSpec>& indexes) {
  define([&](PgSession& s) { s.createTable(QStringLiteral("main"), name, fields, indexes); });
}

void PgDatabase::addField(const QString& table, const FieldSpec& field) {
  const PgTable& t = this->table(table);
  const QString schema = t.schema, stored = t.name;
  const QString target = qualified(table);
  define([&](PgSession& s) {
    s.exec("ALTER TABLE " + target + " ADD COLUMN " + postgresDialect().columnDefinition(field));
    // The engine's type of the column, as createTable notes it.
    s.exec("COMMENT ON COLUMN " + target + u'.' + quoteIdentifier(field.name) + " IS " +
           quoteText(sqliteDeclaredType(field)));
    if (field.autoIncrement) s.followCounter(schema, stored, field.name);
  });
}

void PgDatabase::dropField(const QString& table, const QString& field) {
  const PgTable& t = this->table(table);
  const int at = t.indexOfField(field);
  if (at < 0) notFound(field);
  const QString target = qualified(table);
  const QString column = quoteIdentifier(t.fields[at].name);
  const QString schema = t.schema, stored = t.name, name = t.fields[at].name;
  define([&](PgSession& s) {
    s.stopFollowingCounter(schema, stored, name);
    s.exec("ALTER TABLE " + target + " DROP COLUMN " + column);
  });
}

void PgDatabase::addIndex(const QString& table, const IndexSpec& index) {
  const PgTable& t = this->table(table);
  if (t.findIndex(index.name))
    throw DbError(err::IndexExists, QStringLiteral("L'index '%1' existe déjà.").arg(index.name));
  const QString name = t.name;
  define([&](PgSession& s) { s.createIndex(QStringLiteral("main"), name, index); });
}

void PgDatabase::dropTable(const QString& table) {
  const QString target = qualified(table);
  define([&](PgSession& s) { s.exec("DROP TABLE " + target); });
}

QList<QStringList> PgDatabase::storedQueries() {
  QList<QStringList> out;
  if (!hasTable(kQueries)) return out;
  const PgRows r = session().query("SELECT \"Name\", \"SqlText\" FROM " + quoteIdentifier(kQueries));
  for (const QVariantList& row : r.rows) out << QStringList{row[0].toString(), row[1].toString()};
  return out;
}

// Queries reading other queries wait for those; a query whose tables are missing has no view
// until they are back.
void PgDatabase::makeViews(QList<QStringList> queries) {
  PgSession& s = session();
  for (bool progress = true; progress && !queries.isEmpty();) {
    progress = false;
    for (auto it = queries.begin(); it != queries.end();) {
      s.begin();
      try {
        const SqlTranslation t = s.translate((*it)[1]);
        if (t.kind == SqlTranslation::Kind::Select)
          s.exec("CREATE VIEW " + quoteIdentifier((*it)[0]) + " AS " + t.sql);
        s.commit();
        it = queries.erase(it);
        progress = true;
      } catch (const DbError&) {
        s.rollback();
        ++it;
      }
    }
  }
}

void PgDatabase::ensureQueryTable() {
  session().exec("CREATE TABLE IF NOT EXISTS " + quoteIdentifier(session().schema()) + u'.' +
                 quoteIdentifier(kQueries) + " (\"Name\" varchar(255) COLLATE " +
                 QLatin1String(kPgSupportSchema) + ".jet PRIMARY KEY, \"SqlText\" text NOT NULL)");
}

void PgDatabase::createQueryDef(const QString& name, const QString& sql) {
  PgSession& s = session();
  if (hasQueryDef(name) || hasTable(name))
    throw DbError(err::ObjectExists, QStringLiteral("L'objet '%1' existe déjà.").arg(name));
  const SqlTranslation t = s.translate(sql);  // a bad query fails at its creation
  ensureQueryTable();
  s.begin();
  try {
    s.exec("INSERT INTO " + quoteIdentifier(kQueries) + " (\"Name\", \"SqlText\") VALUES ($1, $2)",
           {name, sql});
    // A select query is also a view, so that other queries read from it.
    if (t.kind == SqlTranslation::Kind::Select)
      s.exec("CREATE VIEW " + quoteIdentifier(name) + " AS " + t.sql);
    s.commit();
  } catch (...) {
    s.rollback();
    throw;
  }
  // The view's name, however the statements spell it from now on.
  PgSession::namesChanged();
  wrote();
}

void PgDatabase::deleteQueryDef(const QString& name) {
  PgSession& s = session();
  if (!hasQueryDef(name)) notFound(name);
  s.begin();
  try {
    s.exec("DELETE FROM " + quoteIdentifier(kQueries) + " WHERE upper(\"Name\") = upper($1)",
           {name});
    s.exec("DROP VIEW IF EXISTS " + quoteIdentifier(s.storedSpelling(name)));
    s.commit();
  } catch (...) {
    s.rollback();
    throw;
  }
  PgSession::namesChanged();
  wrote();
}

QStringList PgDatabase::queryDefNames() {
  QStringList names;
  if (!hasTable(kQueries)) return names;
  for (const QVariantList& row :
       session().query("SELECT \"Name\" FROM " + quoteIdentifier(kQueries) + " ORDER BY 1").rows)
    names << row[0].toString();
  return names;
}

bool PgDatabase::hasQueryDef(const QString& name) {
  if (!hasTable(kQueries)) return false;
  return !session()
              .query("SELECT 1 FROM " + quoteIdentifier(kQueries) +
                         " WHERE upper(\"Name\") = upper($1)",
                     {name})
              .rows.isEmpty();
}

QString PgDatabase::queryDefSql(const QString& name) {
  if (!hasTable(kQueries)) notFound(name);
  const PgRows r = session().query(
      "SELECT \"SqlText\" FROM " + quoteIdentifier(kQueries) + " WHERE upper(\"Name\") = upper($1)",
      {name});
  if (r.rows.isEmpty()) notFound(name);
  return r.rows[0][0].toString();
}

void PgDatabase::begin() {
  if (transactionLevel() == 0) ++m_transactionSerial;
  session().begin();
}
void PgDatabase::commit() {
  session().commit();
  ++g_processWrites;
}

void PgDatabase::rollback() {
  session().rollback();
  // What the rolled-back writes changed is read again.
  wrote();
  schemaChanged();
}

int PgDatabase::transactionLevel() const { return m_s ? m_s->transactionLevel() : 0; }

}  // namespace tarovent::db
