#include "ui/GridColumns.h"

#include <QEvent>
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
  model->setColumns(std::move(columns));
  // After the grid link, which has read the records again.
  connect(data, &DataControl::recordsChanged, this, &GridColumns::apply);
  if (m_stretch >= 0) {
    view->viewport()->installEventFilter(this);
    connect(view->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int section) {
              if (section != m_stretch) fill();
            });
  }
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
  fill();
}

void GridColumns::fill() {
  if (!m_view || m_filling || m_stretch < 0 || m_stretch >= m_columnCount) return;
  QHeaderView* header = m_view->horizontalHeader();
  if (header->count() != m_columnCount) return;
  // Never narrower than its first width: a narrow grid scrolls rather than cut the column
  // to a sliver, as the header's stretch mode does.
  int others = 0;
  for (int i = 0; i < header->count(); ++i)
    if (i != m_stretch && !header->isSectionHidden(i)) others += header->sectionSize(i);
  const int least = std::max(m_stretch < m_widths.size() ? m_widths[m_stretch] : 0,
                             header->sectionSizeHint(m_stretch));
  m_filling = true;
  header->resizeSection(m_stretch, std::max(least, m_view->viewport()->width() - others));
  m_filling = false;
}

bool GridColumns::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize && m_view && watched == m_view->viewport()) fill();
  return QObject::eventFilter(watched, event);
}

}  // namespace tarovent::ui
