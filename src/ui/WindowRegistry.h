#pragma once

#include <QHash>
#include <QString>
#include <functional>

// Declared only: logic files that reach the process state must not pull in QtWidgets.
class QWidget;

namespace tarovent::ui {

// How windows reach each other without including each other: the program registers, at start,
// a factory per window name (its objectName: "FPARGDEV", "FDEV"...). A modal window is a
// QDialog run with exec(); any other opens as a sub-window of the main window's work area.
struct WindowSpec {
  std::function<QWidget*(QWidget* parent)> create;
  bool modal = false;
};

class WindowRegistry {
 public:
  void add(const QString& name, WindowSpec window) {
    m_specs.insert(name.toUpper(), std::move(window));
  }
  bool has(const QString& name) const { return m_specs.contains(name.toUpper()); }
  const WindowSpec* find(const QString& name) const {
    auto it = m_specs.constFind(name.toUpper());
    return it == m_specs.cend() ? nullptr : &*it;
  }

 private:
  QHash<QString, WindowSpec> m_specs;
};

// Opens registered windows; the main menu implements it.
class WindowOpener {
 public:
  virtual ~WindowOpener() = default;
  // Shows the window `name` (brings it forward when already open); false when unknown.
  virtual bool openWindow(const QString& name) = 0;
};

}  // namespace tarovent::ui
