#pragma once

class QToolButton;
class QWidget;

namespace tarovent::core {

class ProcessState;

// Gives `window` its macro button TLB_MACRO, in a strip at the top right above its controls
// (call once its layout is set, or before it is first shown). The button runs the macros of
// that window; it is disabled when the program has no macros.
QToolButton* addMacroButton(ProcessState& state, QWidget* window);
// The same button, for a window that places it itself (beside its menus): a child of `parent`.
QToolButton* createMacroButton(ProcessState& state, QWidget* window, QWidget* parent);

}  // namespace tarovent::core
