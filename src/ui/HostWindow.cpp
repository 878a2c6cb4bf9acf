#include "HostWindow.h"

#include <QMdiSubWindow>
#include <QScreen>
#include <algorithm>

namespace tarovent::ui {

bool closeHostWindow(QWidget* window) {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget())) return sub->close();
  return window->close();
}

void showOverOpener(QWidget* window, Place where) {
  if (!window->isVisible() && window->parentWidget()) {
    const QWidget* opener = window->parentWidget()->window();
    QRect place(QPoint(), window->size());
    if (where == Place::LowerRight)
      place.moveBottomRight(opener->geometry().bottomRight());
    else
      place.moveCenter(opener->geometry().center());
    if (const QScreen* screen = opener->screen()) {
      const QRect area = screen->availableGeometry();
      place.moveRight(std::min(place.right(), area.right()));
      place.moveBottom(std::min(place.bottom(), area.bottom()));
      place.moveLeft(std::max(place.left(), area.left()));
      place.moveTop(std::max(place.top(), area.top()));
    }
    window->move(place.topLeft());
  }
  window->show();
}

}  // namespace tarovent::ui
