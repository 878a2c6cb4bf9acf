#pragma once

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

#include "install/DemoFamily.h"
#include "platform/db/Database.h"
#include "platform/db/DefaultServer.h"

namespace tarovent::test {

// The small demo family's folder for a run of the suite: built once by the run (the
// demo_family fixture, see cmake/Tarovent.cmake) in the folder TAROVENT_TEST_DEMO names, with
// `ready` written last holding the day it was built for. Empty when the program runs alone or
// the family is not there for today (a run that went past midnight).
inline QString builtDemoFamily() {
  const QString dir = qEnvironmentVariable("TAROVENT_TEST_DEMO");
  if (dir.isEmpty()) return {};
  QFile ready(dir + "/ready");
  if (!ready.open(QIODevice::ReadOnly)) return {};
  if (ready.readAll().trimmed() != QDate::currentDate().toString(Qt::ISODate).toLatin1())
    return {};
  return dir + "/demo";
}

// The Jet condition: `field` begins with `prefix`.
inline QString beginsWith(const QString& field, const QString& prefix) {
  QString quoted = prefix;
  quoted.replace('\'', "''");
  return QStringLiteral("Left([%1], %2) = '%3'").arg(field).arg(prefix.size()).arg(quoted);
}

// The Jet statement by which every value of `field` in `table` beginning with `from` begins with
// `to` instead.
inline QString renameStatement(const QString& table, const QString& field, const QString& from,
                               const QString& to) {
  QString quoted = to;
  quoted.replace('\'', "''");
  return QStringLiteral("UPDATE [%1] SET [%2] = '%3' & Mid([%2], %4) WHERE ")
             .arg(table, field, quoted)
             .arg(from.size() + 1) +
         beginsWith(field, from);
}

// Calls `each` with every database file under `root`, opened, and every text field of it.
template <typename Each>
void forEachTextField(const QString& root, Each each) {
  const db::DefaultServerScope onFiles;
  QDirIterator files(root, {QStringLiteral("*.MDB")}, QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString file = files.next();
    db::Workspace ws;
    db::Database base = ws.OpenDatabase(file);
    for (const QString& table : base.TableDefNames()) {
      const db::TableDef def = base.tableDef(table);
      for (const db::FieldSpec& field : def.Fields())
        if (field.type == db::FieldType::Text || field.type == db::FieldType::Memo)
          each(file, base, table, field.name);
    }
    base.Close();
  }
}

// Every text value of the databases under `root` beginning with `from` begins with `to` instead.
inline void renameFolderInDatabases(const QString& root, const QString& from, const QString& to) {
  forEachTextField(root, [&](const QString&, db::Database& base, const QString& table,
                             const QString& field) {
    base.Execute(renameStatement(table, field, from, to));
  });
}

// A copy of the folder `from` in `to` (made), files and sub-folders, empty ones included.
inline void copyFolder(const QString& from, const QString& to) {
  if (!QDir().mkpath(to)) throw std::runtime_error("dossier impossible : " + to.toStdString());
  QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString source = it.next();
    const QString target = to + source.mid(from.size());
    const bool copied = it.fileInfo().isDir() ? QDir().mkpath(target)
                                              : QDir().mkpath(QFileInfo(target).path()) &&
                                                    QFile::copy(source, target);
    if (!copied) throw std::runtime_error("copie impossible : " + target.toStdString());
  }
}

// The small demo family in `root`, as install::buildDemoFamily(root, Small) makes it. Building
// writes some 400 files, each durably, and takes seconds; a copy of the run's family takes a
// tenth of a second. The family names its own folders in its databases: the copy's names are
// changed to `root`.
inline install::FamilyLayout placeSmallDemoFamily(const QString& root) {
  const QString built = builtDemoFamily();
  if (built.isEmpty()) return install::buildDemoFamily(root, install::DemoSize::Small).layout;
  const QString target = QDir::cleanPath(QDir(root).absolutePath());
  copyFolder(built, target);
  renameFolderInDatabases(target, built + '/', target + '/');
  return install::familyLayout(target);
}

}  // namespace tarovent::test
