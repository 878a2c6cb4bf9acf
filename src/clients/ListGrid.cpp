#include "ListGrid.h"

#include <QTableView>

#include "ui/GridColumns.h"
#include "ui/GridLink.h"

namespace tarovent::clients {

QTableView* makeListGrid(QWidget* parent, ui::DataControl* data, const ListGridSpec& spec) {
  auto* grid = new QTableView(parent);
  grid->setObjectName(spec.name);
  if (!spec.toolTip.isEmpty()) grid->setToolTip(spec.toolTip);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(spec.selection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  auto* model = new ui::RecordsetModel(grid);
  new ui::GridLink(grid, model, data);
  new ui::GridColumns(grid, model, data, spec.columns, spec.widths, spec.stretchColumn);
  return grid;
}

ui::RecordsetModel* listModel(const QTableView* grid) {
  return qobject_cast<ui::RecordsetModel*>(grid->model());
}

}  // namespace tarovent::clients
