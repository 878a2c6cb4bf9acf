#pragma once

#include <QPlainTextEdit>

#include "BoundControl.h"

namespace tarovent::ui {

// A box of several lines bound to a memo field.
class BoundTextEdit : public QPlainTextEdit, public BoundControl {
  Q_OBJECT
 public:
  explicit BoundTextEdit(QWidget* parent = nullptr);
  QWidget* widget() override { return this; }

 protected:
  QVariant shownValue(const db::FieldSpec& field) const override;
  void show(const QVariant& value, const db::FieldSpec& field) override;
};

}  // namespace tarovent::ui
