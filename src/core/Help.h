#pragma once

#include <QString>

#include "HelpPages.h"

class QObject;
class QWidget;

namespace tarovent::core {

class ProcessState;

// Opens the help window (or brings it forward) at the page of a help context; 0 or an unknown
// context shows the start of the help.
void showHelp(ProcessState& state, int helpContext);

// The help context of a control: its dynamic property "helpContext", else that of the nearest
// parent carrying one (its window's); in a menu, that of the highlighted entry (the property of
// its action). 0 when none is found.
int helpContextOf(const QWidget* w);

// Makes F1 open the help at the context of the focused control, in every window of the
// program. Installing it again replaces the previous one.
void installHelpKey(ProcessState& state);

}  // namespace tarovent::core
