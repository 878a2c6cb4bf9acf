#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QToolTip>
#include <QVBoxLayout>

#include "UiTestSupport.h"
#include "ui/ButtonEnterKey.h"
#include "ui/FormAccessKeys.h"
#include "ui/FocusReturn.h"
#include "ui/NumberBox.h"
#include "ui/NumericInput.h"
#include "ui/OptionGroupFocus.h"

namespace tarovent::ui {
namespace {

// Regression: Enter on a focused button did nothing outside dialogs.
TEST(Keyboard, EnterPressesTheFocusedButton) {
  installButtonEnterKey(*qApp);
  installButtonEnterKey(*qApp);  // once is enough: a second filter would click twice
  QWidget window;
  new QPushButton("Enregistrer", &window);
  auto* second = new QPushButton("Quitter", &window);
  int clicks = 0;
  QObject::connect(second, &QPushButton::clicked, [&] { ++clicks; });
  test::showActive(&window);
  second->setFocus();
  test::pressKey(second, Qt::Key_Return);
  EXPECT_EQ(clicks, 1);
  test::pressKey(second, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(clicks, 2);
  second->setEnabled(false);
  test::pressKey(second, Qt::Key_Return);
  EXPECT_EQ(clicks, 2);
}

// Regression: on a French workstation the keypad's point was dropped: "0.95" became 95.
TEST(Keyboard, NumberBoxesTakeThePointAndTheCommaAsTheDecimalMark) {
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  QWidget window;
  auto* box = new NumberBox(&window);
  test::showActive(&window);
  box->setFocus();
  for (const char* typed : {"0.95", "0,95"}) {
    box->clear();
    test::typeText(box, QString::fromLatin1(typed));
    EXPECT_EQ(box->text(), "0,95") << typed;
    EXPECT_DOUBLE_EQ(box->number(), 0.95) << typed;
  }
  test::typeText(box, ".");  // a second mark is refused, not typed
  EXPECT_EQ(box->text(), "0,95");
  QLocale::setDefault(QLocale::c());
}

// Regression: "10.5" typed in a box of whole numbers gave 105 with nothing to see but a beep
// (no sound on most office machines): the refused key now says why beside the box.
TEST(Keyboard, AKeyANumberBoxRefusesSaysWhy) {
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  QWidget window;
  auto* box = new NumberBox(&window);
  box->setDecimals(false);
  test::showActive(&window);
  box->setFocus();
  test::typeText(box, "10");
  EXPECT_FALSE(QToolTip::isVisible());
  test::typeText(box, ".");
  EXPECT_EQ(box->text(), "10");
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), "Nombre entier : la décimale « . » est refusée");
  QToolTip::hideText();
  test::typeText(box, "a");
  EXPECT_EQ(QToolTip::text(), "Caractère refusé : « a » (chiffres seulement)");
  QToolTip::hideText();
  box->setDecimals(true);
  test::typeText(box, ",5,");
  EXPECT_EQ(box->text(), "10,5");
  EXPECT_EQ(QToolTip::text(), "Le nombre a déjà sa décimale");
  QToolTip::hideText();
  QLocale::setDefault(QLocale::c());
}

// Alt + the letter of a group of the form puts the keyboard on the option chosen in it, even
// where another window (the main menu) has the letter; a letter given twice in the form is
// left to Qt.
TEST(Keyboard, AGroupsLetterEntersTheGroup) {
  QWidget form;
  auto* box = new QLineEdit(&form);
  auto* group = new QGroupBox("&Tarifs", &form);
  auto* cost = new QRadioButton("Revient", group);
  auto* price = new QRadioButton("Vente", group);
  auto* inside = new QVBoxLayout(group);
  inside->addWidget(cost);
  inside->addWidget(price);
  auto* layout = new QVBoxLayout(&form);
  layout->addWidget(box);
  layout->addWidget(group);
  price->setChecked(true);
  FormAccessKeys keys(nullptr, [&form]() -> QWidget* { return &form; });
  tarovent::test::showActive(&form);
  box->setFocus();
  EXPECT_EQ(FormAccessKeys::target(&form, 'T'), group);
  for (const QEvent::Type type : {QEvent::ShortcutOverride, QEvent::KeyPress}) {
    QKeyEvent alt(type, Qt::Key_T, Qt::AltModifier, "t");
    QApplication::sendEvent(box, &alt);
  }
  EXPECT_EQ(QApplication::focusWidget(), price);
  auto* all = new QPushButton("&Tout", &form);
  all->show();
  EXPECT_EQ(FormAccessKeys::target(&form, 'T'), nullptr);
}

// Regression: an amount read from the base showed "86643,8", and without its thousands apart.
TEST(Keyboard, AmountBoxesShowTheirTwoDecimals) {
  db::FieldSpec amount;
  amount.name = "M";
  amount.type = db::FieldType::Double;
  struct Box : NumberBox {
    using NumberBox::show;
  } box;
  box.setShownDecimals(2);
  box.show(QVariant(86643.8), amount);
  EXPECT_EQ(box.text(), QString("86 643") + workstationDecimalSeparator() + "80");
  // Read back whole, as a save stores it.
  EXPECT_EQ(box.number(), 86643.8);
  box.show(QVariant(-1234567.891), amount);
  EXPECT_EQ(box.text(), QString("-1 234 567") + workstationDecimalSeparator() + "89");
  EXPECT_EQ(box.number(), -1234567.89);
  box.show(QVariant(-0.0), amount);
  EXPECT_EQ(box.text(), QString("0") + workstationDecimalSeparator() + "00");
  box.show(QVariant(), amount);
  EXPECT_TRUE(box.text().isEmpty());
}

// Regression: Tab entered a group of option buttons on its first one, checked or not.
TEST(Keyboard, TabEntersAGroupOfOptionButtonsOnTheCheckedOne) {
  installOptionGroupFocus(*qApp);
  QWidget window;
  auto* box = new QVBoxLayout(&window);
  auto* before = new QLineEdit(&window);
  auto* group = new QGroupBox("Tarification", &window);
  auto* inGroup = new QVBoxLayout(group);
  inGroup->addWidget(new QRadioButton("au prix de revient", group));
  auto* sale = new QRadioButton("au prix de vente", group);
  inGroup->addWidget(sale);
  auto* after = new QLineEdit(&window);
  box->addWidget(before);
  box->addWidget(group);
  box->addWidget(after);
  sale->setChecked(true);
  test::showActive(&window);
  before->setFocus();
  test::pressKey(before, Qt::Key_Tab);
  EXPECT_TRUE(sale->hasFocus());
  test::pressKey(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_TRUE(after->hasFocus());
  test::pressKey(after, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(sale->hasFocus());
}

// A panel shown over part of a window gives the keyboard back to the control that had it: when
// it hides with the keyboard inside, not when the user has gone elsewhere already, and not to a
// control disabled or hidden meanwhile.
TEST(Keyboard, APanelGivesTheKeyboardBackToWhatHadItBefore) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* opener = new QPushButton("Ouvrir", &window);
  auto* panel = new QWidget(&window);
  auto* inside = new QLineEdit(panel);
  (new QVBoxLayout(panel))->addWidget(inside);
  auto* after = new QPushButton("Suivant", &window);
  for (QWidget* w : {static_cast<QWidget*>(opener), panel, static_cast<QWidget*>(after)})
    layout->addWidget(w);
  returnFocusOnHide(panel);
  panel->hide();
  test::showActive(&window);
  const auto openPanel = [&] {
    opener->setFocus();
    panel->show();
    inside->setFocus();
    ASSERT_TRUE(inside->hasFocus());
  };

  openPanel();
  panel->hide();
  EXPECT_TRUE(opener->hasFocus());

  openPanel();
  after->setFocus();
  panel->hide();
  EXPECT_TRUE(after->hasFocus());

  openPanel();
  opener->setEnabled(false);
  panel->hide();
  EXPECT_FALSE(opener->hasFocus());
  EXPECT_FALSE(inside->hasFocus());

  opener->setEnabled(true);
  openPanel();
  opener->hide();
  panel->hide();
  EXPECT_NE(QApplication::focusWidget(), opener);
  EXPECT_FALSE(inside->hasFocus());
}

}  // namespace
}  // namespace tarovent::ui
