#include <QTableWidget>

#include "GuardDemo.h"
#include "guard/GuardWindow.h"
#include "ui/FormNavigation.h"
#include "ui/UiTestSupport.h"

namespace tarovent::guard::test {
namespace {

// A quote with findings shows them, one row each, beside the sending, without waiting for an
// answer; a document that cannot be read shows nothing.
TEST_F(GuardDemo, TheWindowListsTheFindingsBesideTheSending) {
  main().Execute(QStringLiteral("UPDATE TPAR SET TPAR_SEUILMARGE = 1000"));
  const QString path = quoteFiles().value(200);
  const QuoteReading q = read(path);
  const QVector<GuardFinding> found = guardQuote(q, readGuardRules(*m_state, q));
  ASSERT_FALSE(found.isEmpty());
  QWidget parent;
  GuardWindow* w = warnBeforeSending(*m_state, path, "l'envoi du devis", &parent);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(tarovent::test::keyboardFaults(w), QStringList());
  ASSERT_EQ(w->list()->rowCount(), found.size());
  EXPECT_EQ(w->list()->item(int(found.size()) - 1, 1)->text(), "Taux de marge sous le seuil");
  if (const QByteArray shots = qgetenv("TAROVENT_SCREENSHOTS"); !shots.isEmpty()) {
    w->resize(1280, 800);
    ui::saveScreenshot(w, QString::fromLocal8Bit(shots) + "/garde.png");
  }
  main().Execute(QStringLiteral("UPDATE TPAR SET TPAR_SEUILMARGE = 0"));
  EXPECT_EQ(warnBeforeSending(*m_state, documents() + "absent.AB", "l'envoi", &parent), nullptr);
}

}  // namespace
}  // namespace tarovent::guard::test
