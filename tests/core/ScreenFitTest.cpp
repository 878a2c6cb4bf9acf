#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "core/ProcessState.h"
#include "core/ScreenFit.h"
#include "core/WindowFit.h"
#include "ui/UiTestSupport.h"

namespace tarovent::core {
namespace {

FitInput input(QSize screen, QRect window, QSize menu, int mode, int state = winstate::Normal) {
  FitInput in;
  in.screen = screen;
  in.window = window;
  in.mainMenu = menu;
  in.mode = mode;
  in.state = state;
  return in;
}

TEST(ScreenFit, NothingChangesOnTheDesignScreenOrWhenMinimised) {
  const QRect w(0, 0, 800, 500);
  EXPECT_FALSE(computeFit(input({800, 600}, w, {800, 60}, -1)).change);
  EXPECT_EQ(computeFit(input({800, 600}, w, {800, 60}, -1, winstate::Maximized)).result,
            winstate::Maximized);
  EXPECT_EQ(computeFit(input({1024, 768}, w, {861, 60}, -1, winstate::Minimized)).result, -2);
  EXPECT_FALSE(computeFit(input({1024, 768}, w, {861, 60}, -2)).change);
}

TEST(ScreenFit, FillingTheWidthScalesByTheMenuWidth) {
  // A 4:3 screen: both directions by the same ratio.
  FitResult r = computeFit(input({1600, 1200}, {0, 0, 800, 500}, {1437, 60}, -1));
  ASSERT_TRUE(r.change);
  EXPECT_DOUBLE_EQ(r.ratioX, 1437.0 / 800);
  EXPECT_DOUBLE_EQ(r.ratioY, 1437.0 / 800);
  EXPECT_EQ(r.window, QRect(0, 61, 1437, 898));

  // A 16:9 screen: the height grows less, by (height x 4) / (3 x width).
  r = computeFit(input({1920, 1080}, {0, 0, 800, 600}, {1757, 60}, -1));
  ASSERT_TRUE(r.change);
  EXPECT_DOUBLE_EQ(r.ratioY, 1757.0 / 800 * (1080.0 * 4) / (3.0 * 1920));
  EXPECT_EQ(r.window, QRect(0, 61, 1757, 988));

  // A window already wider than the menu, and one exactly as wide (on 4:3).
  EXPECT_EQ(computeFit(input({1024, 768}, {0, 0, 900, 500}, {861, 60}, -1)).result, -1);
  EXPECT_FALSE(computeFit(input({1024, 768}, {0, 0, 861, 500}, {861, 60}, -1)).change);
}

TEST(ScreenFit, FittingWholeKeepsProportionsAndCentres) {
  const FitResult r = computeFit(input({1920, 1080}, {0, 0, 800, 600}, {1757, 60}, 2));
  ASSERT_TRUE(r.change);
  EXPECT_DOUBLE_EQ(r.ratioX, (1080.0 - 61) / 600);
  EXPECT_DOUBLE_EQ(r.ratioY, r.ratioX);
  EXPECT_EQ(r.window, QRect((1757 - r.window.width()) / 2, 61, r.window.width(), 1019));
}

TEST(ScreenFit, WithoutMainMenuTheScreenWidthIsUsed) {
  const FitResult r = computeFit(input({1600, 1200}, {0, 0, 800, 600}, {}, -1));
  EXPECT_EQ(r.window, QRect(0, 0, 1600, 1200));
}

TEST(WindowFit, ControlsPlacedByHandFollowTheWindow) {
  ui::ScriptedResponder messages;
  ProcessState state(messages);
  QWidget window;
  window.setGeometry(0, 0, 400, 300);
  auto* box = new QLineEdit(&window);
  box->setGeometry(40, 30, 100, 20);
  auto* bar = new QWidget(&window);
  bar->setObjectName("Pic_Boutons_Bas");
  bar->setGeometry(0, 280, 200, 20);
  auto* fixed = new QLabel("Z", &window);
  fixed->setObjectName("ZLogo");
  fixed->setGeometry(10, 10, 30, 30);
  const double pointSize = window.font().pointSizeF();
  window.show();

  const int result = Ajuster_Ecran(state, &window, 2);
  const QSize screen = window.screen()->geometry().size();
  if (screen.height() == kDesignHeight) GTEST_SKIP() << "an 800 x 600 screen changes nothing";
  ASSERT_EQ(result, winstate::Normal);
  const double ratio = window.width() / 400.0;
  EXPECT_NEAR(box->x(), 40 * ratio, 1);
  EXPECT_NEAR(box->width(), 100 * ratio, 1);
  EXPECT_EQ(bar->size(), QSize(200, 20));  // moved, not stretched
  EXPECT_NEAR(bar->y(), 280 * ratio, 1);
  EXPECT_EQ(fixed->geometry(), QRect(10, 10, 30, 30));
  EXPECT_NEAR(window.font().pointSizeF(), pointSize * ratio, 0.01);
  EXPECT_EQ(Ajuster_Ecran(state, nullptr, 2), -3);
  EXPECT_EQ(messages.texts(), QStringList{"Ajustement d'écran incorrect"});
}

TEST(WindowFit, InTheWorkAreaTheAreaIsTheScreen) {
  ui::ScriptedResponder messages;
  ProcessState state(messages);
  QMdiArea area;
  area.resize(1200, 900);
  area.show();
  auto* form = new QWidget;
  form->setProperty("designSize", QSize(600, 450));
  auto* box = new QLineEdit(form);
  box->setGeometry(60, 45, 120, 20);
  QMdiSubWindow* sub = area.addSubWindow(form);
  sub->show();
  const int width = area.viewport()->width();
  ASSERT_EQ(Ajuster_Ecran(state, form, -1), winstate::Normal);
  EXPECT_EQ(sub->geometry(), QRect(0, 0, width, sub->height()));
  EXPECT_NEAR(box->width(), 120.0 * width / 600, 2);
  // Fitted already: nothing grows twice.
  Ajuster_Ecran(state, form, -1);
  EXPECT_NEAR(box->width(), 120.0 * width / 600, 2);
}

}  // namespace
}  // namespace tarovent::core
