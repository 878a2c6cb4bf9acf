#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QRadioButton>

#include "WindowTestSupport.h"
#include "dossiers/FTYP.h"
#include "dossiers/TariffModeBox.h"
#include "ui/DataControl.h"
#include "ui/OptionGroupFocus.h"

namespace tarovent::dossiers {
namespace {

using tarovent::test::pressKey;
using tarovent::test::typeText;
using ui::Answer;

class Ftyp : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    write("VIDE.dotx", "empty template");
    write("A1.dotx", "template of A1");
    m_db.Execute("UPDATE TTYP SET TTYP_DART1A = True, TTYP_TitreCorps = 12 WHERE TTYP_CODE = 'A1'");
    open<FTYP>();
  }
  void write(const QString& name, const QByteArray& content) {
    ASSERT_TRUE(test::writeFile(path(name), content));
  }
  QByteArray read(const QString& name) { return test::readFile(path(name)); }
  QRadioButton* radio(const char* name) { return get<QRadioButton>(name); }
  QString materials() { return get<TariffModeBox>("FRM_TARMAT")->letter(); }
  QString code() { return get<QLineEdit>("FTYP_CODE")->text(); }
  void newType(const QString& code, const QString& label) {
    click("Cmd_Ajouter");
    typeText(get("FTYP_CODE"), code);
    pressKey(get("FTYP_CODE"), Qt::Key_Return);
    typeText(get("FTYP_LIB"), label);
    click("Cmd_Update");
  }
};

TEST_F(Ftyp, SwitchingMaterialsToCostPriceAndBack) {
  EXPECT_TRUE(radio("OPT_MAT_PV1")->isChecked());  // A1 is at selling price 1
  EXPECT_TRUE(get<QCheckBox>("CHK_DART1A")->isChecked());
  EXPECT_FALSE(get("Cmd_Compo")->isEnabled());  // no composition window registered
  radio("OPT_MAT_R")->click();
  EXPECT_FALSE(radio("OPT_MAT_PV1")->isEnabled());
  EXPECT_EQ(materials(), "R");
  radio("OPT_MAT_PV")->click();
  EXPECT_EQ(materials(), "V");
  radio("OPT_MAT_PV2")->click();
  click("Cmd_Update");
  EXPECT_EQ(scalar("select TTYP_TARMAT from TTYP where TTYP_CODE = 'A1'"), "P");
}

// A new type gets a copy of the empty template, asking first when it has one already.
TEST_F(Ftyp, ANewTypeGetsTheEmptyTemplate) {
  m_state->params.tarifMat = "P";
  const QString keep =
      "Le modèle Word correspondant à ce type existe déjà souhaitez-vous le conserver ?";
  const QString overwrite = "Confirmez-vous l'écrasement du modèle existant ?";
  const struct {
    const char* code;
    QList<Answer> answers;  // none: no template yet
    QStringList questions;
    const char* left;
  } cases[] = {{"B2", {}, {}, "empty template"},
               {"D4", {Answer::No, Answer::No}, {keep, overwrite}, "old"},
               {"E5", {Answer::No, Answer::Yes}, {keep, overwrite}, "empty template"}};
  for (const auto& c : cases) {
    if (!c.answers.isEmpty()) write(QString(c.code) + ".dotx", "old");
    m_messages.clear();
    m_messages.script(c.answers);
    newType(c.code, "Nouveau");
    EXPECT_EQ(m_messages.texts(), c.questions) << c.code;
    EXPECT_EQ(read(QString(c.code) + ".dotx"), c.left) << c.code;
  }
  EXPECT_EQ(scalar("select TTYP_LIB & '|' & TTYP_TARMAT & '|' & TTYP_TARMO & '|' & "
                   "TTYP_TitreCorps from TTYP where TTYP_CODE = 'B2'"),
            "Nouveau|P|V|10");
}

TEST_F(Ftyp, SavingRefusesAMissingCodeOrAnUnknownMode) {
  click("Cmd_Ajouter");
  click("Cmd_Update");
  EXPECT_EQ(m_messages.texts(), QStringList{"Le code du type de devis est obligatoire"});
  click("Cmd_Annuler");
  m_db.Execute("UPDATE TTYP SET TTYP_TARMO = 'X' WHERE TTYP_CODE = 'A1'");
  click("Cmd_Rafraichir");
  m_messages.clear();
  type("FTYP_LIB", "Atelier 2");
  click("Cmd_Update");
  EXPECT_EQ(m_messages.texts(),
            QStringList{"Le mode de tarification main d'oeuvre n'est pas correctement initialisé"});
  radio("OPT_MO_V")->click();
  click("Cmd_Update");
  EXPECT_EQ(scalar("select TTYP_LIB & TTYP_TARMO from TTYP where TTYP_CODE = 'A1'"), "Atelier 2V");
}

TEST_F(Ftyp, DeletingAsksForTheTypeThenItsTemplate) {
  m_messages.script({Answer::Yes, Answer::No});
  click("Cmd_Supprimer");
  EXPECT_EQ(m_messages.texts(), (QStringList{"Confirmer la suppression",
                                             "Souhaitez-vous aussi détruire le modèle Word ?"}));
  EXPECT_EQ(read("A1.dotx"), "template of A1");
  // Enter answers "Non" to both.
  for (const auto& e : m_messages.entries()) EXPECT_EQ(e.defaultButton, 2) << e.text.toStdString();
  write("OLD.dotx", "x");
  m_messages.script({Answer::Yes, Answer::Yes});
  click("Cmd_Supprimer");
  EXPECT_EQ(read("OLD.dotx"), "<none>");
  EXPECT_EQ(scalar("select count(*) from TTYP"), "0");
}

TEST_F(Ftyp, DuplicatingATypeThroughItsPanel) {
  m_messages.script({Answer::Yes});
  click("Cmd_Dupliquer");
  EXPECT_EQ(m_messages.texts(), QStringList{"Confirmez la duplication du modèle A1"});
  typeText(get("CTX_NouveauCode"), "B2");
  pressKey(get("CTX_NouveauCode"), Qt::Key_Return);
  EXPECT_EQ(focused(), "CTX_NouveauLib");
  typeText(get("CTX_NouveauLib"), "Copie");
  click("Cmd_DupValider");
  EXPECT_EQ(m_messages.texts().size(), 1);  // the template is not offered without a composition
  EXPECT_FALSE(get("FRM_Duplication")->isVisible());
  EXPECT_EQ(code(), "B2");
}

TEST_F(Ftyp, DuplicationNeedsTheTemplateAndEscapeLeavesThePanel) {
  get<QTableView>("DBG_TYP")->setCurrentIndex(get<QTableView>("DBG_TYP")->model()->index(1, 0));
  click("Cmd_Dupliquer");
  EXPECT_EQ(m_messages.texts(), QStringList{"Modèle OLD introuvable ..."});
  write("OLD.dotx", "x");
  m_messages.script({Answer::Yes});
  click("Cmd_Dupliquer");
  pressKey(get("CTX_NouveauCode"), Qt::Key_Escape);
  EXPECT_FALSE(get("FRM_Duplication")->isVisible());
}

TEST_F(Ftyp, TabGoesThroughTheFormInReadingOrder) {
  ui::installOptionGroupFocus(*qApp);  // as the program does
  get("FTYP_CODE")->setFocus();
  QStringList stops;
  for (int i = 0; i < 34; ++i) {
    stops << focused();
    pressKey(QApplication::focusWidget(), Qt::Key_Tab);
  }
  // One stop per group of options, on its checked one (the arrows choose in it); the compose
  // button is off.
  EXPECT_EQ(
      stops.join(' '),
      "FTYP_CODE FTYP_LIB CHK_Desactive OPT_MAT_PV OPT_MAT_PV1 OPT_MO_R CHK_DART1A CHK_DART2A "
      "CHK_DART1A_HT CHK_DART2A_HT CHK_DART1F CHK_DART2F CHK_DART1F_HT CHK_DART2F_HT "
      "CHK_DTRF1 CHK_DTRF2 CHK_DTRF1_HT CHK_DTRF2_HT CHK_MASKET1 CHK_MASKET2 CHK_MASKHT1 "
      "CHK_MASKHT2 CHK_LibEnTitre FTYP_TitreCorps CHK_TitreEnGras CHK_TitreSouligne "
      "Cmd_Ajouter Cmd_Update Cmd_Annuler Cmd_Supprimer Cmd_Rafraichir Cmd_Dupliquer "
      "Cmd_Quitter DBG_TYP");
  // The arrows choose within a group.
  get("OPT_MAT_R")->setFocus();
  pressKey(get("OPT_MAT_R"), Qt::Key_Down);
  EXPECT_EQ(focused(), "OPT_MAT_PV");
}

// Once a composition window is registered, the type window reaches it.
class FtypComposing : public Ftyp {
 protected:
  void SetUp() override {
    test::WindowTest::SetUp();
    write("VIDE.dotx", "empty template");
    write("A1.dotx", "template of A1");
    registerStub("FCOMPO");
    m_state->opener = &m_opener;
    open<FTYP>();
  }
  test::RecordingOpener m_opener;
};

TEST_F(FtypComposing, ComposeGivesTheTypeATemplateAndOpensTheComposition) {
  ASSERT_TRUE(get("Cmd_Compo")->isEnabled());
  get<QTableView>("DBG_TYP")->setCurrentIndex(get<QTableView>("DBG_TYP")->model()->index(1, 0));
  click("Cmd_Compo");
  EXPECT_EQ(read("OLD.dotx"), "empty template");
  EXPECT_EQ(m_opener.opened, QStringList{"FCOMPO"});
  EXPECT_EQ(m_state->compositionOrigin, "FTYP");
  m_opener.works = false;
  click("Cmd_Compo");
  EXPECT_EQ(m_messages.texts(), QStringList{"Le processus de composition n'a pu démarrer"});
}

TEST_F(FtypComposing, ADuplicatedTemplateCanBeOpenedAtOnce) {
  m_messages.script({Answer::Yes, Answer::Yes});
  click("Cmd_Dupliquer");
  typeText(get("CTX_NouveauCode"), "B2");
  click("Cmd_DupValider");
  EXPECT_EQ(m_messages.texts().value(1), "Désirez-vous ouvrir le modèle ?");
  EXPECT_EQ(m_opener.opened, QStringList{"FCOMPO"});
}

}  // namespace
}  // namespace tarovent::dossiers
