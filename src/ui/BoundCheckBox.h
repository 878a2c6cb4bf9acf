#pragma once

#include <QCheckBox>

#include "BoundControl.h"

namespace tarovent::ui {

// A check box bound to a yes/no field (BXK_ / CHK_ boxes).
class BoundCheckBox : public QCheckBox, public BoundControl {
  Q_OBJECT
 public:
  explicit BoundCheckBox(QWidget* parent = nullptr);
  QWidget* widget() override { return this; }

 protected:
  QVariant shownValue(const db::FieldSpec& field) const override;
  void show(const QVariant& value, const db::FieldSpec& field) override;
};

}  // namespace tarovent::ui
