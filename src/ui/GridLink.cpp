#include "GridLink.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

#include "DataControl.h"
#include "RecordsetModel.h"

namespace tarovent::ui {

GridLink::GridLink(QAbstractItemView* view, RecordsetModel* model, DataControl* data)
    : QObject(view), m_view(view), m_model(model), m_data(data) {
  view->setModel(model);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { rowChosen(current.row()); });
  connect(data, &DataControl::repositioned, this, &GridLink::follow);
  connect(data, &DataControl::recordsChanged, this, &GridLink::reload);
  reload();
}

void GridLink::reload() {
  if (!m_model || !m_data) return;
  m_moving = true;
  m_model->setRecordset(m_data->Recordset());
  m_moving = false;
  follow();
}

void GridLink::rowChosen(int row) {
  if (m_moving || !m_data || !m_model || row < 0) return;
  const QByteArray bookmark = m_model->bookmark(row);
  db::Recordset& rs = m_data->Recordset();
  if (!rs.isOpen() || bookmark.isEmpty()) return;
  const bool onRecord = !rs.BOF() && !rs.EOF_() && rs.EditMode() != db::EditMode::Add;
  if (onRecord && rs.Bookmark() == bookmark) return;
  if (!m_data->leaveRecord()) {
    follow();  // the window keeps its record: so does the grid
    return;
  }
  m_data->moveToBookmark(bookmark);
}

void GridLink::follow() {
  if (!m_data || !m_model || !m_view) return;
  db::Recordset& rs = m_data->Recordset();
  int row = -1;
  if (rs.isOpen() && !rs.BOF() && !rs.EOF_() && rs.EditMode() != db::EditMode::Add)
    row = m_model->rowOf(rs.Bookmark());
  m_moving = true;
  if (row >= 0) {
    m_view->setCurrentIndex(m_model->index(row, 0));
    m_view->scrollTo(m_model->index(row, 0));
  } else {
    m_view->clearSelection();
  }
  m_moving = false;
}

}  // namespace tarovent::ui
