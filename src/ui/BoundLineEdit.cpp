#include "BoundLineEdit.h"

namespace tarovent::ui {

BoundLineEdit::BoundLineEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textChanged, this, [this] { noteChange(); });
}

QVariant BoundLineEdit::shownValue(const db::FieldSpec& field) const {
  return valueForField(text(), field);
}

void BoundLineEdit::show(const QVariant& value, const db::FieldSpec& field) {
  // No more characters than the field keeps.
  if (field.type == db::FieldType::Text && field.size > 0) setMaxLength(field.size);
  setText(textForField(value, field));
  setCursorPosition(0);
}

}  // namespace tarovent::ui
