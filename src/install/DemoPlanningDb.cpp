#include "DemoTables.h"
#include "DemoWriters.h"
#include "TableWriter.h"

namespace tarovent::install::demo {

void writePlanningDatabase(db::Database& db, const DemoModel& m) {
  db::TransactionGuard g(db);
  TableWriter sec(db, "TSEC",
                  {"TSEC_CODSEC", "TSEC_Libsec", "TSEC_CoutHRevient", "TSEC_COUTHVENTE"});
  for (const Section& s : kSections) sec.add({s.code, s.label, s.cost, s.sale});
  TableWriter gam(db, "TGAM",
                  {"TGAM_Codart", "TGAM_Vargam", "TGAM_Numope", "TGAM_CodSec", "TGAM_Libope",
                   "TGAM_TmpPrep", "TGAM_TmpPie", "TGAM_CodFourn"});
  for (const Operation& op : m.operations)
    gam.add({m.articles[op.article].code, "00", op.number, kSections[op.section].code, op.label,
             op.setup, op.perPiece, op.subcontractor.isEmpty() ? QVariant() : op.subcontractor});
  // Hours spent on the orders taken from quotes.
  TableWriter heu(db, "THEU", {"THEU_NumAff", "THEU_CodSec", "THEU_Date", "THEU_NbrHRea"});
  for (const Affair& a : m.affairs)
    for (const Affair::Hours& h : a.hours) heu.add({a.number, h.section, h.date, h.hours});
  g.commit();
}

}  // namespace tarovent::install::demo
