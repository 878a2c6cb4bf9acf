#pragma once

#include "Installer.h"

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::install {

// Opens the family of `state.workingFolder` as the composition needs it: databases, the
// parameters the totals use, the routings. False when the family cannot be opened.
bool openFamilyForRecalculation(core::ProcessState& state);

// Recalculates every quote document of a family, with its version's VAT rate, as the
// composition does; returns how many were recalculated.
int recalculateDocuments(const FamilyLayout& layout);

}  // namespace tarovent::install
