// The reminders window beside the dossier workspace and the composition, real windows of the
// demo family: the dossier a reminder row opens is handed over in the current quote, which the
// composition works on until it closes.

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>

#include "clients/ClientWindows.h"
#include "clients/FREL.h"
#include "composition/CompositionSession.h"
#include "composition/FCOMPO.h"
#include "dossiers/DemoMenuTest.h"
#include "dossiers/DossierWindows.h"
#include "platform/db/Recordset.h"
#include "platform/mail/NewMail.h"
#include "reports/FACPROF.h"
#include "ui/DataControl.h"

namespace tarovent::clients {
namespace {

using tarovent::test::pressKey;
using ui::Answer;

void registerFollowUpWindows(core::ProcessState& state) {
  dossiers::registerDossierWindows(state);
  registerClientWindows(state);
  reports::registerReportWindows(state);
  state.windows.add(QStringLiteral("FCOMPO"), {[&state](QWidget* parent) -> QWidget* {
                                                 return composition::FCOMPO::create(state, parent);
                                               },
                                               false});
}

class FollowUpChain : public tarovent::test::DemoMenuTest {
 protected:
  FollowUpChain() : DemoMenuTest(registerFollowUpWindows) {}
  void SetUp() override {
    DemoMenuTest::SetUp();
    if (HasFatalFailure()) return;
    m_state->mail = std::make_unique<mail::RecordingMailOpener>();
    m_state->openDocument = [](const QString&) { return true; };
  }

  QWidget* active() {
    QMdiSubWindow* sub = m_menu->workArea()->activeSubWindow();
    return sub ? sub->widget() : nullptr;
  }
  composition::FCOMPO* composition() {
    for (auto* w : m_menu->workArea()->findChildren<composition::FCOMPO*>())
      if (w->isVisible()) return w;
    return nullptr;
  }
  // The dossier the workspace shows: company and number.
  QString shownDossier(QWidget* workspace) {
    db::Recordset& rs = workspace->findChild<ui::DataControl*>("DBD_DOSS")->Recordset();
    if (rs.BOF() || rs.EOF_()) return {};
    return rs.text("TDOS_SOC") + '/' + QString::number(long(rs.number("TDOS_NUMDOSS")));
  }
  FREL* openReminders() {
    m_menu->Allumer_Menu("CMD_M_RELA");
    m_menu->menuEntry("M_RELA")->trigger();
    QApplication::processEvents();
    return qobject_cast<FREL*>(active());
  }
  // Enter on the dossier cell of the reminder row of another dossier than `dossier`; that row's
  // dossier, empty when every row is of that dossier.
  static QString enterOnAnotherDossier(FREL* reminders, const QString& dossier) {
    auto* grid = reminders->findChild<QTableView*>("DBG_Relance");
    for (int r = 0; r < grid->model()->rowCount(); ++r) {
      const QString key = grid->model()->index(r, 0).data().toString() + '/' +
                          grid->model()->index(r, 1).data().toString();
      if (key == dossier) continue;
      grid->setFocus();
      grid->setCurrentIndex(grid->model()->index(r, FREL::DossierColumn));
      pressKey(grid, Qt::Key_Return);
      QApplication::processEvents();
      return key;
    }
    return {};
  }
};

// A reminder's dossier asked for while the workspace composes one of its quotes: refused, the
// composition's quote and the workspace's dossier stay as they were, and the composition then
// saves its figures into its own version. Once it is closed, the same cell opens the dossier.
TEST_F(FollowUpChain, AReminderNeverTakesTheQuoteOfACompositionInProgress) {
  m_menu->menuEntry("M_DEVI_DEVIS")->trigger();
  QWidget* workspace = active();
  ASSERT_TRUE(workspace && workspace->objectName() == "FDEV");
  const QString composed = shownDossier(workspace);
  ASSERT_FALSE(composed.isEmpty());
  m_messages.setFallback(Answer::Yes);  // the existing text kept
  workspace->findChild<QPushButton*>("Cmd_DevEditer")->click();
  QApplication::processEvents();
  composition::FCOMPO* window = composition();
  ASSERT_TRUE(window) << m_messages.texts().join('|').toStdString();
  const core::QuoteContext quote = m_state->quote;
  ASSERT_EQ(quote.company + '/' + QString::number(quote.dossier), composed);

  FREL* reminders = openReminders();
  ASSERT_TRUE(reminders);
  m_messages.clear();
  const QString other = enterOnAnotherDossier(reminders, composed);
  ASSERT_FALSE(other.isEmpty());
  EXPECT_EQ(m_messages.texts(),
            QStringList{"Une composition est déjà en cours, veuillez la terminer d'abord"});
  EXPECT_EQ(m_state->quote.company, quote.company);
  EXPECT_EQ(m_state->quote.dossier, quote.dossier);
  EXPECT_EQ(m_state->quote.sequence, quote.sequence);
  EXPECT_FALSE(m_state->dossierRequested);
  EXPECT_EQ(active(), reminders);
  EXPECT_EQ(shownDossier(workspace), composed);

  // The composition saves into its own version.
  const QString version = QStringLiteral(
                              " where TDEV_SOC = '%1' and TDEV_NUMDOSS = %2 and "
                              "TDEV_NSEQ = %3")
                              .arg(quote.company)
                              .arg(quote.dossier)
                              .arg(quote.sequence);
  m_state->mainDb().Execute("update TDEV set TDEV_MONTANT = 0" + version);
  ASSERT_TRUE(window->session().save());
  EXPECT_GT(m_state->mainDb()
                .OpenRecordset("select TDEV_MONTANT from TDEV" + version)
                .value(0)
                .toDouble(),
            0);
  ASSERT_TRUE(window->closeComposition()) << m_messages.texts().join('|').toStdString();
  QApplication::processEvents();

  // Nothing composed any more: the cell opens the dossier in the workspace.
  m_menu->workArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(reminders->parentWidget()));
  QApplication::processEvents();
  m_messages.clear();
  EXPECT_EQ(enterOnAnotherDossier(reminders, composed), other);
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
  EXPECT_EQ(active(), workspace);
  EXPECT_EQ(shownDossier(workspace), other);
}

// Back in the reminders from the menu after one opened a dossier: the keyboard is on their
// list again, not on "Exporter vers Excel", where Enter would start an export.
TEST_F(FollowUpChain, BackInTheRemindersTheKeyboardIsOnTheirList) {
  FREL* reminders = openReminders();
  ASSERT_TRUE(reminders);
  ASSERT_FALSE(enterOnAnotherDossier(reminders, QString()).isEmpty());
  ASSERT_NE(active(), reminders);
  ASSERT_EQ(openReminders(), reminders);
  QApplication::processEvents();
  QWidget* focused = QApplication::focusWidget();
  EXPECT_EQ(focused, reminders->findChild<QTableView*>("DBG_Relance"))
      << (focused ? focused->objectName().toStdString() : std::string("(rien)"));
}

}  // namespace
}  // namespace tarovent::clients
