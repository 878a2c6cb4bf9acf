#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "core/FCHXRPT.h"
#include "core/ProcessState.h"
#include "core/ReportChoice.h"
#include "core/ReportPrinting.h"
#include "platform/report/ReportViewer.h"
#include "ui/UiTestSupport.h"

namespace tarovent::core {
namespace {

class ReportChoiceTest : public ::testing::Test {
 protected:
  void SetUp() override { m_state.workingFolder = m_dir.path() + "/"; }
  QString folder() const { return m_state.workingFolder; }
  void touch(const QString& name, const QByteArray& content = "<report/>") {
    QFile f(folder() + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
  }
  // Runs `act` on the chooser once it shows; records its rows.
  void onChooser(std::function<void(FCHXRPT*)> act) {
    QTimer::singleShot(0, [this, act] {
      auto* d = qobject_cast<FCHXRPT*>(QApplication::activeModalWidget());
      if (!d) return;
      auto* list = d->findChild<QListWidget*>("BXL_Modeles");
      for (int i = 0; i < list->count(); ++i) m_rows << list->item(i)->text();
      act(d);
    });
  }
  QString choose() { return Choisir_Modele_Impression(m_state, folder(), "IMPRENTA"); }

  QTemporaryDir m_dir;
  ui::ScriptedResponder m_messages;
  ProcessState m_state{m_messages};
  QStringList m_rows;
};

TEST_F(ReportChoiceTest, NoReportSaysSoAndOneIsTakenWithoutAsking) {
  touch("IMPVISIT.RPT");
  touch("IMPRENTA.txt");
  EXPECT_EQ(choose(), "");
  EXPECT_EQ(m_messages.texts(), QStringList{"Aucun modèle d'impression trouvé"});
  m_messages.clear();
  touch("IMPRENTA.RPT");
  bool asked = false;
  QTimer::singleShot(0, [&] {
    if (QApplication::activeModalWidget()) {
      asked = true;
      QApplication::activeModalWidget()->close();
    }
  });
  EXPECT_EQ(choose(), folder() + "IMPRENTA.RPT");
  QApplication::processEvents();
  EXPECT_FALSE(asked);
  EXPECT_TRUE(m_messages.texts().isEmpty());
}

TEST_F(ReportChoiceTest, TheChooserShowsTheStandardRowAndTheVariants) {
  touch("IMPRENTA.RPT");
  touch("IMPRENTA_CLIENT.rpt");
  touch("IMPVISIT.RPT");
  onChooser([](FCHXRPT* d) { d->findChild<QPushButton*>("Cmd_OK")->click(); });
  EXPECT_EQ(choose(), folder() + "IMPRENTA.RPT");
  EXPECT_EQ(m_rows, QStringList({"*STANDARD*", "_CLIENT"}));

  onChooser([](FCHXRPT* d) {
    auto* list = d->findChild<QListWidget*>("BXL_Modeles");
    list->setCurrentRow(1);
    test::pressKey(list, Qt::Key_Return);
  });
  EXPECT_EQ(choose(), folder() + "IMPRENTA_CLIENT.rpt");

  onChooser([](FCHXRPT* d) { test::pressKey(d, Qt::Key_Escape); });
  EXPECT_EQ(choose(), "");
  EXPECT_TRUE(m_messages.texts().isEmpty());
}

TEST_F(ReportChoiceTest, ALabelGivesItsFileAsTheFolderSpellsIt) {
  const QStringList files = {"/d/IMPVISIT.rpt", "/d/IMPVISITAGENDA.RPT"};
  EXPECT_EQ(reportLabel(files[0], "IMPVISIT"), "*STANDARD*");
  EXPECT_EQ(reportLabel(files[1], "IMPVISIT"), "AGENDA");
  EXPECT_EQ(reportFileFor(files, "IMPVISIT", "*STANDARD*"), "/d/IMPVISIT.rpt");
  EXPECT_EQ(reportFileFor(files, "IMPVISIT", "agenda"), "/d/IMPVISITAGENDA.RPT");
  EXPECT_EQ(reportFileFor(files, "IMPVISIT", "AUTRE"), "");
}

TEST_F(ReportChoiceTest, AReportShowsInThePreviewOrSaysWhatIsWrong) {
  db::Workspace ws;
  db::Database base = ws.CreateDatabase(folder() + "BASE.MDB");
  base.Execute("CREATE TABLE TVIS (TVIS_NumLig LONG, TVIS_Resume TEXT(50))");
  base.Execute("INSERT INTO TVIS VALUES (1, 'Première visite')");
  base.Execute("INSERT INTO TVIS VALUES (2, 'Deuxième visite')");
  base.CreateQueryDef("RimpVis", "SELECT * FROM TVIS");
  touch("IMPVISIT.RPT", R"(<report title="Visites"><source name="RimpVis"/>
<columns><column field="TVIS_NumLig"/><column field="TVIS_Resum"/></columns></report>)");
  ReportRequest request{folder() + "IMPVISIT.RPT", base, "{RImpVis.TVIS_NumLig}= 2", {}};
  EXPECT_FALSE(showReport(m_state, request, nullptr));
  EXPECT_EQ(m_messages.texts(),
            QStringList{"Modèle d'impression " + folder() +
                        "IMPVISIT.RPT, ligne 2 : le champ « TVIS_Resum » n'existe pas dans "
                        "« RimpVis »"});
  m_messages.clear();

  touch("IMPVISIT.RPT", R"(<report title="Visites"><source name="RimpVis"/>
<columns><column field="TVIS_NumLig"/><column field="TVIS_Resume"/></columns></report>)");
  QString caption, state;
  long rows = -1;
  QTimer::singleShot(0, [&] {
    auto* v = qobject_cast<report::ReportViewer*>(QApplication::activeModalWidget());
    if (!v) return;
    for (int i = 0; i < 100 && !v->report().complete(); ++i) QApplication::processEvents();
    caption = v->windowTitle();
    rows = v->report().rowCount();
    state = v->findChild<QLabel*>("CTL_Etat")->text();
    test::pressKey(v, Qt::Key_Escape);
  });
  EXPECT_TRUE(showReport(m_state, request, nullptr));
  EXPECT_EQ(caption, "Aperçu avant impression - Visites");
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(state, "1 ligne");
  EXPECT_TRUE(m_messages.texts().isEmpty());
}

}  // namespace
}  // namespace tarovent::core
