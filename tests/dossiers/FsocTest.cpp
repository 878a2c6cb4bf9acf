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
  QString code() { return get<QLineEdit>("FSOC_CODE")->text(); }
};

TEST_F(Fsoc, AddingACompanyByKeyboardAlone) {
  click("Cmd_Ajouter");
  for (const char* typed : {"EF", "Ets Ferrand"}) {
    typeText(QApplication::focusWidget(), typed);
    pressKey(QApplication::focusWidget(), Qt::Key_Return);
  }
  EXPECT_EQ(focused(), "FSOC_NSEQ");
  typeText(get("FSOC_NSEQ"), "1x2");  // the number box takes digits only
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
  // A new company needs a code.
  click("Cmd_Ajouter");
  type("FSOC_LIB", "Sans code");
  click("Cmd_Update");
  EXPECT_EQ(m_messages.texts(), QStringList{"Le code de la société est obligatoire"});
}

TEST_F(Fsoc, DeletingAsksAndLeavesTheDossiers) {
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

// Sorted by the grid tools, the list is a query: renumbering stays on the record all the same.
TEST_F(Fsoc, RenumberingASortedListStaysOnTheRecord) {
  auto* grid = get<QTableView>("DBG_SOC");
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
}

}  // namespace
}  // namespace tarovent::dossiers
