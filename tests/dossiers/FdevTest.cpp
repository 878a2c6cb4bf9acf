#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QProcess>

#include "WindowTestSupport.h"
#include "core/GridTools.h"
#include "dossiers/DuplicationPanel.h"
#include "dossiers/FDEV.h"
#include "platform/db/Connection.h"
#include "platform/db/DefaultServer.h"
#include "platform/db/PgDatabase.h"
#include "platform/db/PgSession.h"
#include "ui/BoundComboBox.h"
#include "ui/BoundLineEdit.h"
#include "ui/DataControl.h"

namespace tarovent::dossiers {
namespace {

using tarovent::test::pressKey;
using ui::Answer;

const QString kRefusal = "Enregistrez ou annulez d'abord votre saisie";

// The workspace over companies AB (active) and ZZ (deactivated): AB 5 of client C1 with three
// versions, AB 3 of a client that no longer exists, ZZ 2 of representative JD.
class FdevTest : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    for (const char* sql : {
             "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE, TDOS_CAL, "
             "TDOS_RESUME, TDOS_CONTACT) VALUES ('AB', 5, 'C1', 'A1', 'MA', 'Portail', 'Luc')",
             "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE) "
             "VALUES ('AB', 3, 'GONE', 'A1')",
             "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE, TDOS_CAL) "
             "VALUES ('ZZ', 2, 'C2', 'A1', 'JD')",
             "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE) "
             "VALUES ('AB', 5, 0, #01/10/2026#)",
             "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE) "
             "VALUES ('AB', 5, 2, #03/15/2026#)",
             "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE) "
             "VALUES ('ZZ', 2, 0, #11/30/2025#)",
             "INSERT INTO TCAL (TCAL_CODE, TCAL_NOM) VALUES ('MA', 'Marc Aubert')",
             "INSERT INTO TCLI_CONTACT (TCLI_CONTACT_CodCli, TCLI_CONTACT_Num, "
             "TCLI_Contact_Nom, TCLI_CONTACT_Tel, TCLI_CONTACT_mail) "
             "VALUES ('C1', 1, 'Luc', '0102', 'luc@aubry.fr')",
             "INSERT INTO TCLI_CONTACT (TCLI_CONTACT_CodCli, TCLI_CONTACT_Num, "
             "TCLI_Contact_Nom, TCLI_CONTACT_Tel) VALUES ('C1', 2, 'Zoé', '0203')",
             "UPDATE TCLI SET TCLI_Valide = True WHERE TCLI_CODE = 'C1'",
         })
      m_db.Execute(QString::fromUtf8(sql));
  }

  FDEV* fdev() { return static_cast<FDEV*>(m_window.get()); }
  // A trigger of the database that refuses to delete any dossier, as a lock of the database's
  // administrator would; dropped again with `refuse` false.
  void refuseDossierDeletes(bool refuse) {
    if (const auto server = m_db.server()) {
      db::PgSession& s = server->session();
      if (refuse) {
        s.exec(
            "CREATE FUNCTION keep_dossiers() RETURNS trigger LANGUAGE plpgsql AS "
            "$$BEGIN RAISE EXCEPTION 'dossier verrouillé'; END$$");
        s.exec("CREATE TRIGGER keep_dossiers BEFORE DELETE ON \"TDOS\" FOR EACH ROW "
               "EXECUTE FUNCTION keep_dossiers()");
      } else {
        s.exec("DROP TRIGGER keep_dossiers ON \"TDOS\"");
      }
    } else if (refuse) {
      m_db.connection()->exec(
          "CREATE TRIGGER keep_dossiers BEFORE DELETE ON TDOS BEGIN SELECT RAISE(ABORT, "
          "'dossier verrouillé'); END");
    } else {
      m_db.connection()->exec("DROP TRIGGER keep_dossiers");
    }
  }
  ui::DataControl* data() { return get<ui::DataControl>("DBD_DOSS"); }
  QString shown(const char* box) { return get<QLineEdit>(box)->text(); }
  // The dossiers of the list, "AB 5", in list order.
  QStringList listed() {
    QStringList rows;
    auto* model = get<QTableView>("DBG_ListeDOSS")->model();
    for (int r = 0; r < model->rowCount(); ++r)
      rows << model->index(r, 0).data().toString() + ' ' + model->index(r, 1).data().toString();
    return rows;
  }
  QString cell(int row, int column) {
    auto* view = get<QTableView>("DBG_ListeDOSS");
    return view->model()->index(row, column).data().toString();
  }
  QStringList companiesOffered() {
    QStringList codes;
    auto* box = get<ui::BoundComboBox>("DBC_SOC");
    for (int i = 0; i < box->count(); ++i) codes << box->model()->index(i, 0).data().toString();
    return codes;
  }
  void goTo(const QString& company, long number) {
    data()->Recordset().FindFirst(
        QStringLiteral("TDOS_SOC = '%1' and TDOS_NUMDOSS = %2").arg(company).arg(number));
    ASSERT_FALSE(data()->Recordset().NoMatch());
    data()->showRecord();
  }
  // Types into a box and presses Enter there.
  void enter(const char* box, const QString& text) {
    type(box, text);
    pressKey(QApplication::focusWidget(), Qt::Key_Return);
  }
  // A new dossier's company, type and client, filled in without the keyboard.
  void fillNew(const QString& company, const QString& type, const QString& client) {
    get<ui::BoundComboBox>("DBC_SOC")->setCode(company);
    get<ui::BoundComboBox>("DBC_TYP")->setCode(type);
    get<QLineEdit>("CTX_DOS_CodCli")->setText(client);
  }
  void choose(const char* combo, const QString& code) {
    auto* box = get<ui::BoundComboBox>(combo);
    box->setCode(code);
    emit box->activated(box->currentIndex());
  }
};

TEST_F(FdevTest, ListColumnsWithLastVersionDateAndClientName) {
  open<FDEV>();
  EXPECT_EQ(listed(), (QStringList{"AB 5", "AB 3", "ZZ 2"}));
  EXPECT_EQ(cell(0, 9), "15/03/26");
  EXPECT_EQ(cell(2, 12), "Berthier");
  // The first dossier's client, contact and representative fill the form.
  EXPECT_EQ(shown("FCLI_RS"), "Aubry");
  EXPECT_EQ(shown("FCLI_TEL1"), "0102");
  EXPECT_EQ(m_state->quote.representativeName, "Marc Aubert");
  // A dossier whose client was deleted says so.
  goTo("AB", 3);
  EXPECT_EQ(m_messages.texts().value(0),
            "Le client GONE n'existe plus, choisissez un client valide");
  EXPECT_EQ(shown("FCLI_RS"), "");
}

// Regression: the Date and client-name columns were only drawn: printed and exported blank,
// and sorting on them was refused.
TEST_F(FdevTest, TheDateAndClientNameColumnsSort) {
  open<FDEV>();
  auto* view = get<QTableView>("DBG_ListeDOSS");
  const auto sortOn = [&](int column) {
    view->setCurrentIndex(view->model()->index(0, column));
    QDialog* d = core::Outil_Grille(*m_state, 2, view, data());
    ASSERT_TRUE(d) << m_messages.texts().join('|').toStdString();
    tarovent::test::child<QAbstractButton>(d, "Cmd_GoClasser")->click();
    QApplication::processEvents();
  };
  sortOn(12);
  EXPECT_EQ(listed(), (QStringList{"AB 3", "AB 5", "ZZ 2"}))
      << m_messages.texts().join('|').toStdString();
  EXPECT_EQ(cell(2, 12), "Berthier");
  sortOn(9);
  EXPECT_EQ(listed(), (QStringList{"AB 3", "ZZ 2", "AB 5"}))
      << m_messages.texts().join('|').toStdString();
  EXPECT_EQ(cell(2, 9), "15/03/26");
}

TEST_F(FdevTest, SalesRepresentativeSeesHisDossiersAndSignsNewOnes) {
  m_state->config.salesRep = "JD";
  open<FDEV>();
  EXPECT_EQ(listed(), QStringList{"ZZ 2"});
  click("Cmd_DOSSADD");
  get<QLineEdit>("FDOS_CAL")->setText("MA");  // whatever was typed
  fillNew("AB", "A1", "C2");
  ASSERT_TRUE(fdev()->saveDossier()) << m_messages.texts().join('|').toStdString();
  EXPECT_EQ(scalar("select TDOS_CAL from TDOS where TDOS_SOC = 'AB' and TDOS_NUMDOSS = 7"), "JD");
  EXPECT_EQ(listed(), (QStringList{"ZZ 2", "AB 7"}));
  // An unknown one still opens, on an empty list.
  m_state->config.salesRep = "XX";
  m_messages.clear();
  open<FDEV>();
  EXPECT_EQ(m_messages.texts(), QStringList{"Code commercial <XX> inconnu !!!"});
  EXPECT_TRUE(listed().isEmpty());
}

TEST_F(FdevTest, CreationRefusals) {
  open<FDEV>();
  // Required data: nothing written, the entry stays open.
  click("Cmd_DOSSADD");
  fillNew("AB", "A1", "");
  click("Cmd_DOSSUpdate");
  EXPECT_EQ(m_messages.texts(), QStringList{"Données incomplètes, enregistrement impossible"});
  EXPECT_TRUE(fdev()->isAdding());
  // The keyboard goes to what is missing, the first of them from the top.
  EXPECT_EQ(QApplication::focusWidget(), get<QWidget>("CTX_DOS_CodCli"));
  fillNew("AB", "", "");
  click("Cmd_DOSSUpdate");
  EXPECT_EQ(QApplication::focusWidget(), get<QWidget>("DBC_TYP"));
  click("Cmd_DOSSAnnul");
  EXPECT_EQ(fdev()->currentDossier().number, 5);
  // No quote type: refused before any row starts.
  m_db.Execute("DELETE FROM TTYP");
  m_messages.clear();
  click("Cmd_DOSSADD");
  EXPECT_EQ(m_messages.texts(),
            QStringList{"Vous devez préalablement créer vos modèles (Types de devis)"});
  EXPECT_FALSE(fdev()->isAdding());
}

TEST_F(FdevTest, DeactivatedCompanyListedButNotOffered) {
  m_state->config.defaultCompany = "AB";
  open<FDEV>();
  EXPECT_TRUE(listed().contains("ZZ 2"));
  goTo("ZZ", 2);
  click("Cmd_DOSSADD");
  EXPECT_EQ(companiesOffered(), QStringList{"AB"});
  EXPECT_EQ(get<ui::BoundComboBox>("DBC_SOC")->code(), "AB");
  click("Cmd_DOSSAnnul");
  EXPECT_EQ(companiesOffered(), (QStringList{"AB", "ZZ"}));
}

TEST_F(FdevTest, NextCompanyWrapsToTheFirstDossier) {
  open<FDEV>();
  click("CMD_SOCSUIV");
  EXPECT_EQ(fdev()->currentDossier().company, "ZZ");
  click("CMD_SOCSUIV");
  EXPECT_EQ(fdev()->currentDossier().company, "AB");
  EXPECT_EQ(fdev()->currentDossier().number, 5);
}

// AB 5 has one document in the folder, one in the subfolder; another dossier's is left alone.
TEST_F(FdevTest, DeleteAsksAboutDocumentsOnlyWhenThereAre) {
  ASSERT_TRUE(QDir(m_dir.path()).mkdir("DOC_TAROVENT"));
  for (const char* name : {"00005_00.AB", "DOC_TAROVENT/00005_02.AB", "00015_00.AB"}) {
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  open<FDEV>();
  m_messages.clear();
  m_messages.script({Answer::Yes, Answer::No});
  click("Cmd_DOSSDelete");
  EXPECT_EQ(m_messages.texts(), (QStringList{"Confirmer la suppression du dossier",
                                             "Les textes des devis de ce dossier vont être "
                                             "supprimés"}));
  EXPECT_TRUE(QFile::exists(path("00005_00.AB")));
  EXPECT_EQ(scalar("select count(*) from TDOS where TDOS_NUMDOSS = 5"), "1");
  m_messages.script({Answer::Yes, Answer::Yes});
  click("Cmd_DOSSDelete");
  EXPECT_FALSE(QFile::exists(path("00005_00.AB")));
  EXPECT_FALSE(QFile::exists(path("DOC_TAROVENT/00005_02.AB")));
  EXPECT_TRUE(QFile::exists(path("00015_00.AB")));
  EXPECT_EQ(scalar("select count(*) from TDOS where TDOS_NUMDOSS = 5"), "0");
}

// The rows go before the texts and together: a database that refuses keeps the dossier, its
// versions and its texts; once it accepts, the versions go with the dossier.
TEST_F(FdevTest, DeletingADossierTakesItsVersionsAndKeepsTheTextsWhenRefused) {
  {
    QFile f(path("00005_00.AB"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  refuseDossierDeletes(true);
  open<FDEV>();
  ASSERT_EQ(fdev()->currentDossier().number, 5);
  m_messages.clear();
  m_messages.script({Answer::Yes, Answer::Yes});
  click("Cmd_DOSSDelete");
  EXPECT_EQ(m_messages.texts().size(), 3) << m_messages.texts().join('|').toStdString();
  EXPECT_TRUE(QFile::exists(path("00005_00.AB")));
  EXPECT_EQ(scalar("select count(*) from TDEV where TDEV_SOC = 'AB' and TDEV_NUMDOSS = 5"), "2");
  EXPECT_EQ(scalar("select count(*) from TDOS where TDOS_SOC = 'AB' and TDOS_NUMDOSS = 5"), "1");

  refuseDossierDeletes(false);
  data()->Refresh();
  goTo("AB", 5);
  m_messages.clear();
  m_messages.script({Answer::Yes, Answer::Yes});
  click("Cmd_DOSSDelete");
  EXPECT_FALSE(QFile::exists(path("00005_00.AB")));
  EXPECT_EQ(scalar("select count(*) from TDEV where TDEV_SOC = 'AB' and TDEV_NUMDOSS = 5"), "0");
  EXPECT_EQ(scalar("select count(*) from TDOS where TDOS_SOC = 'AB' and TDOS_NUMDOSS = 5"), "0");
  EXPECT_EQ(scalar("select count(*) from TDEV where TDEV_SOC = 'ZZ'"), "1");

  // Regression: once the last dossier was deleted, the versions page stayed on screen.
  for (int left = 2; left > 0; --left) {
    m_messages.script({Answer::Yes, Answer::Yes});
    click("Cmd_DOSSDelete");
  }
  EXPECT_EQ(scalar("select count(*) from TDOS"), "0");
  EXPECT_TRUE(get("FRM_SansVersion")->isVisible());
}

// Regression: moving in the list while the duplication panel was open copied the dossier it was
// opened for, not the one on screen.
TEST_F(FdevTest, TheDuplicationPanelGoesWhenAnotherDossierIsShown) {
  open<FDEV>();
  goTo("AB", 5);
  click("Cmd_DOSSDupli");
  auto* panel = m_window->findChild<DuplicationPanel*>();
  ASSERT_TRUE(panel && panel->isVisible()) << m_messages.texts().join('|').toStdString();
  goTo("ZZ", 2);
  EXPECT_FALSE(panel->isVisible());
}

TEST_F(FdevTest, PendingChangeGuard) {
  open<FDEV>();
  type("FDOS_RESUME", "Clôture");
  m_messages.clear();
  click("CMD_REFRESH");
  click("Cmd_DOSSADD");
  click("Cmd_Quitter");
  EXPECT_EQ(m_messages.texts(), (QStringList{kRefusal, kRefusal, kRefusal}));
  EXPECT_TRUE(fdev()->isVisible());
  click("Cmd_DOSSAnnul");
  EXPECT_EQ(shown("FDOS_RESUME"), "Portail");
}

TEST_F(FdevTest, ClientEntryAndClientList) {
  m_db.Execute("INSERT INTO TCLI (TCLI_CODE, TCLI_RS) VALUES ('DUR', 'Durand')");
  m_db.Execute("INSERT INTO TCLI (TCLI_CODE, TCLI_RS) VALUES ('DUV', 'Duval')");
  open<FDEV>();
  // An exact code: name and contacts, the contact boxes emptied; not validated is said.
  enter("CTX_DOS_CodCli", "C2");
  EXPECT_EQ(shown("FCLI_RS"), "Berthier");
  EXPECT_EQ(shown("FCLI_Contact"), "");
  EXPECT_EQ(m_messages.texts(), QStringList{"Ce client n'est pas validé"});
  // A partial code opens the list on the first code at or after it.
  enter("CTX_DOS_CodCli", "D");
  EXPECT_EQ(focused(), "CTX_Buffer");
  auto* clients = get<ui::DataControl>("DBD_ListeCli");
  EXPECT_EQ(clients->Recordset().text("TCLI_CODE"), "DUR");
  EXPECT_EQ(shown("CTX_Buffer"), "D");
  pressKey(get<QWidget>("CTX_Buffer"), Qt::Key_Escape);
  // A name typed in the client box: the list on the client of that name, the name searched.
  enter("CTX_DOS_CodCli", "duval");
  EXPECT_EQ(focused(), "CTX_Buffer");
  EXPECT_EQ(clients->Recordset().text("TCLI_CODE"), "DUV");
  EXPECT_EQ(shown("CTX_Buffer"), "duval");
  click("Cmd_RazBuffer");
  tarovent::test::typeText(get<QWidget>("CTX_Buffer"), "C1");
  pressKey(get<QWidget>("CTX_Buffer"), Qt::Key_Return);
  EXPECT_FALSE(get<QWidget>("FRM_ListeCli")->isVisible());
  EXPECT_EQ(shown("FCLI_RS"), "Aubry");
  // The contact picker fills the four boxes.
  auto* contacts = get<QComboBox>("DBC_Contact");
  ASSERT_EQ(contacts->count(), 2);
  contacts->setCurrentIndex(1);
  emit contacts->activated(1);
  EXPECT_EQ(shown("FCLI_Contact"), "Zoé");
  EXPECT_EQ(shown("FCLI_TEL1"), "0203");
  EXPECT_EQ(get<QLineEdit>("FCLI_TEL1")->cursorPosition(), 0);  // shown from its beginning
  // F4 opens the list too; Esc gives the box back.
  pressKey(get<QWidget>("CTX_DOS_CodCli"), Qt::Key_F4);
  pressKey(get<QWidget>("CTX_Buffer"), Qt::Key_Escape);
  EXPECT_FALSE(get<QWidget>("FRM_ListeCli")->isVisible());
  EXPECT_EQ(focused(), "CTX_DOS_CodCli");
}

TEST_F(FdevTest, RepresentativeAndQuoteTypeChecks) {
  open<FDEV>();
  enter("FDOS_CAL", "QQ");
  QApplication::processEvents();
  EXPECT_EQ(m_messages.texts(), QStringList{"Commercial inconnu"});
  EXPECT_EQ(shown("FDOS_CAL"), "");
  auto* reps = get<QComboBox>("DBC_Cal");
  emit reps->activated(reps->findData("JD"));
  EXPECT_EQ(m_state->quote.representativeName, "Jean Dupont");
  // A deactivated type: Cancel empties the selector, OK keeps it.
  m_messages.clear();
  m_messages.script({Answer::Cancel, Answer::Ok});
  choose("DBC_TYP", "OLD");
  EXPECT_EQ(m_messages.texts(),
            QStringList{"Ce modèle a été désactivé. Désirez-vous l'utiliser quand même ??"});
  EXPECT_EQ(get<QComboBox>("DBC_TYP")->currentIndex(), -1);
  choose("DBC_TYP", "OLD");
  EXPECT_EQ(get<ui::BoundComboBox>("DBC_TYP")->code(), "OLD");
}

TEST_F(FdevTest, ChosenVehicleFillsTheDossier) {
  m_db.Execute("INSERT INTO TPAR (TPAR_Ver) VALUES ('1')");
  m_db.Execute(
      "UPDATE TPAR SET TPAR_LIBUSER3 = 'Km', TPAR_USER3_TYP = 'C', TPAR_USER3_LNG = 20, "
      "TPAR_LIBUSER4 = 'Energie', TPAR_USER4_TYP = 'C', TPAR_USER4_LNG = 20");
  m_db.Execute(
      "INSERT INTO TVEH (TVEH_CODCLI, TVEH_IMMAT, TVEH_COMPLIDENT, TVEH_MARQUE, TVEH_USER4) "
      "VALUES ('C1', 'AB-123-CD', 'VF1X', 'Renault', 'Diesel')");
  m_db.Execute("INSERT INTO TVEH (TVEH_CODCLI, TVEH_IMMAT) VALUES ('C2', 'ZZ-999-ZZ')");
  m_db.Execute("UPDATE TDOS SET TDOS_USER3 = '120000' WHERE TDOS_NUMDOSS = 5");
  open<FDEV>();
  // Restricted to the dossier's client, positioned on a long enough registration.
  get<QLineEdit>("FDOS_IMMAT")->setText("AB-123-CD");
  get<QCheckBox>("OPT_Veh")->setChecked(true);
  pressKey(get<QWidget>("FDOS_IMMAT"), Qt::Key_F4);
  pressKey(get<QWidget>("DBG_Immat"), Qt::Key_Return);
  EXPECT_FALSE(get<QWidget>("Frm_Immat")->isVisible());
  click("Cmd_DOSSUpdate");
  EXPECT_EQ(scalar("select TDOS_USER4 & '/' & TDOS_USER3 & '/' & TDOS_NATVEH from TDOS where "
                   "TDOS_NUMDOSS = 5"),
            "Diesel/120000/Renault");
}

TEST_F(FdevTest, HandOversFromOtherWindows) {
  m_ws.CreateDatabase(path("CTRLPRIX.MDB")).Close();
  test::RecordingOpener opener;
  m_state->opener = &opener;
  registerStub("FCLIDEV");
  open<FDEV>();
  EXPECT_TRUE(fdev()->holdsPriceControl());
  click("Cmd_NouvCli");
  EXPECT_EQ(opener.opened, QStringList{"FCLIDEV"});
  // A client created for the workspace comes back into the dossier on screen.
  m_state->lastCreatedClient = "C2";
  fdev()->activated();
  EXPECT_FALSE(m_state->clientCreationRequest);
  EXPECT_EQ(shown("FCLI_RS"), "Berthier");
  click("Cmd_DOSSAnnul");
  // The reminders window asks for a dossier.
  m_state->dossierRequested = true;
  m_state->quote.company = "ZZ";
  m_state->quote.dossier = 2;
  fdev()->activated();
  EXPECT_EQ(fdev()->currentDossier().company, "ZZ");
  m_messages.clear();
  m_state->dossierRequested = true;
  m_state->quote.dossier = 77;
  fdev()->activated();
  EXPECT_EQ(m_messages.texts().value(0), "Erreur interne : dossier inaccessible");
  m_state->opener = nullptr;  // before the window goes
}

// Regression: the "Opération" column took only the width left over, and shrank to a sliver
// when the Infos panel opened beside the list at 1280 x 800.
TEST_F(FdevTest, TheOperationColumnKeepsItsWidthBesideTheInfosPanel) {
  m_db.Execute("INSERT INTO TPAR (TPAR_Ver) VALUES ('1')");
  m_db.Execute("UPDATE TPAR SET TPAR_LIBUSER3 = 'Compteur', TPAR_USER3_LNG = 40");
  open<FDEV>();
  auto* view = get<QTableView>("DBG_ListeDOSS");
  const int before = view->columnWidth(8);
  EXPECT_GE(before, 200);
  click("Cmd_Infos");
  QApplication::processEvents();
  ASSERT_TRUE(get<QWidget>("FRM_Infos")->isVisible());
  EXPECT_GE(view->columnWidth(8), 200);
  // With room to spare it takes what is left over again.
  pressKey(QApplication::focusWidget(), Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_EQ(view->columnWidth(8), before);
}

// The workspace fits a 1280-pixel screen: wider, its Quitter button and the right of the
// versions panel fell off the screen.
TEST_F(FdevTest, FitsTheWidthOfA1280PixelScreen) {
  open<FDEV>();
  EXPECT_LE(fdev()->minimumSizeHint().width(), 1280);
}

TEST_F(FdevTest, EscapeClosesThePanelsBeforeTheWindow) {
  open<FDEV>();
  auto* duplication = get<DuplicationPanel>("FRM_DupliDoss");
  ASSERT_TRUE(duplication->open("AB", 5, 0));
  pressKey(get<QWidget>("DBC_NEWSOC"), Qt::Key_Escape);
  EXPECT_TRUE(!duplication->isVisible() && fdev()->isVisible());
  pressKey(get<QWidget>("FDOS_IMMAT"), Qt::Key_Escape);
  EXPECT_FALSE(fdev()->isVisible());
}

TEST_F(FdevTest, ToolsLeavingTheListEmptyShowEveryDossierAgain) {
  open<FDEV>();
  data()->setRecordSource("select * from TDOS where TDOS_SOC = 'QQ'");
  data()->Refresh();
  QApplication::processEvents();
  EXPECT_EQ(listed().size(), 3);
}

// Run by TwoWorkstationsNeverShareANumber in processes of their own: the workspace of the
// parent's family (on the parent's server when it has one) saving new dossiers of company AB
// one after another.
TEST_F(FdevTest, ChildSavesDossiers) {
  const QString family = qEnvironmentVariable("TAROVENT_FDEV_FAMILY");
  if (family.isEmpty()) GTEST_SKIP() << "run by TwoWorkstationsNeverShareANumber";
  m_ws.setServer(qEnvironmentVariable("TAROVENT_FDEV_SERVER"));
  m_state->base(core::entry::Main).folder = family + '/';
  m_state->base(core::entry::Main).db = m_ws.OpenDatabase(family + "/TAROVENT.MDB");
  open<FDEV>();
  for (int i = 0; i < 15; ++i) {
    fdev()->newDossier();
    fillNew("AB", "A1", "C1");
    ASSERT_TRUE(fdev()->saveDossier()) << m_messages.texts().join('|').toStdString();
  }
}

TEST_F(FdevTest, TwoWorkstationsNeverShareANumber) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("TAROVENT_FDEV_FAMILY", m_dir.path());
  env.insert("TAROVENT_FDEV_SERVER", db::defaultServer());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  QProcess children[2];
  for (QProcess& child : children) {
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QFile::symLinkTarget("/proc/self/exe"),
                {"--gtest_filter=FdevTest.ChildSavesDossiers"});
  }
  for (QProcess& child : children) {
    ASSERT_TRUE(child.waitForFinished(120000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
  }
  EXPECT_EQ(scalar("select count(*) from TDOS where TDOS_SOC = 'AB'"), "32");
  EXPECT_EQ(scalar("select count(*) from (select distinct TDOS_NUMDOSS from TDOS where "
                   "TDOS_SOC = 'AB')"),
            "32");
  EXPECT_EQ(counter("AB"), 36);
}

}  // namespace
}  // namespace tarovent::dossiers
