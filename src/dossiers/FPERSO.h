#pragma once

#include <QMap>

#include "CustomFieldRules.h"
#include "core/RecordWindow.h"

namespace tarovent::ui {
class BoundLineEdit;
class DataControl;
}  // namespace tarovent::ui

namespace tarovent::dossiers {

// The definitions of the fifteen custom dossier fields, in the general parameters: label,
// kind, length, decimals and table of values, each row kept coherent as its boxes are left.
class FPERSO : public core::RecordWindow {
  Q_OBJECT
 public:
  explicit FPERSO(core::ProcessState& state, QWidget* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* e) override;

 private:
  enum Column { Label, Kind, Length, Decimals, Table, Columns };
  DefinitionRow row(int n) const;
  void setRow(int n, const DefinitionRow& r);
  // Applies the rule of the box left (row `n`, `column`).
  void left(int n, int column);
  void enableAll();

  ui::DataControl* m_data = nullptr;
  // Boxes by field number and column.
  QMap<int, QList<ui::BoundLineEdit*>> m_boxes;
  QMap<int, int> m_sizes;  // TDOS_USERn sizes
};

}  // namespace tarovent::dossiers
