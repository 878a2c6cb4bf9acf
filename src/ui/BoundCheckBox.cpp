#include "BoundCheckBox.h"

namespace tarovent::ui {

BoundCheckBox::BoundCheckBox(QWidget* parent) : QCheckBox(parent) {
  connect(this, &QCheckBox::toggled, this, [this] { noteChange(); });
}

QVariant BoundCheckBox::shownValue(const db::FieldSpec& field) const {
  if (field.type == db::FieldType::Boolean) return isChecked();
  return isChecked() ? -1 : 0;  // a yes/no kept in a number field, as the engine writes True
}

void BoundCheckBox::show(const QVariant& value, const db::FieldSpec&) {
  setChecked(!value.isNull() && value.isValid() && value.toBool());
}

}  // namespace tarovent::ui
