// Database layer against hand-written prepared SQLite statements doing the same work, in one run.
#include <sqlite3.h>

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "LayerWork.h"
#include "common/Ratio.h"
#include "common/Timing.h"
#include "platform/db/Database.h"

using namespace tarovent::db;
using tarovent::bench::k1;
using tarovent::bench::k2;
using tarovent::bench::measure;
using tarovent::bench::Ratio;

namespace {

sqlite3_stmt* prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) {
    fprintf(stderr, "%s\n", sqlite3_errmsg(db));
    exit(1);
  }
  return s;
}

void report(const Ratio& r) { tarovent::bench::report(r, "sqlite"); }

void bindText(sqlite3_stmt* s, int i, const QString& t) {
  const QByteArray b = t.toUtf8();
  sqlite3_bind_text(s, i, b.constData(), b.size(), SQLITE_TRANSIENT);
}

constexpr int kRuns = 7;

}  // namespace

int main() {
  QTemporaryDir dir;
  const QString file = dir.filePath("BENCH.MDB");
  Workspace ws;
  Database db = ws.CreateDatabase(file);
  db.Execute(
      "CREATE TABLE T (K1 TEXT(10), K2 LONG, NOM TEXT(30), V DOUBLE, CONSTRAINT PrimaryKey "
      "PRIMARY KEY (K1, K2))");
  {
    TransactionGuard g(ws);
    Recordset rs = db.OpenRecordset("T");
    for (int i = 0; i < tarovent::bench::kLayerRows; ++i) {
      rs.AddNew();
      rs.setValue("K1", k1(i));
      rs.setValue("K2", k2(i));
      rs.setValue("NOM", QStringLiteral("Client %1").arg(i));
      rs.setValue("V", i * 0.5);
      rs.Update();
    }
    g.commit();
  }
  sqlite3* raw = nullptr;
  sqlite3_open_v2(file.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  // The same collation our text keys use, so that SQLite can use the same index.
  sqlite3_create_collation(
      raw, "JET", SQLITE_UTF8, nullptr, [](void*, int n1, const void* a, int n2, const void* b) {
        const int c = sqlite3_strnicmp(static_cast<const char*>(a), static_cast<const char*>(b),
                                       n1 < n2 ? n1 : n2);
        return c != 0 ? c : n1 - n2;
      });

  QList<int> keys;
  QRandomGenerator rng(42);
  for (int i = 0; i < 10000; ++i) keys << rng.bounded(tarovent::bench::kLayerRows);

  double sink = 0;
  QStringList names;
  for (int i = 0; i < 50; ++i) names << QStringLiteral("Client %1").arg(rng.bounded(20000));

  Recordset dyn = db.OpenRecordset(tarovent::bench::kFindSource);
  tarovent::bench::LayerWork ours{ws, db, sink};

  // 1. Seek 10,000 keys.
  const auto seekRaw = [&] {
    sqlite3_stmt* s = prepare(raw, "SELECT rowid, K1, K2, NOM, V FROM T WHERE K1 = ? AND K2 = ?");
    for (int i : keys) {
      bindText(s, 1, k1(i));
      sqlite3_bind_int(s, 2, k2(i));
      if (sqlite3_step(s) == SQLITE_ROW) sink += sqlite3_column_double(s, 4);
      sqlite3_reset(s);
    }
    sqlite3_finalize(s);
  };

  // 2. Walk the whole table in key order.
  const auto walkRaw = [&] {
    sqlite3_stmt* s = prepare(raw, "SELECT rowid, K1, K2, NOM, V FROM T ORDER BY K1, K2");
    while (sqlite3_step(s) == SQLITE_ROW) sink += sqlite3_column_double(s, 4);
    sqlite3_finalize(s);
  };

  // 3. FindFirst on a 20,000-row dynaset (its opening is not timed).
  const auto findRaw = [&] {
    sqlite3_stmt* s = prepare(raw,
                              "SELECT rowid, K1, K2, NOM, V FROM T WHERE K1 < 'K00200' AND "
                              "NOM = ? COLLATE JET ORDER BY K1, K2 LIMIT 1");
    for (const QString& n : names) {
      bindText(s, 1, n);
      if (sqlite3_step(s) == SQLITE_ROW) sink += sqlite3_column_double(s, 4);
      sqlite3_reset(s);
    }
    sqlite3_finalize(s);
  };

  // 4. A 50,000-row dynaset opened and its first screen read, as a list window shows it.
  const QString firstScreenSql =
      QStringLiteral("SELECT * FROM T WHERE K1 < 'K00500' ORDER BY K1, K2 DESC");
  const auto screenRaw = [&] {
    sqlite3_stmt* s = prepare(raw, firstScreenSql.toUtf8().constData());
    for (int n = 0; n < 30 && sqlite3_step(s) == SQLITE_ROW; ++n)
      sink += sqlite3_column_double(s, 3);
    sqlite3_finalize(s);
  };

  // 5. Edit/Update 10,000 rows in one transaction.
  const auto editRaw = [&] {
    sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_stmt* walk = prepare(raw, "SELECT rowid, V FROM T ORDER BY K1, K2 LIMIT 10000");
    sqlite3_stmt* upd = prepare(raw, "UPDATE T SET V = ? WHERE rowid = ?");
    while (sqlite3_step(walk) == SQLITE_ROW) {
      sqlite3_bind_double(upd, 1, sqlite3_column_double(walk, 1) + 1);
      sqlite3_bind_int64(upd, 2, sqlite3_column_int64(walk, 0));
      sqlite3_step(upd);
      sqlite3_reset(upd);
    }
    sqlite3_finalize(walk);
    sqlite3_finalize(upd);
    sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
  };

  printf("bench/db on %d rows, median of %d interleaved runs\n", tarovent::bench::kLayerRows,
         kRuns);
  report(measure(
      "Seek 10,000 keys (table recordset)", [&] { ours.seek(keys); }, seekRaw, kRuns));
  report(measure(
      "MoveNext through 200,000 rows", [&] { ours.walk(); }, walkRaw, kRuns));
  report(measure(
      "FindFirst x50 on a 20,000-row dynaset", [&] { ours.find(dyn, names); }, findRaw, kRuns));
  report(measure(
      "50,000-row dynaset: open, read 30 rows", [&] { ours.firstScreen(); }, screenRaw, kRuns));
  report(measure(
      "Edit/Update 10,000 rows, one transaction", [&] { ours.edit(); }, editRaw, kRuns));
  dyn.Close();
  sqlite3_close(raw);
  printf("(checksum %.0f)\n", sink);
  return 0;
}
