#include "FormNavigation.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>

namespace tarovent::ui {

namespace {

bool navigates(QWidget* w) {
  return qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
         qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w) ||
         qobject_cast<QAbstractSpinBox*>(w);
}

bool keepsArrows(QWidget* w) {
  if (w->property("keepArrows").toBool()) return true;
  // Combos, option buttons and spin boxes change their value with the arrows.
  if (qobject_cast<QComboBox*>(w)) return true;
  return qobject_cast<QRadioButton*>(w) || qobject_cast<QAbstractSpinBox*>(w);
}

}  // namespace

FormNavigation::FormNavigation(QWidget* window) : QObject(window) {
  for (QWidget* w : window->findChildren<QWidget*>())
    if (navigates(w)) watch(w);
}

void FormNavigation::watch(QWidget* control) {
  control->installEventFilter(this);
  // Line edits inside combos and spin boxes get the focus events of their owner.
  if (auto* c = qobject_cast<QComboBox*>(control); c && c->lineEdit())
    c->lineEdit()->installEventFilter(this);
}

void FormNavigation::sendTab(QWidget* w, bool forward) {
  if (!w) return;
  QKeyEvent press(QEvent::KeyPress, forward ? Qt::Key_Tab : Qt::Key_Backtab,
                  forward ? Qt::NoModifier : Qt::ShiftModifier);
  QApplication::sendEvent(w, &press);
}

void FormNavigation::selectAll(QWidget* w) {
  if (auto* e = qobject_cast<QLineEdit*>(w)) {
    e->setSelection(0, e->text().size());
  } else if (auto* c = qobject_cast<QComboBox*>(w); c && c->lineEdit()) {
    c->lineEdit()->selectAll();
  }
}

bool FormNavigation::eventFilter(QObject* watched, QEvent* event) {
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w) return false;
  if (event->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = k->modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::NoModifier) return false;
    QWidget* target = w;
    if (auto* c = qobject_cast<QComboBox*>(w->parentWidget()); c && c->lineEdit() == w) target = c;
    switch (k->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        sendTab(target, true);
        return true;
      case Qt::Key_Down:
        if (keepsArrows(target)) return false;
        sendTab(target, true);
        return true;
      case Qt::Key_Up:
        if (keepsArrows(target)) return false;
        sendTab(target, false);
        return true;
      default:
        return false;
    }
  }
  if (event->type() == QEvent::FocusIn) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    selectAll(w);
    // A click places the caret after the focus arrives: select again once it has.
    if (reason == Qt::MouseFocusReason)
      QMetaObject::invokeMethod(
          w, [w] { selectAll(w); }, Qt::QueuedConnection);
  }
  return false;
}

bool saveScreenshot(QWidget* w, const QString& path) {
  if (!w) return false;
  w->ensurePolished();
  if (w->layout()) w->layout()->activate();
  if (!w->isVisible() && w->size().isEmpty()) w->adjustSize();
  return w->grab().save(path, "PNG");
}

QWidget* indexedControl(QWidget* window, const QString& name, int index) {
  if (!window) return nullptr;
  for (QWidget* w : window->findChildren<QWidget*>(name))
    if (w->property("index").toInt() == index) return w;
  return nullptr;
}

}  // namespace tarovent::ui
