#pragma once

#include <QLineEdit>

#include "BoundControl.h"

namespace tarovent::ui {

// A text box bound to a field of a data control (CTX_ boxes).
class BoundLineEdit : public QLineEdit, public BoundControl {
  Q_OBJECT
 public:
  explicit BoundLineEdit(QWidget* parent = nullptr);
  QWidget* widget() override { return this; }

 protected:
  QVariant shownValue(const db::FieldSpec& field) const override;
  void show(const QVariant& value, const db::FieldSpec& field) override;
};

}  // namespace tarovent::ui
