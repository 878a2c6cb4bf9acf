#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

#include "../composition/EntryFixture.h"
#include "ContextSupport.h"
#include "composition/FCOMPO.h"
#include "composition/QuoteView.h"
#include "composition/TableLocator.h"
#include "guard/ComparisonWindow.h"
#include "guard/GuardWindow.h"
#include "platform/report/Report.h"
#include "ui/FormNavigation.h"
#include "ui/UiTestSupport.h"

namespace tarovent::guard::test {
namespace {

QStringList line(const QString& code, const QString& qty, const QString& price,
                 const QString& amount) {
  return {code, "Ligne " + code, qty, price, "", price, amount};
}

// Dossier 12 has two versions: the second re-prices A2 and moves it to a table of its own,
// drops A3 and adds A4.
class ComparisonWindowTest : public fixtures::EntryTest {
 protected:
  void SetUp() override {
    EntryTest::SetUp();
    if (HasFatalFailure()) return;
    m_state->mainDb().Execute(
        "insert into TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE) values ('AB', 12, 1, "
        "#04/02/2026#)");
    fixtures::QuoteDoc q;
    q.codes = {"CODART", "LIBART", "QTE", "PUBRUT", "PCREM", "PUNET", "MTNET"};
    q.lines = {line("A1", "1", "10,00", "10,00"), line("A2", "2", "20,00", "40,00"),
               line("A3", "3", "30,00", "90,00")};
    q.build().saveAs(document(0));
    q.lines = {line("A1", "1", "10,00", "10,00"), line("A4", "1", "5,00", "5,00"),
               line("A2", "2", "25,00", "50,00")};
    word::WordDocument second = q.build();
    const int table =
        composition::Reperer_Tableaux(second, composition::LocatePurpose::Recalculation)
            .layout->firstLineTable;
    second.splitTable(table, 3);
    second.saveAs(document(1));
  }
  QString document(int sequence) const {
    return core::Chemin_Document(m_layout.dataFolder, core::Nom_Document("AB", 12, sequence));
  }
};

TEST_F(ComparisonWindowTest, ARepricedLineMovedToAnotherTableIsFound) {
  ComparisonWindow w(*m_state, "AB", 12);
  ASSERT_EQ(w.first()->count(), 2);
  EXPECT_EQ(w.first()->currentText(), "00 du 15/03/2026");
  EXPECT_EQ(w.second()->currentText(), "01 du 02/04/2026");
  ASSERT_TRUE(w.comparison());
  EXPECT_EQ(tarovent::test::keyboardFaults(&w), QStringList());
  QTableWidget* list = w.list();
  ASSERT_EQ(list->rowCount(), 3);
  const auto row = [&](int r) {
    QStringList cells;
    for (int c = 0; c < list->columnCount(); ++c) cells << list->item(r, c)->text();
    return cells;
  };
  EXPECT_EQ(row(0), (QStringList{"~ Modifiée", "A2", "1 / 2", "2,000", "20,00", "2 / 1", "2,000",
                                 "25,00"}));
  EXPECT_EQ(row(1).mid(0, 2), (QStringList{"- Supprimée", "A3"}));
  EXPECT_EQ(row(1).mid(5), (QStringList{"", "", ""}));
  EXPECT_EQ(row(2).mid(0, 2), (QStringList{"+ Ajoutée", "A4"}));
  EXPECT_EQ(w.totals()->text(), "3 écart(s). Total net HT : 140,00 -> 65,00 (-75,00)");
  if (const QString folder = qEnvironmentVariable("TAROVENT_SCREENSHOTS"); !folder.isEmpty()) {
    w.resize(1280, 800);
    ui::saveScreenshot(&w, folder + "/comparaison.png");
  }

  // Printed through the report runtime, from the workstation's work table.
  core::ReportRequest shown;
  w.setViewer([&](const core::ReportRequest& r) {
    shown = r;
    return true;
  });
  ASSERT_TRUE(w.print());
  EXPECT_TRUE(shown.file.endsWith("IMPCOMPDEV.RPT")) << shown.file.toStdString();
  EXPECT_EQ(shown.parameters.value("TOTAUX"), w.totals()->text());
  std::unique_ptr<report::Report> r = core::startReport(*m_state, shown);
  ASSERT_TRUE(r) << m_messages.texts().join('|').toStdString();
  while (r->layoutPage()) {
  }
  EXPECT_EQ(r->pageCount(), 1);
  EXPECT_EQ(m_state->localDb.OpenRecordset("select * from TMP_COMPDEV").RecordCount(), 3);

  // The other way round: A4 removed, A3 added, the same line re-priced back.
  w.first()->setCurrentIndex(1);
  w.second()->setCurrentIndex(0);
  ASSERT_EQ(list->rowCount(), 3);
  EXPECT_EQ(row(0).mid(0, 2), (QStringList{"- Supprimée", "A4"}));
  EXPECT_EQ(row(1).mid(0, 2), (QStringList{"~ Modifiée", "A2"}));
  // A version against itself: nothing differs.
  w.first()->setCurrentIndex(0);
  EXPECT_EQ(list->rowCount(), 0);
}

// One version with a document only, or a document that is no quote: said in the window.
TEST_F(ComparisonWindowTest, WhatCannotBeComparedIsSaid) {
  QFile::remove(document(1));
  ComparisonWindow one(*m_state, "AB", 12);
  EXPECT_FALSE(one.comparison());
  EXPECT_EQ(one.totals()->text(), "Il faut deux versions avec leur document pour comparer.");
  // Its headings read whole all the same, "Avant : tableau / ligne" too.
  one.show();
  QApplication::processEvents();
  QHeaderView* headings = one.list()->horizontalHeader();
  for (int c = 0; c < one.list()->columnCount(); ++c)
    EXPECT_GE(headings->sectionSize(c), headings->sectionSizeHint(c))
        << one.list()->horizontalHeaderItem(c)->text().toStdString();
  QFile broken(document(1));
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("pas un document");
  broken.close();
  ComparisonWindow bad(*m_state, "AB", 12);
  EXPECT_FALSE(bad.comparison());
  EXPECT_EQ(bad.totals()->text(), "Le document 00012_01.AB ne peut pas être lu.");
}

// A line the guard lists opens in the composition at its row.
TEST_F(ComparisonWindowTest, AGuardLineOpensInTheCompositionAtItsRow) {
  composeVersion(*m_state, 0);
  // A3 sold under the floor of its article.
  m_state->base(core::entry::Stock)
      .db.Execute(
          "insert into TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type, TARTI_PVUMIN) "
          "values ('A3', 'Ligne A3', 'A', 35)");
  std::unique_ptr<composition::FCOMPO> window(composition::FCOMPO::create(*m_state));
  ASSERT_TRUE(window);
  window->resize(1280, 800);
  tarovent::test::showActive(window.get());
  GuardWindow* guard = window->showGuard();
  ASSERT_NE(guard, nullptr);
  QTableWidget* list = guard->list();
  ASSERT_GE(list->rowCount(), 1);
  EXPECT_EQ(list->item(0, 0)->text(), "A3");
  EXPECT_EQ(list->item(0, 1)->text(), "Sous le prix plancher");
  list->setCurrentCell(0, 0);
  tarovent::test::pressKey(list, Qt::Key_Return);
  const composition::TableCursor at = window->view().cursor();
  const int table = composition::Reperer_Tableaux(window->session().document(),
                                                  composition::LocatePurpose::Recalculation)
                        .layout->firstLineTable;
  EXPECT_EQ(at, (composition::TableCursor{table, 3}));
  EXPECT_EQ(window->session().cursor().row, 3);
  if (const QString folder = qEnvironmentVariable("TAROVENT_SCREENSHOTS"); !folder.isEmpty()) {
    guard->resize(1280, 800);
    ui::saveScreenshot(guard, folder + "/controle-devis.png");
  }
  // The margin rate has no line to open, and a window without opener opens nothing.
  GuardFinding rate;
  rate.kind = GuardFinding::Kind::MarginRate;
  GuardWindow rates({rate}, "00012_00.AB", "l'envoi");
  int opened = 0;
  rates.setLineOpener([&](const GuardFinding&) { ++opened; });
  EXPECT_FALSE(rates.openSelectedLine());
  GuardWindow closed({GuardFinding{}}, "00012_00.AB", "l'envoi");
  EXPECT_FALSE(closed.openSelectedLine());
  EXPECT_EQ(opened, 0);
}

}  // namespace
}  // namespace tarovent::guard::test
