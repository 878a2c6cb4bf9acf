#include "MacroWindows.h"

#include <memory>

#include "FMACRO.h"
#include "MacroPlayer.h"
#include "core/ProcessState.h"

namespace tarovent::macros {

void registerMacroWindows(core::ProcessState& state, os::WindowPrinter& printer) {
  state.windows.add(QStringLiteral("FMACRO"),
                    {[&state](QWidget* parent) { return new FMACRO(state, parent); }, false});
  auto player = std::make_shared<MacroPlayer>(state, printer);
  state.runMacros = [player](QWidget* window) { player->runFor(window); };
}

}  // namespace tarovent::macros
