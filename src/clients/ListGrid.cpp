#include "ListGrid.h"

#include <QTableView>

#include "ui/GridColumns.h"
#include "ui/GridLink.h"

namespace tarovent::clients {

QTableView* makeListGrid(QWidget* parent, ui::DataControl* data, const ListGridLayout& layout) {
  auto* grid = new QTableView(parent);
  grid->setObjectName(layout.name);
  if (!layout.toolTip.isEmpty()) grid->setToolTip(layout.toolTip);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(layout.selection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  auto* model = new ui::RecordsetModel(grid);
  new ui::GridLink(grid, model, data);
  new ui::GridColumns(grid, model, data, layout.columns, layout.widths, layout.stretchColumn);
  return grid;
}

ui::RecordsetModel* listModel(const QTableView* grid) {
  return qobject_cast<ui::RecordsetModel*>(grid->model());
}

}  // namespace tarovent::clients
