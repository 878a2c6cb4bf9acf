#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "../composition/EntryFixture.h"
#include "ContextSupport.h"
#include "composition/FCOMPO.h"
#include "composition/LineChange.h"
#include "guard/DriftWindow.h"
#include "guard/QuoteReading.h"
#include "ui/FormNavigation.h"
#include "ui/UiTestSupport.h"

namespace tarovent::guard::test {
namespace {

// Version 0 of dossier 12 quotes two supplier tariff lines at the prices of the time; both
// tariffs have been raised since.
class DriftWindowTest : public fixtures::EntryTest {
 protected:
  void SetUp() override {
    EntryTest::SetUp();
    if (HasFatalFailure()) return;
    fixtures::QuoteDoc q;
    q.codes = {"CODART", "LIBART", "QTE", "PUBRUT", "PCREM",
               "PUNET",  "MTNET",  "PDR", "MTPDR",  "CODFOURN"};
    q.lines << QStringList{"R-12",  "Roulement", "2",     "45,00", "",
                           "45,00", "90,00",     "30,00", "60,00", "F1"}
            << QStringList{"B-7",  "Bague", "10",   "5,00",  "",
                           "5,00", "50,00", "3,00", "30,00", "F2"};
    q.between = fixtures::marked("OPTIONS", "", 951);
    path = core::Chemin_Document(m_layout.dataFolder, core::Nom_Document("AB", 12, 0));
    q.build().saveAs(path);
    composeVersion(*m_state, 0);
    m_state->base(core::entry::Tariffs)
        .db.Execute("update TTRF set TTRF_PUnit = TTRF_PUnit + 10 where TTRF_REFFOURN = 'R-12'");
    m_state->base(core::entry::Tariffs)
        .db.Execute("update TTRF set TTRF_PUnit = 4 where TTRF_REFFOURN = 'B-7'");
  }
  QuoteReading reading(composition::FCOMPO& w) {
    return readQuote(w.session().document()).value_or(QuoteReading{});
  }

  QString path;
};

// Reopened, the composition lists both lines with the margin each loses at the quote's price;
// only the line ticked takes today's cost, and the totals follow.
TEST_F(DriftWindowTest, ARaisedTariffIsListedAndOnlyTheTickedLineIsRefreshed) {
  std::unique_ptr<composition::FCOMPO> window(composition::FCOMPO::create(*m_state));
  ASSERT_TRUE(window);
  window->session().setDecimalSeparator(',');
  window->resize(1280, 800);
  tarovent::test::showActive(window.get());
  QApplication::processEvents();
  auto* drift = window->findChild<DriftWindow*>();
  ASSERT_NE(drift, nullptr) << "no drift list at opening";
  EXPECT_TRUE(drift->isVisible());
  EXPECT_EQ(tarovent::test::keyboardFaults(drift), QStringList());
  EXPECT_EQ(QApplication::activeWindow(), window.get());  // the document keeps the keyboard
  QTableWidget* list = drift->list();
  ASSERT_EQ(list->rowCount(), 2);
  const auto row = [&](int r) {
    QStringList cells;
    for (int c = 0; c < list->columnCount(); ++c) cells << list->item(r, c)->text();
    return cells;
  };
  EXPECT_EQ(row(0), (QStringList{"R-12", "tarif", "1 / 1", "2", "30,00", "40,00", "45,00", "45,00",
                                 "-20,00", "-20,00"}));
  EXPECT_EQ(row(1).mid(4, 5), (QStringList{"3,00", "4,00", "5,00", "5,00", "-10,00"}));
  EXPECT_EQ(drift->findChild<QLabel*>("CTL_EffetMarge")->text(),
            "Effet sur la marge du devis : -30,00 au prix du devis, -30,00 aux prix actuels.");
  if (const QString folder = qEnvironmentVariable("TAROVENT_SCREENSHOTS"); !folder.isEmpty()) {
    drift->resize(1280, 800);
    ui::saveScreenshot(drift, folder + "/evolution-couts.png");
  }

  // Nothing ticked: nothing happens.
  drift->refresh();
  EXPECT_TRUE(drift->isVisible());
  EXPECT_FALSE(window->session().document().isModified());
  list->item(0, 0)->setCheckState(Qt::Checked);
  drift->refreshButton()->click();
  QApplication::processEvents();

  const QuoteReading after = reading(*window);
  ASSERT_EQ(after.lines.size(), 2);
  EXPECT_DOUBLE_EQ(after.lines[0].costPrice, 40);
  EXPECT_DOUBLE_EQ(after.lines[0].costAmount, 80);
  EXPECT_DOUBLE_EQ(after.lines[1].costPrice, 3);
  EXPECT_EQ(window->session().document().bookmarkText("SMTNET"), "140,00");
  EXPECT_TRUE(window->session().document().isModified());
  // What is left to refresh is the line not ticked.
  DriftWindow* again = window->showCostDrift();
  ASSERT_NE(again, nullptr);
  ASSERT_EQ(again->list()->rowCount(), 1);
  EXPECT_EQ(again->list()->item(0, 0)->text(), "B-7");
  m_messages.setFallback(ui::Answer::No);
}

// A sent version shows its drift but cannot take new prices.
TEST_F(DriftWindowTest, AFrozenVersionOnlyShowsTheDrift) {
  std::unique_ptr<composition::FCOMPO> window(composition::FCOMPO::create(*m_state));
  ASSERT_TRUE(window);
  window->session().freeze("envoyé");
  DriftWindow* drift = window->showCostDrift();
  ASSERT_NE(drift, nullptr);
  EXPECT_FALSE(drift->refreshButton()->isEnabled());
  EXPECT_FALSE(drift->list()->item(0, 0)->flags() & Qt::ItemIsUserCheckable);
}

}  // namespace
}  // namespace tarovent::guard::test
