#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>

#include "WindowTestSupport.h"
#include "core/GridTools.h"
#include "dossiers/FSOC.h"
#include "ui/DataControl.h"

namespace tarovent::dossiers {
namespace {

using tarovent::test::pressKey;
using tarovent::test::typeText;
using ui::Answer;

class Fsoc : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    m_db.Execute("INSERT INTO TSOC VALUES ('CD', 'Carrosserie Dumas', 3, False)");
    m_db.Execute("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS) VALUES ('AB', 9)");
    open<FSOC>();
  }
  QString caption() { return get<ui::DataControl>("DBD_SOC")->caption(); }
  QString code() { return get<QLineEdit>("FSOC_CODE")->text(); }
};

TEST_F(Fsoc, TheGridRowShowsItsCompany) {
  auto* grid = get<QTableView>("DBG_SOC");
  grid->setCurrentIndex(grid->model()->index(2, 1));
  EXPECT_EQ(code(), "ZZ");
  EXPECT_TRUE(get<QCheckBox>("CHK_Desactive")->isChecked());
  EXPECT_EQ(caption(), "Enregistrement: 3 / 3");
}

TEST_F(Fsoc, AddingACompanyByKeyboardAlone) {
  click("Cmd_Ajouter");
  EXPECT_EQ(focused(), "FSOC_CODE");
  typeText(get("FSOC_CODE"), "EF");
  pressKey(get("FSOC_CODE"), Qt::Key_Return);
  EXPECT_EQ(focused(), "FSOC_LIB");
  typeText(get("FSOC_LIB"), "Ets Ferrand");
  pressKey(get("FSOC_LIB"), Qt::Key_Return);
  EXPECT_EQ(focused(), "FSOC_NSEQ");
  typeText(get("FSOC_NSEQ"), "1x2");  // the number box takes digits only
  EXPECT_EQ(get<QLineEdit>("FSOC_NSEQ")->text(), "12");
  EXPECT_EQ(m_messages.beeps(), 1);
  pressKey(get("FSOC_NSEQ"), Qt::Key_F10);
  EXPECT_EQ(scalar("select TSOC_LIB & '|' & TSOC_NSEQ from TSOC where TSOC_CODE = 'EF'"),
            "Ets Ferrand|12");
  EXPECT_EQ(focused(), "Cmd_Ajouter");  // after a new row, back to add

  // Updating an existing row puts the focus back on the code.
  type("FSOC_LIB", "Ferrand et fils");
  click("Cmd_Update");
  EXPECT_EQ(focused(), "FSOC_CODE");
  EXPECT_EQ(scalar("select TSOC_LIB from TSOC where TSOC_CODE = 'EF'"), "Ferrand et fils");
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
}

TEST_F(Fsoc, ANewCompanyNeedsACodeAndCanBeCancelled) {
  click("Cmd_Ajouter");
  type("FSOC_LIB", "Sans code");
  click("Cmd_Update");
  EXPECT_EQ(m_messages.texts(), QStringList{"Le code de la société est obligatoire"});
  click("Cmd_Annuler");
  EXPECT_EQ(scalar("select count(*) from TSOC"), "3");
  EXPECT_EQ(code(), "AB");
}

TEST_F(Fsoc, ACodeAlreadyUsedIsRefusedByTheDatabaseAndNothingIsLost) {
  click("Cmd_Ajouter");
  typeText(get("FSOC_CODE"), "ab");
  type("FSOC_LIB", "Doublon");
  click("Cmd_Update");
  ASSERT_EQ(m_messages.texts().size(), 1);
  EXPECT_TRUE(m_messages.texts()[0].endsWith("   Err. n° 3022"))
      << qPrintable(m_messages.texts()[0]);
  EXPECT_EQ(get<QLineEdit>("FSOC_LIB")->text(), "Doublon");  // the entry stays
  type("FSOC_CODE", "GH");
  click("Cmd_Update");
  EXPECT_EQ(scalar("select TSOC_LIB from TSOC where TSOC_CODE = 'GH'"), "Doublon");
}

TEST_F(Fsoc, DeletingAsksAndLeavesTheDossiers) {
  m_messages.script({Answer::No});
  click("Cmd_Supprimer");
  EXPECT_EQ(m_messages.texts(), QStringList{"Confirmer la suppression"});
  EXPECT_EQ(scalar("select count(*) from TSOC"), "3");

  m_messages.script({Answer::Yes});
  click("Cmd_Supprimer");  // AB: the next row comes
  EXPECT_EQ(code(), "CD");
  EXPECT_EQ(scalar("select count(*) from TDOS where TDOS_SOC = 'AB'"), "1");
}

TEST_F(Fsoc, RenumberingRaisesTheCountersShown) {
  get<QTableView>("DBG_SOC")->setCurrentIndex(get<QTableView>("DBG_SOC")->model()->index(1, 0));
  type("FSOC_LIB", "changé");
  click("CMD_ActuSOC");  // refused while a change is pending
  EXPECT_EQ(m_messages.texts(), QStringList{"Enregistrez ou annulez votre saisie"});
  EXPECT_EQ(counter("AB"), 6);
  click("Cmd_Annuler");
  click("CMD_ActuSOC");
  EXPECT_EQ(counter("AB"), 9);
  EXPECT_EQ(code(), "CD");  // the record shown stays
}

TEST_F(Fsoc, TheCompaniesGridSearchesSortsAndExports) {
  auto* grid = get<QTableView>("DBG_SOC");
  grid->setCurrentIndex(grid->model()->index(0, 1));
  QDialog* search = core::Outil_Grille(*m_state, 1, grid, get<ui::DataControl>("DBD_SOC"));
  ASSERT_NE(search, nullptr);
  search->findChild<QLineEdit*>("CTX3_CHERCHE")->setText("dumas");
  search->findChild<QAbstractButton*>("Cmd_GoCherche")->click();
  EXPECT_EQ(code(), "CD");
  search->close();

  // Sorted by the grid tools, the list is a query: renumbering stays on the record all the same.
  grid->setCurrentIndex(grid->model()->index(1, 1));
  QDialog* sort = core::Outil_Grille(*m_state, 2, grid, get<ui::DataControl>("DBD_SOC"));
  for (auto* o : sort->findChildren<QRadioButton*>("FND3_OPTClasser"))
    o->setChecked(o->property("index").toInt() == 1);
  sort->findChild<QAbstractButton*>("Cmd_GoClasser")->click();
  EXPECT_EQ(get<ui::DataControl>("DBD_SOC")->RecordSource(),
            "Select * From TSOC Order by TSOC_LIB DESC;");
  grid->setCurrentIndex(grid->model()->index(1, 1));
  ASSERT_EQ(code(), "AB");
  click("CMD_ActuSOC");
  EXPECT_EQ(code(), "AB");
  EXPECT_EQ(get<QLineEdit>("FSOC_NSEQ")->text(), "9");

  m_state->workingFolder = m_dir.path() + '/';
  m_messages.script({Answer::Yes});
  core::Outil_Grille(*m_state, 4, grid, get<ui::DataControl>("DBD_SOC"));
  EXPECT_TRUE(QFile::exists(m_dir.filePath("Sociétés.xlsx")));
  EXPECT_EQ(code(), "AB");
}

}  // namespace
}  // namespace tarovent::dossiers
