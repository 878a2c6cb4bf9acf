#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "VersionTestSupport.h"
#include "WindowTestSupport.h"
#include "dossiers/VersionFrame.h"
#include "ui/DataControl.h"

namespace tarovent::dossiers {
namespace {

using ui::Answer;

// The frame in a small host standing in for the workspace, over dossier AB 5 of client C1.
class VersionFrameTest : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    m_dossier = test::setUpVersions(*m_state, m_db, m_dir.path() + '/');
    m_state->openDocument = [this](const QString& file) {
      m_viewed << file;
      return true;
    };
    m_state->opener = &m_opener;
    auto* host = new QWidget;
    host->setObjectName("FDEV");
    auto* layout = new QVBoxLayout(host);
    layout->addWidget(new QLineEdit(host));  // the dossier's boxes, where the focus starts
    m_frame = new VersionFrame(*m_state, host);
    layout->addWidget(m_frame);
    new ui::FormNavigation(host);
    QObject::connect(m_frame, &VersionFrame::versionDateSaved,
                     [this](const QString& date) { m_dates << date; });
    QObject::connect(m_frame, &VersionFrame::dossierSaveRequested, [this] { ++m_saveRequests; });
    m_window.reset(host);
    host->resize(1280, 800);
    tarovent::test::showActive(host);
  }
  QString text(const char* name) { return get<QLineEdit>(name)->text(); }
  QString field(int sequence, const QString& name) {
    return test::versionField(m_db, sequence, name);
  }
  long versions() { return scalar("select count(*) from TDEV").toLong(); }
  void load() { m_frame->loadVersions(m_dossier); }
  // The commands that need a current version.
  QList<bool> commandsEnabled() {
    QList<bool> on;
    for (const char* b :
         {"Cmd_DevUpdate", "Cmd_DevAnnul", "Cmd_DevDelete", "Cmd_DevVoir", "Cmd_DevEditer"})
      on << get(b)->isEnabled();
    return on;
  }
  // A new version dated `date` (the date box proposes today when left empty).
  void createVersion(const QString& date = {}) {
    click("Cmd_DevADD");
    if (!date.isEmpty()) type("FDEV_DATE", date);
    click("Cmd_DevUpdate");
  }
  // Version 1's text in the documents subfolder.
  QString document() {
    EXPECT_TRUE(QDir(m_dir.path()).mkpath("DOC_TAROVENT"));
    const QString file = path("DOC_TAROVENT/00005_01.AB");
    EXPECT_TRUE(test::writeFile(file, "v1"));
    return file;
  }

  DossierKey m_dossier;
  VersionFrame* m_frame = nullptr;
  test::RecordingOpener m_opener;
  QStringList m_viewed;
  QStringList m_dates;
  int m_saveRequests = 0;
};

const QList<bool> kAllOn{true, true, true, true, true};
const QList<bool> kAllOff{false, false, false, false, false};

TEST_F(VersionFrameTest, FirstVersionThenASecondOne) {
  load();
  EXPECT_FALSE(m_frame->hasVersions());
  EXPECT_EQ(commandsEnabled(), kAllOff);
  // The frame asks for the same room with versions or without: the form beside stays put.
  const auto widths = [this] {
    return std::pair(m_frame->minimumSizeHint().width(), m_frame->sizeHint().width());
  };
  const auto before = widths();

  click("Cmd_DevADD");
  EXPECT_EQ(commandsEnabled(), kAllOn);
  EXPECT_EQ(text("CTX_TARMAT"), "V1");
  EXPECT_EQ(focused(), "FDEV_DATE");
  EXPECT_EQ(text("FDEV_DATE"), QDate::currentDate().toString("dd/MM/yyyy"));
  type("FDEV_MONTANT", "1000");
  // Thousands apart, as amounts are printed.
  EXPECT_EQ(text("CTX_DEVISE").remove(',').remove('.'), "6 55957 FRF");
  get<QLineEdit>("FDEV_TEMPS")->clear();
  click("Cmd_DevUpdate");

  EXPECT_EQ(field(0, "TDEV_TARMAT") + field(0, "TDEV_TARMO") + field(0, "TDEV_MONTANT") +
                field(0, "TDEV_TEMPS"),
            "VR10000");
  EXPECT_EQ(m_dates, QStringList{QDate::currentDate().toString("dd/MM/yy")});
  EXPECT_EQ(focused(), "Cmd_DevEditer");
  // Shown with its thousands apart, and stored whole again by the next save.
  EXPECT_EQ(text("FDEV_MONTANT").remove(',').remove('.'), "1 00000");
  type("FDEV_TEMPS", "2");
  click("Cmd_DevUpdate");
  EXPECT_EQ(field(0, "TDEV_MONTANT") + field(0, "TDEV_TEMPS"), "10002");
  createVersion("03/04/26");
  EXPECT_EQ(field(1, "TDEV_DATE").left(10), "2026-04-03");
  EXPECT_EQ(text("CTX_NBRDEV"), "1");
  EXPECT_EQ(widths(), before);
}

TEST_F(VersionFrameTest, ANewVersionTakesOverTheReminderOnlyWhenSaved) {
  test::insertVersion(m_db, 0);
  test::insertVersion(m_db, 1, "V", "R", "#01/15/2027#");
  load();
  click("Cmd_DevADD");
  EXPECT_EQ(text("FDEV_NSEQ") + ' ' + text("FDEV_DATREL"), "2 15/01/2027");
  // Given up: version 1 keeps its date.
  click("Cmd_DevAnnul");
  EXPECT_EQ(field(1, "TDEV_DATREL").left(10), "2027-01-15");

  createVersion();
  EXPECT_EQ(field(1, "TDEV_DATREL"), "");
  EXPECT_EQ(field(2, "TDEV_DATREL").left(10), "2027-01-15");
  // Emptying the box removes the reminder.
  get<QLineEdit>("FDEV_DATREL")->clear();
  click("Cmd_DevUpdate");
  EXPECT_EQ(field(2, "TDEV_DATREL"), "");
}

TEST_F(VersionFrameTest, DateAndNumberBoxesCheckWhatIsTyped) {
  test::insertVersion(m_db, 0);
  load();
  type("FDEV_DATREL", "7.5.27");
  get("FDEV_MONTANT")->setFocus();
  EXPECT_EQ(text("FDEV_DATREL"), "07/05/2027");
  type("FDEV_DATE", "32/13/26");
  get("FDEV_MONTANT")->setFocus();
  EXPECT_EQ(m_messages.texts(), QStringList{"Saisie d'une date attendue (jj/mm/aaaa)."});
  EXPECT_EQ(focused(), "FDEV_DATE");
  type("FDEV_DATE", "01/02/2027");
  // A date box left empty stays empty when it is not the version's date.
  get("FDEV_DATREL")->setFocus();
  get<QLineEdit>("FDEV_DATREL")->clear();
  get("FDEV_TEMPS")->setFocus();
  EXPECT_EQ(text("FDEV_DATREL"), "");
}

// Saving waits for the dossier; a version number another workstation took meanwhile is
// reported, the entry staying for the user to cancel; without a dossier, a beep.
TEST_F(VersionFrameTest, SavingRefusals) {
  m_frame->setDossierPending([] { return true; });
  test::insertVersion(m_db, 0);
  load();
  click("Cmd_DevADD");
  EXPECT_FALSE(m_frame->saveVersion());
  EXPECT_EQ(m_messages.texts(), QStringList{"Enregistrez d'abord votre dossier"});
  EXPECT_EQ(m_saveRequests, 1);
  m_frame->setDossierPending({});
  test::insertVersion(m_db, 1);
  m_messages.clear();
  EXPECT_FALSE(m_frame->saveVersion());
  EXPECT_EQ(m_messages.texts().value(0), "Le fichier des devis a été défaillant");
  EXPECT_TRUE(m_frame->isAdding());
  m_messages.clear();
  m_frame->loadVersions({});
  EXPECT_FALSE(m_frame->saveVersion());
  m_frame->addVersion();
  EXPECT_EQ(m_messages.beeps(), 2);
}

TEST_F(VersionFrameTest, PendingChangesHoldTheCommands) {
  test::insertVersion(m_db, 0);
  test::insertVersion(m_db, 1);
  document();
  load();
  get<QPlainTextEdit>("FDEV_NOTE")->setPlainText("à revoir");
  for (const char* command : {"Cmd_DevADD", "Cmd_DevVoir", "Cmd_DevEditer"}) {
    m_messages.clear();
    click(command);
    EXPECT_EQ(m_messages.texts(), QStringList{"Enregistrez ou annulez d'abord votre saisie"})
        << command;
  }
  // Moving to another version is held too.
  get<ui::DataControl>("DBD_DEV")->findChild<QToolButton*>("previous")->click();
  EXPECT_EQ(text("FDEV_NSEQ"), "1");
  click("Cmd_DevUpdate");
  EXPECT_EQ(field(1, "TDEV_NOTE"), "à revoir");
}

TEST_F(VersionFrameTest, DeletingAsksAboutTheTextOnlyWhenThereIsOne) {
  test::insertVersion(m_db, 0);
  test::insertVersion(m_db, 1);
  const QString doc = document();
  load();
  EXPECT_EQ(get<QLabel>("CTL_InfosDev")->text(), "Fichier Word : 00005_01.AB");

  struct Case {
    QList<Answer> answers;
    QStringList questions;
    long versionsLeft;
    bool documentLeft;
  };
  const QString confirm = "Confirmer la suppression du devis";
  const QString textGoes = "Le texte du devis va être supprimé";
  const Case cases[] = {
      {{Answer::No}, {confirm}, 2, true},
      {{Answer::Yes, Answer::No}, {confirm, textGoes}, 2, true},
      {{Answer::Yes, Answer::Yes}, {confirm, textGoes}, 1, false},
      // Version 0 has no text: one question.
      {{Answer::Yes}, {confirm}, 0, false},
  };
  for (const Case& c : cases) {
    m_messages.clear();
    m_messages.script(c.answers);
    click("Cmd_DevDelete");
    EXPECT_EQ(m_messages.texts(), c.questions);
    EXPECT_EQ(versions(), c.versionsLeft);
    EXPECT_EQ(QFile::exists(doc), c.documentLeft);
  }
  EXPECT_EQ(commandsEnabled(), kAllOff);
}

TEST_F(VersionFrameTest, ViewOpensTheTextInTheWordProcessor) {
  test::insertVersion(m_db, 0);
  test::insertVersion(m_db, 1);
  test::writeFile(path("00005_00.AB"), "v0");
  load();
  click("Cmd_DevVoir");
  EXPECT_TRUE(m_viewed.isEmpty());
  EXPECT_EQ(m_messages.texts(), QStringList{"Le texte du devis est introuvable."});

  m_messages.clear();
  get<ui::DataControl>("DBD_DEV")->MoveFirst();
  click("Cmd_DevVoir");
  EXPECT_EQ(m_viewed, QStringList{path("00005_00.AB")});
}

TEST_F(VersionFrameTest, EditHandsTheVersionToTheComposition) {
  m_frame->editVersion();
  EXPECT_EQ(m_messages.texts(), QStringList{"Enregistrer tout d'abord créer une première version "
                                            "du devis (boutons 'Créer'/'Enreg.')..."});
  // Version 0 stored with an empty materials mode.
  test::insertVersion(m_db, 0, "", "R");
  test::writeFile(path("A1.dotx"), "template");
  load();

  QWidget composition;
  composition.setObjectName("FCOMPO");
  registerStub("FCOMPO");
  click("Cmd_DevEditer");
  EXPECT_EQ(m_opener.opened, QStringList{"FCOMPO"});
  EXPECT_EQ(m_state->compositionOrigin, "FDEV");

  // A second one is refused while the first is open.
  composition.show();
  click("Cmd_DevEditer");
  EXPECT_EQ(m_messages.texts().last(),
            "Une composition est déjà en cours, veuillez la terminer d'abord");
  EXPECT_EQ(m_opener.opened.size(), 1);

  // The composition closes: the default mode it used is written into the version.
  composition.hide();
  ASSERT_TRUE(m_state->compositionClosed);
  m_state->compositionClosed();
  EXPECT_EQ(field(0, "TDEV_TARMAT"), "R");
  EXPECT_EQ(text("CTX_TARMAT"), "R");
}

// Version 100 would be named as version 0: it is refused, and nothing of version 0 is touched.
TEST_F(VersionFrameTest, NoVersionBeyondTheLastNumberWithItsOwnName) {
  test::insertVersion(m_db, 0);
  test::insertVersion(m_db, 99);
  test::writeFile(path("00005_00.AB"), "v0");
  load();
  m_messages.clear();
  click("Cmd_DevADD");
  EXPECT_EQ(m_messages.texts(),
            QStringList{"Un dossier ne peut avoir plus de 100 versions (0 à 99) : créez un "
                        "nouveau dossier ou dupliquez celui-ci."});
  EXPECT_EQ(text("FDEV_NSEQ"), "99");
  EXPECT_EQ(versions(), 2);

  // A version 100 stored by other means: deleting it leaves version 0's text alone.
  m_db.Execute("UPDATE TDEV SET TDEV_NSEQ = 100 WHERE TDEV_NSEQ = 99");
  load();
  ASSERT_EQ(text("FDEV_NSEQ"), "100");
  m_messages.clear();
  m_messages.script({Answer::Yes, Answer::Yes});
  click("Cmd_DevDelete");
  EXPECT_EQ(versions(), 1);
  EXPECT_TRUE(QFile::exists(path("00005_00.AB")));
}

// Another workstation deletes the version shown, or renumbers it: reading the dossier again
// shows its last version, without a word.
TEST_F(VersionFrameTest, AVersionShownThatWentElsewhereLeavesTheLastOne) {
  for (int v = 0; v <= 2; ++v) test::insertVersion(m_db, v);
  load();
  ASSERT_EQ(text("FDEV_NSEQ"), "2");
  m_db.Execute("DELETE FROM TDEV WHERE TDEV_NSEQ = 2");
  m_messages.clear();
  load();
  EXPECT_EQ(text("FDEV_NSEQ"), "1");
  m_db.Execute("UPDATE TDEV SET TDEV_NSEQ = 7 WHERE TDEV_NSEQ = 1");
  load();
  EXPECT_EQ(text("FDEV_NSEQ"), "7");
  EXPECT_EQ(m_messages.texts(), QStringList());
}

TEST_F(VersionFrameTest, ANewDossierShowsTheEmptyPanelAndKeepsTheCurrentVersion) {
  for (int v = 0; v <= 2; ++v) test::insertVersion(m_db, v);
  load();

  m_frame->showNewDossier();
  EXPECT_TRUE(get("FRM_SansVersion")->isVisible());
  load();
  EXPECT_EQ(text("FDEV_NSEQ"), "2");
}

}  // namespace
}  // namespace tarovent::dossiers
