#include "CoreWindows.h"

#include "CalendarDialog.h"
#include "FPARGDEV.h"
#include "Help.h"
#include "HelpPages.h"
#include "MessageWindow.h"
#include "ProcessState.h"

namespace tarovent::core {

void registerCoreWindows(ProcessState& state) {
  state.waitingMessage = [&state](const QString& text, const QString& infos) {
    Afficher_Message(state, text, infos);
  };
  state.windows.add(QStringLiteral("FPARGDEV"),
                    {[&state](QWidget* parent) { return new FPARGDEV(state, parent); }, true});
  const auto calendar = [](CalendarDialog::Style style) {
    return ui::WindowSpec{[style](QWidget* parent) {
                            auto* d = new CalendarDialog(style, parent);
                            d->setProperty("helpContext", helpctx::Calendrier);
                            return d;
                          },
                          true};
  };
  state.windows.add(QStringLiteral("F_CALENDAR"), calendar(CalendarDialog::Style::Simple));
  state.windows.add(QStringLiteral("F_CALENDAR2"), calendar(CalendarDialog::Style::Extended));
  installHelpKey(state);
}

}  // namespace tarovent::core
