#pragma once

// The work both database benches time through our layer, whatever the backend: the same
// table T (K1, K2, NOM, V) of 200,000 rows keyed on (K1, K2).
#include <QList>
#include <QString>
#include <QStringList>

#include "platform/db/Database.h"

namespace tarovent::bench {

constexpr int kLayerRows = 200000;

inline QString k1(int i) { return QStringLiteral("K%1").arg(i / 100, 5, 10, QLatin1Char('0')); }
inline int k2(int i) { return i % 100; }

// The dynaset the find is timed on: 20,000 rows, opened before the timing.
inline const char* kFindSource = "select * from T where K1 < 'K00200' order by K1, K2";
// A 50,000-row dynaset whose first screen a list window shows.
inline const char* kScreenSource = "SELECT * FROM T WHERE K1 < 'K00500' ORDER BY K1, K2 DESC";

struct LayerWork {
  db::Workspace& ws;
  db::Database& db;
  double& sink;

  // Seek every key on the primary key of a table recordset.
  void seek(const QList<int>& keys) {
    db::Recordset rs = db.OpenRecordset("T", db::RecordsetType::Table);
    rs.setIndex("PrimaryKey");
    for (int i : keys) {
      rs.Seek("=", k1(i), k2(i));
      sink += rs.value(3).toDouble();
    }
  }
  // One look-up per key, as a form does: the table opened, the key sought, the table closed.
  void lookUp(const QList<int>& keys) {
    for (int i : keys) {
      db::Recordset rs = db.OpenRecordset("T", db::RecordsetType::Table);
      rs.setIndex("PrimaryKey");
      rs.Seek("=", k1(i), k2(i));
      sink += rs.value(3).toDouble();
    }
  }
  // The whole table in key order.
  void walk() {
    db::Recordset rs = db.OpenRecordset("T", db::RecordsetType::Table);
    rs.setIndex("PrimaryKey");
    while (!rs.EOF_()) {
      sink += rs.value(3).toDouble();
      rs.MoveNext();
    }
  }
  void find(db::Recordset& dyn, const QStringList& names) {
    for (const QString& n : names) {
      dyn.FindFirst("NOM = " + db::sqlLiteral(n));
      if (!dyn.NoMatch()) sink += dyn.value(3).toDouble();
    }
  }
  void firstScreen() {
    db::Recordset rs = db.OpenRecordset(kScreenSource);
    for (int n = 0; n < 30 && !rs.EOF_(); ++n, rs.MoveNext()) sink += rs.value(3).toDouble();
  }
  // The whole table as a dynaset in its key's order, as a list window opens it: the first screen.
  void tableScreen() {
    db::Recordset rs = db.OpenRecordset("T", db::RecordsetType::Dynaset);
    for (int n = 0; n < 30 && !rs.EOF_(); ++n, rs.MoveNext()) sink += rs.value(3).toDouble();
  }
  // The first 10,000 rows changed in one transaction.
  void edit() {
    db::TransactionGuard g(ws);
    db::Recordset rs = db.OpenRecordset("T", db::RecordsetType::Table);
    rs.setIndex("PrimaryKey");
    for (int n = 0; n < 10000 && !rs.EOF_(); ++n) {
      rs.Edit();
      rs.setValue(3, rs.value(3).toDouble() + 1);
      rs.Update();
      rs.MoveNext();
    }
    g.commit();
  }
};

}  // namespace tarovent::bench
