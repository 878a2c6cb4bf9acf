#include "DossierNumbering.h"

#include <algorithm>

#include "WriteTransaction.h"
#include "platform/db/Database.h"

namespace tarovent::dossiers {

QList<CounterChange> Recalcul_Numeros(db::Database& main) {
  QList<CounterChange> changes;
  inWriteTransaction(main, [&] {
    changes.clear();  // a retried transaction starts again
    db::Recordset soc = main.OpenRecordset(QStringLiteral("select * from TSOC order by TSOC_CODE;"),
                                           db::RecordsetType::Dynaset);
    for (; !soc.EOF_(); soc.MoveNext()) {
      const QString code = soc.text(QStringLiteral("TSOC_CODE"));
      db::Recordset last = main.OpenRecordset(
          QStringLiteral("SELECT TDOS.TDOS_SOC, Max(TDOS.TDOS_NUMDOSS) AS DERNDOSS From TDOS "
                         "GROUP BY TDOS.TDOS_SOC Having (((TDOS.TDOS_SOC) = %1)) "
                         "ORDER BY TDOS.TDOS_SOC;")
              .arg(db::sqlLiteral(code)),
          db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
      if (last.EOF_()) continue;  // no dossier: the counter stays
      const long highest = long(last.number(QStringLiteral("DERNDOSS")));
      const long counter = long(soc.number(QStringLiteral("TSOC_NSEQ")));
      if (counter >= highest) continue;
      soc.Edit();
      soc.setValue(QStringLiteral("TSOC_NSEQ"), qlonglong(highest));
      soc.Update();
      changes.append({code, counter, highest});
    }
  });
  return changes;
}

long nextDossierNumber(db::Database& db, const QString& dossiers, const QString& company,
                       long counter) {
  db::Recordset highest = db.OpenRecordset("select max(TDOS_NUMDOSS) as DERNDOSS from " + dossiers +
                                               " where TDOS_SOC = " + db::sqlLiteral(company),
                                           db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  const long stored = highest.EOF_() ? 0 : long(highest.number(QStringLiteral("DERNDOSS")));
  return std::max(counter, stored) + 1;
}

int nextVersionNumber(db::Database& main, const QString& company, long dossier) {
  db::Recordset versions = main.OpenRecordset(
      QStringLiteral("select TDEV_NSEQ from TDEV where TDEV_SOC = %1 and TDEV_NUMDOSS = %2 "
                     "order by TDEV_NSEQ")
          .arg(db::sqlLiteral(company))
          .arg(dossier),
      db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  if (versions.EOF_()) return 0;
  versions.MoveLast();
  return int(versions.number(QStringLiteral("TDEV_NSEQ"))) + 1;
}

}  // namespace tarovent::dossiers
