#include "CompanyDossiers.h"

#include "platform/db/Database.h"
#include "platform/db/Recordset.h"

namespace tarovent::dossiers {

CompanyDossiers companyDossiers(db::Database& main, const QString& company) {
  db::Recordset rs = main.OpenRecordset(
      QStringLiteral("SELECT Count(*) AS NB, Max(TDOS_NUMDOSS) AS DERNDOSS FROM TDOS "
                     "WHERE TDOS_SOC = %1")
          .arg(db::sqlLiteral(company)),
      db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  if (rs.EOF_()) return {};
  return {long(rs.number(QStringLiteral("NB"))), long(rs.number(QStringLiteral("DERNDOSS")))};
}

}  // namespace tarovent::dossiers
