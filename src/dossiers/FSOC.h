#pragma once

#include "core/RecordWindow.h"

namespace tarovent::ui {
class BoundLineEdit;
class DataControl;
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
  void recalculate();

  ui::DataControl* m_data = nullptr;
  ui::BoundLineEdit* m_code = nullptr;
};

}  // namespace tarovent::dossiers
