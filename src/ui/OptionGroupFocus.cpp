#include "OptionGroupFocus.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QRadioButton>

namespace tarovent::ui {

namespace {

// The checked button of the exclusive group `b` belongs to, or null.
QAbstractButton* checkedPartner(QRadioButton* b) {
  if (QButtonGroup* g = b->group()) return g->exclusive() ? g->checkedButton() : nullptr;
  if (!b->autoExclusive() || !b->parentWidget()) return nullptr;
  for (auto* other : b->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
    if (other != b && other->autoExclusive() && !other->group() && other->isChecked() &&
        other->isEnabled() && other->isVisible())
      return other;
  return nullptr;
}

class OptionGroupFocus : public QObject {
 public:
  explicit OptionGroupFocus(QObject* parent) : QObject(parent) {
    setObjectName("optionGroupFocus");
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::FocusIn) return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason) return false;
    auto* b = qobject_cast<QRadioButton*>(watched);
    if (!b || b->isChecked()) return false;
    if (QAbstractButton* checked = checkedPartner(b)) checked->setFocus(reason);
    return false;
  }
};

}  // namespace

void installOptionGroupFocus(QCoreApplication& app) {
  if (app.findChild<QObject*>("optionGroupFocus", Qt::FindDirectChildrenOnly)) return;
  app.installEventFilter(new OptionGroupFocus(&app));
}

}  // namespace tarovent::ui
