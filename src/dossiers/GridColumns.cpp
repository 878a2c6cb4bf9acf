#include "GridColumns.h"

#include <QHeaderView>
#include <QTableView>

#include "ui/DataControl.h"

namespace tarovent::dossiers {

GridColumns::GridColumns(QTableView* view, ui::RecordsetModel* model, ui::DataControl* data,
                         QList<ui::GridColumn> columns, QList<int> widths, int stretchColumn)
    : QObject(view),
      m_view(view),
      m_model(model),
      m_data(data),
      m_columns(std::move(columns)),
      m_widths(std::move(widths)),
      m_stretch(stretchColumn) {
  view->verticalHeader()->hide();
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 8);
  view->setTabKeyNavigation(false);  // Tab leaves the grid, arrows move in it
  connect(data, &ui::DataControl::recordsChanged, this, &GridColumns::apply);
  apply();
}

void GridColumns::apply() {
  if (!m_view || !m_model || !m_data || !m_data->isOpen()) return;
  db::Recordset& rs = m_data->Recordset();
  m_model->setRecordset(rs, m_columns);
  for (int i = 0; i < m_widths.size(); ++i) m_view->setColumnWidth(i, m_widths[i]);
  if (m_stretch >= 0 && m_stretch < m_model->columnCount())
    m_view->horizontalHeader()->setSectionResizeMode(m_stretch, QHeaderView::Stretch);
  if (rs.BOF() || rs.EOF_() || rs.EditMode() == db::EditMode::Add) return;
  const int row = m_model->rowOf(rs.Bookmark());
  if (row < 0) return;
  // The grid link sees its own record chosen again and leaves the data control alone.
  m_view->setCurrentIndex(m_model->index(row, 0));
  m_view->scrollTo(m_model->index(row, 0));
}

}  // namespace tarovent::dossiers
