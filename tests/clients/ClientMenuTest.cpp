#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>

#include "clients/ClientWindows.h"
#include "dossiers/DemoMenuTest.h"
#include "platform/db/Recordset.h"
#include "ui/DataControl.h"

namespace tarovent::clients {
namespace {

// The client windows opened from the main menu of the demo family, whose clients live in the
// commercial database.
class ClientMenu : public tarovent::test::DemoMenuTest {
 protected:
  ClientMenu() : DemoMenuTest(registerClientWindows) {}
  void SetUp() override {
    DemoMenuTest::SetUp();
    m_state->mail = std::make_unique<mail::RecordingMailOpener>();
  }
};

TEST_F(ClientMenu, AccessKeysOfEveryWindowWork) { expectWorkingAccessKeys(); }

TEST_F(ClientMenu, TheClientFileOfTheDemoFamily) {
  ASSERT_TRUE(m_state->base(core::entry::Commercial).open());
  m_menu->Allumer_Menu("CMD_M_CLIDEV");
  m_menu->menuEntry("M_CLIDEV")->trigger();
  QMdiSubWindow* sub = m_menu->workArea()->activeSubWindow();
  ASSERT_TRUE(sub && sub->widget() && sub->widget()->objectName() == "FCLIDEV");
  QWidget* w = sub->widget();
  // The client source is the commercial database of the catalogue.
  auto* data = w->findChild<ui::DataControl*>("DBD_Cli");
  EXPECT_EQ(data->database().Name(), m_state->base(core::entry::Commercial).db.Name());
  const long clients = m_state->base(core::entry::Commercial)
                           .db.OpenRecordset("select count(*) from TCLI")
                           .value(0)
                           .toLongLong();
  ASSERT_GT(clients, 0);
  EXPECT_EQ(data->caption(), "Fiche Client : 1 / " + QString::number(clients));
  // A client with visits and contacts shows best.
  db::Recordset busiest = m_state->base(core::entry::Commercial)
                              .db.OpenRecordset(
                                  "select TVIS_CodCli, count(*) as N from TVIS "
                                  "group by TVIS_CodCli order by count(*) desc");
  ASSERT_FALSE(busiest.EOF_());
  data->Recordset().FindFirst("TCLI_CODE = '" + busiest.text("TVIS_CodCli") + "'");
  data->showRecord();
  w->findChild<QPushButton*>("Cmd_Suivis")->click();
  EXPECT_GT(w->findChild<QTableView*>("DBG_Vis")->model()->rowCount(), 0);
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
}

TEST_F(ClientMenu, TheRepresentativesRemindersAndTheVisitsOfTheDemoFamily) {
  m_menu->Allumer_Menu("CMD_M_RELA");
  m_menu->menuEntry("M_RELA")->trigger();
  QMdiSubWindow* sub = m_menu->workArea()->activeSubWindow();
  ASSERT_TRUE(sub && sub->widget() && sub->widget()->objectName() == "FREL");
  // The demo workstation is JMD's: his reminders of yesterday and today, not next week's.
  EXPECT_EQ(sub->widget()->windowTitle(), "Relances (JMD)");
  auto* grid = sub->widget()->findChild<QTableView*>("DBG_Relance");
  ASSERT_GE(grid->model()->rowCount(), 2);
  for (int r = 0; r < grid->model()->rowCount(); ++r)
    EXPECT_EQ(grid->model()->index(r, 5).data().toString(), "JMD");
  EXPECT_FALSE(lit("CMD_M_RELA"));
  screenshot("FREL");
  sub->close();
  EXPECT_TRUE(lit("CMD_M_RELA"));

  m_menu->menuEntry("M_VISITE")->trigger();
  sub = m_menu->workArea()->activeSubWindow();
  ASSERT_TRUE(sub && sub->widget() && sub->widget()->objectName() == "FVISIT");
  EXPECT_GT(sub->widget()->findChild<QTableView*>("DBG_Visite")->model()->rowCount(), 3);
  screenshot("FVISIT");
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
}

}  // namespace
}  // namespace tarovent::clients
