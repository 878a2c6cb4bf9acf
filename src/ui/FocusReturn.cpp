#include "FocusReturn.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace tarovent::ui {

namespace {

class FocusReturn : public QObject {
 public:
  explicit FocusReturn(QWidget* panel) : QObject(panel), m_panel(panel) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != m_panel) return false;
    if (event->type() == QEvent::Show) {
      m_before = QApplication::focusWidget();
    } else if (event->type() == QEvent::Hide) {
      // Sent while the panel's controls still hold the keyboard, before Qt hands it on; a
      // control hidden or disabled meanwhile does not take it, and Qt's choice stands.
      QWidget* focus = QApplication::focusWidget();
      if (m_before && focus && m_panel->isAncestorOf(focus))
        m_before->setFocus(Qt::OtherFocusReason);
      m_before = nullptr;
    }
    return false;
  }

 private:
  QWidget* m_panel;
  QPointer<QWidget> m_before;
};

}  // namespace

void returnFocusOnHide(QWidget* panel) { panel->installEventFilter(new FocusReturn(panel)); }

}  // namespace tarovent::ui
