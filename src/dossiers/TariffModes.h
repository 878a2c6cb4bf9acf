#pragma once

#include <QString>

namespace tarovent::dossiers {

// The materials mode chosen in two steps in the quote-type window: cost price ("R"), or a
// selling price and then which one (first "V", second "P").
struct MaterialsChoice {
  bool sellingPrice = false;
  bool secondPrice = false;
  bool known = false;  // false for an empty or unknown letter: nothing is chosen
};

MaterialsChoice materialsChoice(const QString& letter);
QString materialsLetter(const MaterialsChoice& choice);

// True for the letters the composition accepts ("R", "V", "P" for materials; "R", "V" for
// labour).
bool validMaterialsMode(const QString& letter);
bool validLabourMode(const QString& letter);

}  // namespace tarovent::dossiers
