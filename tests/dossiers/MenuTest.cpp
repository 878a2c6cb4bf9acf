#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QToolButton>

#include "core/CoreTestSupport.h"
#include "core/CoreWindows.h"
#include "core/MainMenu.h"
#include "dossiers/DossierWindows.h"
#include "install/DemoFamily.h"
#include "ui/FormNavigation.h"
#include "ui/UiTestSupport.h"

namespace tarovent::dossiers {
namespace {

// The windows of the dossiers opened from the main menu of the demo family.
class DossierMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    install::buildDemoFamily(m_dir.filePath("demo"), install::DemoSize::Small);
    m_state = std::make_unique<core::ProcessState>(m_messages);
    m_state->workingFolder = install::familyLayout(m_dir.filePath("demo")).workingFolder;
    core::registerCoreWindows(*m_state);
    registerDossierWindows(*m_state);
    m_menu = std::make_unique<core::MainMenu>(*m_state);
    m_state->opener = m_menu.get();
    ASSERT_TRUE(m_menu->start()) << m_messages.texts().join('|').toStdString();
    m_menu->refreshEntries();
    m_menu->resize(1280, 800);
    tarovent::test::showActive(m_menu.get());
  }
  void TearDown() override {
    m_menu.reset();
    m_state.reset();
  }
  QWidget* openFromMenu(const char* entry, const char* window) {
    m_menu->menuEntry(entry)->trigger();
    QMdiSubWindow* sub = m_menu->workArea()->activeSubWindow();
    EXPECT_TRUE(sub && sub->widget() && sub->widget()->objectName() == window) << window;
    return sub ? sub->widget() : nullptr;
  }
  void screenshot(const QString& name) {
    const QString folder = qEnvironmentVariable("TAROVENT_SCREENSHOTS");
    if (folder.isEmpty()) return;
    QApplication::processEvents();
    EXPECT_TRUE(ui::saveScreenshot(m_menu.get(), folder + '/' + name + ".png"));
  }
  bool lit(const char* button) {
    return m_menu->findChild<QToolButton*>(button)->property("lit").toBool();
  }

  QTemporaryDir m_dir;
  ui::ScriptedResponder m_messages;
  std::unique_ptr<core::ProcessState> m_state;
  std::unique_ptr<core::MainMenu> m_menu;
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

}  // namespace
}  // namespace tarovent::dossiers
