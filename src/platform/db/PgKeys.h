#pragma once

#include <QList>
#include <QString>
#include <QVariantList>
#include <memory>

#include "KeyPredicate.h"

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

// The ORDER BY terms of `columns` (quoted names of `table`'s fields, or ctid), read backward
// when asked. Nulls come first going up and last going down, as the engine sorts them and as the
// table's other indexes are made, but in the primary key's columns: they hold none, and the
// key's index says nothing of them, so that the server walks it rather than sort the table.
QString pgOrderBy(const QList<KeyColumn>& columns, const PgTable& table, bool backward);

// `select`, a query of `table` alone, with its order as it is but for where its Nulls go in the
// primary key's fields, as pgOrderBy orders them: then the server can read the order from the
// key's index instead of sorting the whole set before giving its first rows.
QString withoutNeedlessNullOrder(const QString& select, const PgTable& table);

}  // namespace tarovent::db
