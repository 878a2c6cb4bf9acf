#include <QAction>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "CoreTestSupport.h"
#include "core/CoreWindows.h"
#include "core/FPARGDEV.h"
#include "core/MainMenu.h"
#include "ui/FormNavigation.h"
#include "ui/UiTestSupport.h"

namespace tarovent::core::test {
namespace {

// The general parameters as a user reaches them: from the menu of the running program.
class MenuParameters : public FamilyTest {};

TEST_F(MenuParameters, MenuEntryOpensTheWindowOnTheMainDatabase) {
  registerCoreWindows(*m_state);
  MainMenu menu(*m_state);
  ASSERT_TRUE(menu.start()) << m_messages.texts().join('|').toStdString();
  menu.refreshEntries();
  tarovent::test::showActive(&menu);
  QAction* entry = menu.menuEntry("M_PARAM");
  ASSERT_NE(entry, nullptr);
  EXPECT_TRUE(entry->isEnabled());

  QString caption;
  QRect frame;
  QTimer::singleShot(0, [&] {
    auto* w = qobject_cast<FPARGDEV*>(QApplication::activeModalWidget());
    if (!w) return;
    caption = w->windowTitle();
    frame = w->frameGeometry();
    w->findChild<QPushButton*>("Cmd_Quitter")->click();
  });
  entry->trigger();
  EXPECT_EQ(caption, "Paramètres généraux" + QString(20, ' ') + "DONNEES");
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_NEAR(frame.center().x(), area.center().x(), 2);
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
}

}  // namespace
}  // namespace tarovent::core::test
