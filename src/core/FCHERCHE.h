#pragma once

#include "GridDialog.h"

class QRadioButton;

namespace tarovent::core {

// "Recherche sur [column]": finds the first, then the next record whose field matches the value
// (equal to, beginning with or containing it for text columns) and shows it.
class FCHERCHE : public GridDialog {
  Q_OBJECT
 public:
  explicit FCHERCHE(const GridContext& context);

 private:
  void go();
  void backToFirst();

  QLineEdit* m_value = nullptr;
  QPushButton* m_go = nullptr;
  QList<QRadioButton*> m_options;
  bool m_next = false;
};

}  // namespace tarovent::core
