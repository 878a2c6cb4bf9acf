#pragma once

#include "core/ProcessState.h"
#include "dossiers/QuoteVersions.h"
#include "platform/db/Database.h"

namespace tarovent::dossiers::test {

// Dossier AB 5 of client C1 (quote type A1, modes V and R) in `db`, and `state` set up over it:
// its documents folder `folder`, the clients-by-key table, the general parameters (modes R and
// V, VAT 20 %, second currency FRF at 6.55957). Client C2 lives abroad ("B").
inline DossierKey setUpVersions(core::ProcessState& state, db::Database& db,
                                const QString& folder) {
  state.base(core::entry::Main).folder = folder;
  state.base(core::entry::Main).file = "TAROVENT.MDB";
  state.base(core::entry::Main).db = db;
  state.params.tarifMat = "R";
  state.params.tarifMo = "V";
  state.params.txTvaDef = 20;
  state.params.coeffDev = 6.55957;
  state.params.libDev2 = "FRF";
  db.Execute(
      "UPDATE TCLI SET TCLI_PAYS = 'F', TCLI_PCRemise = 12.5, TCLI_Categ = 'GR' "
      "WHERE TCLI_CODE = 'C1'");
  db.Execute("UPDATE TCLI SET TCLI_PAYS = 'B' WHERE TCLI_CODE = 'C2'");
  db.Execute(
      "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE) "
      "VALUES ('AB', 5, 'C1', 'A1')");
  state.clientTable = db.OpenRecordset("TCLI", db::RecordsetType::Table, db::rsopt::ReadOnly);
  state.clientTable.setIndex("PrimaryKey");
  return {"AB", 5, "A1", "C1"};
}

// A field of version `sequence` of dossier AB 5, as text.
inline QString versionField(db::Database& db, int sequence, const QString& name) {
  db::Recordset rs = db.OpenRecordset(
      QStringLiteral("select %1 from TDEV where TDEV_SOC = 'AB' and TDEV_NUMDOSS = 5 and "
                     "TDEV_NSEQ = %2")
          .arg(name)
          .arg(sequence));
  return rs.EOF_() ? QStringLiteral("<none>") : rs.value(0).toString();
}

// Version `sequence` of dossier AB 5; `reminder` in Jet form ("#01/15/2027#") or "Null".
inline void insertVersion(db::Database& db, int sequence, const QString& mat = "V",
                          const QString& mo = "R", const QString& reminder = "Null") {
  db.Execute(QStringLiteral("INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE, "
                            "TDEV_DATREL, TDEV_TARMAT, TDEV_TARMO) VALUES ('AB', 5, %1, "
                            "#11/02/2026#, %2, '%3', '%4')")
                 .arg(sequence)
                 .arg(reminder, mat, mo));
}

}  // namespace tarovent::dossiers::test
