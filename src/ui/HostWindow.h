#pragma once

class QWidget;

namespace tarovent::ui {

// Closes a window wherever it is shown: its sub-window when the main window's work area holds
// it (closing only the widget would leave an empty frame there), else the window itself.
// False when the window refused to close.
bool closeHostWindow(QWidget* window);

// Shows a window of its own (a list beside a document, the help) over the window that opened
// it, inside the screen: in its middle, or in its lower right corner for a window that leaves
// the keyboard where it was and must not hide what is typed. One already shown stays where the
// user put it. Left to itself it opened in the screen's corner, over the menus, where no window
// manager places it.
enum class Place { Middle, LowerRight };
void showOverOpener(QWidget* window, Place place = Place::Middle);

}  // namespace tarovent::ui
