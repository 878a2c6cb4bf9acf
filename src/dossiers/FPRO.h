#pragma once

#include "core/RecordWindow.h"

class QPushButton;

namespace tarovent::ui {
class BoundLineEdit;
class DataControl;
}  // namespace tarovent::ui

namespace tarovent::dossiers {

// The priced options offered in the composition: code, description and unit price.
class FPRO : public core::RecordWindow {
  Q_OBJECT
 public:
  explicit FPRO(core::ProcessState& state, QWidget* parent = nullptr);

 private:
  bool codeGiven();

  ui::DataControl* m_data = nullptr;
  ui::BoundLineEdit* m_code = nullptr;
  QPushButton* m_add = nullptr;
  bool m_adding = false;
};

}  // namespace tarovent::dossiers
