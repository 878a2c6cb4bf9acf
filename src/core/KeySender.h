#pragma once

#include <QString>

class QWidget;

namespace tarovent::core {

class ProcessState;

// Sends a keystroke text (see parseKeystrokes) as key presses to the focused control of the
// active window of the program. With `wait`, the keys are processed before it returns; without,
// they are delivered once the current event is over. False for a malformed text (nothing sent).
bool Envoyer_Touches(const QString& keys, bool wait = false);

// Where sent keys go: the focused control of the active window, else that window.
QWidget* keyTarget();

// The key handler of boxes where Enter moves on: Enter (13) and Down (40) send Tab, Up (38)
// sends Shift+Tab, and 0 is returned; any other key code comes back unchanged.
int Touche_Navigation(int keyCode);

// The fast word-processor mode: when it is on, F10 goes to the active window, processed before
// this returns; otherwise nothing happens.
void Touche_Word_Rapide(ProcessState& state);

}  // namespace tarovent::core
