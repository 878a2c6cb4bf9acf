#pragma once

#include "GridDialog.h"

class QCheckBox;
class QRadioButton;

namespace tarovent::core {

// "Classer sur [column]": orders the grid on the column, ascending or descending, keeping the
// current order after it when asked (CHK_TYPTRI).
class FCLASSE : public GridDialog {
  Q_OBJECT
 public:
  explicit FCLASSE(const GridContext& context);

 private:
  void go();

  QRadioButton* m_descending = nullptr;
  QCheckBox* m_keep = nullptr;
};

}  // namespace tarovent::core
