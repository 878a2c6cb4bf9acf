#pragma once

#include "core/DocumentNames.h"
#include "core/ProcessState.h"

namespace tarovent::guard::test {

// The dossier workspace's hand-over for composing a version of dossier AB 12 of client C1,
// in tariff modes V.
inline void composeVersion(core::ProcessState& state, int sequence) {
  core::QuoteContext& c = state.quote;
  c = {};
  c.company = "AB";
  c.dossier = 12;
  c.sequence = QString::number(sequence);
  c.documentName = core::Nom_Document("AB", 12, sequence);
  c.tarMat = "V";
  c.tarMo = "V";
  c.clientCode = "C1";
  state.compositionOrigin = "FDEV";
}

}  // namespace tarovent::guard::test
