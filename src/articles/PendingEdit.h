#pragma once

#include "platform/db/Recordset.h"

namespace tarovent::articles {

// Cancels, when it goes, an AddNew or Edit that did not reach Update: a record the base
// refused never stays pending on the shared article, link or routing recordsets, where the
// look-ups would find it.
class PendingEdit {
 public:
  explicit PendingEdit(db::Recordset& rs) : m_rs(rs) {}
  ~PendingEdit() {
    try {
      if (m_rs.EditMode() != db::EditMode::None) m_rs.CancelUpdate();
    } catch (...) {  // NOLINT(bugprone-empty-catch): nothing more can be undone here
    }
  }
  PendingEdit(const PendingEdit&) = delete;
  PendingEdit& operator=(const PendingEdit&) = delete;

 private:
  db::Recordset& m_rs;
};

}  // namespace tarovent::articles
