#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "UiTestSupport.h"
#include "ui/ButtonEnterKey.h"
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

}  // namespace
}  // namespace tarovent::ui
