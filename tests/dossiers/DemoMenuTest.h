#pragma once

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTemporaryDir>
#include <QToolButton>
#include <functional>

#include "core/CoreTestSupport.h"
#include "core/CoreWindows.h"
#include "core/MainMenu.h"
#include "install/DemoFamily.h"
#include "platform/db/DefaultServer.h"
#include "platform/db/PgCluster.h"
#include "server/DemoCopy.h"
#include "server/FamilyOnServer.h"
#include "ui/FormNavigation.h"
#include "ui/UiTestSupport.h"

namespace tarovent::test {

// The main menu started on a small demo family, with the core windows and those that
// `registerWindows` adds, shown at 1280 x 800 with its questions answered by the script.
class DemoMenuTest : public ::testing::Test {
 protected:
  explicit DemoMenuTest(std::function<void(core::ProcessState&)> registerWindows)
      : m_register(std::move(registerWindows)) {}
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    {
      // Built on files and copied to the server as a family is on its way there.
      const db::DefaultServerScope onFiles;
      placeSmallDemoFamily(m_dir.filePath("demo"));
    }
    if (qEnvironmentVariableIsSet("TAROVENT_TEST_SERVER")) {
      moveFamilyToServer(m_dir.filePath("demo"));
      if (HasFatalFailure() || IsSkipped()) return;
    }
    m_state = std::make_unique<core::ProcessState>(m_messages);
    m_state->workingFolder = install::familyLayout(m_dir.filePath("demo")).workingFolder;
    core::registerCoreWindows(*m_state);
    m_register(*m_state);
    m_menu = std::make_unique<core::MainMenu>(*m_state);
    m_state->opener = m_menu.get();
    ASSERT_TRUE(m_menu->start()) << m_messages.texts().join('|').toStdString();
    ASSERT_EQ(m_state->mainDb().server() != nullptr, m_onServer);
    m_menu->refreshEntries();
    m_menu->resize(1280, 800);
    showActive(m_menu.get());
  }
  void TearDown() override {
    m_menu.reset();
    m_state.reset();
  }
  // Saves the main window when TAROVENT_SCREENSHOTS names a folder.
  void screenshot(const QString& name) {
    const QString folder = qEnvironmentVariable("TAROVENT_SCREENSHOTS");
    if (folder.isEmpty()) return;
    QApplication::processEvents();
    EXPECT_TRUE(ui::saveScreenshot(m_menu.get(), folder + '/' + name + ".png"));
  }
  // Every window the menu opens underlines letters that work: no label showing a bare "&", no
  // letter given twice.
  void expectWorkingAccessKeys() {
    for (QAction* action : m_menu->findChildren<QAction*>()) {
      const QString window = action->property("window").toString();
      const ui::WindowSpec* registered = m_state->windows.find(window);
      if (!registered || registered->modal || !action->isEnabled()) continue;
      SCOPED_TRACE(window.toStdString());
      action->trigger();
      QApplication::processEvents();
      QMdiSubWindow* sub = m_menu->workArea()->activeSubWindow();
      ASSERT_TRUE(sub && sub->widget());
      const QStringList faults = keyboardFaults(sub->widget());
      EXPECT_TRUE(faults.isEmpty()) << faults.join('\n').toStdString();
    }
  }
  // Alt + `letter` pressed in the focused control: the title of the main menu's menu it
  // opened (closed again), empty when it opened none.
  static QString menuOpenedBy(char letter) {
    QWidget* focused = QApplication::focusWidget();
    pressKey(focused, Qt::Key_A + (letter - 'A'), Qt::AltModifier);
    QApplication::processEvents();
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!popup) return {};
    const QString title = popup->title();
    popup->close();
    QApplication::processEvents();
    // Closed by Esc on screen, the menu gives the keyboard back to where it was.
    if (focused) focused->setFocus();
    return title;
  }
  bool lit(const char* button) {
    return m_menu->findChild<QToolButton*>(button)->property("lit").toBool();
  }

  // The family copied into a database of its own on the program's throw-away server, and its
  // files removed: every window must then work on the server, as on a workstation that has
  // only milostar.ini and the documents.
  void moveFamilyToServer(const QString& root) {
    db::test::PgCluster* cluster = nullptr;
    TAROVENT_REQUIRE_PG(cluster);
    // The test's own server database when the whole program runs on the server.
    const QString conninfo =
        db::defaultServer().isEmpty() ? cluster->freshDatabase() : db::defaultServer();
    // The run's family is the same for every test: copied from a server database made once.
    if (builtDemoFamily().isEmpty())
      ASSERT_TRUE(test::moveFamilyToServer(root, conninfo));
    else
      ASSERT_TRUE(test::placeDemoFamilyOnServer(root, *cluster, conninfo));
    m_onServer = true;
  }

  QTemporaryDir m_dir;
  bool m_onServer = false;
  ui::ScriptedResponder m_messages;
  std::unique_ptr<core::ProcessState> m_state;
  std::unique_ptr<core::MainMenu> m_menu;

 private:
  std::function<void(core::ProcessState&)> m_register;
};

}  // namespace tarovent::test
