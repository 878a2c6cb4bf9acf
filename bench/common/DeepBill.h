#pragma once

// The bill the roll-up benchmarks value: BENCHROOT over 10 x 10 x 10 sub-assemblies, four
// bought parts under each of the last (5,110 links on four levels).
#include <QString>

#include "platform/db/Database.h"

namespace tarovent::bench {

inline int addDeepBill(db::Database& stock) {
  db::TransactionGuard g(stock);
  const auto art = [&](const QString& code, const char* type) {
    stock.Execute("INSERT INTO TARTI (TARTI_CODART, TARTI_Type, TARTI_PMP) VALUES ('" + code +
                  "', '" + type + "', 2)");
  };
  int links = 0;
  const auto link = [&](const QString& p, const QString& c) {
    stock.Execute(
        "INSERT INTO TLIEN (TLIEN_PERE, TLIEN_VARPERE, TLIEN_FILS, TLIEN_VARFILS, "
        "TLIEN_QTEUNI) VALUES ('" +
        p + "', '00', '" + c + "', '00', 2)");
    ++links;
  };
  art("BENCHROOT", "F");
  for (int a = 0; a < 10; ++a) {
    const QString l1 = QStringLiteral("BN1-%1").arg(a);
    art(l1, "F");
    link("BENCHROOT", l1);
    for (int b = 0; b < 10; ++b) {
      const QString l2 = l1 + QStringLiteral("-%1").arg(b);
      art(l2, "F");
      link(l1, l2);
      for (int c = 0; c < 10; ++c) {
        const QString l3 = l2 + QStringLiteral("-%1").arg(c);
        art(l3, "F");
        link(l2, l3);
        for (int d = 0; d < 4; ++d) {
          const QString leaf = l3 + QStringLiteral("-%1").arg(d);
          art(leaf, "A");
          link(l3, leaf);
        }
      }
    }
  }
  g.commit();
  return links;
}

}  // namespace tarovent::bench
