#pragma once

// A family opened as the program opens it at start, for the benchmarks that work in one.
#include <QString>

#include "core/Catalogue.h"
#include "core/ProcessState.h"

namespace tarovent::bench {

// Reads the catalogue and opens the family's bases; false when the program would have ended.
inline bool openFamily(core::ProcessState& state, const QString& workingFolder) {
  state.workingFolder = workingFolder;
  core::Catalogue catalogue(state);
  bool fatal = false;
  return catalogue.Lire_Catalogue() && catalogue.Ouvrir_Bases(fatal) && !fatal;
}

// The routing table that explosion and valuation read, as the program holds it open.
inline void openRoutings(core::ProcessState& state) {
  state.routingTable =
      state.base(core::entry::Planning).db.OpenRecordset("TGAM", db::RecordsetType::Table);
  state.routingTable.setIndex("PrimaryKey");
}

}  // namespace tarovent::bench
