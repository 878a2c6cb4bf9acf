#include "HostWindow.h"

#include <QMdiSubWindow>

namespace tarovent::ui {

bool closeHostWindow(QWidget* window) {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget())) return sub->close();
  return window->close();
}

}  // namespace tarovent::ui
