#pragma once

#include "Installer.h"

namespace tarovent::install {

// Recalculates every quote document of a family, with its version's VAT rate, as the
// composition does; returns how many were recalculated.
int recalculateDocuments(const FamilyLayout& layout);

}  // namespace tarovent::install
