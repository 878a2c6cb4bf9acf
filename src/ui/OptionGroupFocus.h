#pragma once

class QCoreApplication;

namespace tarovent::ui {

// Makes Tab and Shift+Tab enter a group of option buttons on its checked button rather than on
// its first or last one, in every window. Installing it again changes nothing.
void installOptionGroupFocus(QCoreApplication& app);

}  // namespace tarovent::ui
