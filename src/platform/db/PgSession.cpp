#include "PgSession.h"

#include <libpq-fe.h>

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <atomic>
#include <vector>

#include "DbError.h"
#include "PgDialect.h"
#include "PgSupport.h"

namespace tarovent::db {

int engineErrorForSqlState(const QString& state) {
  static const QHash<QString, int> exact = {
      {"23505", err::DuplicateKey},     {"23502", err::FieldRequired},
      {"23514", err::ValidationFailed}, {"22001", err::FieldTooSmall},
      {"22P02", err::TypeConversion},   {"22007", err::TypeConversion},
      {"22008", err::TypeConversion},   {"22003", err::DataTypeMismatch},
      {"42804", err::DataTypeMismatch}, {"22012", err::DivisionByZero},
      {"42P01", err::SourceNotFound},   {"42703", err::TooFewParameters},
      {"42883", err::UnknownFunction},  {"42P07", err::TableExists},
      {"42701", err::FieldExists},
      {"42601", err::SyntaxError},      {"25006", err::ReadOnly},
      {"42501", err::ReadOnly},         {"40P01", err::Locked},
      {"40001", err::Locked},           {"55P03", err::Locked},
      {"57014", err::Locked},           {"53100", err::DiskFull},
      {"3F000", err::CannotOpen},       {"3D000", err::CannotOpen},
      {"28000", err::CannotOpen},       {"28P01", err::CannotOpen},
  };
  if (const auto it = exact.constFind(state); it != exact.cend()) return *it;
  if (state.startsWith(u"08") || state.startsWith(u"57P")) return err::CannotOpen;
  if (state.startsWith(u"23")) return err::ValidationFailed;
  return err::EngineError;
}

void checkServerWords(const QString& conninfo) {
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(conninfo.toUtf8().constData(), &error);
  if (!options) {
    const QString why = error ? QString::fromUtf8(error).trimmed() : QString();
    PQfreemem(error);
    throw DbError(err::InvalidArgument,
                  QStringLiteral("Adresse du serveur illisible : %1 (%2)").arg(conninfo, why));
  }
  bool password = false;
  for (const PQconninfoOption* o = options; o->keyword; ++o)
    password = password || (qstrcmp(o->keyword, "password") == 0 && o->val && *o->val);
  PQconninfoFree(options);
  if (password)
    throw DbError(err::InvalidArgument,
                  QStringLiteral("L'adresse du serveur ne doit pas contenir de mot de passe : "
                                 "il se range dans le fichier de mots de passe de l'utilisateur "
                                 "(~/.pgpass) ou son fichier de services."));
}

// Parameters go as text, in the forms PostgreSQL reads back unchanged.
QByteArray parameterText(const QVariant& v) {
  switch (v.typeId()) {
    case QMetaType::Bool:
      return v.toBool() ? "-1" : "0";
    case QMetaType::Double:
    case QMetaType::Float:
      return QByteArray::number(v.toDouble(), 'g', 17);
    case QMetaType::QDate:
      return v.toDate().toString(Qt::ISODate).toLatin1();
    case QMetaType::QDateTime:
      return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
    case QMetaType::QByteArray:
      return "\\x" + v.toByteArray().toHex();
    default:
      return v.toString().toUtf8();
  }
}

namespace {

// Type numbers of the PostgreSQL catalogue that values are read by.
enum PgType : Oid {
  kBool = 16,
  kBytea = 17,
  kInt8 = 20,
  kInt2 = 21,
  kInt4 = 23,
  kFloat4 = 700,
  kFloat8 = 701,
  kTimestamp = 1114,
  kDate = 1082,
  kNumeric = 1700,
};

QVariant columnValue(PGresult* r, int row, int col) {
  if (PQgetisnull(r, row, col)) return {};
  const char* text = PQgetvalue(r, row, col);
  switch (PQftype(r, col)) {
    case kBool:
      return QVariant(qlonglong(text[0] == 't' ? -1 : 0));
    case kInt2:
    case kInt4:
    case kInt8:
      return QVariant(QByteArrayView(text).toLongLong());
    case kFloat4:
    case kFloat8:
    case kNumeric:
      return QVariant(QByteArrayView(text).toDouble());
    case kDate:
      return QVariant(QDate::fromString(QString::fromLatin1(text), Qt::ISODate));
    case kTimestamp: {
      const QDateTime dt = QDateTime::fromString(QString::fromLatin1(text).left(19), Qt::ISODate);
      if (dt.time() == QTime(0, 0)) return QVariant(dt.date());
      return QVariant(dt);
    }
    case kBytea: {
      size_t n = 0;
      unsigned char* raw = PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &n);
      QByteArray bytes(reinterpret_cast<const char*>(raw), qsizetype(n));
      PQfreemem(raw);
      return QVariant(bytes);
    }
    default:
      return QVariant(QString::fromUtf8(text, PQgetlength(r, row, col)));
  }
}

}  // namespace

PgSession::Result::~Result() { PQclear(r); }

bool PgSession::Result::ok() const {
  const ExecStatusType s = PQresultStatus(r);
  return s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK;
}

namespace {

// Every connection's settings: dates typed as text read day first, as the engine reads them;
// a statement waiting for another session's lock gives up after the engine's busy timeout.
constexpr const char* kSessionSettings =
    "SET client_min_messages = warning; SET DateStyle = 'ISO, DMY'; SET lock_timeout = '5s'";

}  // namespace

namespace {
std::atomic<quint64> g_connections{0};
}  // namespace

quint64 PgSession::connectionsMade() { return g_connections.load(); }

std::unique_ptr<PgSession> PgSession::open(const QString& conninfo, const QString& schema,
                                           bool create) {
  std::unique_ptr<PgSession> s(new PgSession);
  ++g_connections;
  s->m_conn = PQconnectdb(conninfo.toUtf8().constData());
  if (PQstatus(s->m_conn) != CONNECTION_OK) {
    const QString why = QString::fromUtf8(PQerrorMessage(s->m_conn)).trimmed();
    throw DbError(err::CannotOpen,
                  QStringLiteral("Impossible de joindre le serveur de bases de données '%1' (%2).")
                      .arg(conninfo, why));
  }
  PQsetClientEncoding(s->m_conn, "UTF8");
  s->exec(QString::fromLatin1(kSessionSettings));
  s->enter(schema, create);
  return s;
}

void PgSession::enter(const QString& schema, bool create) {
  m_schema = schema.toLower();
  // One question for both: whether the schema is there and how old the support is.
  const PgRows found = query(
      QStringLiteral("SELECT EXISTS (SELECT 1 FROM pg_namespace WHERE nspname = $1), "
                     "(SELECT obj_description(oid, 'pg_namespace') FROM pg_namespace "
                     "WHERE nspname = $2), EXISTS (SELECT 1 FROM pg_namespace WHERE nspname = $2)"),
      {m_schema, QLatin1String(kPgSupportSchema)});
  const QVariantList& answer = found.rows.value(0);
  // A support made before it had a version is the first one.
  const int version = answer.value(2).toLongLong() == 0 ? 0 : std::max(answer.value(1).toInt(), 1);
  if (m_schema.isEmpty()) {
    // A session for the whole server: the support only.
    if (create || version > 0) installSupport(version);
    m_searchPath = QStringLiteral("SET search_path = ") + QLatin1String(kPgSupportSchema);
    exec(m_searchPath);
    return;
  }
  if (answer.value(0).toLongLong() == 0 && !create)
    throw DbError(err::FileNotFound,
                  QStringLiteral("La base '%1' n'existe pas sur le serveur.").arg(schema));
  // An older support is brought up to date in a transaction of its own; a missing one is made
  // with the schema, or not at all.
  if (version > 0) installSupport(version);
  if (create) {
    begin();
    if (version == 0) installSupport(version);
    createSchema(m_schema);
    commit();
  }
  m_searchPath =
      "SET search_path = " + quoteIdentifier(m_schema) + ", " + QLatin1String(kPgSupportSchema);
  exec(m_searchPath);
}

bool PgSession::reconnect() {
  // Inside a transaction the lost work is the caller's to redo: its rollback says so.
  if ((!m_broken && PQstatus(m_conn) != CONNECTION_BAD) || m_level > 0)
    return PQstatus(m_conn) == CONNECTION_OK;
  PQreset(m_conn);
  if (PQstatus(m_conn) != CONNECTION_OK) return false;
  m_broken = false;
  m_statements.clear();  // a new connection holds none of the statements prepared before
  PQsetClientEncoding(m_conn, "UTF8");
  PQclear(PQexec(m_conn, kSessionSettings));
  if (!m_searchPath.isEmpty()) PQclear(PQexec(m_conn, m_searchPath.toUtf8().constData()));
  return true;
}

bool PgSession::hasSchema(const QString& name) {
  return !query(QStringLiteral("SELECT 1 FROM pg_namespace WHERE nspname = $1"), {name})
              .rows.isEmpty();
}

void PgSession::createSchema(const QString& name) {
  if (hasSchema(name))
    throw DbError(err::DatabaseExists,
                  QStringLiteral("La base de données '%1' existe déjà sur le serveur.").arg(name));
  exec("CREATE SCHEMA " + quoteIdentifier(name));
}

PgSession::~PgSession() { PQfinish(m_conn); }

int PgSession::supportVersion() {
  const PgRows r = query(
      QStringLiteral("SELECT obj_description(oid, 'pg_namespace') FROM pg_namespace "
                     "WHERE nspname = $1"),
      {QLatin1String(kPgSupportSchema)});
  return r.rows.isEmpty() ? 0 : std::max(r.rows[0].value(0).toInt(), 1);
}

void PgSession::installSupport(int version) {
  if (version >= kPgSupportVersion) return;
  // Outside a transaction of the caller's, the support's own, that leaves the family's write
  // locks alone.
  const bool own = m_level == 0;
  if (own) exec(QStringLiteral("BEGIN"));
  try {
    // Sessions finding it missing or old at once install it once: the others wait here, then
    // find it done.
    exec(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext($1))"),
         {QLatin1String(kPgSupportSchema)});
    if (supportVersion() < kPgSupportVersion) exec(pgSupportSql());
    if (own) exec(QStringLiteral("COMMIT"));
  } catch (const DbError& e) {
    if (own) PQclear(PQexec(m_conn, "ROLLBACK"));
    // A user who may not replace the functions still works with those the server has.
    if (version == 0 || m_level > 0) throw;
    qWarning("Les fonctions du serveur n'ont pas pu être mises à jour : %s",
             qUtf8Printable(e.description().section(QStringLiteral(" ["), 0, 0)));
  }
}

QString PgSession::schemaOf(const QString& path) const {
  QString p = path.trimmed();
  p.replace(u'\\', u'/');
  QString name = QFileInfo(p).completeBaseName().toLower();
  name = m_renamed.value(name, name);
  return name == m_schema ? QStringLiteral("main") : name;
}

namespace {

std::atomic<quint64> g_namesGeneration{1};

}  // namespace

void PgSession::namesChanged() { ++g_namesGeneration; }
quint64 PgSession::namesGeneration() { return g_namesGeneration.load(); }

QString PgSession::storedSpelling(const QString& name) const {
  if (m_spellingsRead != g_namesGeneration.load()) {
    m_spellingsRead = g_namesGeneration.load();
    m_spellings.clear();
    const PgRows names = const_cast<PgSession*>(this)->query(QStringLiteral(
        "SELECT c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
        "WHERE n.nspname NOT LIKE 'pg\\_%' AND n.nspname <> 'information_schema' AND "
        "c.relkind IN ('r', 'p', 'v') UNION SELECT a.attname FROM pg_attribute a "
        "JOIN pg_class c ON c.oid = a.attrelid JOIN pg_namespace n ON n.oid = c.relnamespace "
        "WHERE n.nspname NOT LIKE 'pg\\_%' AND n.nspname <> 'information_schema' AND "
        "c.relkind IN ('r', 'p', 'v') AND a.attnum > 0 AND NOT a.attisdropped"));
    for (const QVariantList& row : names.rows) {
      const QString stored = row.value(0).toString();
      const QString key = stored.toUpper();
      const auto it = m_spellings.constFind(key);
      m_spellings.insert(key, it == m_spellings.cend() || *it == stored ? stored : QString());
    }
  }
  const QString stored = m_spellings.value(name.toUpper());
  return stored.isEmpty() ? name : stored;
}

QString PgSession::storedSpellings(const QString& sql) const {
  QString out;
  out.reserve(sql.size());
  bool quoted = false;
  for (qsizetype i = 0; i < sql.size(); ++i) {
    const QChar ch = sql[i];
    if (ch == u'\'') quoted = !quoted;
    if (quoted || ch != u'"') {
      out += ch;
      continue;
    }
    // A quoted name, its doubled quotes included.
    QString name;
    qsizetype j = i + 1;
    for (; j < sql.size(); ++j) {
      if (sql[j] == u'"') {
        if (j + 1 < sql.size() && sql[j + 1] == u'"') {
          name += u'"';
          ++j;
          continue;
        }
        break;
      }
      name += sql[j];
    }
    out += quoteIdentifier(storedSpelling(name));
    i = j;
  }
  return out;
}

SqlTranslation PgSession::translate(const QString& jet) const {
  SqlTranslation t = translateJetSql(
      jet, [this](const QString& path) { return schemaOf(path); }, postgresDialect());
  using Kind = SqlTranslation::Kind;
  t.sql = storedSpellings(t.sql);
  if (t.kind == Kind::Insert || t.kind == Kind::Update)
    t.sql = pgWrittenValues(t.sql, [this](const QString& schema, const QString& table,
                                          const QString& field) {
      return writtenType(schema, table, field);
    });
  if (t.kind != Kind::CreateTable && t.kind != Kind::SelectInto && !t.table.isEmpty())
    t.table = storedSpelling(t.table);
  if (!t.updatableTable.isEmpty()) t.updatableTable = storedSpelling(t.updatableTable);
  // An alias is spelt in the statement as every other name there.
  if (!t.updatableAlias.isEmpty()) t.updatableAlias = storedSpelling(t.updatableAlias);
  return t;
}

QString PgSession::qualified(const QString& schema, const QString& table) const {
  return quoteIdentifier(schema == u"main" ? m_schema : schema) + u'.' + quoteIdentifier(table);
}

int PgSession::execute(const QString& jet) {
  const SqlTranslation t = translate(jet);
  using Kind = SqlTranslation::Kind;
  switch (t.kind) {
    case Kind::Select:
      throw DbError(err::CannotExecuteSelect,
                    QStringLiteral("Impossible d'exécuter une requête Sélection."));
    case Kind::Insert:
    case Kind::Update:
    case Kind::Delete:
      return exec(t.sql);
    case Kind::SelectInto: {
      const QString target = qualified(t.schema, t.table);
      const int n = exec("CREATE TABLE " + target + " AS " + t.sql);
      // The new table's fields keep the engine's declarations of the fields they copy: those
      // of a field of the same name elsewhere on the server, read once from the column
      // comments rather than by trying the whole catalogue for each field.
      const PgRows declared = query(
          QStringLiteral("SELECT a.attname, x.description FROM pg_attribute a LEFT JOIN (SELECT "
                         "DISTINCT ON (lower(b.attname)) lower(b.attname) AS name, d.description "
                         "FROM pg_description d JOIN pg_attribute b ON b.attrelid = d.objoid AND "
                         "b.attnum = d.objsubid WHERE d.classoid = 'pg_class'::regclass AND "
                         "d.objsubid > 0 AND b.attrelid <> $1::regclass) x ON x.name = "
                         "lower(a.attname) WHERE a.attrelid = $1::regclass AND a.attnum > 0 AND "
                         "NOT a.attisdropped"),
          {target});
      for (const QVariantList& row : declared.rows)
        if (!row.value(1).toString().isEmpty())
          exec("COMMENT ON COLUMN " + target + u'.' + quoteIdentifier(row.value(0).toString()) +
               " IS " + quoteText(row.value(1).toString()));
      namesChanged();
      return n;
    }
    case Kind::CreateTable:
    case Kind::CreateIndex:
    case Kind::AddColumn:
    case Kind::DropColumn:
    case Kind::DropIndex:
    case Kind::DropTable: {
      // Definitions change whole or not at all.
      begin();
      try {
        if (t.kind == Kind::CreateTable) {
          createTable(t.schema, t.table, t.fields, t.indexes);
        } else if (t.kind == Kind::CreateIndex) {
          createIndex(t.schema, t.table, t.indexes.value(0));
        } else if (t.kind == Kind::AddColumn) {
          const FieldSpec& f = t.fields.value(0);
          exec("ALTER TABLE " + qualified(t.schema, t.table) + " ADD COLUMN " +
               postgresDialect().columnDefinition(f));
          exec("COMMENT ON COLUMN " + qualified(t.schema, t.table) + u'.' +
               quoteIdentifier(f.name) + " IS " + quoteText(sqliteDeclaredType(f)));
          if (f.autoIncrement) followCounter(t.schema, t.table, f.name);
        } else if (t.kind == Kind::DropColumn) {
          dropColumn(t.schema, storedSpelling(t.table), t.column);
        } else if (t.kind == Kind::DropIndex) {
          dropIndex(t.schema, storedSpelling(t.table), t.indexName);
        } else {
          if (!query(QStringLiteral("SELECT to_regclass($1)"), {qualified(t.schema, t.table)})
                   .rows.value(0)
                   .value(0)
                   .isValid())
            throw DbError(err::ObjectNotFound,
                          QStringLiteral("Le moteur de base de données ne peut pas trouver "
                                         "l'objet '%1'.")
                              .arg(t.table));
          exec("DROP TABLE " + qualified(t.schema, t.table));
        }
        commit();
        namesChanged();
      } catch (...) {
        rollback();
        throw;
      }
      return 0;
    }
    default:
      throw DbError(err::UnsupportedSql,
                    QStringLiteral("Instruction non prise en charge sur le serveur : %1").arg(jet));
  }
}

PgRows PgSession::select(const QString& jet) {
  const SqlTranslation t = translate(jet);
  if (t.kind != SqlTranslation::Kind::Select)
    throw DbError(err::InvalidOperation,
                  QStringLiteral("L'instruction ne renvoie pas d'enregistrements : %1").arg(jet));
  return query(t.sql);
}

QList<FieldSpec> PgSession::tableFields(const QString& table, const QString& schema) {
  const PgRows r = query(
      QStringLiteral("SELECT a.attname, col_description(a.attrelid, a.attnum), "
                     "pg_get_expr(d.adbin, d.adrelid), a.attnotnull "
                     "FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid "
                     "JOIN pg_namespace n ON n.oid = c.relnamespace "
                     "LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum "
                     "WHERE n.nspname = $1 AND lower(c.relname) = lower($2) "
                     "AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum"),
      {schema == u"main" ? m_schema : schema, table});
  if (r.rows.isEmpty())
    throw DbError(err::ObjectNotFound,
                  QStringLiteral("Le moteur de base de données ne peut pas trouver l'objet '%1'.")
                      .arg(table));
  QList<FieldSpec> fields;
  for (const QVariantList& row : r.rows) {
    // Defaults read back in the words SQLite keeps them in.
    QString dflt = row[2].toString();
    static const QRegularExpression cast(QStringLiteral(R"(^'(.*)'::(.+)$)"));
    if (const auto m = cast.match(dflt); m.hasMatch())
      dflt = m.captured(2).startsWith(u"character") || m.captured(2) == u"text"
                 ? u'\'' + m.captured(1) + u'\''
                 : m.captured(1);
    if (dflt == u"(CURRENT_DATE)::timestamp(0) without time zone")
      dflt = QStringLiteral("(date('now','localtime'))");
    else if (dflt == u"LOCALTIMESTAMP(0)")
      dflt = QStringLiteral("(datetime('now','localtime'))");
    fields << fieldFromSqlite(row[0].toString(), row[1].toString(), dflt, row[3].toLongLong() != 0);
  }
  return fields;
}

PgSession::Result PgSession::run(const QString& sql, const QVariantList& params) {
  settle();
  // A server that went away and came back: the next statement finds it again.
  reconnect();
  const QByteArray text = sql.toUtf8();
  if (params.isEmpty()) {
    Result r(PQexec(m_conn, text.constData()));
    return endedSnapshotFor(r) ? run(sql, params) : std::move(r);
  }
  std::vector<QByteArray> values;
  std::vector<const char*> pointers;
  values.reserve(size_t(params.size()));
  for (const QVariant& v : params) {
    values.push_back(parameterText(v));
    pointers.push_back(v.isNull() ? nullptr : values.back().constData());
  }
  Result r(PQexecParams(m_conn, text.constData(), int(params.size()), nullptr, pointers.data(),
                       nullptr, nullptr, 0));
  return endedSnapshotFor(r) ? run(sql, params) : std::move(r);
}

void PgSession::fail(const Result& r, const QString& context) const {
  const char* state = r.r ? PQresultErrorField(r.r, PG_DIAG_SQLSTATE) : nullptr;
  const QString message =
      QString::fromUtf8(r.r ? PQresultErrorMessage(r.r) : PQerrorMessage(m_conn)).trimmed();
  // A connection lost midway has no result state, or the server said it was going (shut down,
  // crashed, or the link broke): the server is gone.
  const QByteArray sqlState(state ? state : "");
  // Without a state the error is libpq's own: reading what is left tells a closed link.
  if (sqlState.isEmpty() && PQstatus(m_conn) == CONNECTION_OK) PQconsumeInput(m_conn);
  const bool lost = PQstatus(m_conn) == CONNECTION_BAD || sqlState.startsWith("08") ||
                    sqlState.startsWith("57P");
  if (lost) m_broken = true;
  int number = lost ? err::CannotOpen : engineErrorForSqlState(QString::fromLatin1(sqlState));
  const char* constraint = r.r ? PQresultErrorField(r.r, PG_DIAG_CONSTRAINT_NAME) : nullptr;
  if (constraint && QByteArray(constraint).endsWith(kPgZeroLengthCheck))
    number = err::ZeroLengthNotAllowed;
  // What is missing is named as the engine names it: "relation "TNOPE" does not exist" ->
  // ": TNOPE", read as "Table ou requête introuvable : TNOPE."
  QString said = message;
  if (number == err::SourceNotFound || number == err::TooFewParameters ||
      number == err::UnknownFunction) {
    static const QRegularExpression missing(
        QStringLiteral(R"re(^(?:relation|column|function) "?(.*?)"? does not exist$)re"));
    const QString primary = QString::fromUtf8(PQresultErrorField(r.r, PG_DIAG_MESSAGE_PRIMARY));
    if (const auto m = missing.match(primary); m.hasMatch()) said = ": " + m.captured(1);
  }
  // The server's own words are English and say nothing more to the user.
  QString text =
      lost ? QStringLiteral(
                 "La liaison avec le serveur de bases de données est perdue. Ce qui était "
                 "déjà enregistré reste sur le serveur ; vérifiez que le serveur est en marche "
                 "et joignable, puis recommencez la dernière opération.")
           : engineDescription(number, said);
  if (lost) throw DbError(number, text);
  if (!context.isEmpty() && number != err::DuplicateKey && number != err::Locked)
    text += QStringLiteral(" [%1]").arg(context);
  throw DbError(number, text);
}

QString PgSession::tableNamed(unsigned oid) {
  if (oid == InvalidOid) return {};
  if (const auto it = m_tableNames.constFind(oid); it != m_tableNames.cend()) return *it;
  Result r = run(QStringLiteral("SELECT relname FROM pg_class WHERE oid = $1"), {qlonglong(oid)});
  const QString name =
      r.ok() && PQntuples(r.r) == 1 ? QString::fromUtf8(PQgetvalue(r.r, 0, 0)) : QString();
  m_tableNames.insert(oid, name);
  return name;
}

int PgSession::exec(const QString& sql, const QVariantList& params) {
  Result r = run(sql, params);
  if (!r.ok()) fail(r, sql);
  return QByteArray(PQcmdTuples(r.r)).toInt();
}

PgRows PgSession::query(const QString& sql, const QVariantList& params) {
  Result r = run(sql, params);
  if (!r.ok()) fail(r, sql);
  PgRows out;
  const int columns = PQnfields(r.r);
  for (int c = 0; c < columns; ++c) out.columns << QString::fromUtf8(PQfname(r.r, c));
  for (int c = 0; c < columns; ++c) out.tables << tableNamed(PQftable(r.r, c));
  const int rows = PQntuples(r.r);
  out.rows.reserve(rows);
  for (int row = 0; row < rows; ++row) {
    QVariantList values;
    values.reserve(columns);
    for (int c = 0; c < columns; ++c) values << columnValue(r.r, row, c);
    out.rows << values;
  }
  return out;
}

PgResultSet::~PgResultSet() { PQclear(m_r); }

int PgResultSet::rows() const { return PQntuples(m_r); }

bool PgResultSet::isNull(int row, int col) const { return PQgetisnull(m_r, row, col) != 0; }

QVariant PgResultSet::value(int row, int col) const { return columnValue(m_r, row, col); }

int PgResultSet::affected() const { return QByteArrayView(PQcmdTuples(m_r)).toInt(); }

std::shared_ptr<const PgResultSet> PgSession::prepared(const QString& sql,
                                                       const QVariantList& params) {
  settle();
  reconnect();
  // Definitions changed: a statement made before may no longer fit its tables.
  if (m_statementsRead != g_namesGeneration.load()) {
    if (!m_statements.isEmpty()) exec(QStringLiteral("DEALLOCATE ALL"));
    m_statements.clear();
    m_statementsRead = g_namesGeneration.load();
  }
  auto it = m_statements.constFind(sql);
  if (it == m_statements.cend()) {
    const QByteArray name = "tarovent_" + QByteArray::number(++m_statementSerial);
    Result made(PQprepare(m_conn, name.constData(), sql.toUtf8().constData(), 0, nullptr));
    if (!made.ok()) fail(made, sql);
    it = m_statements.insert(sql, name);
  }
  m_values.clear();
  m_pointers.clear();
  for (const QVariant& v : params) m_values.push_back(parameterText(v));
  for (qsizetype i = 0; i < params.size(); ++i)
    m_pointers.push_back(params[i].isNull() ? nullptr : m_values[size_t(i)].constData());
  Result r(PQexecPrepared(m_conn, it->constData(), int(params.size()), m_pointers.data(), nullptr,
                          nullptr, 0));
  if (endedSnapshotFor(r)) return prepared(sql, params);
  if (!r.ok()) fail(r, sql);
  auto out = std::make_shared<PgResultSet>(r.r);
  r.r = nullptr;
  return out;
}

void PgSession::alsoLock(const QString& schema) {
  const QString name = schema.toLower();
  if (name != u"main" && name != m_schema && !m_alsoLocked.contains(name)) m_alsoLocked << name;
}

void PgSession::begin() {
  if (m_level == 0) {
    endSnapshot();
    exec(QStringLiteral("BEGIN"));
    // The write lock of this database, held to the end of the transaction; readers go on.
    // Several are taken in the order of their names, as every session does: no deadlock.
    QStringList locked = m_alsoLocked;
    locked << m_schema;
    locked.sort();
    try {
      for (const QString& schema : std::as_const(locked))
        exec(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext($1))"),
             {QStringLiteral("tarovent:") + schema});
    } catch (const DbError&) {
      PQclear(PQexec(m_conn, "ROLLBACK"));
      throw;
    }
  } else {
    exec(QStringLiteral("SAVEPOINT tarovent_%1").arg(m_level));
  }
  ++m_level;
}

void PgSession::commit() {
  if (m_level == 0)
    throw DbError(err::NotInTransaction,
                  QStringLiteral("Validation impossible sans transaction en cours."));
  const int level = m_level - 1;
  if (level > 0) {
    exec(QStringLiteral("RELEASE SAVEPOINT tarovent_%1").arg(level));
    m_level = level;
    return;
  }
  m_level = 0;
  // A failed COMMIT ends the transaction all the same: nothing stays locked.
  exec(QStringLiteral("COMMIT"));
}

void PgSession::rollback() {
  if (m_level == 0)
    throw DbError(err::NotInTransaction,
                  QStringLiteral("Annulation impossible sans transaction en cours."));
  const int level = --m_level;
  if (level == 0) {
    exec(QStringLiteral("ROLLBACK"));
  } else {
    exec(QStringLiteral("ROLLBACK TO SAVEPOINT tarovent_%1").arg(level));
    exec(QStringLiteral("RELEASE SAVEPOINT tarovent_%1").arg(level));
  }
}

}  // namespace tarovent::db
