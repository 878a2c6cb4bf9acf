#include "Database.h"

#include <QFile>
#include <QFileInfo>
#include <mutex>

#include "Connection.h"
#include "DbError.h"
#include "DefaultServer.h"
#include "PgDatabase.h"
#include "RecordsetImpl.h"
#include "Schema.h"
#include "SqliteValue.h"

namespace tarovent::db {

namespace {

const QString kQueries = QStringLiteral("MSysTaroventQueries");

bool looksLikeName(const QString& s) {
  const QString t = s.trimmed();
  if (t.isEmpty()) return false;
  if (t.startsWith('[') && t.endsWith(']')) return !t.mid(1, t.size() - 2).contains(']');
  for (QChar ch : t)
    if (ch.isSpace() || ch == '(' || ch == '\'' || ch == ';' || ch == ',') return false;
  return true;
}

QString bareName(const QString& s) {
  QString t = s.trimmed();
  if (t.startsWith('[') && t.endsWith(']')) t = t.mid(1, t.size() - 2);
  return t;
}

}  // namespace

const FieldSpec& TableDef::Field(const QString& name) const {
  for (const auto& f : m_fields)
    if (f.name.compare(name, Qt::CaseInsensitive) == 0) return f;
  throw DbError(err::ItemNotFound,
                QStringLiteral("Élément '%1' non trouvé dans cette collection.").arg(name));
}

bool TableDef::hasField(const QString& name) const {
  for (const auto& f : m_fields)
    if (f.name.compare(name, Qt::CaseInsensitive) == 0) return true;
  return false;
}

FieldSpec TableDef::CreateField(const QString& name, FieldType type, int size) {
  FieldSpec f;
  f.name = name;
  f.type = type;
  f.size = type == FieldType::Text ? (size > 0 ? size : 50) : size;
  return f;
}

Connection& Database::conn() const {
  if (!m_c || !m_c->isOpen())
    throw DbError(err::ObjectClosed,
                  QStringLiteral("Objet invalide ou n'est plus défini (base de données)."));
  return *m_c;
}

PgDatabase* Database::pg() const {
  if (m_pg && !m_pg->isOpen())
    throw DbError(err::ObjectClosed,
                  QStringLiteral("Objet invalide ou n'est plus défini (base de données)."));
  return m_pg.get();
}

bool Database::isOpen() const { return m_pg ? m_pg->isOpen() : m_c && m_c->isOpen(); }
QString Database::Name() const { return pg() ? m_pg->path() : conn().path(); }
QString Database::Version() const { return QStringLiteral("4.0"); }
QString Database::networkFileSystem() const {
  return pg() ? QString() : conn().networkFileSystem();
}
void Database::Close() {
  if (m_c) m_c->close();
  if (m_pg) m_pg->close();
}

Recordset Database::OpenRecordset(const QString& source, RecordsetType type, int options) {
  const bool readOnly = (options & rsopt::ReadOnly) != 0;
  if (PgDatabase* s = pg()) {
    const bool snapshot = type == RecordsetType::Snapshot;
    if (looksLikeName(source) && s->hasTable(bareName(source))) {
      if (type == RecordsetType::Default || type == RecordsetType::Table)
        return Recordset(s->openTable(bareName(source), readOnly));
      return Recordset(s->openDynaset(bareName(source), true, readOnly, snapshot));
    }
    if (looksLikeName(source) && s->hasQueryDef(bareName(source))) {
      if (type == RecordsetType::Table)
        throw DbError(err::InvalidOperation,
                      QStringLiteral("Opération non valide : '%1' n'est pas une table.")
                          .arg(bareName(source)));
      return Recordset(s->openDynaset(s->queryDefSql(bareName(source)), false, readOnly, snapshot));
    }
    if (looksLikeName(source))
      throw DbError(err::SourceNotFound,
                    QStringLiteral("Le moteur de base de données ne peut pas trouver la table "
                                   "ou la requête source '%1'.")
                        .arg(bareName(source)));
    if (type == RecordsetType::Table)
      throw DbError(err::InvalidOperation,
                    QStringLiteral("Opération non valide : une requête ne peut pas être ouverte "
                                   "comme table."));
    return Recordset(s->openDynaset(source, false, readOnly, snapshot));
  }
  Connection& c = conn();
  if (looksLikeName(source)) {
    const QString name = bareName(source);
    if (c.hasTable(name)) {
      if (type == RecordsetType::Default || type == RecordsetType::Table)
        return Recordset(openTableRecordset(m_c, name, readOnly));
      return Recordset(openDynaset(m_c, name, true, readOnly, type == RecordsetType::Snapshot));
    }
    if (hasQueryDef(name)) {
      if (type == RecordsetType::Table)
        throw DbError(err::InvalidOperation,
                      QStringLiteral("Opération non valide : '%1' n'est pas une table.").arg(name));
      return Recordset(
          openDynaset(m_c, QueryDefSql(name), false, readOnly, type == RecordsetType::Snapshot));
    }
    throw DbError(err::SourceNotFound,
                  QStringLiteral("Le moteur de base de données ne peut pas trouver la table "
                                 "ou la requête source '%1'.")
                      .arg(name));
  }
  if (type == RecordsetType::Table)
    throw DbError(err::InvalidOperation,
                  QStringLiteral("Opération non valide : une requête ne peut pas être ouverte "
                                 "comme table."));
  return Recordset(openDynaset(m_c, source, false, readOnly, type == RecordsetType::Snapshot));
}

int Database::Execute(const QString& sql) {
  if (looksLikeName(sql) && hasQueryDef(bareName(sql))) return ExecuteQueryDef(bareName(sql));
  if (PgDatabase* s = pg()) return m_affected = s->execute(sql);
  Connection& c = conn();
  const SqlTranslation t = c.translate(sql);
  Schema schema(c);
  m_affected = 0;
  using K = SqlTranslation::Kind;
  switch (t.kind) {
    case K::Select:
      throw DbError(err::CannotExecuteSelect,
                    QStringLiteral("Impossible d'exécuter une requête Sélection."));
    case K::SelectInto:
      m_affected = schema.selectInto(t.schema, t.table, t.sql);
      break;
    case K::Insert:
    case K::Update:
    case K::Delete: {
      c.beforeWrite();
      sqlite3_stmt* s = c.prepare(t.sql);
      const int rc = sqlite3_step(s);
      sqlite3_finalize(s);
      if (rc != SQLITE_DONE && rc != SQLITE_ROW) c.fail(rc, sql);
      m_affected = sqlite3_changes(c.handle());
      c.afterWrite();
      break;
    }
    case K::CreateTable:
      schema.createTable(t.schema, t.table, t.fields, t.indexes);
      break;
    case K::CreateIndex:
      if (t.indexes.isEmpty())
        throw DbError(err::SyntaxError, QStringLiteral("Index sans définition : ") + sql);
      schema.createIndex(t.schema, t.table, t.indexes.first());
      break;
    case K::AddColumn:
      for (const auto& f : t.fields) schema.addField(t.schema, t.table, f);
      break;
    case K::DropColumn:
      schema.dropField(t.schema, t.table, t.column);
      break;
    case K::DropTable:
      schema.dropTable(t.schema, t.table);
      break;
    case K::DropIndex:
      schema.dropIndex(t.schema, t.table, t.indexName);
      break;
  }
  return m_affected;
}

int Database::RecordsAffected() const { return m_affected; }

bool Database::returnsRows(const QString& source) {
  if (PgDatabase* s = pg()) return s->returnsRows(bareName(source));
  Connection& c = conn();
  if (looksLikeName(source)) {
    const QString name = bareName(source);
    if (c.hasTable(name)) return true;
    if (hasQueryDef(name))
      return c.translate(QueryDefSql(name)).kind == SqlTranslation::Kind::Select;
  }
  return c.translate(source).kind == SqlTranslation::Kind::Select;
}

QStringList Database::TableDefNames() { return pg() ? m_pg->tableNames() : conn().tableNames(); }
bool Database::hasTable(const QString& name) {
  return pg() ? m_pg->hasTable(name) : conn().hasTable(name);
}

TableDef Database::tableDef(const QString& name) {
  if (PgDatabase* s = pg()) {
    const PgTable& t = s->table(name);
    TableDef def(t.name);
    def.m_fields = t.fields;
    def.m_indexes = t.indexes;
    return def;
  }
  const TableInfo& info = conn().table(name);
  TableDef def(info.name);
  def.m_fields = info.fields;
  for (const auto& ix : info.indexes) {
    IndexSpec s;
    s.name = ix.name;
    s.fields = ix.fields;
    s.descending = ix.descending;
    s.unique = ix.unique;
    s.primary = ix.primary;
    def.m_indexes << s;
  }
  return def;
}

void Database::appendTableDef(const TableDef& def) {
  if (PgDatabase* s = pg()) return s->createTable(def.m_name, def.m_fields, def.m_indexes);
  Schema(conn()).createTable("main", def.m_name, def.m_fields, def.m_indexes);
}

void Database::appendField(const QString& table, const FieldSpec& field) {
  if (PgDatabase* s = pg()) return s->addField(table, field);
  Schema(conn()).addField("main", table, field);
}

void Database::deleteField(const QString& table, const QString& field) {
  if (PgDatabase* s = pg()) return s->dropField(table, field);
  Schema(conn()).dropField("main", table, field);
}

void Database::createIndex(const QString& table, const IndexSpec& index) {
  if (PgDatabase* s = pg()) return s->addIndex(table, index);
  Schema(conn()).createIndex("main", table, index);
}

void Database::deleteTableDef(const QString& name) {
  if (PgDatabase* s = pg()) return s->dropTable(name);
  Schema(conn()).dropTable("main", name);
}

void Database::RefreshTableDefs() {
  if (PgDatabase* s = pg()) return s->schemaChanged();
  conn().schemaChanged();
}

void Database::ensureQueryTable() {
  Connection& c = conn();
  if (!c.hasTable(kQueries))
    c.exec("CREATE TABLE " + kQueries +
           " (Name TEXT COLLATE JET PRIMARY KEY, SqlText TEXT NOT NULL)");
}

void Database::CreateQueryDef(const QString& name, const QString& sql) {
  if (PgDatabase* s = pg()) return s->createQueryDef(name, sql);
  Connection& c = conn();
  if (hasQueryDef(name) || c.hasTable(name))
    throw DbError(err::ObjectExists, QStringLiteral("L'objet '%1' existe déjà.").arg(name));
  // Checked now, so that a bad query fails at its creation as with the engine.
  const SqlTranslation t = c.translate(sql);
  c.beforeWrite();
  ensureQueryTable();
  sqlite3_stmt* s = c.cached("INSERT INTO " + kQueries + " (Name, SqlText) VALUES (?1, ?2)");
  const QByteArray n = name.toUtf8(), q = sql.toUtf8();
  sqlite3_bind_text(s, 1, n.constData(), n.size(), SQLITE_TRANSIENT);
  sqlite3_bind_text(s, 2, q.constData(), q.size(), SQLITE_TRANSIENT);
  const int rc = sqlite3_step(s);
  sqlite3_reset(s);
  if (rc != SQLITE_DONE) c.fail(rc, name);
  // A select query is also a view, so that other queries can read from it.
  if (t.kind == SqlTranslation::Kind::Select && !t.sql.contains("jetdb")) {
    try {
      c.exec("CREATE VIEW " + quoteIdentifier(name) + " AS " + t.sql);
    } catch (const DbError&) {
      // Kept as a saved query only: opening it still works.
    }
  }
  c.afterWrite();
  c.schemaChanged();
}

void Database::DeleteQueryDef(const QString& name) {
  if (PgDatabase* s = pg()) return s->deleteQueryDef(name);
  Connection& c = conn();
  if (!hasQueryDef(name))
    throw DbError(err::ItemNotFound,
                  QStringLiteral("Élément '%1' non trouvé dans cette collection.").arg(name));
  c.beforeWrite();
  sqlite3_stmt* s = c.cached("DELETE FROM " + kQueries + " WHERE Name = ?1");
  const QByteArray n = name.toUtf8();
  sqlite3_bind_text(s, 1, n.constData(), n.size(), SQLITE_TRANSIENT);
  sqlite3_step(s);
  sqlite3_reset(s);
  c.exec("DROP VIEW IF EXISTS " + quoteIdentifier(name));
  c.afterWrite();
  c.schemaChanged();
}

QStringList Database::QueryDefNames() {
  if (PgDatabase* s = pg()) return s->queryDefNames();
  Connection& c = conn();
  QStringList names;
  if (!c.hasTable(kQueries)) return names;
  sqlite3_stmt* s = c.cached("SELECT Name FROM " + kQueries + " ORDER BY Name");
  while (sqlite3_step(s) == SQLITE_ROW)
    names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
  sqlite3_reset(s);
  return names;
}

bool Database::hasQueryDef(const QString& name) {
  if (PgDatabase* s = pg()) return s->hasQueryDef(name);
  Connection& c = conn();
  if (!c.hasTable(kQueries)) return false;
  sqlite3_stmt* s = c.cached("SELECT 1 FROM " + kQueries + " WHERE Name = ?1");
  const QByteArray n = name.toUtf8();
  sqlite3_bind_text(s, 1, n.constData(), n.size(), SQLITE_TRANSIENT);
  const bool found = sqlite3_step(s) == SQLITE_ROW;
  sqlite3_reset(s);
  return found;
}

QString Database::QueryDefSql(const QString& name) {
  if (PgDatabase* s = pg()) return s->queryDefSql(name);
  Connection& c = conn();
  if (!c.hasTable(kQueries))
    throw DbError(err::ItemNotFound,
                  QStringLiteral("Élément '%1' non trouvé dans cette collection.").arg(name));
  sqlite3_stmt* s = c.cached("SELECT SqlText FROM " + kQueries + " WHERE Name = ?1");
  const QByteArray n = name.toUtf8();
  sqlite3_bind_text(s, 1, n.constData(), n.size(), SQLITE_TRANSIENT);
  QString sql;
  const bool found = sqlite3_step(s) == SQLITE_ROW;
  if (found) sql = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
  sqlite3_reset(s);
  if (!found)
    throw DbError(err::ItemNotFound,
                  QStringLiteral("Élément '%1' non trouvé dans cette collection.").arg(name));
  return sql;
}

int Database::ExecuteQueryDef(const QString& name) { return Execute(QueryDefSql(name)); }

void Database::attach(const QString& path) {
  if (pg()) {
    PgSession& s = m_pg->session();
    s.alsoLock(s.schemaOf(path));
  } else {
    conn().attach(path);
  }
}

bool DataVersion::operator==(const DataVersion& o) const {
  return !base.owner_before(o.base) && !o.base.owner_before(base) && ownChanges == o.ownChanges &&
         others == o.others;
}

DataVersion Database::dataVersion() const {
  DataVersion v;
  if (!isOpen()) return v;
  if (pg()) {
    v.base = m_pg;
    v.ownChanges = qint64(m_pg->generation());
    v.others = m_pg->othersVersion();
  } else {
    v.base = m_c;
    v.ownChanges = m_c->ownChanges();
    v.others = QByteArray::number(m_c->dataVersion());
  }
  return v;
}

quint64 Database::changeStamp() const { return pg() ? m_pg->changeStamp() : conn().changeStamp(); }

void Database::BeginTrans() { pg() ? m_pg->begin() : conn().begin(); }
void Database::CommitTrans() { pg() ? m_pg->commit() : conn().commit(); }
void Database::Rollback() { pg() ? m_pg->rollback() : conn().rollback(); }
int Database::transactionLevel() const {
  return pg() ? m_pg->transactionLevel() : conn().transactionLevel();
}

namespace {
std::mutex g_defaultLock;
QString& defaultWords() {
  static QString words;
  return words;
}
// Where a workspace's databases are: its own server, else the process's default.
QString serverOf(const Workspace& ws) {
  return ws.server().isEmpty() ? defaultServer() : ws.server();
}
}  // namespace

void setDefaultServer(const QString& conninfo) {
  std::lock_guard lock(g_defaultLock);
  defaultWords() = conninfo;
}

QString defaultServer() {
  std::lock_guard lock(g_defaultLock);
  return defaultWords();
}

void Workspace::prune() {
  m_open.removeIf([](const std::weak_ptr<Connection>& w) {
    auto c = w.lock();
    return !c || !c->isOpen();
  });
  m_served.removeIf([](const std::weak_ptr<PgDatabase>& w) {
    auto s = w.lock();
    return !s || !s->isOpen();
  });
}

Database Workspace::OpenDatabase(const QString& path, bool readOnly) {
  prune();
  if (const QString server = serverOf(*this); !server.isEmpty()) {
    auto s = PgDatabase::open(server, path, false, readOnly, m_renamed);
    m_served << s;
    return Database(s);
  }
  auto c = Connection::open(path, false, readOnly, m_fs);
  m_open << c;
  return Database(c);
}

Database Workspace::CreateDatabase(const QString& path, const QString&, int) {
  prune();
  if (const QString server = serverOf(*this); !server.isEmpty()) {
    auto s = PgDatabase::open(server, path, true, false, m_renamed);
    m_served << s;
    return Database(s);
  }
  auto c = Connection::open(path, true, false, m_fs);
  m_open << c;
  return Database(c);
}

bool Workspace::exists(const QString& path) const {
  if (const QString server = serverOf(*this); !server.isEmpty())
    return PgDatabase::exists(server, path, m_renamed);
  return QFileInfo(path).isFile();
}

bool Workspace::deleteDatabase(const QString& path) {
  if (const QString server = serverOf(*this); !server.isEmpty()) {
    PgDatabase::drop(server, path, m_renamed);
    return true;
  }
  bool removed = true;
  for (const QString& file : {path, path + "-wal", path + "-shm"})
    removed &= !QFileInfo::exists(file) || QFile::remove(file);
  return removed;
}

void Workspace::Idle() {
  prune();
  for (const auto& w : std::as_const(m_open))
    if (auto c = w.lock()) c->releaseCursors();
}

void Workspace::BeginTrans() {
  prune();
  QList<std::shared_ptr<Connection>> begun;
  QList<std::shared_ptr<PgDatabase>> served;
  try {
    for (const auto& w : std::as_const(m_open)) {
      auto c = w.lock();
      c->begin();
      begun << c;
    }
    for (const auto& w : std::as_const(m_served)) {
      auto s = w.lock();
      s->begin();
      served << s;
    }
  } catch (...) {
    for (auto& c : begun) c->rollback();
    for (auto& s : served) s->rollback();
    throw;
  }
}

void Workspace::CommitTrans() {
  prune();
  requireTransaction(QStringLiteral("Validation"));
  for (const auto& w : std::as_const(m_open))
    if (auto c = w.lock(); c->transactionLevel() > 0) c->commit();
  for (const auto& w : std::as_const(m_served))
    if (auto s = w.lock(); s->transactionLevel() > 0) s->commit();
}

void Workspace::Rollback() {
  prune();
  requireTransaction(QStringLiteral("Annulation"));
  for (const auto& w : std::as_const(m_open))
    if (auto c = w.lock(); c->transactionLevel() > 0) c->rollback();
  for (const auto& w : std::as_const(m_served))
    if (auto s = w.lock(); s->transactionLevel() > 0) s->rollback();
}

void Workspace::requireTransaction(const QString& what) const {
  for (const auto& w : m_open)
    if (auto c = w.lock(); c && c->transactionLevel() > 0) return;
  for (const auto& w : m_served)
    if (auto s = w.lock(); s && s->transactionLevel() > 0) return;
  throw DbError(err::NotInTransaction,
                QStringLiteral("%1 impossible sans transaction en cours.").arg(what));
}

TransactionGuard::~TransactionGuard() {
  if (m_done) return;
  try {
    if (m_ws) m_ws->Rollback();
    if (m_db) m_db->Rollback();
  } catch (...) {
    // Nothing more can be done while unwinding.
  }
}

void TransactionGuard::commit() {
  if (m_ws) m_ws->CommitTrans();
  if (m_db) m_db->CommitTrans();
  m_done = true;
}

RowInserter::RowInserter(Database& db, const QString& table, const QStringList& fields)
    : m_c(db.connection()), m_pg(db.server()), m_table(table) {
  if (m_pg && m_pg->isOpen()) {
    const PgTable& t = m_pg->table(table);
    QStringList cols, marks;
    for (const QString& name : fields) {
      const int i = t.indexOfField(name);
      if (i < 0)
        throw DbError(err::ItemNotFound,
                      QStringLiteral("Élément '%1' non trouvé dans cette collection.").arg(name));
      m_fields << t.fields[i];
      cols << quoteIdentifier(t.fields[i].name);
      marks << QStringLiteral("$%1").arg(marks.size() + 1);
    }
    m_sql = "INSERT INTO " + quoteIdentifier(t.name) + " (" + cols.join(", ") + ") VALUES (" +
            marks.join(", ") + ")";
    return;
  }
  if (!m_c || !m_c->isOpen())
    throw DbError(err::ObjectClosed, QStringLiteral("La base de données est fermée."));
  const TableInfo& info = m_c->table(table);
  QStringList cols;
  for (const QString& name : fields) {
    const int i = info.indexOfField(name);
    if (i < 0)
      throw DbError(err::ItemNotFound,
                    QStringLiteral("Élément '%1' non trouvé dans cette collection.").arg(name));
    m_fields << info.fields[i];
    cols << quoteIdentifier(info.fields[i].name);
  }
  m_sql = "INSERT INTO " + quoteIdentifier(info.name) + " (" + cols.join(", ") + ") VALUES (" +
          QStringList(cols.size(), QStringLiteral("?")).join(", ") + ")";
}

RowInserter::~RowInserter() = default;

void RowInserter::add(const QVariantList& values) {
  if (values.size() != m_fields.size())
    throw DbError(err::InvalidOperation,
                  QStringLiteral("Nombre de valeurs incorrect pour la table '%1'.").arg(m_table));
  m_values.clear();
  for (qsizetype i = 0; i < values.size(); ++i) m_values << coerceToField(values[i], m_fields[i]);
  if (m_pg) {
    m_pg->session().exec(m_sql, m_values);
    m_pg->wrote();
    return;
  }
  m_c->beforeWrite();
  // The connection keeps the statement, prepared at the first row; write() leaves it reset.
  if (!m_statement || m_epoch != m_c->statementEpoch()) {
    m_statement = m_c->cached(m_sql);
    m_epoch = m_c->statementEpoch();
  } else {
    m_c->use();  // a transaction begun since the last row takes the lock now
  }
  m_c->write(m_statement, m_values, -1, m_table);
}

ReadSnapshot::ReadSnapshot(Database& db) {
  if (!db.isOpen()) return;
  if (db.connection() && db.connection()->beginSnapshot()) m_c = db.connection();
  if (db.server() && db.server()->session().beginSnapshot()) m_pg = db.server();
}

ReadSnapshot::~ReadSnapshot() {
  if (m_c) m_c->endSnapshot();
  if (m_pg && m_pg->isOpen()) m_pg->session().endSnapshot();
}

bool Database::inReadSnapshot() const {
  if (!isOpen()) return false;
  return pg() ? m_pg->inSnapshot() : conn().inSnapshot();
}

QString sqlLiteral(const QString& text) { return quoteText(text); }

QString layerVersion() { return QStringLiteral(TAROVENT_DB_VERSION); }

}  // namespace tarovent::db
