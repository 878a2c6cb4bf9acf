#pragma once

#include <QWidget>

#include "OrderCostStatistics.h"

class QLineEdit;
class QTableWidget;

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::reports {

// The order cost statistics: per finished order of the period, the labour, supplier and stock
// costs and the amount invoiced per unit ordered, the margin, and the averages below.
class FLSTAFF : public QWidget {
  Q_OBJECT
 public:
  // Computed for `period`; null after the message when no order is found or a database fails.
  static FLSTAFF* create(core::ProcessState& state, const OrderPeriod& period,
                         QWidget* parent = nullptr);

  QTableWidget* list() const { return m_list; }
  // The averages as shown: labour, stock, supplier, invoiced, margin.
  QStringList averagesShown() const;

 private:
  FLSTAFF(core::ProcessState& state, const OrderPeriod& period, QWidget* parent);
  void fill();

  core::ProcessState& m_state;
  OrderPeriod m_period;
  OrderCostStatistics m_statistics;
  QTableWidget* m_list;
  QList<QLineEdit*> m_averages;
};

}  // namespace tarovent::reports
