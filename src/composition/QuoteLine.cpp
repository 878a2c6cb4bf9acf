#include "composition/QuoteLine.h"

#include "composition/NumberFormat.h"

namespace tarovent::composition {

void Calcul_Ligne(QuoteLine& l) {
  l.netPrice = round2(l.grossPrice * (1 - l.discountPercent / 100));
  l.grossAmount = round2(l.grossPrice * l.quantity);
  l.netAmount = round2(l.netPrice * l.quantity);
  l.discountAmount = round2(l.grossAmount - l.netAmount);
  l.costAmount = round2(l.quantity * l.costPrice);
  l.totalWeight = l.quantity * l.weight;
}

}  // namespace tarovent::composition
