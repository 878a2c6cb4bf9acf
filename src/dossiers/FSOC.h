#pragma once

#include "core/RecordWindow.h"

namespace tarovent::ui {
class BoundCheckBox;
class BoundLineEdit;
class DataControl;
class NumberBox;
}  // namespace tarovent::ui

namespace tarovent::dossiers {

// The companies: code, name, last dossier number and deactivation, with the repair of the
// counters (CMD_ActuSOC).
class FSOC : public core::RecordWindow {
  Q_OBJECT
 public:
  explicit FSOC(core::ProcessState& state, QWidget* parent = nullptr);

 private:
  bool codeGiven();
  // A counter lowered below the company's stored dossiers is saved only when the user says so.
  bool counterKept();
  // A company holding dossiers is deactivated rather than deleted when the user says so;
  // true when it is to be deleted.
  bool deleteOrDeactivate();
  void recalculate();

  ui::DataControl* m_data = nullptr;
  ui::BoundLineEdit* m_code = nullptr;
  ui::NumberBox* m_counter = nullptr;
  ui::BoundCheckBox* m_inactive = nullptr;
};

}  // namespace tarovent::dossiers
