#include "DemoTables.h"
#include "DemoWriters.h"
#include "TableWriter.h"

namespace tarovent::install::demo {

void writeTariffDatabase(db::Database& db, const DemoModel& m) {
  db::TransactionGuard g(db);
  TableWriter fou(db, "TFOU", {"TFOU_CodFourn", "TFOU_RSfourn"});
  for (const Supplier& s : kSuppliers) fou.add({s.code, QString::fromUtf8(s.name)});
  TableWriter trf(
      db, "TTRF",
      {"TTRF_CODFOURN", "TTRF_REFFOURN", "TTRF_CODART", "TTRF_LIBART", "TTRF_UN", "TTRF_PUnit",
       "TTRF_PrixVen", "TTRF_DatMaj", "TTRF_DELAI", "TTRF_TauxTVA", "TTRF_PasDeRemise"});
  const QStringList delays = {"48 h", "1 semaine", "2 semaines", "sur stock"};
  for (int i = 0; i < m.tariffs.size(); ++i) {
    const Tariff& t = m.tariffs[i];
    trf.add({t.supplier, t.reference, t.article, t.label, t.unit, t.purchase, t.sale, t.updated,
             delays[i % delays.size()], 20.0, i % 11 == 0});
  }
  g.commit();
}

}  // namespace tarovent::install::demo
