#include "ScreenFit.h"

#include <algorithm>
#include <cmath>

namespace tarovent::core {

FitResult computeFit(const FitInput& in) {
  FitResult r;
  r.result = in.state;
  r.window = in.window;
  if (in.screen.height() == kDesignHeight) return r;
  if (in.state == winstate::Minimized) {
    r.result = -2;
    return r;
  }
  if (in.mode == -2 || in.window.width() <= 0 || in.window.height() <= 0) return r;

  const int menuWidth = in.mainMenu.width() > 0 ? in.mainMenu.width() : in.screen.width();
  const int top = in.mainMenu.height() > 0 ? in.mainMenu.height() + 1 : 0;
  const double w = in.window.width();
  const double h = in.window.height();

  if (in.mode == -1) {
    const double ratio = menuWidth / w;
    if (ratio < 1) {
      r.result = -1;
      return r;
    }
    double ratioY = ratio;
    const double aspect = static_cast<double>(in.screen.height()) / in.screen.width();
    if (aspect < 0.75) ratioY *= (in.screen.height() * 4.0) / (3.0 * in.screen.width());
    if (ratio == 1 && ratioY == 1) return r;
    r.ratioX = ratio;
    r.ratioY = ratioY;
    r.window = QRect(0, top, menuWidth, static_cast<int>(std::lround(h * ratioY)));
    r.change = true;
    return r;
  }

  const double available = in.screen.height() - top;
  const double ratio = std::min(menuWidth / w, available / h);
  if (ratio < 1) {
    r.result = -1;
    return r;
  }
  if (ratio == 1) return r;
  const int nw = static_cast<int>(std::lround(w * ratio));
  const int nh = static_cast<int>(std::lround(h * ratio));
  r.ratioX = r.ratioY = ratio;
  r.window = QRect((menuWidth - nw) / 2, top, nw, nh);
  r.change = true;
  return r;
}

}  // namespace tarovent::core
