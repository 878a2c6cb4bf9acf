#pragma once

#include <QString>
#include <optional>

#include "ui/MessageFunnel.h"
#include "ui/NumericInput.h"

namespace tarovent::core {

class ProcessState;

// The number-box filter on a typed character: the character, or 0 when it is dropped. Enter
// (13) gives 0 without a beep (the caller moves on); any other dropped key beeps through the
// message funnel. `decimals` allows the decimal separator once.
int Filtre_Numerique(ProcessState& state, int key, const ui::NumberBoxState& box,
                     bool decimals = true);

// True when the workstation writes numbers with a decimal comma.
bool Separateur_Virgule();

// A typed number: blank gives 0; a point or a comma is read as the decimal separator whatever
// the workstation uses. A text that is not a number gives 0 (`ok` tells).
double Valeur_Numerique(const QString& text, bool* ok = nullptr);

// A number typed in the box of the field `label` ("Quantité", "Prix d'achat"...), read with
// the strict reader of boxes: none, after a message naming the field and the text, when the
// box does not hold a whole number. A blank box reads 0.
std::optional<double> boxNumber(ui::MessageFunnel& messages, const QString& label,
                                const QString& text);

// Rounds half up to `decimals` places: floor(value x 10^n + 0.5) / 10^n, so negative halves
// go towards zero (-1.125 -> -1.12).
double Arrondi(double value, int decimals);
// 10^n, from a table for the exact powers a double holds (every amount rounded passes here).
double powerOfTen(int n);

inline double Plus_Grand(double a, double b) { return a > b ? a : b; }
inline double Plus_Petit(double a, double b) { return a < b ? a : b; }

// A record source split at WHERE and ORDER BY (keywords found in any case, outside quotes),
// without the keywords and without a final ";", each part trimmed.
struct QueryParts {
  QString base;
  QString where;
  QString orderBy;
};
QueryParts Decouper_Requete(const QString& sql);

}  // namespace tarovent::core
