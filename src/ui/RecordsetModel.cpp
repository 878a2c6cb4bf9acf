#include "RecordsetModel.h"

#include "BoundControl.h"
#include "platform/db/DbError.h"

namespace tarovent::ui {

namespace {

bool isNumber(db::FieldType t) {
  return t == db::FieldType::Byte || t == db::FieldType::Integer || t == db::FieldType::Long ||
         t == db::FieldType::Currency || t == db::FieldType::Single || t == db::FieldType::Double;
}

}  // namespace

RecordsetModel::RecordsetModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordsetModel::setRecordset(const db::Recordset& rs, QList<GridColumn> columns) {
  m_given = std::move(columns);
  setRecordset(rs);
}

void RecordsetModel::setColumns(QList<GridColumn> columns) {
  setRecordset(m_rs, std::move(columns));
}

void RecordsetModel::setRecordset(const db::Recordset& rs) {
  beginResetModel();
  m_rs = rs.isOpen() ? rs.Clone() : db::Recordset();
  m_columns.clear();
  m_fieldOf.clear();
  m_specs.clear();
  if (m_rs.isOpen()) {
    m_columns = m_given;
    if (m_columns.isEmpty())
      for (int i = 0; i < m_rs.fieldCount(); ++i) m_columns.append({m_rs.fieldName(i), {}, {}, {}});
    for (const GridColumn& c : std::as_const(m_columns)) {
      const int i = m_rs.fieldIndex(c.field);
      m_fieldOf << i;
      m_specs << (i >= 0 ? m_rs.fieldSpec(i) : db::FieldSpec{});
    }
  }
  m_rows = m_rs.isOpen() ? static_cast<int>(m_rs.RecordCount()) : 0;
  m_blocks.clear();
  m_blockOrder.clear();
  m_rowsRead = 0;
  endResetModel();
}

void RecordsetModel::reload() {
  if (!m_rs.isOpen()) return;
  beginResetModel();
  m_rs.Requery();
  m_rows = static_cast<int>(m_rs.RecordCount());
  m_blocks.clear();
  m_blockOrder.clear();
  endResetModel();
}

void RecordsetModel::clear() { setRecordset(db::Recordset()); }

int RecordsetModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_rows;
}

int RecordsetModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

const RecordsetModel::Row* RecordsetModel::row(int r) const {
  if (r < 0 || r >= m_rows) return nullptr;
  const int block = r / kBlock;
  auto it = m_blocks.find(block);
  if (it == m_blocks.end()) {
    QVector<Row> rows;
    try {
      m_rs.setAbsolutePosition(static_cast<long>(block) * kBlock);
      while (rows.size() < kBlock && !m_rs.EOF_()) {
        Row row;
        row.bookmark = m_rs.Bookmark();
        for (int i = 0; i < m_fieldOf.size(); ++i)
          row.values << (m_fieldOf[i] >= 0 ? m_rs.value(m_fieldOf[i]) : QVariant());
        rows << row;
        m_rs.MoveNext();
      }
    } catch (const db::DbError&) {
      // Rows deleted by another cursor since the count: the block ends early.
    }
    m_rowsRead += rows.size();
    if (m_blockOrder.size() >= kBlocksKept) m_blocks.remove(m_blockOrder.takeFirst());
    m_blockOrder << block;
    it = m_blocks.insert(block, rows);
  }
  const int i = r % kBlock;
  return i < it->size() ? &(*it)[i] : nullptr;
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() >= m_columns.size()) return {};
  const int c = index.column();
  const bool yesNo = m_specs[c].type == db::FieldType::Boolean && !m_columns[c].format;
  if (role == Qt::TextAlignmentRole) {
    if (m_columns[c].alignment) return QVariant::fromValue(m_columns[c].alignment);
    if (yesNo) return QVariant::fromValue(Qt::AlignCenter);
    return QVariant::fromValue(isNumber(m_specs[c].type) ? Qt::AlignRight | Qt::AlignVCenter
                                                         : Qt::AlignLeft | Qt::AlignVCenter);
  }
  // Yes/no fields show as check boxes.
  if (yesNo && role == Qt::CheckStateRole) {
    const Row* r = row(index.row());
    return r ? QVariant(r->values[c].toBool() ? Qt::Checked : Qt::Unchecked) : QVariant();
  }
  if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::UserRole) return {};
  const Row* r = row(index.row());
  if (!r) return {};
  if (m_columns[c].compute && !hasField(c)) {
    if (role == Qt::UserRole) return {};
    const int at = index.row();
    return m_columns[c].compute([this, at](const QString& field) { return value(at, field); });
  }
  const QVariant& v = r->values[c];
  if (role == Qt::UserRole) return v;
  if (yesNo) return {};
  return m_columns[c].format ? m_columns[c].format(v) : textForField(v, m_specs[c]);
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= m_columns.size()) return {};
  const GridColumn& c = m_columns[section];
  return c.header.isEmpty() ? c.field : c.header;
}

QVariant RecordsetModel::value(int r, const QString& field) const {
  const Row* rw = row(r);
  if (!rw) return {};
  for (int i = 0; i < m_columns.size(); ++i)
    if (m_columns[i].field.compare(field, Qt::CaseInsensitive) == 0) return rw->values[i];
  return {};
}

QByteArray RecordsetModel::bookmark(int r) const {
  const Row* rw = row(r);
  return rw ? rw->bookmark : QByteArray();
}

int RecordsetModel::rowOf(const QByteArray& bookmark) const {
  if (!m_rs.isOpen() || bookmark.isEmpty()) return -1;
  try {
    m_rs.setBookmark(bookmark);
    return static_cast<int>(m_rs.AbsolutePosition());
  } catch (const db::DbError&) {
    return -1;
  }
}

}  // namespace tarovent::ui
