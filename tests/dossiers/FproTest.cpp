#include "WindowTestSupport.h"
#include "dossiers/FPRO.h"
#include "ui/DataControl.h"

namespace tarovent::dossiers {
namespace {

using tarovent::test::pressKey;
using tarovent::test::typeText;

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
};

TEST_F(Fpro, NewOptionByKeyboard) {
  EXPECT_EQ(get<QTableView>("DBG_PRO")->model()->index(1, 2).data().toString(), "85,50");
  click("Cmd_Ajouter");
  for (const char* typed : {"SABL", "Sablage", "42,75"}) {
    typeText(QApplication::focusWidget(), typed);
    pressKey(QApplication::focusWidget(), Qt::Key_Return);
  }
  EXPECT_EQ(focused(), "Cmd_Ajouter");  // Enter on the price moves on, to the buttons
  click("Cmd_Update");
  EXPECT_EQ(scalar("select TPRO_LIB & '|' & TPRO_PU from TPRO where TPRO_Code = 'SABL'"),
            "Sablage|42.75");
  // An option needs a code.
  click("Cmd_Ajouter");
  type("FPRO_LIB", "Sans code");
  click("Cmd_Update");
  EXPECT_EQ(m_messages.texts(), QStringList{"Le code de l'option est obligatoire"});
}

// A workstation without regional settings shows amounts the French way, as the boxes do.
TEST_F(Fpro, GridAmountsTakeTheBoxesSeparatorWithoutRegionalSettings) {
  QLocale::setDefault(QLocale::c());
  open<FPRO>();
  EXPECT_EQ(get<QTableView>("DBG_PRO")->model()->index(1, 2).data().toString(), "85,50");
}

}  // namespace
}  // namespace tarovent::dossiers
