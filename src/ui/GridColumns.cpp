#include "ui/GridColumns.h"

#include <QHeaderView>
#include <QTableView>

#include "ui/DataControl.h"

namespace tarovent::ui {

GridColumns::GridColumns(QTableView* view, RecordsetModel* model, DataControl* data,
                         QList<GridColumn> columns, QList<int> widths, int stretchColumn)
    : QObject(view),
      m_view(view),
      m_model(model),
      m_columnCount(int(columns.size())),
      m_widths(std::move(widths)),
      m_stretch(stretchColumn) {
  view->verticalHeader()->hide();
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 8);
  view->setTabKeyNavigation(false);  // Tab leaves the grid, arrows move in it
  model->setColumns(std::move(columns));
  // After the grid link, which has read the records again.
  connect(data, &DataControl::recordsChanged, this, &GridColumns::apply);
  apply();
}

void GridColumns::apply() {
  if (!m_view || !m_model || m_model->columnCount() != m_columnCount) return;
  // The widths are given once; the grid link keeps them (and the user's) across reloads.
  // A header is read whole ("Date souhaitée", not "ate souhaité"): no column starts narrower.
  QHeaderView* header = m_view->horizontalHeader();
  if (!m_widthsGiven) {
    for (int i = 0; i < m_widths.size(); ++i)
      m_view->setColumnWidth(i, std::max(m_widths[i], header->sectionSizeHint(i)));
    m_widthsGiven = true;
  }
  if (m_stretch >= 0 && m_stretch < m_columnCount)
    header->setSectionResizeMode(m_stretch, QHeaderView::Stretch);
}

}  // namespace tarovent::ui
