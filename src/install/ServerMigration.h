#pragma once

#include <QList>
#include <QString>

namespace tarovent::install {

// One table copied: rows read from the file, rows found on the server afterwards.
struct CopiedTable {
  QString schema;
  QString table;
  qint64 source = 0;
  qint64 copied = 0;
};

struct MigrationReport {
  QList<CopiedTable> tables;
  int queries = 0;   // saved queries copied
  int counters = 0;  // counters carried over
  bool ok() const;
};

// Copies every database file of the family in `root` (each .MDB of its folders) into the server
// `conninfo`: each file a schema named after it, with its tables, indexes, rows, saved queries
// and counters. Everything happens in one server transaction that commits only when every
// table's count on the server equals the file's: on a failed check nothing is written, and the
// report tells which table differs. Throws DbError or std::runtime_error (French messages):
// a schema already on the server, two files of one name, a file that cannot be read.
MigrationReport migrateFamily(const QString& root, const QString& conninfo);

// Names the server in the family's milostar.ini ("SERVEUR=" line, replacing an earlier one).
// Throws std::runtime_error when the file cannot be written.
void nameServer(const QString& root, const QString& conninfo);

// The database files of the family folder `root`, each with the schema it becomes.
QList<std::pair<QString, QString>> familyDatabases(const QString& root);

}  // namespace tarovent::install
