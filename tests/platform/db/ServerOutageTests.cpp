#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "PgCluster.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"

namespace tarovent::db::test {
namespace {

// What a statement run while the server is away throws.
template <typename Work>
DbError failure(Work work) {
  try {
    work();
  } catch (const DbError& e) {
    return e;
  }
  return DbError(0, QString());
}

QStringList names(Database& db) {
  QStringList out;
  Recordset rs = db.OpenRecordset("SELECT NOM FROM CLIENTS ORDER BY NUM", RecordsetType::Snapshot,
                                  rsopt::ReadOnly);
  for (; !rs.EOF_(); rs.MoveNext()) out << rs.value(0).toString();
  return out;
}

// The same names through a table recordset in key order, and one found by Seek: statements the
// session prepares once and keeps.
QStringList tableNames(Database& db) {
  QStringList out;
  Recordset rs = db.OpenRecordset("CLIENTS", RecordsetType::Table);
  rs.setIndex("PrimaryKey");
  for (; !rs.EOF_(); rs.MoveNext()) out << rs.value("NOM").toString();
  rs.Seek("=", 2);
  out << (rs.NoMatch() ? QStringLiteral("?") : rs.value("NOM").toString());
  return out;
}

// The server stopped under an open workstation, and in the middle of a transaction: reads and
// writes fail with a message in French, nothing saved before is lost, and once the server is
// back the same workstation goes on without being started again.
TEST(ServerOutage, AStoppedServerIsToldInFrenchAndNothingSavedIsLost) {
  PgCluster* cluster = nullptr;
  TAROVENT_REQUIRE_PG(cluster);
  QTemporaryDir dir;
  const QString conninfo = cluster->freshDatabase();
  Workspace ws;
  ws.setServer(conninfo);
  Database db = ws.CreateDatabase(dir.filePath("TAROVENT.MDB"));
  db.Execute("CREATE TABLE CLIENTS (NUM LONG, NOM TEXT(30), CONSTRAINT PrimaryKey PRIMARY KEY (NUM))");
  db.Execute("INSERT INTO CLIENTS VALUES (1, 'Aubry')");
  {
    Recordset rs = db.OpenRecordset("CLIENTS", RecordsetType::Dynaset);
    rs.AddNew();
    rs.setValue("NUM", 2);
    rs.setValue("NOM", "Castel");
    rs.Update();
  }
  // A transaction under way when the server goes: its work is not half kept.
  Workspace busy;
  busy.setServer(conninfo);
  Database other = busy.OpenDatabase(dir.filePath("TAROVENT.MDB"));
  busy.BeginTrans();
  other.Execute("INSERT INTO CLIENTS VALUES (3, 'Dumas')");

  EXPECT_EQ(tableNames(db), QStringList({"Aubry", "Castel", "Castel"}));
  for (bool fast : {true, false}) {
    SCOPED_TRACE(fast ? "arrêt par l'administrateur" : "arrêt brutal");
    ASSERT_TRUE(cluster->halt(fast));
    const DbError read = failure([&] { names(db); });
    const DbError write = failure([&] { db.Execute("INSERT INTO CLIENTS VALUES (9, 'Perdu')"); });
    for (const DbError& e : {read, write}) {
      EXPECT_EQ(e.number(), err::CannotOpen) << e.what();
      EXPECT_TRUE(e.description().startsWith(
          "La liaison avec le serveur de bases de données est perdue."))
          << e.what();
      EXPECT_TRUE(e.description().contains("recommencez")) << e.what();
      // Nothing of the server's English words nor of the statement reaches the user.
      EXPECT_FALSE(e.description().contains("server")) << e.what();
      EXPECT_FALSE(e.description().contains("INSERT")) << e.what();
    }
    // A workstation starting meanwhile is told too.
    const DbError opening = failure([&] {
      Workspace late;
      late.setServer(conninfo);
      late.OpenDatabase(dir.filePath("TAROVENT.MDB"));
    });
    EXPECT_EQ(opening.number(), err::CannotOpen) << opening.what();
    EXPECT_TRUE(opening.description().startsWith("Impossible de joindre le serveur"))
        << opening.what();
    if (fast) {
      const DbError commit = failure([&] { busy.CommitTrans(); });
      EXPECT_EQ(commit.number(), err::CannotOpen) << commit.what();
    }
    ASSERT_TRUE(cluster->resume());

    // Back: the same workstation reads and writes again, and finds what was saved.
    EXPECT_EQ(names(db), QStringList({"Aubry", "Castel"}));
    EXPECT_EQ(tableNames(db), QStringList({"Aubry", "Castel", "Castel"}));
    const int num = fast ? 4 : 5;
    db.Execute(QStringLiteral("INSERT INTO CLIENTS VALUES (%1, 'Après')").arg(num));
    db.Execute(QStringLiteral("DELETE FROM CLIENTS WHERE NUM = %1").arg(num));
    Workspace later;
    later.setServer(conninfo);
    Database fresh = later.OpenDatabase(dir.filePath("TAROVENT.MDB"));
    EXPECT_EQ(names(fresh), QStringList({"Aubry", "Castel"}));
  }
  // The workstation whose transaction was cut off writes again once it is told.
  other.Execute("INSERT INTO CLIENTS VALUES (3, 'Dumas')");
  EXPECT_EQ(names(db), QStringList({"Aubry", "Castel", "Dumas"}));
}

}  // namespace
}  // namespace tarovent::db::test
