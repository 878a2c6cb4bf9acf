#pragma once

class QMenuBar;

namespace tarovent::ui {

// Alt pressed and released alone gives the keyboard to `bar`, as in the programs of the desktop
// this one lives among: the arrows then choose a menu and Enter opens it. A form's own letters
// come first (Alt+T is a form's "Taux de &T.V.A." while that form is in front), so this is the
// way to every menu whatever form is open.
void giveAltToMenuBar(QMenuBar* bar);

}  // namespace tarovent::ui
