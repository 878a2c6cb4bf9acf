#include <QComboBox>
#include <QLineEdit>

#include "WindowTestSupport.h"
#include "dossiers/FDEV.h"
#include "dossiers/StatsPeriodPanel.h"
#include "ui/DataControl.h"

namespace tarovent::dossiers {
namespace {

using tarovent::test::pressKey;

// Companies AB and ZZ: AB's latest quote is of 15/03/2026 (highest dossier 7), ZZ's of
// 30/11/2025 (dossier 2). The commercial product knows AB 5's quote as affair AF-5.
class FdevLookupsTest : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    for (const char* sql : {
             "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE) "
             "VALUES ('AB', 5, 'C1', 'A1')",
             "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE) "
             "VALUES ('AB', 7, 'C2', 'A1')",
             "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE) "
             "VALUES ('ZZ', 2, 'C2', 'A1')",
             "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE) "
             "VALUES ('AB', 5, 0, #03/15/2026#)",
             "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE) "
             "VALUES ('AB', 7, 0, #01/10/2026#)",
             "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE) "
             "VALUES ('ZZ', 2, 0, #11/30/2025#)",
         })
      m_db.Execute(QString::fromUtf8(sql));
    m_com = m_ws.CreateDatabase(path("PALUNDA.MDB"));
    install::applySchema(m_com, install::commercialSchema());
    m_com.Execute("INSERT INTO TCLI (TCLI_CODE, TCLI_RS) VALUES ('C1', 'Aubry')");
    m_com.Execute("INSERT INTO TCLI (TCLI_CODE, TCLI_RS) VALUES ('C2', 'Berthier')");
    m_com.Execute("INSERT INTO TAFF (TAFF_NUMAFF, TAFF_NUMDEV) VALUES ('AF-7', '')");
    m_com.Execute("INSERT INTO TAFF (TAFF_NUMAFF, TAFF_NUMDEV) VALUES ('AF-5', 'ab00005/00')");
    m_state->opener = &m_opener;
  }
  void withCommercial() {
    m_state->base(core::entry::Commercial).folder = m_dir.path() + '/';
    m_state->base(core::entry::Commercial).file = "PALUNDA.MDB";
    m_state->base(core::entry::Commercial).db = m_com;
  }
  QString current() {
    const DossierKey k = static_cast<FDEV*>(m_window.get())->currentDossier();
    return k.company + ' ' + QString::number(k.number);
  }
  StatsPeriodPanel* panel() { return static_cast<FDEV*>(m_window.get())->statsPanel(); }

  db::Database m_com;
  test::RecordingOpener m_opener;
};

TEST_F(FdevLookupsTest, LatestDossierTakesTheFirstCompanyAndStaysWhenDatesDiffer) {
  open<FDEV>();
  get<ui::DataControl>("DBD_DOSS")->Recordset().MoveLast();
  get<ui::DataControl>("DBD_DOSS")->showRecord();
  click("CMD_DernDevis");
  // AB's highest dossier number, not the dossier of its latest date.
  EXPECT_EQ(current(), "AB 7");
  click("CMD_DernDevis");
  EXPECT_EQ(current(), "AB 7");
  EXPECT_EQ(focused(), "DBG_ListeDOSS");
  // Two companies sharing their latest date take turns.
  m_db.Execute("UPDATE TDEV SET TDEV_DATE = #03/15/2026# WHERE TDEV_SOC = 'ZZ'");
  open<FDEV>();
  click("CMD_DernDevis");
  click("CMD_DernDevis");
  EXPECT_EQ(current(), "ZZ 2");
  click("CMD_DernDevis");
  EXPECT_EQ(current(), "AB 7");
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('\n').toStdString();
}

TEST_F(FdevLookupsTest, BusinessNumberShownOnlyWhenTheCommercialProductKnowsTheQuote) {
  open<FDEV>();
  click("CMD_Affaire");  // no commercial database: nothing
  EXPECT_TRUE(m_messages.texts().isEmpty());
  withCommercial();
  open<FDEV>();
  EXPECT_EQ(current(), "AB 7");
  click("CMD_Affaire");  // no affair: the empty quote number of AF-7 never matches
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('\n').toStdString();
  get<ui::DataControl>("DBD_DOSS")->Recordset().MoveNext();
  get<ui::DataControl>("DBD_DOSS")->showRecord();
  EXPECT_EQ(current(), "AB 5");
  click("CMD_Affaire");
  EXPECT_EQ(m_messages.texts(), QStringList{"AF-5"});
}

TEST_F(FdevLookupsTest, PeriodPanelAsksForBothDatesThenOpensTheStatistics) {
  registerStub("FLSTAFF");
  open<FDEV>();
  EXPECT_FALSE(panel()->isVisible());
  click("CMD_StatPDR");
  ASSERT_TRUE(panel()->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), panel()->dateBox(0));
  tarovent::test::typeText(panel()->dateBox(0), "1/2/26");
  pressKey(panel()->dateBox(0), Qt::Key_Return);
  EXPECT_EQ(panel()->dateBox(0)->text(), "01/02/2026");
  EXPECT_EQ(QApplication::focusWidget(), panel()->dateBox(1));
  // Enter in an empty end box does nothing; the OK button asks for the period.
  pressKey(panel()->dateBox(1), Qt::Key_Return);
  EXPECT_TRUE(m_opener.opened.isEmpty());
  click("CMD_OKStats");
  EXPECT_EQ(m_messages.texts(), QStringList{"Saisir une période."});
  EXPECT_EQ(m_messages.beeps(), 1);
  EXPECT_EQ(QApplication::focusWidget(), panel()->dateBox(1));
  tarovent::test::typeText(panel()->dateBox(1), "31/03/2026");
  panel()->workTypes()->setCurrentIndex(panel()->workTypes()->findData("A1"));
  pressKey(panel()->dateBox(1), Qt::Key_Return);
  EXPECT_EQ(m_opener.opened, QStringList{"FLSTAFF"});
  EXPECT_EQ(m_state->statsFrom, QDate(2026, 2, 1));
  EXPECT_EQ(m_state->statsTo, QDate(2026, 3, 31));
  EXPECT_EQ(m_state->statsWorkType, "A1");
  // Opened again, the boxes are empty; Esc hides the panel.
  click("CMD_StatPDR");
  EXPECT_EQ(panel()->dateBox(0)->text(), "");
  EXPECT_EQ(panel()->dateBox(1)->text(), "");
  pressKey(panel()->dateBox(0), Qt::Key_Escape);
  EXPECT_FALSE(panel()->isVisible());
}

TEST_F(FdevLookupsTest, PeriodPanelRefusedWhileAChangeIsPending) {
  registerStub("FLSTAFF");
  open<FDEV>();
  type("FDOS_RESUME", "Changé");
  click("CMD_StatPDR");
  EXPECT_EQ(m_messages.texts(), QStringList{"Enregistrez ou annulez d'abord votre saisie"});
  EXPECT_FALSE(panel()->isVisible());
}

}  // namespace
}  // namespace tarovent::dossiers
