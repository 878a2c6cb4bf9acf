#pragma once

#include "core/RecordWindow.h"

namespace tarovent::ui {
class BoundLineEdit;
}

namespace tarovent::clients {

// The client categories (TCAT): a code and its label. Opens as a modal window.
class FCAT : public core::RecordWindow {
  Q_OBJECT
 public:
  explicit FCAT(core::ProcessState& state, QWidget* parent = nullptr);

 private:
  bool codeGiven();

  ui::BoundLineEdit* m_code = nullptr;
};

}  // namespace tarovent::clients
