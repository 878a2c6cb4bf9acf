#include <QFileInfo>
#include <QTextStream>
#include <charconv>

#include "AdminCommand.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"

using namespace tarovent::db;

namespace {

QString shortestNumber(double d) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, d);
  return QString::fromLatin1(buf, static_cast<int>(r.ptr - buf));
}

QString cell(const QVariant& v) {
  if (!v.isValid() || v.isNull()) return {};
  switch (v.typeId()) {
    case QMetaType::Bool:
      return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::LongLong:
    case QMetaType::Int:
      return QString::number(v.toLongLong());
    case QMetaType::Double:
      return shortestNumber(v.toDouble());
    case QMetaType::QDate:
      return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QDateTime: {
      const QDateTime dt = v.toDateTime();
      if (dt.time() == QTime(0, 0)) return dt.date().toString(QStringLiteral("yyyy-MM-dd"));
      return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    case QMetaType::QByteArray:
      return QString::fromLatin1(v.toByteArray().toHex());
    default: {
      QString t = v.toString();
      t.replace('\t', QLatin1String("\\t"));
      t.replace(QLatin1String("\r\n"), QLatin1String("\\n"));
      t.replace('\n', QLatin1String("\\n"));
      t.replace('\r', QLatin1String("\\n"));
      return t;
    }
  }
}

void printRows(Database& db, const QString& statement, QTextStream& out) {
  Recordset rs = db.OpenRecordset(statement, RecordsetType::Snapshot, rsopt::ReadOnly);
  QStringList header;
  for (int i = 0; i < rs.fieldCount(); ++i) header << rs.fieldName(i);
  out << header.join('\t') << '\n';
  if (rs.RecordCount() == 0) return;
  rs.MoveFirst();
  while (!rs.EOF_()) {
    QStringList line;
    for (int i = 0; i < rs.fieldCount(); ++i) line << cell(rs.value(i));
    out << line.join('\t') << '\n';
    rs.MoveNext();
  }
}

}  // namespace

int runSqlCommand(const QStringList& argsIn) {
  QStringList args = argsIn;
  QTextStream out(stdout);
  QTextStream err(stderr);
  bool create = false;
  if (!args.isEmpty() && args.first() == QLatin1String("--create")) {
    create = true;
    args.removeFirst();
  }
  if (args.isEmpty()) {
    err << "Utilisation : tarovent-admin sql [--create] FICHIER INSTRUCTION...\n";
    return 2;
  }
  const QString file = args.takeFirst();
  Workspace ws;
  Database db;
  try {
    if (create && !QFileInfo::exists(file))
      db = ws.CreateDatabase(file);
    else
      db = ws.OpenDatabase(file);
  } catch (const DbError& e) {
    err << "Erreur n° " << e.number() << " : " << e.description() << '\n';
    return 1;
  }
  for (const QString& statement : args) {
    try {
      if (db.returnsRows(statement))
        printRows(db, statement, out);
      else
        db.Execute(statement);
      out.flush();
    } catch (const DbError& e) {
      out.flush();
      err << "Erreur n° " << e.number() << " : " << e.description() << '\n';
      return 1;
    }
  }
  return 0;
}
