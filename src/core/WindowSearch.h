#pragma once

#include <QString>

class QWidget;

namespace tarovent::core {

// The first visible window of the program (top-level or in the main window's work area) whose
// title contains `part`, compared in upper case; nullptr when none.
QWidget* Chercher_Fenetre(const QString& part);

// Shows the window (restoring it when minimised), brings it forward and activates it.
void Activer_Fenetre(QWidget* window);

}  // namespace tarovent::core
