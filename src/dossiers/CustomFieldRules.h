#pragma once

#include <QString>

namespace tarovent::dossiers {

// One definition row of FPERSO as its boxes hold it, with the boxes' enabling.
struct DefinitionRow {
  QString label, kind, length, decimals;
  bool kindEnabled = true, lengthEnabled = true, decimalsEnabled = true;
};

// What leaving a box of the row does; `size` is the size of the row's TDOS_USERn field.
// An empty label switches the field off.
void leaveLabel(DefinitionRow& row, int size);
// Returns true when the user should hear a beep (an empty kind, made "C").
bool leaveKind(DefinitionRow& row, int size);
void leaveLength(DefinitionRow& row, int size);
void leaveDecimals(DefinitionRow& row);
// The enabling of a row by its kind, as the window is activated.
void enableByKind(DefinitionRow& row);

}  // namespace tarovent::dossiers
