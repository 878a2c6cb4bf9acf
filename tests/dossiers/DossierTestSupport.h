#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "install/Schemas.h"
#include "platform/db/Database.h"
#include "platform/db/DbTestSupport.h"
#include "ui/MessageFunnel.h"

namespace tarovent::dossiers::test {

// Writes a file with the given permissions; false when it cannot.
inline bool writeFile(const QString& path, const QByteArray& content,
                      QFileDevice::Permissions permissions = QFileDevice::ReadOwner |
                                                             QFileDevice::WriteOwner) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  f.write(content);
  f.close();
  return QFile::setPermissions(path, permissions);
}

inline QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

// Read-only for everyone; with the owner execute bit, archived too.
inline constexpr QFileDevice::Permissions kReadOnly =
    QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
inline constexpr QFileDevice::Permissions kReadOnlyArchived = kReadOnly | QFileDevice::ExeOwner;

// A main database of the family's schema in a folder of its own, with two companies, two
// clients, two quote types and a sales representative.
class MainDbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_db = m_ws.CreateDatabase(path("TAROVENT.MDB"));
    install::applySchema(m_db, install::mainSchema());
    for (const char* sql : {
             "INSERT INTO TSOC VALUES ('AB', 'Atelier Bernard', 6, False)",
             "INSERT INTO TSOC VALUES ('ZZ', 'Ancienne société', 40, True)",
             "INSERT INTO TCLI (TCLI_CODE, TCLI_RS) VALUES ('C1', 'Aubry')",
             "INSERT INTO TCLI (TCLI_CODE, TCLI_RS) VALUES ('C2', 'Berthier')",
             "INSERT INTO TTYP (TTYP_CODE, TTYP_LIB, TTYP_TARMAT, TTYP_TARMO) "
             "VALUES ('A1', 'Atelier', 'V', 'R')",
             "INSERT INTO TTYP (TTYP_CODE, TTYP_LIB, TTYP_Desactive) VALUES ('OLD', 'Ancien', "
             "True)",
             "INSERT INTO TCAL (TCAL_CODE, TCAL_NOM) VALUES ('JD', 'Jean Dupont')",
         })
      m_db.Execute(QString::fromUtf8(sql));
  }
  QString path(const QString& name) const { return m_dir.filePath(name); }

  // One value of the first row of a query, as text.
  QString scalar(const QString& sql) {
    db::Recordset rs = m_db.OpenRecordset(sql, db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
    return rs.EOF_() ? QStringLiteral("<none>") : rs.value(0).toString();
  }
  long counter(const QString& company) {
    return scalar("select TSOC_NSEQ from TSOC where TSOC_CODE = '" + company + "'").toLong();
  }
  // The workstation's work database with the work tables copied from the main one, as start-up
  // builds it.
  db::Database workDatabase() {
    m_ws.CreateDatabase(path("BDLOC.MDB")).Close();
    for (const char* table : {"TMP_DOS", "TMP_DEV"})
      m_db.Execute(QStringLiteral("SELECT DISTINCTROW * INTO %1 IN '%2' from %1;")
                       .arg(QLatin1String(table), path("BDLOC.MDB")));
    return m_ws.OpenDatabase(path("BDLOC.MDB"));
  }

  QTemporaryDir m_dir;
  db::Workspace m_ws;
  db::Database m_db;
  ui::ScriptedResponder m_messages;
};

}  // namespace tarovent::dossiers::test
