#pragma once

#include <QStringList>

#include "composition/QuoteRows.h"

namespace tarovent::fixtures {

// Records what a session or a command tells the views, one line per call with its numbers.
struct ChangeLog : composition::DocumentChanges {
  void rowsInserted(int t, int row, int count) override { add("inserted", {t, row, count}); }
  void rowsRemoved(int t, int row, int count) override { add("removed", {t, row, count}); }
  void rowsChanged(int t, int row, int count) override { add("changed", {t, row, count}); }
  void tableInserted(int t) override { add("table inserted", {t}); }
  void tableRemoved(int t) override { add("table removed", {t}); }
  void tableSplit(int t, int row) override { add("split", {t, row}); }
  void bookmarksChanged() override { calls << "bookmarks"; }
  void documentReset() override { calls << "reset"; }
  void add(const char* what, std::initializer_list<int> numbers) {
    QString call = QString::fromLatin1(what);
    for (int n : numbers) call += ' ' + QString::number(n);
    calls << call;
  }
  // The calls without their numbers.
  QStringList kinds() const {
    QStringList out;
    for (const QString& c : calls) out << c.section(' ', 0, 0);
    return out;
  }
  QStringList calls;
};

}  // namespace tarovent::fixtures
