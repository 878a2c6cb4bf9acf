#pragma once

class QWidget;

namespace tarovent::ui {

// Closes a window wherever it is shown: its sub-window when the main window's work area holds
// it (closing only the widget would leave an empty frame there), else the window itself.
// False when the window refused to close.
bool closeHostWindow(QWidget* window);

}  // namespace tarovent::ui
