#pragma once

#include <QFrame>

#include "composition/LineChange.h"

class QLineEdit;

namespace tarovent::composition {

// "Modifier la ligne": the quantity, gross unit price and discount of the line under the
// cursor, in place of line entry. Enter moves from field to field and, on the last one,
// validates; Escape cancels.
class LineChangeFrame : public QFrame {
  Q_OBJECT

 public:
  explicit LineChangeFrame(QWidget* parent = nullptr);

  // Shows the line's values, the keyboard on the quantity.
  void start(const LineChange& shown);
  LineChange values() const;

 signals:
  void validated();
  void cancelled();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* m_quantity = nullptr;
  QLineEdit* m_price = nullptr;
  QLineEdit* m_discount = nullptr;
};

}  // namespace tarovent::composition
