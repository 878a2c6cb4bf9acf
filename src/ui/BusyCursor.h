#pragma once

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

namespace tarovent::ui {

// The hourglass pointer for the lifetime of the object; nothing without a GUI (tools, tests).
class BusyCursor {
 public:
  BusyCursor() : m_on(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (m_on) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  }
  ~BusyCursor() {
    if (m_on) QGuiApplication::restoreOverrideCursor();
  }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  bool m_on;
};

}  // namespace tarovent::ui
