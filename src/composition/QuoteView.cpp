#include "composition/QuoteView.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <exception>

#include "composition/QuoteDocumentModel.h"
#include "ui/MessageFunnel.h"

namespace tarovent::composition {

namespace {

constexpr int kIndentPerLevel = 14;

// Indents the code and the designation by the line's level and rules off each table.
class RowDelegate : public QStyledItemDelegate {
 public:
  RowDelegate(const ColumnMap& columns, QObject* parent)
      : QStyledItemDelegate(parent),
        m_code(columns.column("CODART") - 1),
        m_designation(columns.column("LIBART") - 1) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem o(option);
    initStyleOption(&o, index);
    const QWidget* widget = o.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const int level = index.data(QuoteDocumentModel::LevelRole).toInt();
    const bool indented =
        level > 0 && (index.column() == m_code || index.column() == m_designation);
    if (indented) {
      QStyleOptionViewItem background(o);
      background.text.clear();
      style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);
      o.rect.setLeft(o.rect.left() + level * kIndentPerLevel);
      o.state &= ~QStyle::State_HasFocus;
    }
    style->drawControl(QStyle::CE_ItemViewItem, &o, painter, widget);
    if (index.row() > 0 && index.data(QuoteDocumentModel::FirstOfTableRole).toBool()) {
      painter->save();
      painter->setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
      painter->drawLine(option.rect.topLeft(), option.rect.topRight());
      painter->restore();
    }
  }

 private:
  int m_code;
  int m_designation;
};

int columnWidth(const QString& code) {
  static const QHash<QString, int> widths{
      {"CODART", 130}, {"QTE", 80},    {"UNITE", 60},    {"PUBRUT", 95}, {"PCREM", 70},
      {"PUNET", 95},   {"MTNET", 110}, {"MTBRUT", 110},  {"MTREM", 95},  {"PDR", 95},
      {"MTPDR", 110},  {"POIDS", 80},  {"POIDSTOT", 90}, {"TXTVA", 60},
  };
  return widths.value(code, 100);
}

QFrame* panel(const QString& name, QGridLayout*& grid, QWidget* parent) {
  auto* frame = new QFrame(parent);
  frame->setObjectName(name);
  frame->setFrameShape(QFrame::StyledPanel);
  grid = new QGridLayout(frame);
  grid->setContentsMargins(8, 4, 8, 4);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(2);
  return frame;
}

// The value labels of a panel, in the order they were added.
// A value cut by its column ends with "…": a cut address or mail never reads as a whole one.
// The label keeps the whole text (tooltip, selection, copy).
class ValueLabel : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent* event) override {
    const QRect box = contentsRect();
    if (fontMetrics().horizontalAdvance(text()) <= box.width()) {
      QLabel::paintEvent(event);
      return;
    }
    QPainter painter(this);
    style()->drawItemText(&painter, box, int(alignment()), palette(), isEnabled(),
                          fontMetrics().elidedText(text(), Qt::ElideRight, box.width()),
                          foregroundRole());
  }
};

QList<QLabel*> valueLabels(QGridLayout* grid) {
  QList<QLabel*> values;
  for (int i = 0; i < grid->count(); ++i) {
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
    if (column % 2 == 1)
      if (auto* label = qobject_cast<QLabel*>(grid->itemAt(i)->widget())) values << label;
  }
  return values;
}

void fill(QGridLayout* grid, const QList<BookmarkEntry>& entries, int pairsPerRow, bool numbers,
          bool skipEmpty) {
  QList<BookmarkEntry> shown;
  for (const BookmarkEntry& e : entries)
    if (!skipEmpty || !e.text.isEmpty()) shown << e;
  // The same entries as on screen (the totals after each line written): only their texts
  // change. Labels taken out and put back would have the panel shrink and grow again, and the
  // grid above it with it, which loses the grid's place at the end of its rows.
  const QList<QLabel*> values = valueLabels(grid);
  bool same = values.size() == shown.size();
  for (int i = 0; same && i < shown.size(); ++i)
    same = values[i]->objectName() == "CTL_" + shown[i].name;
  if (same) {
    for (int i = 0; i < shown.size(); ++i) {
      values[i]->setText(shown[i].text);
      values[i]->setToolTip(shown[i].text);
    }
    return;
  }
  while (QLayoutItem* item = grid->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  int i = 0;
  for (const BookmarkEntry& e : shown) {
    auto* caption = new QLabel(e.caption + " :");
    caption->setStyleSheet("color: #555");
    auto* value = new ValueLabel(e.text);
    value->setObjectName("CTL_" + e.name);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setAlignment((numbers ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    QFont bold = value->font();
    bold.setBold(true);
    value->setFont(bold);
    // A long value (a client's zones, an address) is cut rather than widening the window past
    // the screen, with "…"; the whole text stays in the tooltip.
    value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    value->setMinimumWidth(60);
    value->setToolTip(e.text);
    grid->addWidget(caption, i / pairsPerRow, 2 * (i % pairsPerRow), Qt::AlignRight);
    grid->addWidget(value, i / pairsPerRow, 2 * (i % pairsPerRow) + 1);
    // Labels added to a panel already on screen stay hidden until shown.
    caption->show();
    value->show();
    ++i;
  }
  for (int c = 0; c < pairsPerRow; ++c) grid->setColumnStretch(2 * c + 1, 1);
}

}  // namespace

QuoteView::QuoteView(word::WordDocument& doc, const TableLayout& layout, const ColumnMap& columns,
                     ui::MessageFunnel& messages, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_messages(messages) {
  setObjectName("QuoteView");
  m_model = new QuoteDocumentModel(doc, layout, columns, this);

  m_grid = new QTableView(this);
  m_grid->setObjectName("DBG_Document");
  m_grid->setModel(m_model);
  m_grid->setItemDelegate(new RowDelegate(columns, m_grid));
  m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
  m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_grid->setTabKeyNavigation(false);
  m_grid->setWordWrap(false);
  m_grid->setAlternatingRowColors(true);
  m_grid->setShowGrid(true);
  // Fixed row heights and column widths: the grid then reads only the rows it draws.
  QHeaderView* rows = m_grid->verticalHeader();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(fontMetrics().height() + 6);
  rows->hide();
  QHeaderView* header = m_grid->horizontalHeader();
  header->setSectionResizeMode(QHeaderView::Interactive);
  for (int c = 1; c <= columns.columnCount(); ++c)
    m_grid->setColumnWidth(c - 1, columnWidth(columns.codeAt(c)));
  if (columns.has("LIBART"))
    header->setSectionResizeMode(columns.column("LIBART") - 1, QHeaderView::Stretch);
  m_grid->installEventFilter(this);

  QFrame* head = panel("FRM_Entete", m_head, this);
  QFrame* totals = panel("FRM_Totaux", m_totals, this);
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  box->addWidget(head);
  box->addWidget(m_grid, 1);
  box->addWidget(totals);

  connect(m_model, &QuoteDocumentModel::bookmarksRead, this, &QuoteView::showBookmarks);
  connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            emit cursorChanged(m_model->cursorAt(current.isValid() ? current.row() : -1));
          });
  // A whole reset keeps the cursor on the same row of the grid.
  connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this,
          [this] { m_rowBeforeReset = m_grid->currentIndex().row(); });
  connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
    if (m_rowBeforeReset >= 0) selectRow(m_rowBeforeReset);
  });
  showBookmarks();
  if (m_model->rowCount() > 0) selectRow(0);
}

void QuoteView::showBookmarks() {
  fill(m_head, m_model->head(), 4, false, true);
  fill(m_totals, m_model->totals(), 4, true, false);
}

TableCursor QuoteView::cursor() const {
  const QModelIndex current = m_grid->currentIndex();
  return current.isValid() ? m_model->cursorAt(current.row()) : TableCursor{};
}

void QuoteView::setCursor(const TableCursor& cursor) {
  const int row = m_model->rowAt(cursor);
  if (row >= 0) selectRow(row);
}

void QuoteView::followCursor(const TableCursor& cursor) {
  const int row = m_model->rowAt(cursor);
  if (row < 0) return;
  if (m_grid->currentIndex().row() != row) {
    const QModelIndex index = m_model->index(row, std::max(m_grid->currentIndex().column(), 0));
    m_grid->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  if (m_scrollQueued) return;
  m_scrollQueued = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        m_scrollQueued = false;
        if (!m_grid->currentIndex().isValid()) return;
        // The rows inserted are laid out first: the scroll bar's range is theirs.
        m_grid->doItemsLayout();
        m_grid->scrollTo(m_grid->currentIndex());
      },
      Qt::QueuedConnection);
}

void QuoteView::selectRow(int row) {
  if (m_model->rowCount() == 0) return;
  row = std::clamp(row, 0, m_model->rowCount() - 1);
  const int column = std::max(m_grid->currentIndex().column(), 0);
  const QModelIndex index = m_model->index(row, column);
  m_grid->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  m_grid->scrollTo(index);
}

void QuoteView::deleteCurrentLine() {
  const QModelIndex current = m_grid->currentIndex();
  if (!current.isValid()) return;
  // The grid moves its current row to the line that followed by itself.
  try {
    if (deleteLine(m_doc, m_model->layout(), m_model->cursorAt(current.row()), m_messages, m_model))
      emit lineDeleted();
  } catch (const std::exception& e) {
    m_messages.show(QString::fromUtf8(e.what()), ui::Icon::Critical);
  }
}

bool QuoteView::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_grid || event->type() != QEvent::KeyPress)
    return QWidget::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  const QString text = key->text();
  const bool typed =
      !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace() &&
      !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
  const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
  // Deleting, or starting a line (Enter, a character): refused in a read-only document.
  if (m_readOnly && (typed || enter || key->key() == Qt::Key_Delete)) {
    emit changeRefused();
    return true;
  }
  switch (key->key()) {
    case Qt::Key_Home:
      selectRow(0);
      return true;
    case Qt::Key_End:
      selectRow(m_model->rowCount() - 1);
      return true;
    case Qt::Key_Delete:
      deleteCurrentLine();
      return true;
    default:
      break;
  }
  if (enter) {
    if (cursor().isValid()) emit lineActivated(cursor());
    return true;
  }
  if (typed) {
    emit typedForEntry(const_cast<QKeyEvent*>(key));
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tarovent::composition
