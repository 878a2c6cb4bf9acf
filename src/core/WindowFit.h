#pragma once

class QWidget;

namespace tarovent::core {

class ProcessState;

// Fits a window drawn for 800 x 600 to the screen (see computeFit) and scales its controls:
// positions and sizes of controls placed without a layout, fonts, grid columns and rows.
// Controls named "Z..." are left alone; button bars ("PIC_BOUTONS...", "FRM_BOUTONS...") keep
// their size and only move. The window's size, or its dynamic property "designSize" when set,
// is the size it was drawn for; a maximised window keeps its size and only its contents scale.
// Returns the window state, -1 when the window is already larger than the room it has, -2 when it
// is minimised; on failure shows "Ajustement d'écran incorrect" and returns -3.
int Ajuster_Ecran(ProcessState& state, QWidget* window, int mode);

}  // namespace tarovent::core
