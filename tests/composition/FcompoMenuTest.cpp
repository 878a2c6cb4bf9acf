#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTableView>

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

}  // namespace
}  // namespace tarovent::composition
