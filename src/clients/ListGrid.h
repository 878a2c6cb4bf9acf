#pragma once

#include <QAbstractItemView>
#include <QList>

#include "ui/RecordsetModel.h"

class QTableView;

namespace tarovent::ui {
class DataControl;
}

namespace tarovent::clients {

// What a follow-up list shows: its name and tip, its columns with their first widths and the
// column that takes the width left over.
struct ListGridLayout {
  QString name, toolTip;
  QList<ui::GridColumn> columns;
  QList<int> widths;
  int stretchColumn = -1;
  QAbstractItemView::SelectionMode selection = QAbstractItemView::ExtendedSelection;
};

// A read-only grid of whole rows that follows `data`, the way the reminder, visit and client
// lists are shown. Its model is a ui::RecordsetModel.
QTableView* makeListGrid(QWidget* parent, ui::DataControl* data, const ListGridLayout& layout);

// The whole text of a cell the column is too narrow for (empty when it shows whole): the tip
// a list grid shows over a cut cell.
QString cutCellText(const QTableView* grid, const QModelIndex& index);

// The model of a grid made by makeListGrid.
ui::RecordsetModel* listModel(const QTableView* grid);

}  // namespace tarovent::clients
