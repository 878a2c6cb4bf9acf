#include <gtest/gtest.h>

#include "clients/ClientRules.h"
#include "dossiers/DossierTestSupport.h"

namespace tarovent::clients {
namespace {

class ClientRules : public dossiers::test::MainDbTest {
 protected:
  void SetUp() override {
    MainDbTest::SetUp();
    for (const char* sql : {
             "INSERT INTO TCLI (TCLI_CODE, TCLI_RS, TCLI_TEL1) VALUES ('OCEANE', "
             "'L''Atelier d''Océane', '04 75 00''01')",
             "INSERT INTO TCLI_CONTACT (TCLI_CONTACT_CodCli, TCLI_CONTACT_Num, TCLI_Contact_Nom, "
             "TCLI_CONTACT_Fonct) VALUES ('C1', 1, 'Marc Aubry', 'Gérant')",
             "INSERT INTO TCLI_CONTACT (TCLI_CONTACT_CodCli, TCLI_CONTACT_Num, TCLI_Contact_Nom) "
             "VALUES ('C1', 2, '   ')",
             "INSERT INTO TCLI_CONTACT (TCLI_CONTACT_CodCli, TCLI_CONTACT_Num, TCLI_CONTACT_Fax) "
             "VALUES ('C1', 3, '01 02')",
             "INSERT INTO TCLI_CONTACT (TCLI_CONTACT_CodCli, TCLI_CONTACT_Num) VALUES ('C1', 9)",
             "INSERT INTO TCLI_CONTACT (TCLI_CONTACT_CodCli, TCLI_CONTACT_Num) VALUES ('C2', 1)",
             "INSERT INTO TCLI_CONTACT (TCLI_CONTACT_CodCli, TCLI_CONTACT_Num) VALUES ('C2', 2)",
         })
      m_db.Execute(QString::fromUtf8(sql));
  }
  QString numbers(const QString& client) {
    db::Recordset rs = m_db.OpenRecordset(contactsSql(client));
    QStringList out;
    for (; !rs.EOF_(); rs.MoveNext()) out << rs.text("TCLI_CONTACT_Num");
    return out.join(',');
  }
};

TEST_F(ClientRules, CodesLoseSpacesAndApostrophes) {
  EXPECT_EQ(cleanClientCode("L'AT ELIER"), "LATELIER");
  EXPECT_EQ(cleanClientCode(" '' "), "");
  EXPECT_EQ(cleanClientCode(QString::fromUtf8("ÉCOLE-2")), QString::fromUtf8("ÉCOLE-2"));
}

TEST_F(ClientRules, IdentityComesBeforeCategory) {
  const ClientIdentity full{"Aubry", "1 rue", "26000", "Valence", "PRO"};
  EXPECT_EQ(missingEntry(full), MissingEntry::None);
  for (QString ClientIdentity::*field : {&ClientIdentity::name, &ClientIdentity::address1,
                                         &ClientIdentity::postalCode, &ClientIdentity::town}) {
    ClientIdentity c = full;
    c.*field = "  ";
    c.category.clear();
    EXPECT_EQ(missingEntry(c), MissingEntry::Identity);
  }
  ClientIdentity noCategory = full;
  noCategory.category = " ";
  EXPECT_EQ(missingEntry(noCategory), MissingEntry::Category);
  EXPECT_EQ(missingEntryMessage(MissingEntry::Identity),
            "Saisie incomplete: Raison Sociale, Adresse ...");
  EXPECT_EQ(missingEntryMessage(MissingEntry::Category),
            QString::fromUtf8("Données incompletes : Catégorie de client ..."));
}

TEST_F(ClientRules, ContactNumbersFollowTheLastEvenWithGaps) {
  EXPECT_EQ(nextContactNumber(m_db, "C1"), 10);
  EXPECT_EQ(nextContactNumber(m_db, "NEW"), 1);
  EXPECT_EQ(addContact(m_db, "NEW", {"Zoé", {}, "01", {}, {}, "z@x.fr"}), 1);
  EXPECT_EQ(addContact(m_db, "NEW", {"Paul", {}, {}, {}, {}, {}}), 2);
  m_db.Execute(
      "DELETE FROM TCLI_CONTACT WHERE TCLI_CONTACT_CodCli = 'NEW' AND "
      "TCLI_CONTACT_Num = 1");
  EXPECT_EQ(addContact(m_db, "NEW", {"Luc", {}, {}, {}, {}, {}}), 3);
  EXPECT_EQ(scalar("select TCLI_CONTACT_mail from TCLI_CONTACT where TCLI_CONTACT_Num = 1 and "
                   "TCLI_CONTACT_CodCli = 'C1'"),
            "");
}

TEST_F(ClientRules, TidyingDropsEmptyContactsButTheFirstAndGivesTheFirst) {
  const auto first = tidyContacts(m_db, "C1");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->name + ' ' + first->function, QString::fromUtf8("Marc Aubry Gérant"));
  // Blanks count as empty; one field (the fax) is enough to stay.
  EXPECT_EQ(numbers("C1"), "1,3");
  // An empty first contact stays.
  EXPECT_TRUE(tidyContacts(m_db, "C2"));
  EXPECT_EQ(numbers("C2"), "1");
  EXPECT_FALSE(tidyContacts(m_db, "NONE"));
}

TEST_F(ClientRules, TelephoneCheckFindsAnotherClientOnly) {
  EXPECT_EQ(clientWithSameTelephone(m_db, "04 75 00'01", "NEW"), "OCEANE");
  EXPECT_EQ(clientWithSameTelephone(m_db, "04 75 00'01", "OCEANE"), "");
  EXPECT_EQ(clientWithSameTelephone(m_db, "04 75 00 02", "NEW"), "");
  EXPECT_EQ(clientWithSameTelephone(m_db, "  ", "NEW"), "");
}

TEST_F(ClientRules, QuickSearchAndCodeCriteriaTakeApostrophes) {
  db::Recordset rs = m_db.OpenRecordset("select * from TCLI order by TCLI_CODE");
  for (const auto& [typed, found] : {std::pair{"oc", "OCEANE"}, {"C2", "C2"}, {"L'A", "OCEANE"}}) {
    rs.FindFirst(quickSearchCriteria(typed));
    EXPECT_EQ(rs.NoMatch() ? "" : rs.text("TCLI_CODE"), found) << typed;
  }
  rs.FindFirst(quickSearchCriteria("Z'"));
  EXPECT_TRUE(rs.NoMatch());
  rs.FindFirst(codeCriteria("C'1"));
  EXPECT_TRUE(rs.NoMatch());
}

}  // namespace
}  // namespace tarovent::clients
