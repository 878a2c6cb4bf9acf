#pragma once

#include <QRect>
#include <QSize>

namespace tarovent::core {

// Windows are drawn for an 800 x 600 screen (12000 x 9000 twips).
constexpr int kDesignWidth = 800;
constexpr int kDesignHeight = 600;

// Window states as Ajuster_Ecran reports them.
namespace winstate {
constexpr int Normal = 0;
constexpr int Minimized = 1;
constexpr int Maximized = 2;
}  // namespace winstate

struct FitInput {
  QSize screen;    // the whole screen (or the work area windows open in)
  QRect window;    // the window's geometry
  QSize mainMenu;  // the main menu strip; width 0 when there is none (the screen's width is used)
  int state = winstate::Normal;
  int mode = -1;  // -2 state only, -1 fill the width below the menu, 2 fit whole, centred
};

struct FitResult {
  int result = 0;  // the window state, -1 when the window is already larger, -2 when minimised
  bool change = false;
  QRect window;         // the new geometry when `change`
  double ratioX = 1.0;  // horizontal scale of the controls
  double ratioY = 1.0;  // vertical scale of the controls (and of the fonts, with ratioX)
};

// How a window drawn for 800 x 600 fits a screen: nothing changes on an 800 x 600 screen;
// mode -1 gives it the main menu's width below the menu and scales its height alike (less on
// screens wider than 4:3, so that it keeps its proportions); mode 2 scales it as a whole to the
// largest size that fits below the menu, centred.
FitResult computeFit(const FitInput& in);

}  // namespace tarovent::core
