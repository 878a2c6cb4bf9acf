#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QVector>
#include <functional>

#include "platform/db/Recordset.h"

namespace tarovent::ui {

// The value of a field of the row being written.
using RowValue = std::function<QVariant(const QString& field)>;

// One column of a data grid: a field, its header and how its values are written.
struct GridColumn {
  QString field;
  QString header;                                  // the field name when empty
  std::function<QString(const QVariant&)> format;  // textForField when empty
  Qt::Alignment alignment = {};                    // numbers right, the rest left when empty
  // A column without a field: its text worked out from the other fields of its row (shown,
  // printed and exported alike).
  std::function<QString(const RowValue&)> compute = {};
  // How the list sorts on such a column: an expression of the record source's SQL (a sub-query
  // of the joined table); empty: the column cannot be sorted.
  QString sortKey = {};
  // A column of commands ("Dossier", "Mail"...): shown, never printed nor exported.
  bool command = false;
};

// The rows of a recordset for a data grid (DBG_ grids). Rows are read when a view asks for
// them, a block at a time, so a list of any length opens at once.
class RecordsetModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit RecordsetModel(QObject* parent = nullptr);

  // Shows `rs` through a cursor of its own with these columns; without columns, every field.
  void setRecordset(const db::Recordset& rs, QList<GridColumn> columns);
  // Shows `rs` with the columns given last (every field when none were given).
  void setRecordset(const db::Recordset& rs);
  // The columns the window gave, kept across recordsets.
  void setColumns(QList<GridColumn> columns);
  // Reads the rows again (after the records changed).
  void reload();
  void clear();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // The value of a field of a row (read through the cache); invalid outside the rows.
  QVariant value(int row, const QString& field) const;
  QByteArray bookmark(int row) const;
  // The row of a bookmark, -1 when absent.
  int rowOf(const QByteArray& bookmark) const;
  // The column as shown, and the field behind it (empty when the column has no field).
  const GridColumn& column(int c) const { return m_columns.at(c); }
  bool hasField(int c) const { return c >= 0 && c < m_fieldOf.size() && m_fieldOf[c] >= 0; }
  db::FieldSpec fieldSpec(int c) const { return m_specs.value(c); }
  // How many rows have been read from the recordset so far.
  long rowsRead() const { return m_rowsRead; }

 private:
  struct Row {
    QByteArray bookmark;
    QVector<QVariant> values;
  };
  const Row* row(int r) const;

  static constexpr int kBlock = 64;
  static constexpr int kBlocksKept = 16;
  mutable db::Recordset m_rs;
  QList<GridColumn> m_given;    // as the window set them
  QList<GridColumn> m_columns;  // shown: the given ones, or every field
  QVector<int> m_fieldOf;       // column -> field index
  QVector<db::FieldSpec> m_specs;
  int m_rows = 0;
  mutable QHash<int, QVector<Row>> m_blocks;
  mutable QList<int> m_blockOrder;
  mutable long m_rowsRead = 0;
};

}  // namespace tarovent::ui
