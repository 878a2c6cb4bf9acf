#include "ServerMigration.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <memory>
#include <stdexcept>

#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/DefaultServer.h"
#include "platform/db/PgSession.h"

namespace tarovent::install {

bool MigrationReport::ok() const {
  for (const CopiedTable& t : tables)
    if (t.source != t.copied) return false;
  return true;
}

QList<std::pair<QString, QString>> familyDatabases(const QString& root) {
  QList<std::pair<QString, QString>> files;
  QHash<QString, QString> bySchema;
  QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QFileInfo fi(it.next());
    if (fi.suffix().compare(u"mdb", Qt::CaseInsensitive) != 0) continue;
    const QString schema = fi.completeBaseName().toLower();
    if (bySchema.contains(schema))
      throw std::runtime_error(
          QStringLiteral("Deux bases portent le nom %1 : %2 et %3. Renommez l'une d'elles.")
              .arg(fi.fileName(), bySchema.value(schema), fi.filePath())
              .toStdString());
    bySchema.insert(schema, fi.filePath());
    files.append({fi.filePath(), schema});
  }
  std::sort(files.begin(), files.end(),
            [](const auto& a, const auto& b) { return a.second < b.second; });
  return files;
}

namespace {

constexpr qsizetype kBatch = 5000;

// Copies one table's definition and rows; returns the rows read.
qint64 copyTable(db::Database& file, db::PgSession& server, const QString& schema,
                 const QString& table) {
  const db::TableDef def = file.tableDef(table);
  server.createTable(schema, def.Name(), def.Fields(), def.Indexes());
  db::Recordset rs = file.OpenRecordset("SELECT * FROM [" + def.Name() + "]",
                                        db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  QStringList columns;
  for (int i = 0; i < rs.fieldCount(); ++i) columns << rs.fieldSpec(i).name;
  QList<QVariantList> rows;
  qint64 count = 0;
  for (; !rs.EOF_(); rs.MoveNext()) {
    QVariantList row;
    row.reserve(columns.size());
    for (int i = 0; i < columns.size(); ++i) row << rs.value(i);
    rows << row;
    ++count;
    if (rows.size() == kBatch) {
      server.copyRows(schema, def.Name(), columns, rows);
      rows.clear();
    }
  }
  server.copyRows(schema, def.Name(), columns, rows);
  return count;
}

// The highest number each counter has given, kept apart from the rows by the file.
int copyCounters(db::Database& file, db::PgSession& server, const QString& schema) {
  int counters = 0;
  QHash<QString, qint64> last;
  try {
    db::Recordset rs =
        file.OpenRecordset("SELECT TableName, FieldName, Last FROM MSysTaroventCounters",
                           db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
    for (; !rs.EOF_(); rs.MoveNext())
      last.insert((rs.value(0).toString() + '.' + rs.value(1).toString()).toUpper(),
                  rs.value(2).toLongLong());
  } catch (const db::DbError&) {
    // No counter ever numbered in this file.
  }
  for (const QString& table : file.TableDefNames()) {
    const db::TableDef def = file.tableDef(table);
    for (const db::FieldSpec& f : def.Fields()) {
      if (!f.autoIncrement) continue;
      qint64 highest = last.value((table + '.' + f.name).toUpper());
      db::Recordset max =
          file.OpenRecordset(QStringLiteral("SELECT Max([%1]) FROM [%2]").arg(f.name, table),
                             db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
      highest = std::max(highest, max.value(0).toLongLong());
      server.raiseCounter(schema, table, f.name, highest);
      ++counters;
    }
  }
  return counters;
}

int copyQueries(db::Database& file, db::PgSession& server, const QString& schema) {
  const QStringList names = file.QueryDefNames();
  if (names.isEmpty()) return 0;
  db::FieldSpec name = db::TableDef::CreateField("Name", db::FieldType::Text, 64);
  db::FieldSpec text = db::TableDef::CreateField("SqlText", db::FieldType::Memo);
  text.required = true;
  db::IndexSpec key;
  key.name = QStringLiteral("PrimaryKey");
  key.fields << name.name;
  key.descending << false;
  key.primary = key.unique = true;
  server.createTable(schema, QStringLiteral("MSysTaroventQueries"), {name, text}, {key});
  QList<QVariantList> rows;
  for (const QString& n : names) rows << QVariantList{n, file.QueryDefSql(n)};
  server.copyRows(schema, QStringLiteral("MSysTaroventQueries"), {name.name, text.name}, rows);
  return int(names.size());
}

}  // namespace

void nameServer(const QString& root, const QString& conninfo) {
  QFile ini(QDir(root).filePath(QStringLiteral("milostar.ini")));
  QStringList lines;
  if (ini.open(QIODevice::ReadOnly | QIODevice::Text)) {
    for (const QString& line : QString::fromUtf8(ini.readAll()).split(u'\n'))
      if (!line.trimmed().startsWith(u"SERVEUR=", Qt::CaseInsensitive)) lines << line;
    ini.close();
  }
  while (!lines.isEmpty() && lines.last().trimmed().isEmpty()) lines.removeLast();
  lines << QStringLiteral("SERVEUR=") + conninfo << QString();
  if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text) ||
      ini.write(lines.join(u'\n').toUtf8()) < 0)
    throw std::runtime_error(
        QStringLiteral("Impossible d'écrire %1.").arg(ini.fileName()).toStdString());
}

MigrationReport migrateFamily(const QString& root, const QString& conninfo) {
  db::checkServerWords(conninfo);
  const auto files = familyDatabases(root);
  if (files.isEmpty())
    throw std::runtime_error(
        QStringLiteral("Aucune base de données dans le dossier %1.").arg(root).toStdString());
  std::unique_ptr<db::PgSession> server = db::PgSession::open(conninfo, QString(), true);
  MigrationReport report;
  server->begin();
  try {
    const db::DefaultServerScope onFiles;
    db::Workspace ws;
    for (const auto& [path, schema] : files) {
      server->createSchema(schema);
      db::Database file = ws.OpenDatabase(path, true);
      for (const QString& table : file.TableDefNames()) {
        CopiedTable t{schema, table, copyTable(file, *server, schema, table), 0};
        t.copied = server
                       ->query("SELECT count(*) FROM " + db::quoteIdentifier(schema) + '.' +
                               db::quoteIdentifier(file.tableDef(table).Name()))
                       .rows.value(0)
                       .value(0)
                       .toLongLong();
        report.tables << t;
      }
      report.counters += copyCounters(file, *server, schema);
      report.queries += copyQueries(file, *server, schema);
      file.Close();
    }
    if (report.ok())
      server->commit();
    else
      server->rollback();
  } catch (...) {
    server->rollback();
    throw;
  }
  return report;
}

}  // namespace tarovent::install
