#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "ClientTestSupport.h"
#include "clients/FCLIDEV.h"
#include "ui/BoundComboBox.h"
#include "ui/DataControl.h"

namespace tarovent::clients {
namespace {

using tarovent::test::pressKey;
using tarovent::test::typeText;
using ui::Answer;

class Fclidev : public test::ClientWindowTest {
 protected:
  void SetUp() override {
    ClientWindowTest::SetUp();
    open<FCLIDEV>();
  }
  QString caption() { return get<ui::DataControl>("DBD_Cli")->caption(); }
  QString code() { return get<QLineEdit>("CTX_TCLI_CODE")->text(); }
  QString text(const char* box) { return get<QLineEdit>(box)->text(); }
  void goTo(const QString& client) {
    auto* data = get<ui::DataControl>("DBD_Cli");
    data->Recordset().FindFirst("TCLI_CODE = '" + client + "'");
    data->showRecord();
    ASSERT_EQ(code(), client);
  }
  void chooseCategory(const QString& c) {
    auto* combo = get<ui::BoundComboBox>("DBC_Categ");
    combo->setFocus();
    combo->setCode(c);
  }
  static void settle() {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 300) QApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  // A new client with everything required.
  void newClient(const QString& c, const QString& name, const QString& tel = {}) {
    click("Cmd_ADD");
    typeText(get("CTX_TCLI_CODE"), c);
    type("CTX_TCLI_RS", name);
    type("CTX_TCLI_ADR1", "3 avenue Victor Hugo");
    type("CTX_TCLI_CODP", "26100");
    type("CTX_TCLI_VILLE", "Romans");
    chooseCategory("PRO");
    if (!tel.isEmpty()) type("CTX_TCLI_TEL1", tel);
  }
  QString errors() { return m_messages.texts().join('|'); }
};

TEST_F(Fclidev, OpensOnTheFirstClientWithItsContactsAndPosition) {
  EXPECT_EQ(caption(), "Fiche Client : 1 / 3");
  EXPECT_EQ(get<QComboBox>("DBC_Categ")->currentText(), "Professionnel");
  EXPECT_EQ(text("CTX_CONTACT_Nom"), "Marc Aubry");
  // Refresh stays on the client shown and brings changes made elsewhere.
  get<ui::DataControl>("DBD_Cli")->MoveNext();
  m_db.Execute("UPDATE TCLI SET TCLI_RS = 'Berthier SA' WHERE TCLI_CODE = 'C2'");
  click("CMD_REFRESH");
  EXPECT_EQ(caption(), "Fiche Client : 2 / 3");
  EXPECT_EQ(text("CTX_TCLI_RS"), "Berthier SA");
  EXPECT_EQ(get<QTableView>("DBG_Contact")->model()->rowCount(), 0);
}

TEST_F(Fclidev, ACodeIsCleanedAsTypedAndAnExistingOneRefused) {
  click("Cmd_ADD");
  typeText(get("CTX_TCLI_CODE"), "c '1");
  EXPECT_EQ(m_messages.beeps(), 2);
  pressKey(get("CTX_TCLI_CODE"), Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(m_messages.texts(), QStringList{QString::fromUtf8(" Le client c1 existe déjà !!!")});
  EXPECT_EQ(focused(), "CTX_TCLI_CODE");
}

TEST_F(Fclidev, SavingWithTheTownEmptySavesNothingContactsIncluded) {
  newClient("NEW", "Sans ville");
  get<QLineEdit>("CTX_TCLI_VILLE")->clear();
  click("CMD_NouvContact");
  typeText(get("CTX_CONTACT_Nom"), "Jean");
  click("CMD_OKNouvContact");
  EXPECT_EQ(m_messages.texts(), QStringList{"Saisie incomplete: Raison Sociale, Adresse ..."});
  EXPECT_EQ(scalar("select count(*) from TCLI") + scalar("select count(*) from TCLI_CONTACT"),
            "33");

  // Completed, the client and its first contact are saved together.
  m_messages.clear();
  type("CTX_TCLI_VILLE", "Romans");
  click("Cmd_Update");
  EXPECT_TRUE(m_messages.texts().isEmpty()) << errors().toStdString();
  EXPECT_EQ(scalar("select TCLI_Contact_Nom from TCLI_CONTACT where TCLI_CONTACT_CodCli = 'NEW'"),
            "Jean");
}

TEST_F(Fclidev, ANewClientWithAnotherClientsTelephoneIsSavedThenWarned) {
  newClient("NEW", "Doublon", "04 75 11 22 33");
  click("Cmd_Update");  // saved, then warned
  EXPECT_EQ(m_messages.texts(),
            QStringList{QString::fromUtf8("ATTENTION : Le client que vous venez de créer a le "
                                          "même n° de tél. que le client C3")});
  // An existing client saved with that number is never warned about.
  m_messages.clear();
  goTo("C1");
  type("CTX_TCLI_TEL1", "04 75 11 22 33");
  click("Cmd_Update");
  EXPECT_TRUE(m_messages.texts().isEmpty()) << errors().toStdString();
  EXPECT_EQ(scalar("select count(*) from TCLI where TCLI_TEL1 = '04 75 11 22 33'"), "3");
}

TEST_F(Fclidev, AValidatedClientIsNeverDeleted) {
  goTo("C3");
  m_messages.script({Answer::No, Answer::Yes});
  click("Cmd_Delete");
  click("Cmd_Delete");
  EXPECT_EQ(m_messages.texts(),
            (QStringList{"Confirmer la suppression", "Confirmer la suppression",
                         QString::fromUtf8("Ce client a été validé. Suppression impossible.")}));
  EXPECT_EQ(scalar("select count(*) from TCLI where TCLI_CODE = 'C3'"), "1");
  // Another one goes, and the next client shows.
  goTo("C1");
  m_messages.script({Answer::Yes});
  click("Cmd_Delete");
  EXPECT_EQ(scalar("select count(*) from TCLI where TCLI_CODE = 'C1'"), "0");
  EXPECT_EQ(code(), "C2");
}

TEST_F(Fclidev, LAtelierDOceaneIsSavedAndFoundWithoutDatabaseErrors) {
  const QString name = QString::fromUtf8("L'Atelier d'Océane");
  newClient("OCEANE", name, "04 75 00 00 01");
  type("CTX_TCLI_ADR2", QString::fromUtf8("Chez l'ami d'Océane"));
  click("Cmd_Update");
  EXPECT_EQ(scalar("select TCLI_RS from TCLI where TCLI_CODE = 'OCEANE'"), name);
  // The quick search of the list finds it.
  click("Cmd_Liste");
  goTo("C1");
  typeText(get("CTX_Recherche"), "oc");
  EXPECT_EQ(text("CTX_TCLI_RS"), name);
}

TEST_F(Fclidev, ListRefreshVisitsAndQuitWaitForTheChangesToBeSaved) {
  type("CTX_TCLI_Notes2", "en cours");
  click("Cmd_Liste");
  click("CMD_REFRESH");
  click("Cmd_Suivis");
  click("Cmd_Quitter");
  EXPECT_EQ(
      m_messages.texts(),
      (QStringList{"Enregistrez ou annulez votre saisie", "Enregistrez ou annulez votre saisie",
                   QString::fromUtf8("Enregistrez ou annulez d'abord votre saisie."),
                   "Enregistrez ou annulez votre saisie"}));
  EXPECT_TRUE(m_window->isVisible());
  click("Cmd_Annul");
  EXPECT_EQ(text("CTX_TCLI_Notes2"), "");
}

TEST_F(Fclidev, VisitsNewestFirstUnderThreeFilters) {
  click("Cmd_Suivis");
  auto* grid = get<QTableView>("DBG_Vis");
  const auto resumes = [grid] {
    QStringList out;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
      out << grid->model()->index(r, 2).data().toString();
    return out;
  };
  EXPECT_EQ(resumes(),
            (QStringList{"Relance devis", QString::fromUtf8("Présentation"), "Premier contact"}));
  qobject_cast<QRadioButton*>(ui::indexedControl(m_window.get(), "OPT_Visites", 1))->click();
  EXPECT_EQ(resumes(), QStringList{"Relance devis"});
  get<ui::DataControl>("DBD_Cli")->MoveNext();  // another client: its own visits
  EXPECT_EQ(resumes(), QStringList{});
}

TEST_F(Fclidev, CountryListByF4EnterAndEsc) {
  auto* country = get<QLineEdit>("CTX_TCLI_PAYS");
  country->setFocus();
  pressKey(country, Qt::Key_F4);
  auto* list = get<QListWidget>("BXL_Pays");
  EXPECT_EQ(focused(), "BXL_Pays");
  pressKey(list, Qt::Key_Down);
  pressKey(list, Qt::Key_Return);
  EXPECT_FALSE(list->isVisible());
  EXPECT_EQ(country->text(), "CH");
  EXPECT_EQ(focused(), "CTX_TCLI_PAYS");
  pressKey(country, Qt::Key_F4);
  pressKey(list, Qt::Key_Escape);
  EXPECT_TRUE(m_window->isVisible());
}

TEST_F(Fclidev, MemoOpensOverTheRecordAndEscHidesIt) {
  click("Cmd_memo");
  auto* memo = get<QPlainTextEdit>("CTX_TCLI_MEMO");
  typeText(memo, "Client fidèle");
  pressKey(memo, Qt::Key_Escape);
  EXPECT_FALSE(memo->isVisible());
  pressKey(QApplication::focusWidget(), Qt::Key_F10);
  EXPECT_EQ(scalar("select TCLI_MEMO from TCLI where TCLI_CODE = 'C1'"),
            QString::fromUtf8("Client fidèle"));
}

TEST_F(Fclidev, MailButtonsOpenANewMailToTheBoxesAddress) {
  click("CMD_Mail");
  click("CMD_MailContact");
  ASSERT_EQ(m_mails->mails().size(), 2);
  EXPECT_EQ(m_mails->mails()[0].to, "contact@aubry.fr");
  EXPECT_EQ(m_mails->mails()[1].to, "marc@aubry.fr");
  m_mails->setResult({mail::MailOutcome::Failed, "/tmp/x/Nouveau message.eml", {}});
  click("CMD_Mail");
  ASSERT_EQ(m_messages.texts().size(), 1);
  EXPECT_TRUE(m_messages.texts()[0].endsWith("/tmp/x/Nouveau message.eml"));
}

TEST_F(Fclidev, AClientAskedByAnotherWindowClosesItAfterSaving) {
  m_state->clientCreationRequest = true;
  m_state->lastCreatedClient = "OLD";
  newClient("ASKED", "Demandé");
  pressKey(get("CTX_TCLI_VILLE"), Qt::Key_F10);
  EXPECT_EQ(m_state->lastCreatedClient, "ASKED");
  EXPECT_FALSE(m_window->isVisible());
}

TEST_F(Fclidev, QuittingWithoutACodeDropsTheNewClient) {
  click("Cmd_ADD");
  type("CTX_TCLI_RS", "Brouillon");
  get<QLineEdit>("CTX_TCLI_CODE")->clear();
  click("Cmd_Quitter");
  EXPECT_FALSE(m_window->isVisible());
  EXPECT_EQ(scalar("select count(*) from TCLI"), "3");
}

TEST_F(Fclidev, ANewClientByKeyboardAlone) {
  pressKey(get("CTX_TCLI_CODE"), Qt::Key_A, Qt::AltModifier);
  settle();
  EXPECT_EQ(focused(), "CTX_TCLI_CODE");
  EXPECT_EQ(caption(), "Fiche Client : 4 / 4");
  const QList<std::pair<const char*, QString>> entries = {
      {"CTX_TCLI_CODE", "KBD"},      {"CTX_TCLI_RS", "Clavier SARL"}, {"CTX_TCLI_ADR1", "5 quai"},
      {"CTX_TCLI_ADR2", ""},         {"CTX_TCLI_ADR3", ""},           {"CTX_TCLI_CODP", "38000"},
      {"CTX_TCLI_VILLE", "Grenoble"}};
  for (const auto& [box, value] : entries) {
    EXPECT_EQ(focused(), box);
    typeText(QApplication::focusWidget(), value);
    pressKey(QApplication::focusWidget(), Qt::Key_Return);
  }
  EXPECT_EQ(focused(), "CTX_TCLI_PAYS");
  pressKey(QApplication::focusWidget(), Qt::Key_F4);
  pressKey(QApplication::focusWidget(), Qt::Key_End);
  pressKey(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(text("CTX_TCLI_PAYS"), "FR");
  // The category by its access key, then a code typed in the combo.
  pressKey(QApplication::focusWidget(), Qt::Key_G, Qt::AltModifier);
  settle();
  EXPECT_EQ(focused(), "DBC_Categ");
  pressKey(QApplication::focusWidget(), Qt::Key_Down);
  pressKey(QApplication::focusWidget(), Qt::Key_F10);
  // A new client is preset to cheque and the first payment terms.
  EXPECT_EQ(scalar("select TCLI_VILLE & '|' & TCLI_PAYS & '|' & TCLI_Categ & '|' & TCLI_ModPaie "
                   "& '|' & TCLI_CondPaie from TCLI where TCLI_CODE = 'KBD'"),
            "Grenoble|FR|PAR|CHQ|30J");
  EXPECT_EQ(focused(), "Cmd_ADD");
  EXPECT_TRUE(m_messages.texts().isEmpty()) << errors().toStdString();
}

}  // namespace
}  // namespace tarovent::clients
