#include "GridLink.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QResizeEvent>
#include <QTableView>

#include "DataControl.h"
#include "RecordsetModel.h"
#include "RowList.h"

namespace tarovent::ui {

namespace {

// What a window set on the grid's columns and a model reset would lose.
struct ColumnLook {
  QList<int> widths;
  QList<bool> hidden;
};

ColumnLook lookOf(QAbstractItemView* view) {
  ColumnLook look;
  if (auto* table = qobject_cast<QTableView*>(view)) {
    const QHeaderView* header = table->horizontalHeader();
    for (int i = 0; i < header->count(); ++i) {
      look.widths << header->sectionSize(i);
      look.hidden << header->isSectionHidden(i);
    }
  }
  return look;
}

void restore(QAbstractItemView* view, const ColumnLook& look) {
  auto* table = qobject_cast<QTableView*>(view);
  if (!table || table->horizontalHeader()->count() != look.widths.size()) return;
  for (int i = 0; i < look.widths.size(); ++i) {
    table->setColumnHidden(i, look.hidden[i]);
    if (!look.hidden[i]) table->setColumnWidth(i, look.widths[i]);
  }
}

}  // namespace

GridLink::GridLink(QAbstractItemView* view, RecordsetModel* model, DataControl* data)
    : QObject(view), m_view(view), m_model(model), m_data(data) {
  view->setModel(model);
  readByRows(view);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { rowChosen(current.row()); });
  connect(data, &DataControl::repositioned, this, &GridLink::follow);
  connect(data, &DataControl::recordsChanged, this, &GridLink::reload);
  view->viewport()->installEventFilter(this);
  reload();
}

bool GridLink::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Resize || !m_view || watched != m_view->viewport()) return false;
  const auto* resize = static_cast<QResizeEvent*>(event);
  const QModelIndex current = m_view->currentIndex();
  if (!current.isValid()) return false;
  // The rows stay where they were in the viewport: only its bottom moved up.
  const QRect row = m_view->visualRect(current);
  if (row.bottom() < resize->oldSize().height() && row.bottom() >= resize->size().height()) {
    // Once the scroll bars have taken the new height.
    const QPersistentModelIndex keep(current);
    QMetaObject::invokeMethod(
        this,
        [this, keep] {
          if (m_view && keep.isValid() && m_view->currentIndex() == keep) m_view->scrollTo(keep);
        },
        Qt::QueuedConnection);
  }
  return false;
}

void GridLink::reload() {
  if (!m_model || !m_data || !m_view) return;
  const ColumnLook look = lookOf(m_view);
  const int column = std::max(0, m_view->currentIndex().column());
  m_moving = true;
  m_model->setRecordset(m_data->Recordset());  // keeps the columns the window gave
  restore(m_view, look);
  m_moving = false;
  followAt(std::min(column, std::max(0, m_model->columnCount() - 1)));
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
  if (m_view) followAt(std::max(0, m_view->currentIndex().column()));
}

void GridLink::followAt(int column) {
  if (!m_data || !m_model || !m_view) return;
  db::Recordset& rs = m_data->Recordset();
  int row = -1;
  if (rs.isOpen() && !rs.BOF() && !rs.EOF_() && rs.EditMode() != db::EditMode::Add)
    row = m_model->rowOf(rs.Bookmark());
  m_moving = true;
  if (row >= 0) {
    m_view->setCurrentIndex(m_model->index(row, column));
    m_view->scrollTo(m_model->index(row, column));
  } else {
    m_view->clearSelection();
  }
  m_moving = false;
}

}  // namespace tarovent::ui
