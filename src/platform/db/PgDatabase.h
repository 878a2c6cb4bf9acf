#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "JetSql.h"
#include "JetType.h"
#include "PgSession.h"

namespace tarovent::db {

class RecordsetImpl;
class RowReader;

// A table as the server keeps it, with the engine's names of its indexes.
struct PgTable {
  QString schema;  // the server's schema
  QString name;    // as stored
  QList<FieldSpec> fields;
  QList<IndexSpec> indexes;
  int indexOfField(const QString& name) const;
  const IndexSpec* findIndex(const QString& name) const;
  // The columns telling one row from the others: the primary key, else the first unique
  // index of required fields, else none (the row's place in the table, ctid, stands in).
  QStringList identity() const;
};

// One database of the family on the PostgreSQL server: a schema, reached through a session of
// its own. What Database does on a file, this does on the server.
class PgDatabase : public std::enable_shared_from_this<PgDatabase> {
 public:
  // `path` names the database as the family does ("C:\\MILOSTAR\\TAROVENT.MDB"); its schema is
  // the file's name. Throws 3024 when the schema is missing (3204 when it exists, to create).
  // `renamed` as PgSession::setRenamed.
  static std::shared_ptr<PgDatabase> open(const QString& conninfo, const QString& path, bool create,
                                          bool readOnly,
                                          const QHash<QString, QString>& renamed = {});
  // Drops the schema `path` maps to with everything in it; false when there was none.
  static bool drop(const QString& conninfo, const QString& path,
                   const QHash<QString, QString>& renamed = {});
  // True when the schema `path` maps to is on the server.
  static bool exists(const QString& conninfo, const QString& path,
                     const QHash<QString, QString>& renamed = {});

  bool isOpen() const { return m_s != nullptr; }
  const QString& path() const { return m_path; }
  bool readOnly() const { return m_readOnly; }
  void close();
  // Throws 3420 when closed.
  PgSession& session() const;

  int execute(const QString& jet);
  void forEachRow(const QString& jetSelect, const std::function<void(const RowReader&)>& row);
  std::shared_ptr<RecordsetImpl> openTable(const QString& name, bool readOnly);
  std::shared_ptr<RecordsetImpl> openDynaset(const QString& source, bool isTable, bool readOnly,
                                             bool snapshot);
  bool returnsRows(const QString& source);

  QStringList tableNames();
  bool hasTable(const QString& name);
  // The SQL of a translated SELECT to read whole: a query of one table orders its primary
  // key's fields as the key's index does, which the server then reads instead of sorting.
  QString selectSql(const SqlTranslation& t);
  // Cached until the schema changes; throws 3011 for a missing table. `schema` "main" is this
  // database's own.
  const PgTable& table(const QString& name, const QString& schema = QStringLiteral("main"));
  void createTable(const QString& name, const QList<FieldSpec>& fields,
                   const QList<IndexSpec>& indexes);
  void addField(const QString& table, const FieldSpec& field);
  void dropField(const QString& table, const QString& field);
  void addIndex(const QString& table, const IndexSpec& index);
  void dropTable(const QString& table);
  void schemaChanged() {
    m_tables.clear();
    PgSession::namesChanged();
  }

  void createQueryDef(const QString& name, const QString& sql);
  void deleteQueryDef(const QString& name);
  QStringList queryDefNames();
  bool hasQueryDef(const QString& name);
  QString queryDefSql(const QString& name);

  void begin();
  void commit();
  void rollback();
  int transactionLevel() const;
  bool inSnapshot() const { return m_s && m_s->inSnapshot(); }

  // Moves at each write of this database through the layer: rows read before it are read again.
  quint64 generation() const { return m_generation; }
  void wrote();
  // Moves at each outermost transaction begun: inside one, this workstation holds the write
  // lock, so what it read since the beginning is what the server holds.
  quint64 transactionSerial() const { return m_transactionSerial; }
  // What the server's other sessions have committed: another text after any commit anywhere
  // on the server (so also after some that do not touch this database).
  QByteArray othersVersion();
  // Moves when this database's own writes or another session's commit may have changed what
  // it reads; the server is asked at most once a millisecond.
  quint64 changeStamp();

 private:
  PgDatabase() = default;
  QString serverSchema(const QString& schema) const;
  void ensureQueryTable();
  // Each saved query's name and text.
  QList<QStringList> storedQueries();
  void makeViews(QList<QStringList> queries);
  // Runs a change of definitions whole or not at all.
  void define(const std::function<void(PgSession&)>& change);
  QString qualified(const QString& table);
  std::unique_ptr<PgSession> m_s;
  QString m_path;
  bool m_readOnly = false;
  quint64 m_generation = 0;
  quint64 m_transactionSerial = 0;
  quint64 m_stamp = 0;
  quint64 m_stampGeneration = 0;
  quint64 m_seenWrites = 0;  // the process's writes counted at the last look
  QByteArray m_stampVersion;
  qint64 m_stampAsked = -1;                           // ms of the steady clock
  QHash<QString, std::shared_ptr<PgTable>> m_tables;  // "schema.NAME" upper -> table
  quint64 m_tablesRead = 0;                           // the names generation they were read at
};

// A table recordset that reads the identities of the table's rows at opening (for a table
// without a primary key).
std::shared_ptr<RecordsetImpl> openKeysetTable(std::shared_ptr<PgDatabase> db, const QString& name,
                                               bool readOnly);

// A value read from the server as the recordsets of the layer give it for a field of `type`.
QVariant pgFieldValue(const QVariant& v, FieldType type);

// Placeholders of SQLite's form ("?", "?3") as PostgreSQL's ("$1", "$3"), counted from `first`.
QString pgPlaceholders(const QString& sql, int first = 1);

}  // namespace tarovent::db
