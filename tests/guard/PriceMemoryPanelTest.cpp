#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QLabel>
#include <QScrollBar>
#include <QTableWidget>

#include "../composition/EntryFixture.h"
#include "composition/EntryPanel.h"
#include "guard/PriceMemory.h"
#include "guard/PriceMemoryBox.h"
#include "ui/FormNavigation.h"
#include "ui/UiTestSupport.h"

namespace tarovent::guard::test {
namespace {

// Line entry of version 0 of dossier 12 (client C1), with the prices C1 was quoted for VIS
// in three versions of dossier 5, and another client's price.
class PriceMemoryPanelTest : public fixtures::EntryTest {
 protected:
  void SetUp() override {
    EntryTest::SetUp();
    if (HasFatalFailure()) return;
    db::Database& main = m_state->mainDb();
    main.Execute("insert into TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT) values ('AB', 5, 'C1')");
    main.Execute("insert into TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT) values ('AB', 6, 'C2')");
    // Recorded out of date order: the newest is not the last saved nor the highest price.
    const struct {
      long dossier;
      int sequence;
      const char* date;
      double price, discount;
    } versions[] = {{5, 2, "03/10/2026", 22, 5},
                    {5, 0, "01/10/2026", 21, 0},
                    {5, 1, "02/10/2026", 23, 0},
                    {6, 0, "04/10/2026", 99, 0}};
    PriceMemory memory(main);
    for (const auto& v : versions) {
      main.Execute(QStringLiteral("insert into TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE) "
                                  "values ('AB', %1, %2, #%3#)")
                       .arg(v.dossier)
                       .arg(v.sequence)
                       .arg(QLatin1String(v.date)));
      QuoteReading quote;
      composition::WorkLine l;
      l.code = "VIS";
      l.quantity = 4;
      l.grossPrice = v.price;
      l.discountPercent = v.discount;
      composition::Calcul_Ligne(l);
      quote.lines << l;
      l.code = "TOLE";
      l.grossPrice = v.price + 100;
      composition::Calcul_Ligne(l);
      quote.lines << l;
      ASSERT_TRUE(memory.record({"AB", v.dossier, v.sequence}, quote));
    }
    m_session = openQuote();
    ASSERT_TRUE(m_session);
    panel = std::make_unique<composition::EntryPanel>(*m_session);
    panel->resize(1280, 360);
    tarovent::test::showActive(panel.get());
    box = panel->findChild<PriceMemoryBox*>();
    ASSERT_NE(box, nullptr);
  }
  static void press(int key, const QString& text = {}) {
    tarovent::test::pressKey(QApplication::focusWidget(), key, Qt::NoModifier, text);
  }
  // The field once the events at hand are processed, as the screen shows it.
  QString shown(const char* name) const {
    QApplication::processEvents();
    return panel->findChild<QLineEdit*>(QString::fromLatin1(name))->text();
  }
  QString cell(int row, int column) const {
    const QTableWidgetItem* item = box->list()->item(row, column);
    return item ? item->text() : QString();
  }

  std::unique_ptr<composition::CompositionSession> m_session;
  std::unique_ptr<composition::EntryPanel> panel;
  PriceMemoryBox* box = nullptr;
};

// The code typed shows what the client was quoted, newest first; F8 from the quantity takes
// the newest price into the unit price, and the line is written with it.
TEST_F(PriceMemoryPanelTest, TheLatestPriceIsShownFirstAndTakenWithOneKey) {
  EXPECT_TRUE(box->isVisible());
  panel->takeFocus();
  tarovent::test::typeText(QApplication::focusWidget(), "vis");
  press(Qt::Key_Return);
  ASSERT_EQ(box->list()->rowCount(), 3);
  EXPECT_EQ(cell(0, 0), "10/03/26");
  EXPECT_EQ(cell(0, 1), "00005_02.AB");
  EXPECT_EQ(cell(0, 3), "22,00");
  EXPECT_EQ(cell(0, 4), "5,00");
  EXPECT_EQ(cell(0, 5), "20,90");
  EXPECT_EQ(cell(1, 3), "23,00");
  EXPECT_EQ(cell(2, 3), "21,00");
  EXPECT_EQ(shown("CTX_TPRO_PU"), "12,50");  // the article's own price until asked

  ASSERT_EQ(QApplication::focusWidget()->objectName(), "CTX_QTE");
  press(Qt::Key_F8);
  EXPECT_EQ(shown("CTX_TPRO_PU"), "22,00");
  EXPECT_EQ(panel->entry().text("CTX_TPRO_PU"), "22,00");
  EXPECT_EQ(m_messages.beeps(), 0);

  // A quantity typed just before takes its price breaks first: the remembered price wins.
  panel->takeFocus();
  tarovent::test::typeText(QApplication::focusWidget(), "TOLE");
  press(Qt::Key_Return);
  ASSERT_EQ(QApplication::focusWidget()->objectName(), "CTX_QTE");
  tarovent::test::typeText(QApplication::focusWidget(), "12");
  press(Qt::Key_F8);
  EXPECT_EQ(shown("CTX_QTE"), "12");
  EXPECT_EQ(shown("CTX_TPRO_PU"), "122,00");

  // Another code: nothing remembered, F8 only beeps and the price stays the article's.
  panel->takeFocus();
  tarovent::test::typeText(QApplication::focusWidget(), "PORTAIL");
  press(Qt::Key_Return);
  EXPECT_EQ(box->list()->rowCount(), 0);
  const QString before = shown("CTX_TPRO_PU");
  press(Qt::Key_F8);
  EXPECT_EQ(shown("CTX_TPRO_PU"), before);
  EXPECT_EQ(m_messages.beeps(), 1);

  if (const QString folder = qEnvironmentVariable("TAROVENT_SCREENSHOTS"); !folder.isEmpty()) {
    panel->takeFocus();
    tarovent::test::typeText(QApplication::focusWidget(), "VIS");
    press(Qt::Key_Return);
    ui::saveScreenshot(panel.get(), folder + "/memoire-prix.png");
  }
}

// Keys typed one after the other read the memory once the code is settled, not once per key:
// when the code is looked up, or after a pause of the keyboard in the code box.
TEST_F(PriceMemoryPanelTest, TheMemoryIsReadOnceTheCodeIsSettled) {
  panel->takeFocus();
  // A fast typist: the screen is drawn between keys, well within the pause.
  for (const QChar c : QStringLiteral("VIS")) {
    tarovent::test::typeText(QApplication::focusWidget(), QString(c));
    QApplication::processEvents();
  }
  EXPECT_EQ(box->lookups(), 0);
  EXPECT_EQ(box->list()->rowCount(), 0);
  press(Qt::Key_Return);
  EXPECT_EQ(box->lookups(), 1);
  ASSERT_EQ(box->list()->rowCount(), 3);
  EXPECT_EQ(cell(0, 3), "22,00");
  QApplication::processEvents();
  EXPECT_EQ(box->lookups(), 1);

  // Typed, then a pause without leaving the box: shown as the keyboard rests.
  panel->takeFocus();
  tarovent::test::typeText(QApplication::focusWidget(), "TOLE");
  ASSERT_EQ(QApplication::focusWidget()->objectName(), "CTX_CODART");
  EXPECT_EQ(box->lookups(), 1);
  QElapsedTimer rest;
  rest.start();
  while (rest.elapsed() < PriceMemoryBox::kIdleMs * 3)
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_EQ(box->lookups(), 2);
  ASSERT_EQ(box->list()->rowCount(), 3);
  EXPECT_EQ(cell(0, 3), "122,00");
  // Its look-up then reads nothing more.
  press(Qt::Key_Return);
  EXPECT_EQ(box->lookups(), 2);
  EXPECT_EQ(cell(0, 3), "122,00");

  // A code corrected before the pause: only the last is read, and F8 takes its price at once.
  panel->takeFocus();
  tarovent::test::typeText(QApplication::focusWidget(), "TOL");
  press(Qt::Key_Backspace);
  press(Qt::Key_Backspace);
  press(Qt::Key_Backspace);
  tarovent::test::typeText(QApplication::focusWidget(), "VIS");
  press(Qt::Key_F8);
  EXPECT_EQ(box->lookups(), 3);
  EXPECT_EQ(shown("CTX_TPRO_PU"), "22,00");
  EXPECT_EQ(m_messages.beeps(), 0);
}

// What the box shows never widens it: the entry fields beside keep their room, and each
// remembered price is read whole in its column.
TEST_F(PriceMemoryPanelTest, TheMemoryShownKeepsTheFieldsBesideItsWidth) {
  panel->resize(960, 360);  // as beside the tariff modes of a 1280-pixel window
  QApplication::processEvents();
  const int width = box->width();
  const auto fieldsApart = [this] {
    for (QLabel* label : panel->findChildren<QLabel*>()) {
      QWidget* field = label->buddy();
      if (!field || !label->isVisible()) continue;
      const QRect l(label->mapTo(panel.get(), QPoint()), label->size());
      const QRect f(field->mapTo(panel.get(), QPoint()), field->size());
      if (l.intersects(f)) return label->text() + " / " + field->objectName();
    }
    return QString();
  };
  EXPECT_EQ(fieldsApart(), "");
  for (const QString code : {"VIS", "CODE-SANS-HISTORIQUE-TRES-LONG"}) {
    box->showCode(code);
    QApplication::processEvents();
    EXPECT_EQ(box->width(), width) << code.toStdString();
    EXPECT_EQ(fieldsApart(), "") << code.toStdString();
  }
  box->showCode("VIS");
  QApplication::processEvents();
  ASSERT_EQ(box->list()->rowCount(), 3);
  EXPECT_FALSE(box->list()->horizontalScrollBar()->isVisible());
  for (int c = 0; c < box->list()->columnCount(); ++c) {
    const QString text = cell(0, c);
    EXPECT_GE(box->list()->visualRect(box->list()->model()->index(0, c)).width(),
              box->list()->fontMetrics().horizontalAdvance(text) + 4)
        << text.toStdString();
  }
}

// A template composed from the quote types window has no client: no memory is shown.
TEST_F(PriceMemoryPanelTest, ATemplateHasNoClientMemory) {
  PriceMemoryBox none(*m_state, {}, std::nullopt, panel.get());
  none.showCode("VIS");
  EXPECT_TRUE(none.prices().isEmpty());
  EXPECT_FALSE(none.takeLatest());
}

}  // namespace
}  // namespace tarovent::guard::test
