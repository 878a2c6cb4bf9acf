#pragma once

#include <sqlite3.h>

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <set>

#include "JetSql.h"
#include "JetType.h"
#include "platform/os/FileSystem.h"

namespace tarovent::db {

// An index as a recordset sees it: SQLite columns (positions in the table) and directions.
struct IndexInfo {
  QString name;     // the engine's name ("PrimaryKey")
  QString sqlName;  // SQLite's name
  QStringList fields;
  QList<bool> descending;
  bool unique = false;
  bool primary = false;
};

struct TableInfo {
  QString schema;
  QString name;  // as stored
  QList<FieldSpec> fields;
  QList<IndexInfo> indexes;
  QHash<QString, int> fieldIndex;  // upper-cased name -> position

  int indexOfField(const QString& name) const;
  const IndexInfo* findIndex(const QString& name) const;
};

// Something holding a live SQLite statement that must let go of it before the connection
// begins or ends a transaction, or writes outside one.
class LiveCursor {
 public:
  virtual ~LiveCursor() = default;
  virtual void releaseStatements() = 0;
  // Row `rowid` of `table` is about to be deleted through this connection.
  virtual void rowDeleting(const QString& /*table*/, qint64 /*rowid*/) {}
};

// One open SQLite database file with the engine's behaviour set up: JET collation and
// functions, WAL, busy timeout, attached databases, schema cache, transaction levels.
class Connection : public std::enable_shared_from_this<Connection> {
 public:
  // `fs` tells a file on a network share: opened there in rollback-journal mode, never WAL.
  static std::shared_ptr<Connection> open(
      const QString& path, bool create, bool readOnly,
      std::shared_ptr<const os::FileSystem> fs = os::systemFileSystem());
  ~Connection();

  sqlite3* handle() const { return m_db; }
  const QString& path() const { return m_path; }
  bool readOnly() const { return m_readOnly; }
  bool isOpen() const { return m_db != nullptr; }
  // The network file system the file lies on ("NFS", "SMB/CIFS"...), empty when local. WAL's
  // shared memory does not span machines, and a share's locks are not always to be trusted
  // with it: such a file (and any attached from a share) keeps a rollback journal.
  const QString& networkFileSystem() const { return m_network; }
  void close();

  // Prepares `sql` (throws DbError with SQLite's message on failure).
  sqlite3_stmt* prepare(const QString& sql);
  // A cached statement for one-shot use: reset and cleared before it is returned.
  sqlite3_stmt* cached(const QString& sql);
  // Runs a statement that returns no rows (throws DbError).
  void exec(const QString& sql);
  // Called before any statement runs: a transaction begun on this file starts here.
  void use();
  // Throws the DbError matching the connection's last error.
  [[noreturn]] void fail(int rc, const QString& context = {}) const;

  // Schema name under which `path` is reachable ("main" for this file), attached on demand.
  QString attach(const QString& path);
  SqlTranslation translate(const QString& jet);

  // Table metadata, cached until the schema changes. Throws 3011 for a missing table.
  const TableInfo& table(const QString& name, const QString& schema = QStringLiteral("main"));
  bool hasTable(const QString& name, const QString& schema = QStringLiteral("main"));
  QStringList tableNames(const QString& schema = QStringLiteral("main"));
  // Forgets what is cached about tables; `undone` when a rollback put the schema back.
  void schemaChanged(bool undone = false);

  // Row writes by rowid shared by the recordsets (columns already quoted); each runs as one
  // write of the connection and throws DbError on failure.
  qint64 insertRow(const QString& table, const QStringList& columns, const QVariantList& values,
                   const QString& context);
  void updateRow(const QString& table, const QStringList& columns, const QVariantList& values,
                 qint64 rowid, const QString& context);
  void deleteRow(const QString& table, qint64 rowid, const QString& context);
  // Runs a write prepared by the caller, `values` then `rowid` (when not negative) bound in
  // order. The caller calls beforeWrite() before it fetches or prepares the statement.
  void write(sqlite3_stmt* s, const QVariantList& values, qint64 rowid, const QString& context);
  // Moves when the cached statements are finalized (schema change, close): a statement kept
  // from cached() is valid while this has not moved.
  quint64 statementEpoch() const { return m_statementEpoch; }

  // Writes bump the generation so that cached counts and rows read ahead notice; a committed
  // write also tells the other connections of this process (see changeStamp).
  quint64 generation() const { return m_generation; }
  void beforeWrite();
  void afterWrite();
  int dataVersion();
  // Rows this connection has inserted, changed or deleted since it opened.
  qint64 ownChanges() const;
  // The generation, first bumped when another connection has committed since the last look.
  // Another connection of this process is noticed at once. Another process costs a read of
  // the file's header: it is looked for at most once a millisecond, sooner than anyone there
  // can tell one commit from the next.
  quint64 changeStamp();

  void registerCursor(LiveCursor* c) { m_cursors.insert(c); }
  void unregisterCursor(LiveCursor* c) { m_cursors.erase(c); }
  void releaseCursors();

  int transactionLevel() const { return m_level; }
  // True while a transaction of this connection holds the file's write lock: nobody else
  // can change the file until it ends. The serial tells one such transaction from the next.
  bool writeLocked() const { return m_begun > 0; }
  quint64 transactionSerial() const { return m_transactionSerial; }
  void begin();
  void commit();
  void rollback();

  // One read transaction kept open over many reads, so that each statement does not open and
  // close its own: they all see the file as it was at the first of them. Taken only outside
  // a transaction; a write or a transaction begun meanwhile ends it first, so that it behaves
  // as without. Nothing else of the process may rely on seeing newer data meanwhile.
  bool beginSnapshot();
  void endSnapshot();
  bool inSnapshot() const { return m_snapshot; }

 private:
  Connection() = default;
  // Opens the SQLite handle of m_path; throws CannotOpen with `path` in the message.
  void openHandle(const QString& path, int flags, bool immutable);
  // Sets the journal of `schema` (the file `path`) to a rollback journal; throws when another
  // program still holds it in WAL mode.
  void useRollbackJournal(const QString& schema, const QString& path);
  sqlite3* m_db = nullptr;
  QString m_path;
  std::shared_ptr<const os::FileSystem> m_fs;
  QString m_network;
  bool m_readOnly = false;
  int m_level = 0;  // transaction levels begun by the caller
  int m_begun = 0;  // of which SQLite has been told
  bool m_snapshot = false;
  int m_wal = -1;  // journal mode is WAL: 1, not: 0, not yet asked: -1
  void run(const QString& sql);
  quint64 m_generation = 0;
  quint64 m_statementEpoch = 0;
  quint64 m_transactionSerial = 0;
  int m_dataVersion = -1;
  qint64 m_lookedAt = -1;                     // steady clock, ms
  quint64 m_seenWrites = 0;                   // the process's committed writes, as last looked at
  quint64 m_seenSchema = 0;                   // the process's schema changes, as last looked at
  bool m_schemaChangedInTransaction = false;  // told to the process at the commit
  std::vector<std::shared_ptr<TableInfo>> m_retired;  // still referred to by open recordsets
  std::set<LiveCursor*> m_cursors;
  QHash<QString, sqlite3_stmt*> m_cache;
  QHash<QString, QString> m_attached;                   // canonical path -> schema
  QHash<QString, std::shared_ptr<TableInfo>> m_tables;  // "schema.NAME" upper -> info
};

}  // namespace tarovent::db
