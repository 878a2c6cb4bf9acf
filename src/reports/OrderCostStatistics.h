#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::reports {

// The finished orders to compare: changed within the period, of one work type or all ("").
struct OrderPeriod {
  QDate from, to;
  QString workType;
};

// One finished order, its costs and invoiced amount per unit ordered.
struct OrderCost {
  QString number, client;
  QVariant created;   // the order's creation date, Null when unknown
  QVariant quantity;  // as ordered, Null when not given
  double labour = 0, supplier = 0, stock = 0, invoiced = 0;
  std::optional<double> margin;  // only for an invoiced order
};

// The averages over every order listed, those without a value of a kind included.
struct OrderCostAverages {
  double labour = 0, stock = 0, supplier = 0, invoiced = 0;
  std::optional<double> margin;  // only when something was invoiced
};

// The condition on TAFF: finished orders ("F") changed within the period, of the work type.
QString orderCondition(const OrderPeriod& p);

// A per-unit amount as the window shows it: "# ### ##0.00" with `separator`.
QString formatAmount(double value, QChar separator);

// The order cost statistics of FLSTAFF: TMP_STATAFF filled with the finished orders of the
// commercial database, each with its labour (planning), supplier purchases (purchasing), stock
// issues (stock) and invoices (commercial) per unit, every database used only when the
// catalogue gives it. Messages go through the process's funnel.
class OrderCostStatistics {
 public:
  explicit OrderCostStatistics(core::ProcessState& state);

  enum class Outcome { Filled, NoOrder, Failed };
  Outcome compute(const OrderPeriod& p);

  const QList<OrderCost>& orders() const { return m_orders; }
  OrderCostAverages averages() const;

 private:
  // Total per order number (case ignored) of one query; the first row of an order counts.
  // `database` is the path of the database read, "" when the family has none.
  QHash<QString, double> totals(const QString& database, const QString& sql,
                                const char* orderField, const char* totalField);
  void fillWorkTable(const OrderPeriod& p);
  void writeWorkTable();

  core::ProcessState& m_state;
  QList<OrderCost> m_orders;
};

// The rows as the window shows them, one list of cells per order (number, client, date,
// quantity, labour, supplier, stock, invoiced, margin), and the five averages (labour, stock,
// supplier, invoiced, margin; the margin empty when nothing was invoiced).
QList<QStringList> orderCostCells(const OrderCostStatistics& s, QChar separator);
QStringList orderCostAverageCells(const OrderCostStatistics& s, QChar separator);

}  // namespace tarovent::reports
