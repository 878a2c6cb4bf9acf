#include "BoundTextEdit.h"

namespace tarovent::ui {

BoundTextEdit::BoundTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
  connect(this, &QPlainTextEdit::textChanged, this, [this] { noteChange(); });
}

QVariant BoundTextEdit::shownValue(const db::FieldSpec& field) const {
  return valueForField(toPlainText(), field);
}

void BoundTextEdit::show(const QVariant& value, const db::FieldSpec& field) {
  setPlainText(textForField(value, field));
}

}  // namespace tarovent::ui
