#include "WindowSearch.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>

namespace tarovent::core {

QWidget* Chercher_Fenetre(const QString& part) {
  const QString wanted = part.toUpper();
  const auto matches = [&](const QWidget* w) {
    return w->isVisible() && w->windowTitle().toUpper().contains(wanted);
  };
  const QWidgetList tops = QApplication::topLevelWidgets();
  for (QWidget* w : tops)
    if (matches(w)) return w;
  for (QWidget* w : tops)
    for (QMdiSubWindow* sub : w->findChildren<QMdiSubWindow*>())
      if (matches(sub)) return sub->widget() ? sub->widget() : sub;
  return nullptr;
}

void Activer_Fenetre(QWidget* window) {
  if (!window) return;
  QWidget* frame = window;
  if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget())) frame = sub;
  if (frame->isMinimized()) frame->showNormal();
  frame->show();
  frame->raise();
  frame->activateWindow();
  if (auto* sub = qobject_cast<QMdiSubWindow*>(frame); sub && sub->mdiArea())
    sub->mdiArea()->setActiveSubWindow(sub);
}

}  // namespace tarovent::core
