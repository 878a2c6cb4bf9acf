#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include "DemoMenuTest.h"
#include "core/MainMenu.h"
#include "dossiers/DossierWindows.h"

namespace tarovent::dossiers {
namespace {

// The windows of the dossiers opened from the main menu of the demo family.
class DossierMenu : public tarovent::test::DemoMenuTest {
 protected:
  DossierMenu() : DemoMenuTest(registerDossierWindows) {}
  QWidget* openFromMenu(const char* entry, const char* window) {
    m_menu->menuEntry(entry)->trigger();
    QMdiSubWindow* sub = m_menu->workArea()->activeSubWindow();
    EXPECT_TRUE(sub && sub->widget() && sub->widget()->objectName() == window) << window;
    return sub ? sub->widget() : nullptr;
  }
};

TEST_F(DossierMenu, EntriesOpenTheWindowsThatExist) {
  for (const char* entry : {"M_TABL_SOCI", "M_TABL_PRO", "M_TABL_TYPE"})
    EXPECT_TRUE(m_menu->menuEntry(entry)->isEnabled()) << entry;
  EXPECT_FALSE(m_menu->menuEntry("M_DEVI_DEVIS")->isEnabled());  // not written yet

  ASSERT_TRUE(openFromMenu("M_TABL_SOCI", "FSOC"));
  screenshot("menu-FSOC");
  ASSERT_TRUE(openFromMenu("M_TABL_PRO", "FPRO"));
  screenshot("menu-FPRO");
  m_menu->Allumer_Menu("CMD_M_TABL_TYPE");
  QWidget* types = openFromMenu("M_TABL_TYPE", "FTYP");
  ASSERT_TRUE(types);
  EXPECT_FALSE(lit("CMD_M_TABL_TYPE"));  // switched off while the window is open
  screenshot("menu-FTYP");
  types->findChild<QPushButton*>("Cmd_Quitter")->click();
  QApplication::processEvents();
  EXPECT_TRUE(lit("CMD_M_TABL_TYPE"));                       // and on again once it is closed
  EXPECT_EQ(m_menu->workArea()->subWindowList().size(), 3);  // home, FSOC and FPRO
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
}

TEST_F(DossierMenu, AccessKeysOfEveryWindowWork) { expectWorkingAccessKeys(); }

}  // namespace
}  // namespace tarovent::dossiers
