#include "DemoWriters.h"
#include "TableWriter.h"

namespace tarovent::install::demo {

void writePurchasingDatabase(db::Database& db, const DemoModel& m) {
  db::TransactionGuard g(db);
  TableWriter cmd(db, "TCMD", {"TCMD_NumCmde", "TCMD_NumAff", "TCMD_CodFourn", "TCMD_Date"});
  TableWriter det(db, "TCMD_DETAIL",
                  {"TCMD_DETAIL_NumCmde", "TCMD_DETAIL_NumLig", "TCMD_DETAIL_RefFourn",
                   "TCMD_DETAIL_Qte", "TCMD_DETAIL_PrixUnit", "TCMD_DETAIL_PCRemise"});
  for (const Affair& a : m.affairs) {
    if (a.order.isEmpty()) continue;
    cmd.add({a.order, a.number, a.orderSupplier, a.orderDate});
    int line = 0;
    for (const Affair::OrderLine& l : a.orderLines)
      det.add({a.order, ++line, l.reference, l.quantity, l.price, l.discount});
  }
  g.commit();
}

}  // namespace tarovent::install::demo
