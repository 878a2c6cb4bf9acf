#pragma once

#include <QDate>

#include "dossiers/DossierTestSupport.h"

namespace tarovent::clients::test {

// A Jet date literal `days` from today.
inline QString jetDay(int days) {
  return '#' + QDate::currentDate().addDays(days).toString(QStringLiteral("MM/dd/yyyy")) + '#';
}

// Dossiers of company AB: 1 (JD, client C1, contact Marc Aubry) with versions 0, 1 and 2,
// version 1 due yesterday; 2 (PL, client C2) version 0 due today; 3 (JD) version 0 due tomorrow;
// 4 (JD, contact unknown) version 0 with no reminder.
inline void addReminders(db::Database& db) {
  for (
      const QString& sql : QStringList{
          QStringLiteral("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_CAL, "
                         "TDOS_CONTACT, TDOS_RESUME) VALUES ('AB', 1, 'C1', 'JD', 'Marc Aubry', "
                         "'Portail')"),
          QStringLiteral("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_CAL, "
                         "TDOS_CONTACT, TDOS_RESUME) VALUES ('AB', 2, 'C2', 'PL', 'Inconnu', "
                         "'Clôture')"),
          QStringLiteral("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_CAL) "
                         "VALUES ('AB', 3, 'C1', 'JD')"),
          QStringLiteral("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_CAL) "
                         "VALUES ('AB', 4, 'C1', 'JD')"),
          "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ) VALUES ('AB', 1, 0)",
          "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATREL) VALUES ('AB', 1, 1, " +
              jetDay(-1) + ")",
          "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATREL) VALUES ('AB', 1, 2, " +
              jetDay(-30) + ")",
          "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATREL) VALUES ('AB', 2, 0, " +
              jetDay(0) + ")",
          "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATREL) VALUES ('AB', 3, 0, " +
              jetDay(1) + ")",
          QStringLiteral(
              "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ) VALUES ('AB', 4, 0)"),
          QStringLiteral("INSERT INTO TCLI_CONTACT (TCLI_CONTACT_CodCli, TCLI_CONTACT_Num, "
                         "TCLI_Contact_Nom, TCLI_CONTACT_Fonct, TCLI_CONTACT_Tel, "
                         "TCLI_CONTACT_Portab, TCLI_CONTACT_mail) VALUES ('C1', 1, 'Marc Aubry', "
                         "'Gérant', '04 75 00 00 01', '06 00 00 00 01', 'marc@aubry.fr')"),
      })
    db.Execute(sql);
}

}  // namespace tarovent::clients::test
