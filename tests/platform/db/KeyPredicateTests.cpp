#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QList>
#include <QVariant>
#include <algorithm>

#include "platform/db/KeyPredicate.h"
#include "platform/db/SqliteValue.h"

namespace tarovent::db {
namespace {

struct Row {
  qint64 rowid;
  QVariant a, b;
};

int compareValue(const QVariant& x, const QVariant& y) {
  if (x.isNull() && y.isNull()) return 0;
  if (x.isNull()) return -1;  // Null is lower than any value
  if (y.isNull()) return 1;
  if (x.typeId() == QMetaType::QString) return QString::compare(x.toString(), y.toString());
  return x.toLongLong() < y.toLongLong() ? -1 : (x.toLongLong() > y.toLongLong() ? 1 : 0);
}

// The rows of a small table with Nulls and duplicates, walked with every relation from every
// row's key (whole and partial), must come out exactly as a plain sort says.
class KeyPredicateTest : public ::testing::TestWithParam<std::pair<bool, bool>> {
 protected:
  void SetUp() override {
    ASSERT_EQ(sqlite3_open(":memory:", &m_db), SQLITE_OK);
    const auto [descA, descB] = GetParam();
    exec("CREATE TABLE T (A TEXT, B INTEGER)");
    exec(QStringLiteral("CREATE INDEX IX ON T (A%1, B%2)")
             .arg(descA ? " DESC" : "", descB ? " DESC" : ""));
    const QVariant as[] = {QVariant(), "a", "b"};
    const QVariant bs[] = {QVariant(), 1, 2};
    qint64 id = 0;
    for (int copy = 0; copy < 2; ++copy)
      for (const auto& a : as)
        for (const auto& b : bs) {
          sqlite3_stmt* s = nullptr;
          sqlite3_prepare_v2(m_db, "INSERT INTO T (A, B) VALUES (?, ?)", -1, &s, nullptr);
          bindValue(s, 1, a);
          bindValue(s, 2, b);
          sqlite3_step(s);
          sqlite3_finalize(s);
          m_rows << Row{++id, a, b};
        }
    m_order = {{"A", descA}, {"B", descB}, {"rowid", false}};
  }
  void TearDown() override { sqlite3_close(m_db); }

  void exec(const QString& sql) {
    ASSERT_EQ(sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(m_db);
  }

  // Compares a row with a key on the key's columns, in index order.
  int compare(const Row& r, const QVariantList& key) const {
    const QVariant values[] = {r.a, r.b, r.rowid};
    for (int i = 0; i < key.size(); ++i) {
      int c = compareValue(values[i], key[i]);
      if (m_order[i].descending) c = -c;
      if (c) return c;
    }
    return 0;
  }

  QList<qint64> expected(KeyRel rel, const QVariantList& key) const {
    QList<Row> sorted = m_rows;
    std::sort(sorted.begin(), sorted.end(), [&](const Row& x, const Row& y) {
      return compare(x, {y.a, y.b, y.rowid}) < 0;
    });
    if (keyRelBackward(rel)) std::reverse(sorted.begin(), sorted.end());
    QList<qint64> out;
    for (const Row& r : sorted) {
      const int c = compare(r, key);
      const bool in = rel == KeyRel::Equal          ? c == 0
                      : rel == KeyRel::After        ? c > 0
                      : rel == KeyRel::AfterOrEqual ? c >= 0
                      : rel == KeyRel::Before       ? c < 0
                                                    : c <= 0;
      if (in) out << r.rowid;
    }
    return out;
  }

  QList<qint64> actual(KeyRel rel, const QVariantList& key, QString* plan = nullptr) {
    QVariantList binds;
    const QString sql = keyWalkSql(QStringLiteral("SELECT rowid FROM T"),
                                   keySegments(m_order, rel, key), 1000, binds);
    sqlite3_stmt* s = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &s, nullptr), SQLITE_OK)
        << sql.toStdString() << sqlite3_errmsg(m_db);
    for (int i = 0; i < binds.size(); ++i) bindValue(s, i + 1, binds[i]);
    QList<qint64> out;
    while (sqlite3_step(s) == SQLITE_ROW) out << sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    if (plan) {
      sqlite3_stmt* p = nullptr;
      sqlite3_prepare_v2(m_db, ("EXPLAIN QUERY PLAN " + sql).toUtf8().constData(), -1, &p, nullptr);
      for (int i = 0; i < binds.size(); ++i) bindValue(p, i + 1, binds[i]);
      while (sqlite3_step(p) == SQLITE_ROW)
        *plan += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(p, 3))) + '\n';
      sqlite3_finalize(p);
    }
    return out;
  }

  sqlite3* m_db = nullptr;
  QList<Row> m_rows;
  QList<KeyColumn> m_order;
};

TEST_P(KeyPredicateTest, EveryRelationFromEveryKeyMatchesASort) {
  const KeyRel rels[] = {KeyRel::Equal, KeyRel::After, KeyRel::AfterOrEqual, KeyRel::Before,
                         KeyRel::BeforeOrEqual};
  for (const Row& r : m_rows) {
    const QVariantList keys[] = {{r.a}, {r.a, r.b}, {r.a, r.b, r.rowid}};
    for (const QVariantList& key : keys)
      for (KeyRel rel : rels)
        EXPECT_EQ(actual(rel, key), expected(rel, key))
            << "rel " << int(rel) << " key size " << key.size() << " row " << r.rowid;
  }
  EXPECT_EQ(actual(KeyRel::AfterOrEqual, {}).size(), m_rows.size());
  EXPECT_EQ(actual(KeyRel::BeforeOrEqual, {}), expected(KeyRel::BeforeOrEqual, {}));
}

TEST_P(KeyPredicateTest, WalksFollowTheIndexWithoutSorting) {
  for (KeyRel rel : {KeyRel::After, KeyRel::Before}) {
    QString plan;
    actual(rel, {"a", 1, 3}, &plan);
    EXPECT_FALSE(plan.contains("TEMP B-TREE")) << plan.toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(Directions, KeyPredicateTest,
                         ::testing::Values(std::pair{false, false}, std::pair{true, false},
                                           std::pair{false, true}));

}  // namespace
}  // namespace tarovent::db
