#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>

#include "composition/EntryPanel.h"
#include "composition/FCOMPO.h"
#include "composition/QuoteDocumentModel.h"
#include "composition/QuoteView.h"
#include "dossiers/DemoMenuTest.h"
#include "dossiers/DossierWindows.h"

namespace tarovent::composition {
namespace {

void registerWindows(core::ProcessState& state) {
  dossiers::registerDossierWindows(state);
  state.windows.add(
      "FCOMPO",
      {[&state](QWidget* parent) -> QWidget* { return FCOMPO::create(state, parent); }, false});
}

// The composition started from the quote types and from the dossiers of the demo family.
class FcompoMenu : public tarovent::test::DemoMenuTest {
 protected:
  FcompoMenu() : DemoMenuTest(registerWindows) {}
  QWidget* active() {
    QMdiSubWindow* sub = m_menu->workArea()->activeSubWindow();
    return sub ? sub->widget() : nullptr;
  }
  QWidget* open(const char* entry) {
    m_menu->menuEntry(entry)->trigger();
    QApplication::processEvents();
    return active();
  }
  // Runs `start` in the caller, then checks the composition's window and buttons until closed.
  void compose(const char* entry, const char* command, const char* callerButton, const char* shot) {
    QWidget* caller = open(entry);
    ASSERT_TRUE(caller);
    m_menu->Allumer_Menu(callerButton);
    m_messages.setFallback(ui::Answer::Yes);
    caller->findChild<QAbstractButton*>(command)->click();
    QApplication::processEvents();
    auto* window = qobject_cast<FCOMPO*>(active());
    ASSERT_TRUE(window) << m_messages.texts().join('|').toStdString();
    EXPECT_TRUE(lit("CMD_M_COMPO"));
    EXPECT_FALSE(lit(callerButton));
    EXPECT_GT(window->view().model().rowCount(), 0);
    screenshot(shot);
    EXPECT_LE(window->minimumSizeHint().width(), 1280);  // whole on a 1280-pixel screen
    // The article list leaves its designations room enough to be read.
    auto* list = window->findChild<QTableView*>("DBG_Liste");
    ASSERT_TRUE(list);
    EXPECT_GE(list->columnWidth(1), 130);
    m_messages.setFallback(ui::Answer::No);
    tarovent::test::pressKey(&window->view().grid(), Qt::Key_W, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_FALSE(lit("CMD_M_COMPO"));
    EXPECT_TRUE(lit(callerButton));
    EXPECT_FALSE(m_state->compositionInProgress);
  }
};

TEST_F(FcompoMenu, QuoteTypesAndDossiersOpenTheCompositionAndGetTheirButtonBack) {
  compose("M_TABL_TYPE", "Cmd_Compo", "CMD_M_TABL_TYPE", "FCOMPO-type");
  compose("M_DEVI_DEVIS", "Cmd_DevEditer", "CMD_M_DEVI_DEVIS", "FCOMPO");
}

// Alt and a letter in the composition open its own menus, from a field of line entry too,
// before the main window's menu with the same letter ("&Devis").
TEST_F(FcompoMenu, AltLettersInTheCompositionOpenItsOwnMenus) {
  QWidget* caller = open("M_DEVI_DEVIS");
  ASSERT_TRUE(caller);
  m_messages.setFallback(ui::Answer::Yes);
  caller->findChild<QAbstractButton*>("Cmd_DevEditer")->click();
  QApplication::processEvents();
  auto* window = qobject_cast<FCOMPO*>(active());
  ASSERT_TRUE(window);
  auto* bar = window->findChild<QMenuBar*>("MNU_Composition");
  for (const auto& [letter, menu] :
       {std::pair{Qt::Key_D, "&Document"}, {Qt::Key_A, "Rec&alculs"}, {Qt::Key_L, "&Lignes"}}) {
    window->entryPanel().takeFocus();
    tarovent::test::pressKey(QApplication::focusWidget(), letter, Qt::AltModifier);
    ASSERT_TRUE(bar->activeAction()) << menu;
    EXPECT_EQ(bar->activeAction()->text(), menu);
    bar->activeAction()->menu()->hide();
    bar->setActiveAction(nullptr);
  }
  m_messages.setFallback(ui::Answer::No);
  window->closeComposition();
  QApplication::processEvents();
}

}  // namespace
}  // namespace tarovent::composition
