#pragma once

#include <QString>
#include <functional>

#include "MacroSource.h"

class QWidget;

namespace tarovent::core {
class ProcessState;
}
namespace tarovent::os {
class WindowPrinter;
}

namespace tarovent::macros {

// Replays macros into the active window of the program: the keys through the keystroke sender,
// "[ImpEcran]" as a print of the active window in landscape.
class MacroPlayer {
 public:
  // Asks which macro to run; -1 when none was chosen.
  using Chooser = std::function<int(QWidget* over, const QList<Macro>& macros)>;

  MacroPlayer(core::ProcessState& state, os::WindowPrinter& printer);

  // The chooser FSELMACRO by default; tests give their own.
  void setChooser(Chooser chooser) { m_chooser = std::move(chooser); }

  // The macro button's action: the macros of `window` (named for it or for every window); one
  // runs at once, several go through the chooser, none does nothing.
  void runFor(QWidget* window);

  // Plays a macro text; a malformed one shows why (with its position) and sends nothing.
  bool play(const QString& text, const QString& macroName = {});

  // The window the keys go to, as printed: the form of the focused control.
  static QWidget* activeForm();

 private:
  void printActiveWindow();

  core::ProcessState& m_state;
  os::WindowPrinter& m_printer;
  Chooser m_chooser;
};

}  // namespace tarovent::macros
