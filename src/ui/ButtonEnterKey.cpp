#include "ButtonEnterKey.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>

namespace tarovent::ui {

namespace {

class ButtonEnterKey : public QObject {
 public:
  explicit ButtonEnterKey(QObject* parent) : QObject(parent) { setObjectName("buttonEnterKey"); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    auto* k = static_cast<QKeyEvent*>(event);
    if (k->key() != Qt::Key_Return && k->key() != Qt::Key_Enter) return false;
    if ((k->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    auto* b = qobject_cast<QPushButton*>(watched);
    if (!b || !b->hasFocus() || !b->isEnabled() || b->autoDefault() || b->isDefault()) return false;
    b->click();
    return true;
  }
};

}  // namespace

void installButtonEnterKey(QCoreApplication& app) {
  if (app.findChild<QObject*>("buttonEnterKey", Qt::FindDirectChildrenOnly)) return;
  app.installEventFilter(new ButtonEnterKey(&app));
}

}  // namespace tarovent::ui
