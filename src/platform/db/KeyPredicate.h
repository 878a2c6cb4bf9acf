#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace tarovent::db {

// Where a table recordset looks for rows relative to a key: at it, after it or before it in
// the order of the current index.
enum class KeyRel { Equal, After, AfterOrEqual, Before, BeforeOrEqual };

// One column of the order: SQL text (quoted name, or "rowid") and its direction in the index.
struct KeyColumn {
  QString sql;
  bool descending = false;
};

// A run of rows that share the key's first columns, each run read in index order by its own
// ORDER BY so that SQLite walks the index instead of sorting.
struct KeySegment {
  QString where;  // never empty ("1" for every row)
  QVariantList binds;
  QString orderBy;
};

// The rows on the `rel` side of `key` (the first key.size() columns of `order`), as segments
// in the order a walk meets them: forward for Equal/After/AfterOrEqual, backward otherwise.
// Null is lower than any value, so it comes first in an ascending column and last in a
// descending one. `order` ends with rowid, which makes every position unique.
QList<KeySegment> keySegments(const QList<KeyColumn>& order, KeyRel rel, const QVariantList& key);

// One statement reading at most `limit` rows of the segments, in walk order: `select` is
// "SELECT ... FROM table". Its parameters are appended to `binds`.
QString keyWalkSql(const QString& select, const QList<KeySegment>& segments, int limit,
                   QVariantList& binds);

// One statement counting the rows of the segments.
QString keyCountSql(const QString& table, const QList<KeySegment>& segments, QVariantList& binds);

// True for walks that go against the index order.
inline bool keyRelBackward(KeyRel rel) {
  return rel == KeyRel::Before || rel == KeyRel::BeforeOrEqual;
}

}  // namespace tarovent::db
