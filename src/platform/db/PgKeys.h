#pragma once

#include <QList>
#include <QString>
#include <QVariantList>
#include <memory>

namespace tarovent::db {

class PgDatabase;
struct PgTable;

// The keys of a dynaset not read yet: a cursor the server keeps over the set as it was at the
// opening, read in growing blocks as the dynaset's callers move on; its clones share it. It is
// opened in a transaction of its own, so that its first block comes without the rest; the rest
// is put aside for later at the transaction's end, while the program goes on.
struct KeyTail {
  // `sql` gives the keys in the set's order; `first` is the size of the first block.
  KeyTail(const std::shared_ptr<PgDatabase>& database, const QString& sql, int first);
  KeyTail(const KeyTail&) = delete;
  KeyTail& operator=(const KeyTail&) = delete;
  ~KeyTail();

  // Ends the opening: what is left of the set is kept on the server for the next blocks.
  void release();
  // The opening failed: its transaction goes, and the cursor with it.
  void abort();
  // Reads the next block into `ids`; false when there was no key left.
  bool fetch();

  std::weak_ptr<PgDatabase> db;
  QString cursor;
  QList<QVariantList> ids;  // read so far, in the set's order
  bool opening = false;     // the cursor's own transaction still runs
  bool done = false;
  int next;
};

// `select`, a query of `table` alone, with its order as it is but for where its Nulls go in the
// fields that hold none: then the server can read the order from an index (a primary key's
// says nothing of Nulls) instead of sorting the whole set before giving its first rows.
QString withoutNeedlessNullOrder(const QString& select, const PgTable& table);

}  // namespace tarovent::db
