#pragma once

class QWidget;

namespace tarovent::ui {

// For a panel drawn inside a window and shown over part of it: when the panel hides with the
// keyboard inside it, the keyboard goes back to the control that had it when the panel showed
// (the button that opened it, say), rather than to whatever control follows the panel. When
// that control has gone, or is hidden or disabled since, Qt's own choice stands.
void returnFocusOnHide(QWidget* panel);

}  // namespace tarovent::ui
