#include "CompositionStart.h"

#include <QApplication>
#include <QToolButton>

#include "core/MainMenu.h"
#include "core/ProcessState.h"

namespace tarovent::dossiers {

bool compositionOpen(core::ProcessState& state) {
  if (state.compositionInProgress) return true;  // a session opened without its window
  auto* menu = dynamic_cast<core::MainMenu*>(state.opener);
  if (auto* running = menu ? menu->findChild<QToolButton*>("CMD_M_COMPO") : nullptr;
      running && running->property("lit").toBool())
    return true;
  for (QWidget* w : QApplication::allWidgets())
    if (w->objectName() == kCompositionWindow && w->isVisible()) return true;
  return false;
}

bool refuseSecondComposition(core::ProcessState& state) {
  if (!compositionOpen(state)) return false;
  ui::MessageFunnel& m = state.messages();
  m.show(m.tr(QStringLiteral("Une composition est déjà en cours, veuillez la terminer d'abord")),
         ui::Icon::Warning);
  return true;
}

bool startComposition(core::ProcessState& state, const QString& origin,
                      std::function<void()> onClose) {
  ui::MessageFunnel& m = state.messages();
  if (refuseSecondComposition(state)) return false;
  state.compositionOrigin = origin;
  state.compositionClosed = std::move(onClose);
  if (state.opener && state.opener->openWindow(kCompositionWindow)) return true;
  m.show(m.tr(QStringLiteral("Le processus de composition n'a pu démarrer")), ui::Icon::Critical);
  return false;
}

}  // namespace tarovent::dossiers
