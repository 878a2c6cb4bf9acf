#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

#include "composition/WorkLine.h"
#include "ui/MessageFunnel.h"

namespace tarovent::composition {

// How the unit prices change before the amounts are computed (0: they do not).
struct Adjustment {
  int mode = 0;
  double materials = 0, unitComponents = 0, labour = 0, specialSupplies = 0;  // mode 1, %
  double forcedAmount = 0;                                                    // mode 3
  double majoration = 0;                                                      // mode 5, %
  QString materialsPrice = QStringLiteral("PV1");  // mode 4: PV1, PV2 or PDR
  QString labourPrice = QStringLiteral("PV");      // mode 4: PV or PDR
};

// The adjustment window's choice made into an adjustment: option 0 (percentages by family),
// 1 (one percentage for all), 2 (cost prices), 3 (forced amount), 4 (base prices), 5
// (majoration). Blank percentages count as 0. Nothing, after its message, for a blank forced
// amount or a box that does not hold a whole number ("12abc"); `refused` then tells which of
// the option's boxes it was (0 for the amount).
std::optional<Adjustment> Valider_Ajustement(int option, const QStringList& percents,
                                             const QString& amount, ui::MessageFunnel& messages,
                                             int* refused = nullptr);

// `Ajuster_Prorata` for modes 1 and 3: changes the gross unit prices of the lines the totals
// count (and, in mode 1 with `withOptions`, the main lines of the option tables) and returns
// the net total of the lines changed. `valuationZero` is set, and nothing changes, when
// mode 3 meets a quote worth 0.
double Ajuster_Prorata(QVector<WorkLine>& lines, bool withOptions, const Adjustment& a,
                       bool& valuationZero);

// Settles what the mode-3 rounding left (`remainder`, in money) on the counted lines, a cent
// or more per piece at a time. Returns what is left unsettled, 0 when the amount is reached.
double Solder_Reste(QVector<WorkLine>& lines, double remainder);

}  // namespace tarovent::composition
