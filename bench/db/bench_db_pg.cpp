// Database layer on a PostgreSQL server against hand-written prepared libpq statements doing the
// same work on the same table, in one run.
//
//   bench_db_pg               a throw-away server of its own (initdb in a temporary folder)
//   bench_db_pg CONNINFO      a server already running ("host=... dbname=...")
#include <libpq-fe.h>

#include <QRandomGenerator>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "LayerWork.h"
#include "PgCluster.h"
#include "common/Ratio.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"

using namespace tarovent::db;
using tarovent::bench::k1;
using tarovent::bench::k2;
using tarovent::bench::measure;
using tarovent::bench::Ratio;

namespace {

constexpr int kRuns = 7;

void report(const Ratio& r) { tarovent::bench::report(r, "libpq "); }

// The plain side: one connection, statements prepared once, text parameters.
class Plain {
 public:
  explicit Plain(const QString& conninfo) {
    m_conn = PQconnectdb(conninfo.toUtf8().constData());
    if (PQstatus(m_conn) != CONNECTION_OK) die(PQerrorMessage(m_conn));
  }
  ~Plain() { PQfinish(m_conn); }

  void exec(const char* sql) { check(PQexec(m_conn, sql), sql); }
  void prepare(const char* name, const char* sql, int params) {
    check(PQprepare(m_conn, name, sql, params, nullptr), sql);
  }
  // Runs a prepared statement; the caller clears the result.
  PGresult* run(const char* name, const std::vector<QByteArray>& params) {
    std::vector<const char*> values;
    for (const QByteArray& p : params) values.push_back(p.constData());
    PGresult* r =
        PQexecPrepared(m_conn, name, int(values.size()), values.data(), nullptr, nullptr, 0);
    const ExecStatusType s = PQresultStatus(r);
    if (s != PGRES_TUPLES_OK && s != PGRES_COMMAND_OK) die(PQresultErrorMessage(r));
    return r;
  }
  PGresult* query(const char* sql) {
    PGresult* r = PQexec(m_conn, sql);
    if (PQresultStatus(r) != PGRES_TUPLES_OK) die(PQresultErrorMessage(r));
    return r;
  }

 private:
  [[noreturn]] static void die(const char* why) {
    fprintf(stderr, "%s\n", why);
    exit(1);
  }
  void check(PGresult* r, const char* sql) {
    const ExecStatusType s = PQresultStatus(r);
    if (s != PGRES_TUPLES_OK && s != PGRES_COMMAND_OK) {
      fprintf(stderr, "%s\n%s\n", sql, PQresultErrorMessage(r));
      exit(1);
    }
    PQclear(r);
  }
  PGconn* m_conn = nullptr;
};

double number(PGresult* r, int row, int col) { return atof(PQgetvalue(r, row, col)); }

}  // namespace

int main(int argc, char** argv) {
  QString conninfo;
  if (argc > 1) {
    conninfo = QString::fromLocal8Bit(argv[1]);
  } else {
    QString why;
    bool missing = false;
    auto* cluster = tarovent::db::test::PgCluster::instance(&why, &missing);
    if (!cluster) {
      fprintf(stderr, "Serveur PostgreSQL indisponible : %s\n", qPrintable(why));
      return missing ? 0 : 1;
    }
    conninfo = cluster->freshDatabase();
  }

  Workspace ws;
  ws.setServer(conninfo);
  Database db;
  try {
    db = ws.CreateDatabase(QStringLiteral("BENCH.MDB"));
    db.Execute(
        "CREATE TABLE T (K1 TEXT(10), K2 LONG, NOM TEXT(30), V DOUBLE, CONSTRAINT PrimaryKey "
        "PRIMARY KEY (K1, K2))");
  } catch (const DbError& e) {
    fprintf(stderr, "%s\n", qPrintable(e.description()));
    return 1;
  }
  Plain plain(conninfo);
  // Filling is not timed: one statement on the server.
  plain.exec(
      "INSERT INTO bench.\"T\" (\"K1\", \"K2\", \"NOM\", \"V\") SELECT 'K' || "
      "lpad((i / 100)::text, 5, '0'), i % 100, 'Client ' || i, i * 0.5 FROM "
      "generate_series(0, 199999) AS i");
  plain.exec("ANALYZE bench.\"T\"");
  plain.exec("SET search_path = bench");

  QList<int> keys;
  QRandomGenerator rng(42);
  for (int i = 0; i < 10000; ++i) keys << rng.bounded(tarovent::bench::kLayerRows);
  QStringList names;
  for (int i = 0; i < 50; ++i) names << QStringLiteral("Client %1").arg(rng.bounded(20000));
  double sink = 0;

  plain.prepare(
      "seek", "SELECT \"K1\", \"K2\", \"NOM\", \"V\" FROM \"T\" WHERE \"K1\" = $1 AND \"K2\" = $2",
      2);
  plain.prepare("find",
                "SELECT \"K1\", \"K2\", \"NOM\", \"V\" FROM \"T\" WHERE \"K1\" < 'K00200' AND "
                "\"NOM\" = $1 ORDER BY \"K1\", \"K2\" LIMIT 1",
                1);
  plain.prepare("update", "UPDATE \"T\" SET \"V\" = $1 WHERE \"K1\" = $2 AND \"K2\" = $3", 3);

  Recordset dyn = db.OpenRecordset(tarovent::bench::kFindSource);
  tarovent::bench::LayerWork ours{ws, db, sink};

  // 1. Seek 10,000 keys.
  const auto seekPlain = [&] {
    for (int i : keys) {
      PGresult* r = plain.run("seek", {k1(i).toUtf8(), QByteArray::number(k2(i))});
      if (PQntuples(r) > 0) sink += number(r, 0, 3);
      PQclear(r);
    }
  };

  // 2. Walk the whole table in key order.
  const auto walkPlain = [&] {
    PGresult* r =
        plain.query("SELECT \"K1\", \"K2\", \"NOM\", \"V\" FROM \"T\" ORDER BY \"K1\", \"K2\"");
    for (int row = 0; row < PQntuples(r); ++row) sink += number(r, row, 3);
    PQclear(r);
  };

  // 3. FindFirst on a 20,000-row dynaset (its opening is not timed).
  const auto findPlain = [&] {
    for (const QString& n : names) {
      PGresult* r = plain.run("find", {n.toUtf8()});
      if (PQntuples(r) > 0) sink += number(r, 0, 3);
      PQclear(r);
    }
  };

  // 4. A 50,000-row dynaset opened and its first screen read, as a list window shows it.
  const auto screenPlain = [&] {
    PGresult* r = plain.query(
        "SELECT \"K1\", \"K2\", \"NOM\", \"V\" FROM \"T\" WHERE \"K1\" < 'K00500' ORDER BY "
        "\"K1\", \"K2\" DESC LIMIT 30");
    for (int row = 0; row < PQntuples(r); ++row) sink += number(r, row, 3);
    PQclear(r);
  };

  // 5. Edit/Update 10,000 rows in one transaction.
  const auto editPlain = [&] {
    plain.exec("BEGIN");
    PGresult* walk =
        plain.query("SELECT \"K1\", \"K2\", \"V\" FROM \"T\" ORDER BY \"K1\", \"K2\" LIMIT 10000");
    for (int row = 0; row < PQntuples(walk); ++row) {
      PGresult* r = plain.run(
          "update", {QByteArray::number(number(walk, row, 2) + 1, 'g', 17),
                     QByteArray(PQgetvalue(walk, row, 0)), QByteArray(PQgetvalue(walk, row, 1))});
      PQclear(r);
    }
    PQclear(walk);
    plain.exec("COMMIT");
  };

  try {
    printf("bench/db on PostgreSQL, %d rows, median of %d interleaved runs\n",
           tarovent::bench::kLayerRows, kRuns);
    report(measure(
        "Seek 10,000 keys (table recordset)", [&] { ours.seek(keys); }, seekPlain, kRuns));
    const QList<int> few = keys.mid(0, 1000);
    report(measure(
        "Open, Seek, close x1,000 (look-ups)", [&] { ours.lookUp(few); },
        [&] {
          for (int i : few) {
            PGresult* r = plain.run("seek", {k1(i).toUtf8(), QByteArray::number(k2(i))});
            if (PQntuples(r) > 0) sink += number(r, 0, 3);
            PQclear(r);
          }
        },
        kRuns));
    report(measure(
        "MoveNext through 200,000 rows", [&] { ours.walk(); }, walkPlain, kRuns));
    report(measure(
        "FindFirst x50 on a 20,000-row dynaset", [&] { ours.find(dyn, names); }, findPlain, kRuns));
    report(measure(
        "50,000-row dynaset: open, read 30 rows", [&] { ours.firstScreen(); }, screenPlain, kRuns));
    report(measure(
        "Table as a dynaset: open, read 30 rows", [&] { ours.tableScreen(); },
        [&] {
          PGresult* r = plain.query(
              "SELECT \"K1\", \"K2\", \"NOM\", \"V\" FROM \"T\" ORDER BY \"K1\", \"K2\" LIMIT 30");
          for (int row = 0; row < PQntuples(r); ++row) sink += number(r, row, 3);
          PQclear(r);
        },
        kRuns));
    report(measure(
        "Edit/Update 10,000 rows, one transaction", [&] { ours.edit(); }, editPlain, kRuns));
  } catch (const DbError& e) {
    fprintf(stderr, "%s\n", qPrintable(e.description()));
    return 1;
  }
  dyn.Close();
  printf("(checksum %.0f)\n", sink);
  return 0;
}
