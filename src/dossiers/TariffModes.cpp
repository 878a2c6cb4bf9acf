#include "TariffModes.h"

namespace tarovent::dossiers {

MaterialsChoice materialsChoice(const QString& letter) {
  const QString l = letter.trimmed().toUpper();
  if (l == "R") return {false, false, true};
  if (l == "V") return {true, false, true};
  if (l == "P") return {true, true, true};
  return {};
}

QString materialsLetter(const MaterialsChoice& choice) {
  if (!choice.known) return {};
  if (!choice.sellingPrice) return QStringLiteral("R");
  return choice.secondPrice ? QStringLiteral("P") : QStringLiteral("V");
}

bool validMaterialsMode(const QString& letter) { return materialsChoice(letter).known; }

bool validLabourMode(const QString& letter) {
  const QString l = letter.trimmed().toUpper();
  return l == "R" || l == "V";
}

}  // namespace tarovent::dossiers
