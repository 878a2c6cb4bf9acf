#include "Connection.h"

#include <dlfcn.h>

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <atomic>

#include "Database.h"
#include "DbError.h"
#include "DatabaseFile.h"
#include "JetFunctions.h"
#include "JetValue.h"
#include "SqliteErrors.h"
#include "SqliteValue.h"

namespace tarovent::db {

int TableInfo::indexOfField(const QString& name) const {
  return fieldIndex.value(name.toUpper(), -1);
}

const IndexInfo* TableInfo::findIndex(const QString& name) const {
  for (const auto& ix : indexes)
    if (ix.name.compare(name, Qt::CaseInsensitive) == 0) return &ix;
  return nullptr;
}

namespace {

// Committed writes and schema changes of every connection of this process, so that the others
// notice them at once rather than at the next look at the file.
std::atomic<quint64> g_committedWrites{0};
std::atomic<quint64> g_schemaChanges{0};

// Counts one more change; a connection that had seen every change so far has seen its own.
void tellProcess(std::atomic<quint64>& changes, quint64& seen) {
  const quint64 before = changes.fetch_add(1);
  if (seen == before) seen = before + 1;
}

// After a commit: once the journal holds 100 pages they are copied back into the database and
// the journal starts again from its beginning. Readers let go within a call, so waiting a
// little for them keeps the journal small even while other processes read all the time.
int checkpointAfterCommit(void*, sqlite3* db, const char* schema, int pages) {
  if (pages < 100) return SQLITE_OK;
  sqlite3_busy_timeout(db, 20);
  const int rc = sqlite3_wal_checkpoint_v2(db, schema, SQLITE_CHECKPOINT_RESTART, nullptr, nullptr);
  sqlite3_busy_timeout(db, 5000);
  if (rc == SQLITE_BUSY)
    sqlite3_wal_checkpoint_v2(db, schema, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
  return SQLITE_OK;
}

// jet_field(value, schema, table, field name or position): the value as the field stores
// it, so that INSERT and UPDATE statements refuse what a recordset refuses.
// Whether `v`, as the statement gives it, is already what `field` stores, so that it can go
// in as it is: the common case of an INSERT ... SELECT between tables of the family, where
// converting every value through a QVariant would cost more than the copy.
bool storedAsItIs(sqlite3_value* v, const FieldSpec& field) {
  const int type = sqlite3_value_type(v);
  switch (field.type) {
    case FieldType::Text:
    case FieldType::Memo:
      // A UTF-8 text never has fewer bytes than characters.
      return type == SQLITE_TEXT && (field.type == FieldType::Memo || field.size <= 0 ||
                                     sqlite3_value_bytes(v) <= field.size);
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long: {
      if (type != SQLITE_INTEGER) return false;
      const sqlite3_int64 n = sqlite3_value_int64(v);
      return n > -(sqlite3_int64(1) << 52) && n < (sqlite3_int64(1) << 52);
    }
    case FieldType::Date: {
      if (type != SQLITE_TEXT) return false;
      const char* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
      const int n = sqlite3_value_bytes(v);
      if (n != 10 && n != 19) return false;
      const auto digits = [&](int at, int count) {
        int value = 0;
        for (int i = at; i < at + count; ++i) {
          if (t[i] < '0' || t[i] > '9') return -1;
          value = value * 10 + (t[i] - '0');
        }
        return value;
      };
      const int y = digits(0, 4), m = digits(5, 2), d = digits(8, 2);
      if (t[4] != '-' || t[7] != '-' || y < 0 || m < 0 || d < 0 || !QDate(y, m, d).isValid())
        return false;
      if (n == 10) return true;
      const int h = digits(11, 2), mi = digits(14, 2), se = digits(17, 2);
      // Midnight is stored as the day alone.
      return t[10] == ' ' && t[13] == ':' && t[16] == ':' && h >= 0 && mi >= 0 && se >= 0 &&
             QTime(h, mi, se).isValid() && (h || mi || se);
    }
    default:
      return false;
  }
}

void forgetField(void* field) { delete static_cast<FieldSpec*>(field); }

void fieldFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto* c = static_cast<Connection*>(sqlite3_user_data(ctx));
  const auto text = [](sqlite3_value* v) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                             sqlite3_value_bytes(v));
  };
  try {
    sqlite3_value* v = argv[0];
    if (sqlite3_value_type(v) == SQLITE_NULL) {
      sqlite3_result_value(ctx, v);
      return;
    }
    // The field of a call site is looked up once per statement: SQLite keeps it with the
    // constant argument that names it.
    FieldSpec found;
    const FieldSpec* field = static_cast<const FieldSpec*>(sqlite3_get_auxdata(ctx, 3));
    if (!field) {
      const TableInfo& t = c->table(text(argv[2]), text(argv[1]));
      const int k = sqlite3_value_type(argv[3]) == SQLITE_INTEGER ? sqlite3_value_int(argv[3])
                                                                  : t.indexOfField(text(argv[3]));
      if (k < 0 || k >= t.fields.size()) {
        sqlite3_result_value(ctx, v);
        return;
      }
      found = t.fields[k];
      field = &found;
      sqlite3_set_auxdata(ctx, 3, new FieldSpec(found), forgetField);
    }
    if (field->type == FieldType::Double && sqlite3_value_type(v) != SQLITE_TEXT &&
        sqlite3_value_type(v) != SQLITE_BLOB) {
      sqlite3_result_double(ctx, sqlite3_value_double(v));
      return;
    }
    if (storedAsItIs(v, *field)) {
      sqlite3_result_value(ctx, v);
      return;
    }
    QVariant in;
    switch (sqlite3_value_type(v)) {
      case SQLITE_INTEGER:
        in = QVariant(static_cast<qlonglong>(sqlite3_value_int64(v)));
        break;
      case SQLITE_FLOAT:
        in = QVariant(sqlite3_value_double(v));
        break;
      case SQLITE_BLOB:
        sqlite3_result_value(ctx, v);
        return;
      default:
        in = QVariant(text(v));
        break;
    }
    // A number in a date field is a day count, as in Jet's own arithmetic.
    if (field->type == FieldType::Date && sqlite3_value_type(v) != SQLITE_TEXT)
      in = QVariant(jet::storageFromSerial(sqlite3_value_double(v)));
    const QVariant out = coerceToField(in, *field);
    switch (out.typeId()) {
      case QMetaType::Bool:
        sqlite3_result_int(ctx, out.toBool() ? -1 : 0);
        break;
      case QMetaType::LongLong:
        sqlite3_result_int64(ctx, out.toLongLong());
        break;
      case QMetaType::Double:
        sqlite3_result_double(ctx, out.toDouble());
        break;
      case QMetaType::QDate:
      case QMetaType::QDateTime: {
        const QByteArray u = (out.typeId() == QMetaType::QDate ? dateToStorage(out.toDate())
                                                               : dateToStorage(out.toDateTime()))
                                 .toUtf8();
        sqlite3_result_text(ctx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        break;
      }
      case QMetaType::QString: {
        const QByteArray u = out.toString().toUtf8();
        sqlite3_result_text(ctx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        break;
      }
      default:
        if (out.isNull()) {
          sqlite3_result_null(ctx);
        } else {
          sqlite3_result_value(ctx, v);
        }
        break;
    }
  } catch (const DbError& e) {
    const QByteArray m = e.description().toUtf8();
    sqlite3_result_error(ctx, m.constData(), int(m.size()));
    sqlite3_result_error_code(ctx, functionErrorCode(e.number()));
  }
}

}  // namespace

std::shared_ptr<Connection> Connection::open(const QString& path, bool create, bool readOnly,
                                             std::shared_ptr<const os::FileSystem> fs) {
  const QFileInfo fi(path);
  if (!create && !fi.exists())
    throw DbError(err::FileNotFound, QStringLiteral("Fichier '%1' introuvable.").arg(path));
  if (create && fi.exists())
    throw DbError(err::DatabaseExists,
                  QStringLiteral("La base de données '%1' existe déjà.").arg(path));
  if (!create) checkHeader(fi.absoluteFilePath());
  std::shared_ptr<Connection> c(new Connection);
  c->m_path = fi.absoluteFilePath();
  c->m_fs = fs ? std::move(fs) : os::systemFileSystem();
  c->m_network = os::networkFileSystemOf(*c->m_fs, c->m_path);
  // A file or folder the user may not write is opened for reading, as the engine does.
  const bool frozen = !create && cannotChange(c->m_path);
  const bool lockedDown = !create && !readOnly && (frozen || !writable(fi));
  c->m_readOnly = readOnly || lockedDown;
  int flags = c->m_readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  if (create) flags |= SQLITE_OPEN_CREATE;
  // Only a file that cannot change is read as immutable: another user may write one we may not,
  // and an immutable reader would then see stale pages or report a corruption.
  const bool folderLocked = !writable(QFileInfo(fi.absolutePath()));
  // Even a reader of a WAL file makes its shared memory beside it: on a share, a file we may
  // write leaves WAL first.
  if (!c->m_network.isEmpty() && c->m_readOnly && !create && !frozen && writable(fi) &&
      walHeader(c->m_path)) {
    c->openHandle(path, SQLITE_OPEN_READWRITE, false);
    sqlite3_busy_timeout(c->m_db, 5000);
    try {
      c->useRollbackJournal(QStringLiteral("main"), path);
    } catch (const DbError&) {
      c->close();
      throw;
    }
    sqlite3_close_v2(c->m_db);
    c->m_db = nullptr;
  }
  c->openHandle(path, flags, frozen);
  // A read-only reader of a database in WAL mode needs its shared memory file. Where it does
  // not exist and cannot be made, nobody writes the file right now: it is read as it is.
  if (c->m_readOnly && !frozen && folderLocked &&
      !QFileInfo::exists(c->m_path + QStringLiteral("-shm")) &&
      sqlite3_exec(c->m_db, "PRAGMA schema_version", nullptr, nullptr, nullptr) != SQLITE_OK) {
    sqlite3_close_v2(c->m_db);
    c->m_db = nullptr;
    c->openHandle(path, flags, true);
  }
  sqlite3_extended_result_codes(c->m_db, 1);
  sqlite3_busy_timeout(c->m_db, 5000);
  registerJetFunctions(c->m_db);
  sqlite3_create_function_v2(c->m_db, "jet_field", 4, SQLITE_UTF8, c.get(), fieldFunction, nullptr,
                             nullptr, nullptr);
  try {
    // Touching the schema tells a database from any other file.
    c->exec(QStringLiteral("PRAGMA schema_version"));
    if (!c->m_readOnly && !c->m_network.isEmpty()) {
      c->useRollbackJournal(QStringLiteral("main"), path);
    } else if (!c->m_readOnly) {
      c->exec(QStringLiteral("PRAGMA journal_mode=WAL"));
      c->exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
      c->exec(QStringLiteral("PRAGMA journal_size_limit=1048576"));
      sqlite3_wal_hook(c->m_db, checkpointAfterCommit, nullptr);
    }
  } catch (const DbError& e) {
    c->close();
    throw DbError(
        e.number() == err::EngineError ? err::UnrecognizedFormat : e.number(),
        QStringLiteral("La base de données '%1' est inutilisable : %2").arg(path, e.description()));
  }
  return c;
}

void Connection::openHandle(const QString& path, int flags, bool immutable) {
  QByteArray p = QFile::encodeName(m_path);
  if (immutable) {
    flags |= SQLITE_OPEN_URI;
    p = QUrl::fromLocalFile(m_path).toEncoded() + "?immutable=1";
  }
  const int rc = sqlite3_open_v2(p.constData(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const QString msg = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
    if (m_db) sqlite3_close_v2(m_db);
    m_db = nullptr;
    throw DbError(
        err::CannotOpen,
        QStringLiteral("Impossible d'ouvrir la base de données '%1' (%2).").arg(path, msg));
  }
}

void Connection::useRollbackJournal(const QString& schema, const QString& path) {
  sqlite3_stmt* s = nullptr;
  const QByteArray sql = ("PRAGMA " + schema + ".journal_mode=DELETE").toUtf8();
  if (const int rc = sqlite3_prepare_v2(m_db, sql.constData(), -1, &s, nullptr); rc != SQLITE_OK)
    fail(rc, path);
  const int rc = sqlite3_step(s);
  // Leaving WAL needs the file to itself: SQLite answers busy, or with the mode it kept.
  const bool changed =
      rc == SQLITE_ROW &&
      qstricmp(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "delete") == 0;
  sqlite3_finalize(s);
  const bool held = (rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED;
  if (rc != SQLITE_ROW && !held) fail(rc, path);
  if (!changed)
    throw DbError(
        err::Locked,
        QStringLiteral("La base de données '%1' est sur un partage réseau (%2) et un "
                       "autre programme l'utilise encore en mode WAL : fermez-le sur "
                       "tous les postes, puis recommencez.")
            .arg(path, m_network.isEmpty() ? os::networkFileSystemOf(*m_fs, path) : m_network));
}

Connection::~Connection() { close(); }

void Connection::close() {
  if (!m_db) return;
  releaseCursors();
  for (auto* s : std::as_const(m_cache)) sqlite3_finalize(s);
  m_cache.clear();
  ++m_statementEpoch;
  if (m_begun > 0 || m_snapshot) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
  m_snapshot = false;
  m_level = 0;
  m_begun = 0;
  sqlite3_close_v2(m_db);
  m_db = nullptr;
}

void Connection::fail(int rc, const QString& context) const {
  const QString msg =
      m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("base fermée");
  const int extended = m_db ? sqlite3_extended_errcode(m_db) : rc;
  const int number = engineErrorOfSqlite((extended & 0xff) == (rc & 0xff) ? extended : rc, msg);
  // Our own SQL functions raise their errors in French already.
  QString text = functionErrorNumber(extended) ? msg : engineDescription(number, msg);
  if (!context.isEmpty() && number != err::DuplicateKey && number != err::Locked)
    text += QStringLiteral(" [%1]").arg(context);
  throw DbError(number, text);
}

sqlite3_stmt* Connection::prepare(const QString& sql) {
  if (!m_db) throw DbError(err::ObjectClosed, QStringLiteral("La base de données est fermée."));
  use();
  const QByteArray s = sql.toUtf8();
  sqlite3_stmt* stmt = nullptr;
  const int rc =
      sqlite3_prepare_v3(m_db, s.constData(), s.size(), SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  if (rc != SQLITE_OK) fail(rc, sql);
  return stmt;
}

sqlite3_stmt* Connection::cached(const QString& sql) {
  use();
  auto it = m_cache.find(sql);
  if (it != m_cache.end()) {
    sqlite3_reset(*it);
    sqlite3_clear_bindings(*it);
    return *it;
  }
  sqlite3_stmt* s = prepare(sql);
  m_cache.insert(sql, s);
  return s;
}

void Connection::exec(const QString& sql) {
  use();
  run(sql);
}

void Connection::run(const QString& sql) {
  if (!m_db) throw DbError(err::ObjectClosed, QStringLiteral("La base de données est fermée."));
  char* msg = nullptr;
  const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &msg);
  if (msg) sqlite3_free(msg);
  if (rc != SQLITE_OK) fail(rc, sql);
}

void Connection::write(sqlite3_stmt* s, const QVariantList& values, qint64 rowid,
                       const QString& context) {
  for (int i = 0; i < values.size(); ++i) bindValue(s, i + 1, values[i]);
  if (rowid >= 0) sqlite3_bind_int64(s, int(values.size()) + 1, rowid);
  const int rc = sqlite3_step(s);
  sqlite3_reset(s);
  if (rc != SQLITE_DONE) fail(rc, context);
  afterWrite();
}

qint64 Connection::insertRow(const QString& table, const QStringList& columns,
                             const QVariantList& values, const QString& context) {
  beforeWrite();
  QStringList marks;
  for (int i = 0; i < columns.size(); ++i) marks << "?";
  const QString sql = columns.isEmpty() ? "INSERT INTO " + table + " DEFAULT VALUES"
                                        : "INSERT INTO " + table + " (" + columns.join(", ") +
                                              ") VALUES (" + marks.join(", ") + ")";
  write(cached(sql), values, -1, context);
  return sqlite3_last_insert_rowid(m_db);
}

void Connection::updateRow(const QString& table, const QStringList& columns,
                           const QVariantList& values, qint64 rowid, const QString& context) {
  if (columns.isEmpty()) return;
  beforeWrite();
  QString sql = "UPDATE " + table + " SET ";
  for (qsizetype i = 0; i < columns.size(); ++i) sql += (i ? ", " : "") + columns[i] + " = ?";
  sql += " WHERE rowid = ?";
  write(cached(sql), values, rowid, context);
}

void Connection::deleteRow(const QString& table, qint64 rowid, const QString& context) {
  beforeWrite();
  for (LiveCursor* c : m_cursors) c->rowDeleting(context, rowid);
  write(cached("DELETE FROM " + table + " WHERE rowid = ?"), {}, rowid, context);
}

QString Connection::attach(const QString& rawPath) {
  QString path = rawPath.trimmed();
  path.replace('\\', '/');
  QFileInfo fi(path);
  if (fi.isRelative()) fi = QFileInfo(QDir::current(), path);
  QString canonical = fi.exists() ? fi.canonicalFilePath() : fi.absoluteFilePath();
  const QString mine = QFileInfo(m_path).canonicalFilePath();
  if (!mine.isEmpty() && canonical == mine) return QStringLiteral("main");
  // File names are compared without case, as on the workstations the catalogues come from.
  const QString key = canonical.toLower();
  auto it = m_attached.find(key);
  if (it != m_attached.end()) return *it;
  if (!fi.exists()) {
    // Windows-written names may differ from the file on disk by case only.
    const QDir dir = fi.dir();
    for (const QString& entry : dir.entryList(QDir::Files)) {
      if (entry.compare(fi.fileName(), Qt::CaseInsensitive) == 0) {
        fi = QFileInfo(dir, entry);
        canonical = fi.canonicalFilePath();
        break;
      }
    }
    if (!fi.exists())
      throw DbError(err::FileNotFound, QStringLiteral("Fichier '%1' introuvable.").arg(rawPath));
  }
  if (m_begun > 0)
    throw DbError(
        err::InvalidOperation,
        QStringLiteral("Impossible d'attacher la base '%1' pendant une transaction.").arg(rawPath));
  endSnapshot();  // SQLite attaches nothing inside a transaction, even a read one
  releaseCursors();
  const QString schema = QStringLiteral("jetdb%1").arg(m_attached.size() + 1);
  // Not through prepare(): a transaction waiting for its first statement must not begin here.
  sqlite3_stmt* s = nullptr;
  const QByteArray attachSql = ("ATTACH DATABASE ? AS " + schema).toUtf8();
  if (const int prc = sqlite3_prepare_v2(m_db, attachSql.constData(), -1, &s, nullptr);
      prc != SQLITE_OK)
    fail(prc, rawPath);
  const QByteArray p = QFile::encodeName(canonical);
  sqlite3_bind_text(s, 1, p.constData(), p.size(), SQLITE_TRANSIENT);
  const int rc = sqlite3_step(s);
  sqlite3_finalize(s);
  if (rc != SQLITE_DONE) fail(rc, rawPath);
  m_attached.insert(key, schema);
  if (!m_readOnly && !os::networkFileSystemOf(*m_fs, canonical).isEmpty()) {
    try {
      useRollbackJournal(schema, rawPath);
    } catch (const DbError&) {
      m_attached.remove(key);
      sqlite3_exec(m_db, ("DETACH DATABASE " + schema).toUtf8().constData(), nullptr, nullptr,
                   nullptr);
      throw;
    }
  }
  return schema;
}

SqlTranslation Connection::translate(const QString& jet) {
  return translateJetSql(jet, [this](const QString& p) { return attach(p); });
}

QStringList Connection::tableNames(const QString& schema) {
  QStringList names;
  sqlite3_stmt* s = prepare(QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type='table' "
                                           "AND name NOT GLOB 'sqlite_*' AND name NOT GLOB "
                                           "'MSysTarovent*' ORDER BY name COLLATE JET")
                                .arg(quoteIdentifier(schema)));
  while (sqlite3_step(s) == SQLITE_ROW)
    names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
  sqlite3_finalize(s);
  return names;
}

bool Connection::hasTable(const QString& name, const QString& schema) {
  sqlite3_stmt* s = cached(QStringLiteral("SELECT 1 FROM %1.sqlite_master WHERE type='table' AND "
                                          "name = ?1 COLLATE NOCASE")
                               .arg(quoteIdentifier(schema)));
  const QByteArray n = name.toUtf8();
  sqlite3_bind_text(s, 1, n.constData(), n.size(), SQLITE_TRANSIENT);
  const bool found = sqlite3_step(s) == SQLITE_ROW;
  sqlite3_reset(s);
  return found;
}

const TableInfo& Connection::table(const QString& name, const QString& schema) {
  if (const quint64 seen = g_schemaChanges.load(); seen != m_seenSchema) {
    // Another connection of this process altered a schema: what we know may be stale. The
    // old entries stay alive a while for references taken before this call.
    m_seenSchema = seen;
    m_retired.assign(m_tables.cbegin(), m_tables.cend());
    m_tables.clear();
  }
  const QString key = (schema + '.' + name).toUpper();
  auto it = m_tables.find(key);
  if (it != m_tables.end()) return **it;

  auto info = std::make_shared<TableInfo>();
  info->schema = schema;
  const QString qs = quoteIdentifier(schema);
  QString createSql;
  {
    sqlite3_stmt* s = prepare(QStringLiteral("SELECT name, sql FROM %1.sqlite_master WHERE "
                                             "type='table' AND name = ?1 COLLATE NOCASE")
                                  .arg(qs));
    const QByteArray n = name.toUtf8();
    sqlite3_bind_text(s, 1, n.constData(), n.size(), SQLITE_TRANSIENT);
    if (sqlite3_step(s) == SQLITE_ROW) {
      info->name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
      createSql = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)));
    }
    sqlite3_finalize(s);
  }
  if (info->name.isEmpty())
    throw DbError(
        err::ObjectNotFound,
        QStringLiteral("Le moteur de base de données ne peut pas trouver l'objet '%1'.").arg(name));
  const QString qt = quoteIdentifier(info->name);
  {
    sqlite3_stmt* s = prepare(QStringLiteral("PRAGMA %1.table_info(%2)").arg(qs, qt));
    while (sqlite3_step(s) == SQLITE_ROW) {
      const auto text = [&](int c) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, c)));
      };
      FieldSpec f = fieldFromSqlite(text(1), text(2), text(4), sqlite3_column_int(s, 3) != 0);
      info->fieldIndex.insert(f.name.toUpper(), info->fields.size());
      info->fields << f;
    }
    sqlite3_finalize(s);
  }
  // The primary key keeps the engine's name in its constraint.
  static const QRegularExpression pkName(R"re(CONSTRAINT\s+"((?:[^"]|"")+)"\s+PRIMARY\s+KEY)re",
                                         QRegularExpression::CaseInsensitiveOption);
  const auto pm = pkName.match(createSql);
  const QString primaryName = pm.hasMatch() ? pm.captured(1).replace("\"\"", "\"") : "PrimaryKey";
  {
    sqlite3_stmt* s = prepare(QStringLiteral("PRAGMA %1.index_list(%2)").arg(qs, qt));
    QList<IndexInfo> list;
    while (sqlite3_step(s) == SQLITE_ROW) {
      IndexInfo ix;
      ix.sqlName = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)));
      ix.unique = sqlite3_column_int(s, 2) != 0;
      const QString origin =
          QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 3)));
      ix.primary = origin == "pk";
      if (ix.primary) {
        ix.name = primaryName;
      } else {
        const int tilde = ix.sqlName.indexOf('~');
        if (ix.sqlName.contains("~~")) continue;  // our own helper indexes
        ix.name = tilde >= 0 ? ix.sqlName.mid(tilde + 1) : ix.sqlName;
      }
      list << ix;
    }
    sqlite3_finalize(s);
    for (auto& ix : list) {
      sqlite3_stmt* x =
          prepare(QStringLiteral("PRAGMA %1.index_xinfo(%2)").arg(qs, quoteIdentifier(ix.sqlName)));
      while (sqlite3_step(x) == SQLITE_ROW) {
        if (sqlite3_column_int(x, 5) == 0) continue;  // not a key column
        if (sqlite3_column_int(x, 1) < 0) continue;   // rowid
        ix.fields << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(x, 2)));
        ix.descending << (sqlite3_column_int(x, 3) != 0);
      }
      sqlite3_finalize(x);
      info->indexes << ix;
    }
  }
  m_tables.insert(key, info);
  return *info;
}

void Connection::schemaChanged(bool undone) {
  if (undone)
    ;  // what the others can see has not changed
  else if (m_level > 0)
    m_schemaChangedInTransaction = true;
  else
    tellProcess(g_schemaChanges, m_seenSchema);
  m_tables.clear();
  for (auto* s : std::as_const(m_cache)) sqlite3_finalize(s);
  m_cache.clear();
  ++m_statementEpoch;
  ++m_generation;
}

void Connection::afterWrite() {
  ++m_generation;
  if (m_level == 0) tellProcess(g_committedWrites, m_seenWrites);
}

int Connection::dataVersion() {
  sqlite3_stmt* s = cached(QStringLiteral("PRAGMA data_version"));
  int v = 0;
  if (sqlite3_step(s) == SQLITE_ROW) v = sqlite3_column_int(s, 0);
  sqlite3_reset(s);
  return v;
}

qint64 Connection::ownChanges() const { return m_db ? sqlite3_total_changes64(m_db) : 0; }

quint64 Connection::changeStamp() {
  // Inside a transaction this connection holds the write lock: nobody else commits.
  if (m_begun > 0 || !m_db) return m_generation;
  if (const quint64 seen = g_committedWrites.load(); seen != m_seenWrites) {
    m_seenWrites = seen;
    ++m_generation;
  }
  static const QElapsedTimer clock = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  const qint64 now = clock.elapsed();
  if (now != m_lookedAt) {
    m_lookedAt = now;
    const int dv = dataVersion();
    if (dv != m_dataVersion) {
      if (m_dataVersion >= 0) ++m_generation;
      m_dataVersion = dv;
    }
  }
  return m_generation;
}

void Connection::releaseCursors() {
  for (auto* c : m_cursors) c->releaseStatements();
  for (auto* s : std::as_const(m_cache)) sqlite3_reset(s);
}

void Connection::beforeWrite() {
  if (m_readOnly)
    throw DbError(err::ReadOnly, QStringLiteral("La base de données est en lecture seule."));
  endSnapshot();
  // Outside a transaction a pending read would keep the write from committing.
  if (m_level == 0) releaseCursors();
}

void Connection::use() {
  // A transaction takes the file's write lock when it first touches the file.
  while (m_begun < m_level) {
    if (m_begun == 0) {
      run(QStringLiteral("BEGIN IMMEDIATE"));
      ++m_transactionSerial;
    } else {
      run(QStringLiteral("SAVEPOINT tarovent_%1").arg(m_begun));
    }
    ++m_begun;
  }
}

void Connection::begin() {
  endSnapshot();
  releaseCursors();
  ++m_level;
}

bool Connection::beginSnapshot() {
  if (!m_db || m_snapshot || m_level > 0) return false;
  // Only where readers hold back no writer: in rollback-journal mode a reader's lock would
  // keep every other process from committing for as long as the snapshot lasts.
  if (m_wal < 0) {
    sqlite3_stmt* s = nullptr;
    m_wal = 0;
    if (sqlite3_prepare_v2(m_db, "PRAGMA journal_mode", -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
      m_wal = qstricmp(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "wal") == 0;
    sqlite3_finalize(s);
  }
  if (!m_wal) return false;
  // A deferred BEGIN takes its read lock at the first read and keeps it until COMMIT.
  if (sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
  m_snapshot = true;
  return true;
}

void Connection::endSnapshot() {
  if (!m_snapshot) return;
  m_snapshot = false;
  releaseCursors();
  // Reads only: ending it cannot fail for want of writing, but nothing may stay open.
  if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK &&
      !sqlite3_get_autocommit(m_db))
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Connection::commit() {
  if (m_level == 0)
    throw DbError(err::NotInTransaction,
                  QStringLiteral("Validation impossible sans transaction en cours."));
  releaseCursors();
  const int level = m_level - 1;
  if (m_begun > level) {
    try {
      run(level == 0 ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE tarovent_%1").arg(level));
    } catch (const DbError&) {
      // A savepoint that could not be released is still there for the caller to roll back.
      if (level > 0) throw;
      // A failed COMMIT (a deferred constraint, say) may leave SQLite's transaction open:
      // undo it, so that the file is unlocked and the levels say what SQLite has.
      if (!sqlite3_get_autocommit(m_db)) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
      m_level = 0;
      m_begun = 0;
      m_schemaChangedInTransaction = false;
      schemaChanged(true);
      throw;
    }
    m_begun = level;
    if (level == 0) {
      tellProcess(g_committedWrites, m_seenWrites);
      if (m_schemaChangedInTransaction) tellProcess(g_schemaChanges, m_seenSchema);
    }
  }
  m_level = level;
  if (level == 0) m_schemaChangedInTransaction = false;
}

void Connection::rollback() {
  if (m_level == 0)
    throw DbError(err::NotInTransaction,
                  QStringLiteral("Annulation impossible sans transaction en cours."));
  releaseCursors();
  --m_level;
  if (m_begun > m_level) {
    m_begun = m_level;
    if (m_level == 0) {
      m_schemaChangedInTransaction = false;
      run(QStringLiteral("ROLLBACK"));
    } else {
      run(QStringLiteral("ROLLBACK TO tarovent_%1").arg(m_level));
      run(QStringLiteral("RELEASE tarovent_%1").arg(m_level));
    }
  }
  schemaChanged(true);
}

}  // namespace tarovent::db

namespace tarovent::db {

EngineLibrary engineLibrary() {
  EngineLibrary lib;
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&sqlite3_libversion), &info) && info.dli_fname)
    lib.path = QString::fromLocal8Bit(info.dli_fname);
  else
    lib.path = QStringLiteral("libsqlite3");
  lib.builtVersion = QStringLiteral(SQLITE_VERSION);
  lib.loadedVersion = QString::fromLatin1(sqlite3_libversion());
  return lib;
}

}  // namespace tarovent::db
