#pragma once

#include "GridDialog.h"

class QComboBox;

namespace tarovent::core {

// "Sélection sur [column]": keeps the records whose field compares with the value as the
// operator says; each selection adds its condition to those already made.
class FSELECT : public GridDialog {
  Q_OBJECT
 public:
  explicit FSELECT(const GridContext& context);

 private:
  void go();

  QComboBox* m_operator = nullptr;
  QLineEdit* m_value = nullptr;
};

}  // namespace tarovent::core
