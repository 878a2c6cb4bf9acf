#include "WindowFit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTableView>
#include <QWidget>
#include <cmath>

#include "ProcessState.h"
#include "ScreenFit.h"

namespace tarovent::core {

namespace {

QWidget* mainMenu() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String("MENUDEV") && w->isVisible()) return w;
  return nullptr;
}

int stateOf(const QWidget* w) {
  if (w->isMinimized()) return winstate::Minimized;
  if (w->isMaximized()) return winstate::Maximized;
  return winstate::Normal;
}

bool leftAlone(const QWidget* w) { return w->objectName().startsWith('Z', Qt::CaseInsensitive); }

bool buttonBar(const QWidget* w) {
  const QString n = w->objectName().toUpper();
  return n.startsWith("PIC_BOUTONS") || n.startsWith("FRM_BOUTONS");
}

int scaled(int v, double ratio) { return static_cast<int>(std::lround(v * ratio)); }

void scaleFont(QWidget* w, double ratio) {
  QFont f = w->font();
  if (f.pointSizeF() > 0)
    f.setPointSizeF(f.pointSizeF() * ratio);
  else if (f.pixelSize() > 0)
    f.setPixelSize(std::max(1, scaled(f.pixelSize(), ratio)));
  w->setFont(f);
}

void scaleViews(QWidget* window, double rx, double ry) {
  for (auto* view : window->findChildren<QTableView*>()) {
    if (leftAlone(view)) continue;
    QHeaderView* h = view->horizontalHeader();
    for (int c = 0; c < h->count(); ++c) h->resizeSection(c, scaled(h->sectionSize(c), rx));
    QHeaderView* v = view->verticalHeader();
    v->setDefaultSectionSize(std::max(1, scaled(v->defaultSectionSize(), ry)));
  }
}

// Children placed by hand (no layout) follow the window's new proportions.
void scaleChildren(QWidget* parent, double rx, double ry) {
  for (QObject* o : parent->children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (!w || w->isWindow() || leftAlone(w)) continue;
    const QRect g = w->geometry();
    if (buttonBar(w)) {
      w->move(scaled(g.x(), rx), scaled(g.y(), ry));
      continue;
    }
    w->setGeometry(scaled(g.x(), rx), scaled(g.y(), ry), scaled(g.width(), rx),
                   scaled(g.height(), ry));
    if (!w->layout()) scaleChildren(w, rx, ry);
  }
}

}  // namespace

int Ajuster_Ecran(ProcessState& state, QWidget* window, int mode) {
  if (!window) {
    state.messages().show(state.messages().tr("Ajustement d'écran incorrect"));
    return -3;
  }
  FitInput in;
  in.state = stateOf(window);
  in.mode = mode;
  QWidget* frame = window;
  if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget())) frame = sub;
  // The size the window was drawn for; a window shown in the work area has been resized by its
  // sub-window already, so it may say it with the dynamic property "designSize".
  QSize design = window->property("designSize").toSize();
  if (!design.isValid() || design.isEmpty()) design = window->size();
  in.window = QRect(frame->pos(), design);
  if (auto* area = frame->parentWidget()
                       ? qobject_cast<QMdiArea*>(frame->parentWidget()->parentWidget())
                       : nullptr) {
    // Inside the main window's work area: the area is the screen and there is no menu above.
    in.screen = area->viewport()->size();
  } else {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
      state.messages().show(state.messages().tr("Ajustement d'écran incorrect"));
      return -3;
    }
    in.screen = screen->geometry().size();
    if (QWidget* menu = mainMenu(); menu && menu != window)
      in.mainMenu = menu->frameGeometry().size();
  }
  const FitResult r = computeFit(in);
  if (!r.change) return r.result;

  window->setUpdatesEnabled(false);
  if (!window->layout()) scaleChildren(window, r.ratioX, r.ratioY);
  scaleFont(window, std::min(r.ratioX, r.ratioY));
  scaleViews(window, r.ratioX, r.ratioY);
  // A maximised window keeps filling its area: only its contents grow.
  if (!window->isMaximized() && !frame->isMaximized()) frame->setGeometry(r.window);
  // Fitted once: a second call finds nothing more to do.
  window->setProperty("designSize",
                      QSize(static_cast<int>(std::lround(design.width() * r.ratioX)),
                            static_cast<int>(std::lround(design.height() * r.ratioY))));
  window->setUpdatesEnabled(true);
  return stateOf(window);
}

}  // namespace tarovent::core
