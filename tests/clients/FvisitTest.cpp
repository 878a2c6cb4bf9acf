#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableView>

#include "ClientTestSupport.h"
#include "clients/FVISIT.h"
#include "clients/Visits.h"
#include "core/GridDialog.h"
#include "core/InputHelpers.h"
#include "install/ReportFiles.h"
#include "ui/DataControl.h"

namespace tarovent::clients {
namespace {

using tarovent::test::pressKey;
using tarovent::test::typeText;

// The visits of the client test family, and on 15/06/2026: one planned that very day, one the
// day before still to make, one the day before already made.
class Fvisit : public test::ClientWindowTest {
 protected:
  void SetUp() override {
    ClientWindowTest::SetUp();
    for (const char* sql :
         {"INSERT INTO TVIS (TVIS_CodCli, TVIS_DatePrev, TVIS_Resume, TVIS_Detail) VALUES ('C3', "
          "#06/15/2026#, 'Le jour même', 'Apporter le catalogue')",
          "INSERT INTO TVIS (TVIS_CodCli, TVIS_DatePrev, TVIS_Resume) VALUES ('C3', #06/14/2026#, "
          "'La veille')",
          "INSERT INTO TVIS (TVIS_CodCli, TVIS_DatePrev, TVIS_DateRea, TVIS_Resume) VALUES ('C3', "
          "#06/14/2026#, #06/14/2026#, 'Faite la veille')",
          "UPDATE TCLI SET TCLI_USER1 = 'Grand compte' WHERE TCLI_CODE = 'C3'"})
      m_db.Execute(QString::fromUtf8(sql));
    m_state->workingFolder = m_dir.path() + '/';
    w = open<FVISIT>();
    w->setReportViewer([this](const core::ReportRequest& r) { m_printed << r; });
  }
  QTableView* grid() { return get<QTableView>("DBG_Visite"); }
  QStringList subjects() {
    QStringList s;
    for (int r = 0; r < grid()->model()->rowCount(); ++r)
      s << grid()->model()->index(r, 7).data().toString();
    s.sort();
    return s;
  }
  void dueBefore(const QString& day) {
    get<QCheckBox>("CHK_RELANCES")->setChecked(true);
    auto* box = get<QLineEdit>("CTX_DateRelance");
    box->selectAll();
    typeText(box, day);
    pressKey(box, Qt::Key_Return);
  }
  void selectRows(QList<int> rows) {
    grid()->clearSelection();
    for (int r : rows)
      grid()->selectionModel()->select(grid()->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }

  FVISIT* w = nullptr;
  QList<core::ReportRequest> m_printed;
};

TEST_F(Fvisit, ListsEveryVisitWithItsClientAndDetail) {
  EXPECT_EQ(grid()->model()->rowCount(), 6);
  auto* data = get<ui::DataControl>("DBD_Visite");
  data->Recordset().FindFirst("TVIS_Resume = 'Le jour même'");
  data->showRecord();
  EXPECT_EQ(get<QPlainTextEdit>("CTX_TVIS_Detail")->toPlainText(), "Apporter le catalogue");
  EXPECT_TRUE(get<QLabel>("CTL_Client")->text().contains("Grand compte"));
}

TEST_F(Fvisit, DueVisitsArePlannedStrictlyBeforeTheDateAndNotMade) {
  get<QCheckBox>("CHK_RELANCES")->setChecked(true);
  EXPECT_TRUE(get("CTX_DateRelance")->isVisible());
  EXPECT_EQ(get<QLineEdit>("CTX_DateRelance")->text(), QDate::currentDate().toString("dd/MM/yyyy"));
  EXPECT_EQ(focused(), "CTX_DateRelance");
  dueBefore("15/06/2026");
  EXPECT_EQ(subjects(), QStringList({"La veille", "Relance devis"}));
  // An empty date lists nothing new and keeps the keyboard.
  get<QLineEdit>("CTX_DateRelance")->clear();
  pressKey(get("CTX_DateRelance"), Qt::Key_Return);
  EXPECT_EQ(focused(), "CTX_DateRelance");
  EXPECT_EQ(subjects().size(), 2);
  get<QCheckBox>("CHK_RELANCES")->setChecked(false);
  EXPECT_FALSE(get("CTX_DateRelance")->isVisible());
  EXPECT_EQ(grid()->model()->rowCount(), 6);
}

TEST_F(Fvisit, TheListsCriteriaAndOrderSurviveTheDueFilter) {
  auto* data = get<ui::DataControl>("DBD_Visite");
  ASSERT_TRUE(core::selectRows(*m_state, data, core::Decouper_Requete(data->RecordSource()),
                               "TVIS_CodCli = 'C3'"));
  dueBefore("31/12/2026");
  EXPECT_EQ(subjects(), QStringList({"La veille", "Le jour même"}));
  EXPECT_EQ(criteriaBesideDue(core::Decouper_Requete(data->RecordSource()).where),
            "(TVIS_CodCli = 'C3')");
  get<QCheckBox>("CHK_RELANCES")->setChecked(false);
  EXPECT_EQ(subjects(), QStringList({"Faite la veille", "La veille", "Le jour même"}));
}

TEST_F(Fvisit, PrintsTheListThroughTheVisitReportAndItsQuery) {
  // No report file: said, nothing shown.
  w->print();
  EXPECT_EQ(m_messages.texts(), QStringList{QString::fromUtf8("Aucun modèle d'impression trouvé")});
  EXPECT_TRUE(m_printed.isEmpty());
  install::writeReportFiles(m_state->workingFolder);
  dueBefore("15/06/2026");
  selectRows({0});
  w->print();
  ASSERT_EQ(m_printed.size(), 1);
  EXPECT_TRUE(m_printed[0].file.endsWith("IMPVISIT.RPT"));
  const QString line = grid()->model()->index(0, 0).data().toString();
  EXPECT_EQ(m_printed[0].selection, "{RImpVis.TVIS_NumLig}= " + line);
  // The saved query is the list as shown.
  EXPECT_EQ(scalar("select count(*) from RimpVis"), "2");
  selectRows({0, 1});
  w->print();
  EXPECT_EQ(m_printed[1].selection, "");
}

TEST_F(Fvisit, ATypedClientCodeIsChosenInTheClientList) {
  click("Cmd_ADD");
  auto* code = get<QLineEdit>("CTX_TVIS_CodCli");
  code->setFocus();
  typeText(code, "C");
  pressKey(code, Qt::Key_Return);
  // "C" is no client: the list opens on the first code after it.
  EXPECT_TRUE(get<QFrame>("FRM_Clients")->isVisible());
  EXPECT_EQ(focused(), "DBG_Clients");
  pressKey(get("DBG_Clients"), Qt::Key_Return);
  EXPECT_EQ(code->text(), "C1");
  EXPECT_FALSE(get<QFrame>("FRM_Clients")->isVisible());
  EXPECT_EQ(focused(), "CTX_TVIS_DatePrev");
  // An exact code takes the client's cells at once.
  code->setFocus();
  code->selectAll();
  typeText(code, "c3");
  pressKey(code, Qt::Key_Return);
  EXPECT_FALSE(get<QFrame>("FRM_Clients")->isVisible());
  EXPECT_TRUE(get<QLabel>("CTL_Client")->text().contains("Grand compte"));
  type("CTX_TVIS_Resume", "Nouvelle visite");
  click("Cmd_Update");
  EXPECT_EQ(scalar("select TVIS_CodCli from TVIS where TVIS_Resume = 'Nouvelle visite'"), "C3")
      << m_messages.texts().join('|').toStdString();
  // Past the last code: the list stands on the last client.
  click("Cmd_ADD");
  code->setFocus();
  typeText(code, "ZZ");
  pressKey(code, Qt::Key_Return);
  EXPECT_TRUE(get<QFrame>("FRM_Clients")->isVisible());
  pressKey(get("DBG_Clients"), Qt::Key_Escape);
  EXPECT_EQ(focused(), "CTX_TVIS_CodCli");
}

// A visit typed field after field with Enter lands where the screen shows each box.
TEST_F(Fvisit, EnterWalksTheFormInTheOrderOfTheScreen) {
  click("Cmd_ADD");
  auto* code = get<QLineEdit>("CTX_TVIS_CodCli");
  code->setFocus();
  typeText(code, "C3");
  QStringList walk;
  pressKey(code, Qt::Key_Return);
  for (int i = 0; i < 5; ++i) {
    walk << focused();
    pressKey(QApplication::focusWidget(), Qt::Key_Return);
  }
  walk << focused();
  EXPECT_EQ(walk, QStringList({"CTX_TVIS_DatePrev", "CTX_TVIS_DateRea", "CTX_TVIS_Cal",
                               "CTX_TVIS_Resume", "CTX_TVIS_Contact", "CTX_TVIS_Detail"}));
}

TEST(VisitSql, TheSourcesCarryTheCriteriaAndOrder) {
  EXPECT_EQ(visitListSql("", ""),
            "Select * from TVIS left join TCLI on TVIS.TVIS_CODCLI = TCLI.TCLI_CODE ;");
  EXPECT_EQ(visitListSql("TVIS_Cal = 'JD'", "TVIS_DatePrev DESC"),
            "Select * from TVIS left join TCLI on TVIS.TVIS_CODCLI = TCLI.TCLI_CODE  WHERE "
            "TVIS_Cal = 'JD' ORDER BY TVIS_DatePrev DESC;");
  const QString due = dueVisitsSql(QDate(2026, 6, 15), "a = 1 or b = 2", "");
  EXPECT_EQ(due,
            "Select * from TVIS left join TCLI on TVIS.TVIS_CODCLI = TCLI.TCLI_CODE WHERE "
            "TVIS_DatePrev<#06/15/2026# AND IsNull(TVIS_DateRea) AND (a = 1 or b = 2) ;");
  EXPECT_EQ(criteriaBesideDue(core::Decouper_Requete(due).where), "(a = 1 or b = 2)");
  EXPECT_EQ(criteriaBesideDue("TVIS_DatePrev<#06/15/2026# AND IsNull(TVIS_DateRea)"), "");
  EXPECT_EQ(criteriaBesideDue("TVIS_Cal = 'JD'"), "TVIS_Cal = 'JD'");
}

}  // namespace
}  // namespace tarovent::clients
