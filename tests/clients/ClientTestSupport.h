#pragma once

#include "dossiers/WindowTestSupport.h"
#include "platform/mail/NewMail.h"

namespace tarovent::clients::test {

// The test database with categories, payment terms, countries and three clients: C1 with
// contacts numbered 1, 2 (empty) and 5 and three visits, C3 validated with a telephone number.
class ClientWindowTest : public dossiers::test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    for (const char* sql : {
             "INSERT INTO TCAT VALUES ('PRO', 'Professionnel')",
             "INSERT INTO TCAT VALUES ('PAR', 'Particulier')",
             "INSERT INTO TCDP VALUES ('COMPT', 'Comptant')",
             "INSERT INTO TCDP VALUES ('30J', '30 jours fin de mois')",
             "INSERT INTO TPAYS VALUES ('BE', 'Belgique')",
             "INSERT INTO TPAYS VALUES ('CH', 'Suisse')",
             "INSERT INTO TPAYS VALUES ('FR', 'France')",
             "UPDATE TCLI SET TCLI_ADR1 = '2 rue Haute', TCLI_CODP = '26000', TCLI_VILLE = "
             "'Valence', TCLI_Categ = 'PRO', TCLI_EMAIL = 'contact@aubry.fr'",
             "INSERT INTO TCLI (TCLI_CODE, TCLI_RS, TCLI_ADR1, TCLI_CODP, TCLI_VILLE, TCLI_Categ, "
             "TCLI_TEL1, TCLI_Valide) VALUES ('C3', 'Dumas', '1 place', '07000', 'Privas', 'PAR', "
             "'04 75 11 22 33', True)",
             "INSERT INTO TCLI_CONTACT (TCLI_CONTACT_CodCli, TCLI_CONTACT_Num, TCLI_Contact_Nom, "
             "TCLI_CONTACT_Fonct, TCLI_CONTACT_mail) VALUES ('C1', 1, 'Marc Aubry', 'Gérant', "
             "'marc@aubry.fr')",
             "INSERT INTO TCLI_CONTACT (TCLI_CONTACT_CodCli, TCLI_CONTACT_Num) VALUES ('C1', 2)",
             "INSERT INTO TCLI_CONTACT (TCLI_CONTACT_CodCli, TCLI_CONTACT_Num, TCLI_Contact_Nom) "
             "VALUES ('C1', 5, 'Zoé Martin')",
             "INSERT INTO TVIS (TVIS_CodCli, TVIS_DatePrev, TVIS_DateRea, TVIS_Resume) VALUES "
             "('C1', #03/01/2026#, #03/02/2026#, 'Présentation')",
             "INSERT INTO TVIS (TVIS_CodCli, TVIS_DatePrev, TVIS_Resume) VALUES ('C1', "
             "#05/01/2026#, 'Relance devis')",
             "INSERT INTO TVIS (TVIS_CodCli, TVIS_DatePrev, TVIS_DateRea, TVIS_Resume) VALUES "
             "('C1', #01/10/2026#, #01/10/2026#, 'Premier contact')",
         })
      m_db.Execute(QString::fromUtf8(sql));
    // What start-up builds from its fixed list.
    m_state->modesReglementCodes = {"CHQ", "VIR", "ESP"};
    m_state->modesReglementLabels = {QString::fromUtf8("Chèque"), "Virement",
                                     QString::fromUtf8("Espèce")};
    auto mails = std::make_unique<mail::RecordingMailOpener>();
    m_mails = mails.get();
    m_state->mail = std::move(mails);
  }

  mail::RecordingMailOpener* m_mails = nullptr;
};

}  // namespace tarovent::clients::test
