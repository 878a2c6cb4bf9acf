#include <QHeaderView>

#include "WindowTestSupport.h"
#include "dossiers/FPRO.h"
#include "ui/DataControl.h"

namespace tarovent::dossiers {
namespace {

using tarovent::test::pressKey;
using tarovent::test::typeText;
using ui::Answer;

class Fpro : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    m_db.Execute("INSERT INTO TPRO VALUES ('PEINT', 'Peinture époxy', 85.5)");
    m_db.Execute("INSERT INTO TPRO VALUES ('GALVA', 'Galvanisation à chaud', 120)");
    open<FPRO>();
  }
  void TearDown() override {
    WindowTest::TearDown();
    QLocale::setDefault(QLocale::c());
  }
  static void settle() {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 300) QApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  QString caption() { return get<ui::DataControl>("DBD_PRO")->caption(); }
};

TEST_F(Fpro, ListsTheOptionsWithTheirPrices) {
  auto* grid = get<QTableView>("DBG_PRO");
  EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), "Code option");
  EXPECT_EQ(grid->model()->headerData(2, Qt::Horizontal).toString(), "Prix unitaire");
  EXPECT_EQ(grid->model()->index(1, 2).data().toString(), "85,50");
  EXPECT_EQ(caption(), "Enregistrement: 1 / 2");
  EXPECT_EQ(get<QLineEdit>("FPRO_CODE")->text(), "GALVA");
}

TEST_F(Fpro, NewOptionByKeyboardThenDeletion) {
  click("Cmd_Ajouter");
  EXPECT_EQ(focused(), "FPRO_CODE");
  typeText(get("FPRO_CODE"), "SABL");
  pressKey(get("FPRO_CODE"), Qt::Key_Return);
  typeText(get("FPRO_LIB"), "Sablage");
  pressKey(get("FPRO_LIB"), Qt::Key_Return);
  EXPECT_EQ(focused(), "FPRO_PU");
  typeText(get("FPRO_PU"), "42,75");
  pressKey(get("FPRO_PU"), Qt::Key_Return);
  EXPECT_EQ(focused(), "Cmd_Ajouter");  // Enter on the price moves on, to the buttons
  click("Cmd_Update");
  EXPECT_EQ(scalar("select TPRO_LIB & '|' & TPRO_PU from TPRO where TPRO_Code = 'SABL'"),
            "Sablage|42.75");
  EXPECT_EQ(focused(), "Cmd_Ajouter");
  EXPECT_EQ(caption(), "Enregistrement: 3 / 3");

  m_messages.script({Answer::No, Answer::Yes});
  click("Cmd_Supprimer");
  EXPECT_EQ(scalar("select count(*) from TPRO"), "3");
  click("Cmd_Supprimer");
  EXPECT_EQ(m_messages.texts(), QStringList(2, "Confirmer la suppression"));
  EXPECT_EQ(scalar("select count(*) from TPRO where TPRO_Code = 'SABL'"), "0");
  EXPECT_EQ(caption(), "Enregistrement: 2 / 2");
}

TEST_F(Fpro, AccessKeysReachBoxesAndButtons) {
  get("FPRO_CODE")->setFocus();
  pressKey(get("FPRO_CODE"), Qt::Key_P, Qt::AltModifier);
  EXPECT_EQ(focused(), "FPRO_PU");
  pressKey(get("FPRO_PU"), Qt::Key_N, Qt::AltModifier);
  settle();  // a button pressed by its access key clicks a moment later
  EXPECT_EQ(focused(), "FPRO_CODE");
  EXPECT_EQ(caption(), "Enregistrement: 3 / 3");
  pressKey(get("FPRO_CODE"), Qt::Key_A, Qt::AltModifier);
  settle();
  EXPECT_EQ(caption(), "Enregistrement: 1 / 2");  // Annuler: back to the record shown before
}

TEST_F(Fpro, AnOptionNeedsACodeAndQuitWaitsForTheSave) {
  click("Cmd_Ajouter");
  type("FPRO_LIB", "Sans code");
  click("Cmd_Update");
  click("Cmd_Quitter");
  EXPECT_EQ(m_messages.texts(), (QStringList{"Le code de l'option est obligatoire",
                                             "Enregistrez ou annulez votre saisie"}));
  EXPECT_TRUE(m_window->isVisible());
  click("Cmd_Annuler");
  click("Cmd_Quitter");
  EXPECT_FALSE(m_window->isVisible());
  EXPECT_EQ(scalar("select count(*) from TPRO"), "2");
}

}  // namespace
}  // namespace tarovent::dossiers
