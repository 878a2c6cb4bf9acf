#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "JetSql.h"
#include "JetType.h"
#include "Recordset.h"
#include "RowReader.h"

struct sqlite3_stmt;

namespace tarovent::os {
class FileSystem;
}

namespace tarovent::db {

class Connection;
class PgDatabase;

// A table's definition: its fields and indexes as stored, or a new table being defined.
class TableDef {
 public:
  TableDef() = default;
  explicit TableDef(QString name) : m_name(std::move(name)) {}

  const QString& Name() const { return m_name; }
  const QList<FieldSpec>& Fields() const { return m_fields; }
  const QList<IndexSpec>& Indexes() const { return m_indexes; }
  // The field named `name` (case-insensitive); throws 3265 when absent.
  const FieldSpec& Field(const QString& name) const;
  bool hasField(const QString& name) const;

  // Defines a field; `size` counts characters for text.
  static FieldSpec CreateField(const QString& name, FieldType type, int size = 0);
  // On a new definition: adds a field or an index before the table is appended to the database.
  void addField(const FieldSpec& f) { m_fields << f; }
  void addIndex(const IndexSpec& ix) { m_indexes << ix; }

 private:
  friend class Database;
  QString m_name;
  QList<FieldSpec> m_fields;
  QList<IndexSpec> m_indexes;
};

// Where a database's data stood. Two versions of one database are equal when nothing was
// written to it in between, by this process or another; on a server a commit elsewhere may
// also tell them apart (a change seen where none was made, never one missed).
struct DataVersion {
  std::weak_ptr<const void> base;  // another open database is another base
  qint64 ownChanges = 0;
  QByteArray others;
  bool operator==(const DataVersion& o) const;
};

// An open database file of the family.
class Database {
 public:
  Database() = default;

  bool isOpen() const;
  // The full path of the file.
  QString Name() const;
  // The network file system the file lies on ("NFS", "SMB/CIFS"...), empty when local: such a
  // file is kept in rollback-journal mode, slower and meant for one workstation at a time.
  QString networkFileSystem() const;
  // Format version text, as callers compare it ("4.0").
  QString Version() const;
  void Close();

  // Opens a table (type Table: ordered by its current index, Seek) or a query/saved query
  // (Dynaset). `source` is a table name, a saved query name or a Jet SQL statement.
  // Steps a read-only SELECT once, handing each row to `row`: no recordset, no copy of the
  // rows. Errors as OpenRecordset's.
  void forEachRow(const QString& jetSelect, const std::function<void(const RowReader&)>& row);
  Recordset OpenRecordset(const QString& source, RecordsetType type = RecordsetType::Default,
                          int options = 0);
  // Runs an action query (or DDL); returns the number of rows affected.
  int Execute(const QString& sql);
  int RecordsAffected() const;
  // True when `source` (table, saved query or SQL) gives rows rather than acting.
  bool returnsRows(const QString& source);

  // Table definitions.
  QStringList TableDefNames();
  bool hasTable(const QString& name);
  TableDef tableDef(const QString& name);
  void appendTableDef(const TableDef& def);
  void appendField(const QString& table, const FieldSpec& field);
  void deleteField(const QString& table, const QString& field);
  void createIndex(const QString& table, const IndexSpec& index);
  void deleteTableDef(const QString& name);
  void RefreshTableDefs();

  // Saved queries.
  void CreateQueryDef(const QString& name, const QString& sql);
  void DeleteQueryDef(const QString& name);
  QStringList QueryDefNames();
  bool hasQueryDef(const QString& name);
  QString QueryDefSql(const QString& name);
  // Runs a saved action query.
  int ExecuteQueryDef(const QString& name);

  // Transactions of this database alone (the workspace spans all its databases).
  void BeginTrans();
  void CommitTrans();
  void Rollback();
  int transactionLevel() const;

  // Makes the database `path` of the family part of this one's write transactions begun from
  // now on: what they read there and then write, no other writer changes meanwhile.
  void attach(const QString& path);
  DataVersion dataVersion() const;
  // Moves at every commit that may have changed what this database reads (on a file, also at
  // the commits of this process to other files).
  quint64 changeStamp() const;
  // Whether a ReadSnapshot holds one view of the database now.
  bool inReadSnapshot() const;

  // The SQLite file behind the database; null on a server.
  std::shared_ptr<Connection> connection() const { return m_c; }
  // The server's database behind it; null for a file.
  std::shared_ptr<PgDatabase> server() const { return m_pg; }

 private:
  friend class Workspace;
  explicit Database(std::shared_ptr<Connection> c) : m_c(std::move(c)) {}
  explicit Database(std::shared_ptr<PgDatabase> pg) : m_pg(std::move(pg)) {}
  Connection& conn() const;
  PgDatabase* pg() const;
  void ensureQueryTable();
  int m_affected = 0;
  std::shared_ptr<Connection> m_c;
  std::shared_ptr<PgDatabase> m_pg;
};

// The default workspace: opens and creates databases and spans transactions over them.
class Workspace {
 public:
  // Opens an existing file shared, read and write (or read-only). Throws 3024 when missing.
  Database OpenDatabase(const QString& path, bool readOnly = false);
  // Creates a new, empty database file (throws 3204 when it exists). The locale and format
  // arguments of the engine are accepted and have no effect.
  Database CreateDatabase(const QString& path, const QString& locale = {}, int options = 0);

  void BeginTrans();
  void CommitTrans();
  void Rollback();
  // Databases opened or created from now on are schemas of this PostgreSQL server (connection
  // words without password), each named after its file; empty: files again.
  // `renamed` maps file names (lower-cased, without extension) to the schema that stands for
  // them: a workstation's own work base among the shared ones.
  void setServer(const QString& conninfo, const QHash<QString, QString>& renamed = {}) {
    m_server = conninfo;
    m_renamed = renamed;
  }
  const QString& server() const { return m_server; }
  const QHash<QString, QString>& renamed() const { return m_renamed; }
  // True when the database `path` exists (a file, or its schema on the server).
  bool exists(const QString& path) const;
  // Deletes the database `path` (its file with its journals, or its schema); false when some of
  // it could not be removed. A database absent already is no failure.
  bool deleteDatabase(const QString& path);
  // What tells the databases opened from now on that lie on a network share (the system's
  // statfs unless a test puts another).
  void setFileSystem(std::shared_ptr<const os::FileSystem> fs) { m_fs = std::move(fs); }
  // Lets go of every pending read of the open databases: rows read ahead by recordsets are
  // read again at their next move.
  void Idle();

 private:
  void prune();
  // Throws 3034 when no database of the workspace is in a transaction.
  void requireTransaction(const QString& what) const;
  QList<std::weak_ptr<Connection>> m_open;
  QList<std::weak_ptr<PgDatabase>> m_served;
  QString m_server;
  QHash<QString, QString> m_renamed;
  std::shared_ptr<const os::FileSystem> m_fs;
};

// Rolls back the workspace transaction it began unless commit() was called.
class TransactionGuard {
 public:
  explicit TransactionGuard(Workspace& ws) : m_ws(&ws) { ws.BeginTrans(); }
  explicit TransactionGuard(Database& db) : m_db(&db) { db.BeginTrans(); }
  ~TransactionGuard();
  void commit();
  TransactionGuard(const TransactionGuard&) = delete;
  TransactionGuard& operator=(const TransactionGuard&) = delete;

 private:
  Workspace* m_ws = nullptr;
  Database* m_db = nullptr;
  bool m_done = false;
};

// Adds many rows to one table through one INSERT prepared once and bound again for each row:
// no recordset, no row buffer. Values are converted to the fields' types as a recordset's
// would be; a null value is stored as Null. Throws 3265 when the table lacks one of the fields.
class RowInserter {
 public:
  RowInserter(Database& db, const QString& table, const QStringList& fields);
  ~RowInserter();
  // One value per field, in the order given; throws DbError when the row is refused.
  void add(const QVariantList& values);
  RowInserter(const RowInserter&) = delete;
  RowInserter& operator=(const RowInserter&) = delete;

 private:
  std::shared_ptr<Connection> m_c;
  std::shared_ptr<PgDatabase> m_pg;
  QString m_table;
  QList<FieldSpec> m_fields;
  QString m_sql;
  QVariantList m_values;
  sqlite3_stmt* m_statement = nullptr;  // from the connection's cache, kept between rows
  quint64 m_epoch = 0;
};

// Keeps one read transaction open on a database for a computation that reads it many times
// (see Connection::beginSnapshot); ends it when it goes, whatever the way out.
class ReadSnapshot {
 public:
  explicit ReadSnapshot(Database& db);
  ~ReadSnapshot();
  ReadSnapshot(const ReadSnapshot&) = delete;
  ReadSnapshot& operator=(const ReadSnapshot&) = delete;

 private:
  std::shared_ptr<Connection> m_c;  // null when not taken (closed base, transaction open)
  std::shared_ptr<PgDatabase> m_pg;  // the same on a server
};

// Version of this database layer, as the start-up module check reads it.
QString layerVersion();

// The database engine library the layer runs on, for the start-up module check: its file, the
// version the program was built with and the version loaded ("3.40.1").
struct EngineLibrary {
  QString path;
  QString builtVersion;
  QString loadedVersion;
};
EngineLibrary engineLibrary();

// A text typed by a user made into a Jet/SQL literal: quotes around, apostrophes doubled.
QString sqlLiteral(const QString& text);

}  // namespace tarovent::db
