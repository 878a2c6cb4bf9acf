#pragma once

class QCoreApplication;

namespace tarovent::ui {

// Makes Enter press the focused push button in every window, as Space does. Buttons of
// dialogs that take Enter themselves (default and auto-default buttons) are left to Qt.
// Installing it again changes nothing.
void installButtonEnterKey(QCoreApplication& app);

}  // namespace tarovent::ui
