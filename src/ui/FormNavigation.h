#pragma once

#include <QObject>

class QWidget;

namespace tarovent::ui {

// The keys of input boxes: Enter and Down move to the next control, Up to the previous one, as
// Tab and Shift+Tab do; entering a text box selects its whole text. Installed on a window, it
// serves every box the window holds at that moment (and those passed to `watch` later).
// A control with the dynamic property "keepArrows" set keeps its own Up and Down keys.
class FormNavigation : public QObject {
  Q_OBJECT
 public:
  explicit FormNavigation(QWidget* window);
  void watch(QWidget* control);

  // Sends Tab (forward) or Shift+Tab to `w`, as a key press it handles like a typed one.
  static void sendTab(QWidget* w, bool forward);
  // Selects the whole text of `w` when it is a text box (no effect on other controls).
  static void selectAll(QWidget* w);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// Saves what `w` shows as a PNG file (offscreen too); false when the file cannot be written.
bool saveScreenshot(QWidget* w, const QString& path);

// The control `name` of index `index` in a control array of `window` (controls sharing one
// name and told apart by their dynamic property "index").
QWidget* indexedControl(QWidget* window, const QString& name, int index);

}  // namespace tarovent::ui
