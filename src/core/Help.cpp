#include "Help.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include "HelpPages.h"
#include "HelpWindow.h"
#include "ProcessState.h"
#include "Startup.h"
#include "WindowTranslation.h"
#include "ui/HostWindow.h"

namespace tarovent::core {

namespace {

HelpWindow* openHelpWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* h = qobject_cast<HelpWindow*>(w); h && h->isVisible()) return h;
  return nullptr;
}

// F1 anywhere in the program.
class HelpKey : public QObject {
 public:
  HelpKey(ProcessState& state, QObject* parent) : QObject(parent), m_state(state) {
    setObjectName("helpKey");
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    auto* k = static_cast<QKeyEvent*>(event);
    if (k->key() != Qt::Key_F1 || k->modifiers() != Qt::NoModifier) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w) return false;
    showHelp(m_state, helpContextOf(w));
    return true;
  }

 private:
  ProcessState& m_state;
};

}  // namespace

int helpContextOf(const QWidget* w) {
  // In an open menu, the highlighted entry's context, else the menu's own.
  if (auto* menu = qobject_cast<const QMenu*>(w)) {
    for (const QAction* a : {menu->activeAction(), menu->menuAction()}) {
      const int context = a ? a->property("helpContext").toInt() : 0;
      if (context != 0) return context;
    }
  } else if (auto* bar = qobject_cast<const QMenuBar*>(w)) {
    if (const QAction* a = bar->activeAction()) {
      const int context = a->property("helpContext").toInt();
      if (context != 0) return context;
    }
  }
  for (; w; w = w->parentWidget()) {
    const int context = w->property("helpContext").toInt();
    if (context != 0) return context;
  }
  return 0;
}

void showHelp(ProcessState& state, int helpContext) {
  QString html;
  QFile file(state.helpFile);
  if (!state.helpFile.isEmpty() && file.open(QIODevice::ReadOnly))
    html = QString::fromUtf8(file.readAll());
  if (html.isEmpty()) html = helpPages();
  const QString folder =
      state.helpFile.isEmpty() ? state.programFolder : QFileInfo(state.helpFile).absolutePath();

  // Under a modal window the help must belong to it, or the modal window would block it;
  // otherwise it belongs to the main window, so that it stays above it.
  QWidget* owner = QApplication::activeModalWidget();
  if (!owner)
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == QLatin1String("MENUDEV")) owner = w;
  HelpWindow* window = openHelpWindow();
  if (window && window->parentWidget() != owner) {
    window->close();
    window = nullptr;
  }
  if (!window) {
    window = new HelpWindow(owner);
    Traduire_Fenetre(state, window);
    // Once the user has closed the help it no longer opens at start.
    window->setOnClose([&state] {
      if (!state.params.docInit) Marquer_Documentation_Vue(state);
    });
  }
  window->showPage(html, folder, helpContext);
  ui::showOverOpener(window);
  window->raise();
  window->activateWindow();
}

void installHelpKey(ProcessState& state) {
  if (!qApp) return;
  if (auto* old = qApp->findChild<QObject*>("helpKey", Qt::FindDirectChildrenOnly)) {
    qApp->removeEventFilter(old);
    delete old;
  }
  qApp->installEventFilter(new HelpKey(state, qApp));
}

}  // namespace tarovent::core
