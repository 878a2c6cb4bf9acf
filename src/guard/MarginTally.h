#pragma once

#include <QSet>
#include <QString>
#include <QVector>
#include <utility>

#include "composition/ColumnMap.h"
#include "composition/QuoteRows.h"
#include "guard/QuoteGuard.h"

namespace tarovent::core {
class ProcessState;
}
namespace tarovent::word {
class WordDocument;
}

namespace tarovent::guard {

// The quote's margin as the composition's status bar shows it, kept without reading the whole
// document again after every line written: the document is read once, then the rows inserted
// since add their own lines; any other change has the whole document read again the next time
// the margin is asked for. It listens to the document's changes beside the views.
class MarginTally : public composition::DocumentChanges {
 public:
  explicit MarginTally(core::ProcessState& state) : m_state(state) {}

  // The text of `marginText`; empty when the line tables cannot be located.
  QString text(word::WordDocument& doc);
  // Everything is read again at the next `text`.
  void invalidate();

  void rowsInserted(int table, int row, int count) override;
  void rowsRemoved(int, int, int) override { invalidate(); }
  void rowsChanged(int, int, int) override { invalidate(); }
  void tableInserted(int) override { invalidate(); }
  void tableRemoved(int) override { invalidate(); }
  void tableSplit(int, int) override { invalidate(); }
  void bookmarksChanged() override {}
  void documentReset() override { invalidate(); }

 private:
  bool readAll(word::WordDocument& doc);
  void addPending(word::WordDocument& doc);
  void count(const composition::WorkLine& line);

  core::ProcessState& m_state;
  bool m_stale = true;
  bool m_located = false;
  composition::ColumnMap m_columns;
  QSet<int> m_lineTables;
  // Rows announced before they were written: read when the margin is next asked for.
  QVector<std::pair<int, int>> m_pending;
  // What the files and the parameters said at the last whole reading, kept for the lines
  // written since.
  GuardRules m_rules;
  double m_threshold = 0;
  qint64 m_netCents = 0, m_materialsCents = 0, m_labourCents = 0;
};

}  // namespace tarovent::guard
