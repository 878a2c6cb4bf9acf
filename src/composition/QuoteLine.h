#pragma once

#include <QString>

namespace tarovent::composition {

// The values of one quote line, as the line entry and the recalculation compute them.
struct QuoteLine {
  QString code;  // without its level indentation
  int level = 0;
  QString designation;
  QString description1;  // descriptive texts written under the designation ("" for none)
  QString description2;
  double quantity = 0;
  QString unit;
  double costPrice = 0;        // PDR
  double grossPrice = 0;       // PUBRUT
  double discountPercent = 0;  // PCREM
  double netPrice = 0;         // PUNET
  double netAmount = 0;        // MTNET
  double grossAmount = 0;      // MTBRUT
  double discountAmount = 0;   // MTREM
  double costAmount = 0;       // MTPDR
  QString user1, user2, user3, user4;
  QString replacement;     // REMPL
  QString supplier;        // CODFOURN
  QString vatRate;         // TXTVA
  double weight = 0;       // POIDS
  double totalWeight = 0;  // POIDSTOT
};

// `Calcul_Ligne`: the line formulas, the only place they are written. From the quantity,
// gross unit price, discount, cost price and unit weight: PUNET = round2(PUBRUT x (1 - PCREM /
// 100)), MTBRUT = round2(PUBRUT x QTE), MTNET = round2(PUNET x QTE), MTREM = MTBRUT - MTNET,
// MTPDR = round2(QTE x PDR), POIDSTOT = QTE x POIDS (not rounded).
void Calcul_Ligne(QuoteLine& line);

}  // namespace tarovent::composition
