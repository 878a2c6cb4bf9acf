#include "composition/Adjustment.h"

#include <cstdlib>

#include "composition/NumberFormat.h"
#include "core/InputHelpers.h"

namespace tarovent::composition {

namespace {

// The lines a prorata changes: those the totals count, and the option tables' main lines
// when the user asked for them.
bool isTaken(const WorkLine& l, bool withOptions) {
  return isCounted(l) || (withOptions && l.level == 0 && l.afterTotals);
}

double familyPercent(const WorkLine& l, const Adjustment& a) {
  if (l.type == "M") return a.labour;
  if (l.type.isEmpty()) return a.specialSupplies;
  if (l.unit.toUpper() == "UN") return a.unitComponents;
  return a.materials;
}

}  // namespace

std::optional<Adjustment> Valider_Ajustement(int option, const QStringList& percents,
                                             const QString& amount, ui::MessageFunnel& msg,
                                             int* refused) {
  static const char* const kLabels[] = {"Pourcentage matière", "Pourcentage composants à l'unité",
                                        "Pourcentage main d'oeuvre",
                                        "Pourcentage fournitures spéciales"};
  if (refused) *refused = -1;
  // Each box of the option is read before anything changes: one that does not hold a number
  // stops the adjustment on its message.
  const auto read = [&](int i, const char* label, const QString& text) {
    const std::optional<double> v = core::boxNumber(msg, QString::fromUtf8(label), text);
    if (!v && refused) *refused = i;
    return v;
  };
  Adjustment a;
  std::optional<double> p[4];
  switch (option) {
    case 0:
      a.mode = 1;
      for (int i = 0; i < 4; ++i)
        if (!(p[i] = read(i, kLabels[i], percents.value(i)))) return std::nullopt;
      a.materials = *p[0];
      a.unitComponents = *p[1];
      a.labour = *p[2];
      a.specialSupplies = *p[3];
      break;
    case 1:
      a.mode = 1;
      if (!(p[0] = read(0, "Pourcentage", percents.value(0)))) return std::nullopt;
      a.materials = a.unitComponents = a.labour = a.specialSupplies = *p[0];
      break;
    case 2:
      a.mode = 2;
      break;
    case 3:
      if (amount.trimmed().isEmpty()) {
        msg.show(msg.tr("Vous n'avez pas saisi le montant à forcer"), ui::Icon::Warning);
        if (refused) *refused = 0;
        return std::nullopt;
      }
      if (!(p[0] = read(0, "Montant HT net", amount))) return std::nullopt;
      a.mode = 3;
      a.forcedAmount = *p[0];
      break;
    case 4:
      a.mode = 4;
      break;
    case 5:
      if (!(p[0] = read(0, "Majoration", percents.value(0)))) return std::nullopt;
      a.mode = 5;
      a.majoration = *p[0];
      break;
    default:
      return std::nullopt;
  }
  return a;
}

double Ajuster_Prorata(QVector<WorkLine>& lines, bool withOptions, const Adjustment& a,
                       bool& valuationZero) {
  valuationZero = false;
  const bool options = withOptions && a.mode == 1;  // option tables never take a forced amount
  double total = 0;
  for (const WorkLine& l : lines)
    if (isTaken(l, options)) total += l.netAmount;
  double taux = 0;
  if (a.mode == 3) {
    if (cents(total) == 0) {
      valuationZero = true;
      return 0;
    }
    taux = (a.forcedAmount - total) / total;
  }
  double newTotal = 0;
  for (WorkLine& l : lines) {
    if (!isTaken(l, options)) continue;
    if (l.grossPrice != 0) {
      const double rate = a.mode == 1 ? familyPercent(l, a) / 100 : taux;
      l.grossPrice = round2(l.grossPrice * (1 + rate));
      Calcul_Ligne(l);
    }
    newTotal += l.netAmount;
  }
  return newTotal;
}

double Solder_Reste(QVector<WorkLine>& lines, double remainder) {
  qint64 left = cents(remainder);
  // Each pass gives every line that can take a cent per piece its share; a pass that moves
  // nothing ends the settling, and so does a remainder settled. Discounts can make a line
  // overshoot, so the passes are bounded too.
  bool moved = true;
  for (int pass = 0; left != 0 && moved && pass < 10; ++pass) {
    moved = false;
    for (WorkLine& l : lines) {
      if (left == 0) break;
      if (!isCounted(l) || l.quantity == 0 || l.grossPrice == 0) continue;
      if (std::abs(l.quantity) > double(std::llabs(left))) continue;  // under a cent a piece
      const double step = round2(double(left) / 100 / l.quantity);
      if (cents(step) == 0) continue;
      const qint64 before = cents(l.netAmount);
      l.grossPrice = round2(l.grossPrice + step);
      Calcul_Ligne(l);
      const qint64 change = cents(l.netAmount) - before;
      if (change == 0) continue;
      left -= change;
      moved = true;
    }
  }
  return double(left) / 100;
}

}  // namespace tarovent::composition
