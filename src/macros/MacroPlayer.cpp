#include "MacroPlayer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>

#include "FSELMACRO.h"
#include "MacroText.h"
#include "core/KeySender.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "platform/os/WindowPrinter.h"
#include "ui/DbErrorMessage.h"

namespace tarovent::macros {

namespace {

constexpr int kActivationWait = 1000;  // ms

}  // namespace

MacroPlayer::MacroPlayer(core::ProcessState& state, os::WindowPrinter& printer)
    : m_state(state), m_printer(printer) {
  m_chooser = [&state](QWidget* over, const QList<Macro>& macros) {
    QStringList names;
    for (const Macro& m : macros) names << m.name;
    FSELMACRO chooser(state, names, over);
    chooser.exec();
    return chooser.chosen();
  };
}

void MacroPlayer::runFor(QWidget* window) {
  if (!window) return;
  QList<Macro> macros;
  try {
    core::BaseEntry& base = m_state.base(kMacroBase);
    if (!base.open()) return;
    macros = macrosOf(base.db, window->objectName());
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e);
    return;
  }
  if (macros.isEmpty()) return;
  if (macros.size() == 1) {
    play(macros.first().keys, macros.first().name);
    return;
  }
  QPointer<QWidget> before = window->window();
  const int chosen = m_chooser(before, macros);
  if (chosen < 0 || chosen >= macros.size()) return;
  // The keys go to the window that is active once the chooser is gone; the window system
  // gives the activation back a moment after the chooser closes.
  QElapsedTimer waited;
  waited.start();
  while (!QApplication::activeWindow() && waited.elapsed() < kActivationWait) {
    if (before) before->activateWindow();
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  play(macros[chosen].keys, macros[chosen].name);
}

bool MacroPlayer::play(const QString& text, const QString& macroName) {
  const MacroPlan plan = planMacro(text);
  if (plan.error) {
    QString message = m_state.Traduire(QStringLiteral("La macro"));
    if (!macroName.isEmpty()) message += QStringLiteral(" « ") + macroName + QStringLiteral(" »");
    message += m_state.Traduire(QStringLiteral(" est incorrecte : ")) +
               m_state.Traduire(problemText(*plan.error)) +
               m_state.Traduire(QStringLiteral(", position ")) +
               QString::number(plan.error->position + 1) + QStringLiteral(".\n") +
               m_state.Traduire(QStringLiteral("Aucune touche n'a été envoyée."));
    m_state.messages().show(message, ui::Icon::Warning);
    return false;
  }
  for (const MacroStep& step : plan.steps) {
    if (step.print) {
      printActiveWindow();
    } else {
      core::Envoyer_Touches(step.keys, true);
      // What the keys started (a save, a window opening) is over before the next step.
      QApplication::processEvents();
    }
  }
  return true;
}

QWidget* MacroPlayer::activeForm() {
  QWidget* w = core::keyTarget();
  while (w && !w->isWindow() && !qobject_cast<QMdiSubWindow*>(w->parentWidget()))
    w = w->parentWidget();
  return w;
}

void MacroPlayer::printActiveWindow() {
  QWidget* form = activeForm();
  if (!form) return;
  const QImage image = form->grab().toImage();
  const QPageLayout::Orientation before = m_printer.orientation();
  m_printer.setOrientation(QPageLayout::Landscape);
  const bool printed = m_printer.printImage(image);
  m_printer.setOrientation(before);
  // The user is told where the print went when no paper comes out.
  if (!printed)
    m_state.messages().show(m_state.Traduire(QStringLiteral("La fenêtre n'a pas été imprimée.")),
                            ui::Icon::Warning);
  else if (const QString file = m_printer.lastFile(); !file.isEmpty())
    m_state.messages().show(
        m_state.Traduire(QStringLiteral("Aucune imprimante : la fenêtre est enregistrée dans le "
                                        "fichier ")) +
        QDir::toNativeSeparators(file));
}

}  // namespace tarovent::macros
