#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

#include "DbError.h"
#include "JetSql.h"

struct pg_conn;
struct pg_result;

namespace tarovent::db {

// Rows a query gave: values as the layer hands them out (see SqliteValue.h: Null as an invalid
// QVariant, whole numbers as qlonglong, a date at midnight as QDate).
struct PgRows {
  QStringList columns;
  QStringList tables;  // the table each column comes from, empty for a computed one
  QList<QVariantList> rows;
};

// The rows of one statement as the server sent them: each value is converted only when read,
// to the forms PgRows holds.
class PgResultSet {
 public:
  explicit PgResultSet(pg_result* r) : m_r(r) {}
  ~PgResultSet();
  PgResultSet(const PgResultSet&) = delete;
  PgResultSet& operator=(const PgResultSet&) = delete;
  int rows() const;
  bool isNull(int row, int col) const;
  QVariant value(int row, int col) const;
  // The rows an INSERT, UPDATE or DELETE changed.
  int affected() const;

 private:
  pg_result* m_r;
};

// One session on a PostgreSQL server, working on one database of the family: a schema of the
// server's database, first on the session's search path. The other databases of the family
// are the schemas named after their files. Errors are DbError with the engine's numbers.
class PgSession {
 public:
  // Connects with `conninfo` (a "postgresql://" URL or "key=value" words; the password comes
  // from the user's password or service file). With `create`, the schema is made when missing
  // (and the collation and functions translated SQL needs, once per server database). An empty
  // `schema` gives a session on no database of the family, to make or copy whole families.
  static std::unique_ptr<PgSession> open(const QString& conninfo, const QString& schema,
                                         bool create);
  // The same session then works on `schema`, as open() would have left it: a session opened on
  // no database, asked which schema a file maps to, goes on without a second connection.
  void enter(const QString& schema, bool create);
  // Connections this process has made to a server so far.
  static quint64 connectionsMade();
  ~PgSession();
  PgSession(const PgSession&) = delete;
  PgSession& operator=(const PgSession&) = delete;

  const QString& schema() const { return m_schema; }
  bool hasSchema(const QString& name);
  // Makes the (empty) schema of a database of the family; 3204 when it exists.
  void createSchema(const QString& name);

  // The schema a database file of the family maps to: its name without folder or extension,
  // lower-cased ("C:\\MILOSTAR\\TAROVENT.MDB" -> "tarovent"), or the schema `renamed` gives
  // that name; "main" for this session's own.
  QString schemaOf(const QString& path) const;
  // Names are the engine's whatever their case: each quoted name of `sql` as the server stores
  // it ("TCLI_Contact" -> "TCLI_CONTACT"); a name stored under two spellings, or unknown, stays.
  QString storedSpellings(const QString& sql) const;
  QString storedSpelling(const QString& name) const;
  // Tables or fields were made or dropped: the spellings are read again (in every session).
  static void namesChanged();
  static quint64 namesGeneration();
  // The type a value written into `field` (a name, or a position from 0) of `table` goes
  // through on its way in ("float8", "numeric", "timestamp"), empty for none.
  QString writtenType(const QString& schema, const QString& table, const QString& field) const;
  // File names (lower-cased, no extension) whose schema is another: a workstation's own bases.
  void setRenamed(const QHash<QString, QString>& renamed) { m_renamed = renamed; }
  // The write transactions begun from now on also take the write lock of `schema`.
  void alsoLock(const QString& schema);
  SqlTranslation translate(const QString& jet) const;

  // Runs a Jet action query or Jet DDL; returns the rows affected. A SELECT is refused (3065).
  int execute(const QString& jet);
  // The rows of a Jet SELECT.
  PgRows select(const QString& jet);
  // The fields of `table` as it was defined, types, sizes and defaults included.
  QList<FieldSpec> tableFields(const QString& table,
                               const QString& schema = QStringLiteral("main"));

  // Creates a table as a table definition describes it ("main": this session's schema).
  void createTable(const QString& schema, const QString& table, const QList<FieldSpec>& fields,
                   const QList<IndexSpec>& indexes);
  // Makes an index of `table` (as stored) under the name the table's indexes are read by.
  void createIndex(const QString& schema, const QString& table, const IndexSpec& ix);
  // The trigger that has the counter field `field` go on after the numbers written into it
  // by hand; the field's own name as the table spells it. Dropped before the field is.
  void followCounter(const QString& schema, const QString& table, const QString& field);
  void stopFollowingCounter(const QString& schema, const QString& table, const QString& field);
  // Appends rows in bulk (values in the order of `columns`, converted as parameters are).
  void copyRows(const QString& schema, const QString& table, const QStringList& columns,
                const QList<QVariantList>& rows);
  // Makes the counter of `field` give numbers above `last` from now on.
  void raiseCounter(const QString& schema, const QString& table, const QString& field, qint64 last);

  // Runs a statement; `params` fill $1, $2... Returns the rows affected.
  int exec(const QString& sql, const QVariantList& params = {});
  PgRows query(const QString& sql, const QVariantList& params = {});
  // Runs `sql` as a statement the server prepared once for this session, the first time it was
  // asked for (again after definitions changed).
  std::shared_ptr<const PgResultSet> prepared(const QString& sql, const QVariantList& params);

  // Transactions nest as savepoints. The outermost takes the write lock of this session's
  // database (of the whole schema, as long as the transaction lasts): what one writer reads
  // and then writes, no other writer changes meanwhile.
  void begin();
  void commit();
  void rollback();
  int transactionLevel() const { return m_level; }

  // One view of the server for a burst of reads outside any transaction: what others commit
  // meanwhile is not seen, and they are held back by nothing. The first write or transaction
  // ends it (the write then runs as without it). False when not taken.
  bool beginSnapshot();
  void endSnapshot();
  bool inSnapshot() const { return m_snapshot; }

  // Sends `sql` and returns at once: the server runs it while the program goes on, and the
  // session's next statement waits for it. What it failed with is kept under `token`.
  void send(const QString& sql, const QString& token);
  // The error of the statement sent under `token`, once (none when it went well or still runs).
  std::optional<DbError> takeSentError(const QString& token);
  // Cancels the statement sent under `token` if it still runs; true when it was done whole.
  bool abandon(const QString& token);

 private:
  PgSession() = default;
  struct Result {
    pg_result* r = nullptr;
    explicit Result(pg_result* result) : r(result) {}
    Result(Result&& o) noexcept : r(o.r) { o.r = nullptr; }
    ~Result();
    bool ok() const;
  };
  // Waits for the statement sent, if any.
  void settle();
  // After `r` failed: true when it was a write refused by the read snapshot, which is then
  // ended so that the statement can run again.
  bool endedSnapshotFor(const Result& r);
  Result run(const QString& sql, const QVariantList& params);
  // The name of the table numbered `oid` on the server (empty for none).
  QString tableNamed(unsigned oid);
  // Connects again after the server went away, outside a transaction; true when connected.
  bool reconnect();
  [[noreturn]] void fail(const Result& r, const QString& context) const;
  // Installs the support, or brings it up to date when `version` (as read) is older than the
  // program's: at most one session at a time, the others then finding it done.
  void installSupport(int version);
  // The version of the support on the server; 0 when there is none.
  int supportVersion();
  QString qualified(const QString& schema, const QString& table) const;
  // Drops a field (refused while an index uses it) or an index of `table`, as stored.
  void dropColumn(const QString& schema, const QString& table, const QString& column);
  void dropIndex(const QString& schema, const QString& table, const QString& index);

  pg_conn* m_conn = nullptr;
  QString m_schema;
  QString m_searchPath;  // the statement that names the session's schemas, run at every connection
  QHash<QString, QString> m_renamed;
  mutable QHash<QString, QString> m_spellings;  // upper-case -> stored; empty: two spellings
  mutable quint64 m_spellingsRead = 0;          // the names generation they were read at
  // "schema\x1ftable" lower-cased -> each column's name (lower-cased) and written type.
  mutable QHash<QString, QList<QPair<QString, QString>>> m_writtenTypes;
  mutable quint64 m_writtenTypesRead = 0;
  QStringList m_alsoLocked;
  int m_level = 0;
  QHash<QString, QByteArray> m_statements;  // SQL -> name of the prepared statement
  quint64 m_statementsRead = 0;             // the names generation they were made at
  quint64 m_statementSerial = 0;
  std::vector<QByteArray> m_values;  // parameters as text, kept between statements
  std::vector<const char*> m_pointers;
  mutable bool m_broken = false;  // the server said it was going: connect again before the next statement
  QHash<unsigned, QString> m_tableNames;
  bool m_snapshot = false;
  QString m_sentToken;  // the statement sent and not yet waited for (empty: none)
  QString m_sentSql;
  QHash<QString, DbError> m_sentErrors;  // tables by their server number, as results name them
};

// Checks the connection words a family names its server with: they must read, and hold no
// password (that one belongs to the user's password or service file). Throws DbError 3001.
void checkServerWords(const QString& conninfo);

// The engine's error number for a PostgreSQL SQLSTATE ("23505" -> 3022).
int engineErrorForSqlState(const QString& sqlState);

// A value as the text PostgreSQL reads back unchanged (parameters and COPY rows).
QByteArray parameterText(const QVariant& v);

}  // namespace tarovent::db
