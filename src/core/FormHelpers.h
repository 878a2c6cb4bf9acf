#pragma once

#include <QString>

class QWidget;

namespace tarovent::core {

class ProcessState;

// Selects the whole text of the focused control when it is a text box (from its focus event).
void Selection_Focus();

// True as soon as one bound control of `window` holds an unsaved change (text boxes, combos and
// check boxes bound to a field whose data-changed flag is on, grids whose "changeMade" is on).
bool Modif_En_Cours(QWidget* window);

// Points every data control of `window` at the database `path` (sharing the program's handle
// when the catalogue has it open), then translates the window.
void Lier_Donnees(ProcessState& state, QWidget* window, const QString& path);

// Empties the lists of the data-bound combos and grids of `window` (before it closes).
void Liberer_Listes(QWidget* window);

}  // namespace tarovent::core
