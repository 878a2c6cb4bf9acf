#include "ListGrid.h"

#include <QHelpEvent>
#include <QTableView>
#include <QToolTip>

#include "ui/GridColumns.h"
#include "ui/GridLink.h"
#include "ui/RowList.h"

namespace tarovent::clients {

namespace {

// Shows the whole text of a cut cell under the mouse.
class CutCellTips : public QObject {
 public:
  explicit CutCellTips(QTableView* grid) : QObject(grid), m_grid(grid) {
    grid->viewport()->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched != m_grid->viewport() || e->type() != QEvent::ToolTip)
      return QObject::eventFilter(watched, e);
    const auto* help = static_cast<QHelpEvent*>(e);
    const QModelIndex index = m_grid->indexAt(help->pos());
    const QString text = cutCellText(m_grid, index);
    if (text.isEmpty()) return false;  // the grid's own tip
    QToolTip::showText(help->globalPos(), text, m_grid->viewport(), m_grid->visualRect(index));
    return true;
  }

 private:
  QTableView* m_grid;
};

}  // namespace

QString cutCellText(const QTableView* grid, const QModelIndex& index) {
  if (!index.isValid()) return {};
  const QString text = index.data().toString();
  // The cell's text margins, as the style draws them on either side.
  const int room = grid->columnWidth(index.column()) - 8;
  return grid->fontMetrics().horizontalAdvance(text) > room ? text : QString();
}

QTableView* makeListGrid(QWidget* parent, ui::DataControl* data, const ListGridLayout& layout) {
  auto* grid = new QTableView(parent);
  grid->setObjectName(layout.name);
  if (!layout.toolTip.isEmpty()) grid->setToolTip(layout.toolTip);
  ui::readByRows(grid);
  grid->setSelectionMode(layout.selection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  auto* model = new ui::RecordsetModel(grid);
  new ui::GridLink(grid, model, data);
  new ui::GridColumns(grid, model, data, layout.columns, layout.widths, layout.stretchColumn);
  new CutCellTips(grid);
  return grid;
}

ui::RecordsetModel* listModel(const QTableView* grid) {
  return qobject_cast<ui::RecordsetModel*>(grid->model());
}

}  // namespace tarovent::clients
