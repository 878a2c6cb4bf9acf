#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include "ui/RecordsetModel.h"

class QTableView;

namespace tarovent::ui {
class DataControl;
}

namespace tarovent::ui {

// A column of a field under its header, written the usual way.
inline ui::GridColumn gridColumn(const QString& field, const QString& header) {
  ui::GridColumn c;
  c.field = field;
  c.header = header;
  return c;
}

// Gives a linked data grid its columns (fields, French headers), their first widths, and the
// column that takes the width left over (never less than its first width). Create it after the grid's GridLink.
class GridColumns : public QObject {
  Q_OBJECT
 public:
  GridColumns(QTableView* view, ui::RecordsetModel* model, ui::DataControl* data,
              QList<ui::GridColumn> columns, QList<int> widths, int stretchColumn = -1);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void apply();
  // The stretch column takes the width left over, never less than its first width.
  void fill();

  QPointer<QTableView> m_view;
  QPointer<ui::RecordsetModel> m_model;
  int m_columnCount;
  QList<int> m_widths;
  int m_stretch;
  bool m_widthsGiven = false;
  bool m_filling = false;
};

}  // namespace tarovent::ui
