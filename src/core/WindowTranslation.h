#pragma once

class QWidget;

namespace tarovent::core {

class ProcessState;

// Translates a window in place (caption, and the texts of every control by its kind) and gives
// its controls the configured font; nothing happens without a language.
void Traduire_Fenetre(ProcessState& state, QWidget* window);

}  // namespace tarovent::core
