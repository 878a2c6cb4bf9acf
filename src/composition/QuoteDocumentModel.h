#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "composition/ColumnMap.h"
#include "composition/QuoteRows.h"
#include "composition/TableLocator.h"

namespace tarovent::word {
class WordDocument;
}

namespace tarovent::composition {

// One row of a body table as the grid shows it: each cell of the header's columns with its text
// and look.
struct RowContent {
  struct Cell {
    QString text;  // paragraphs separated by '\r'
    bool hidden = false;
    bool bold = false;
    bool underline = false;
    QString color;  // "RRGGBB", or empty for the automatic colour
  };
  QList<Cell> cells;
  bool hidden = false;  // all the text of the row is hidden
};

// Reads the first `columns` cells of a row (fewer when cells are merged).
RowContent readRowContent(const word::WordDocument& doc, int table, int row, int columns);

// A bookmark of the head of the document or of the totals, with its French caption.
struct BookmarkEntry {
  QString name;
  QString caption;
  QString text;
};

// The quote document as a grid: one row per row of the line tables and of the sub-total tables,
// in document order, one column per column of the header. Rows are read from the document when
// they are first drawn and kept until a change notification says they moved or changed, so a
// long quote opens as fast as a short one and an insertion re-reads only the new rows.
class QuoteDocumentModel : public QAbstractTableModel, public DocumentChanges {
  Q_OBJECT

 public:
  enum class RowKind { Line, SubTotal };
  enum Role {
    KindRole = Qt::UserRole + 1,  // RowKind as int
    LevelRole,                    // groups of three spaces before the code
    HiddenRole,                   // the cell, or its whole row, is hidden text
    LabourRole,                   // a labour line ("MO*")
    FirstOfTableRole,             // the first row of its table
  };
  using RowReader = std::function<RowContent(int table, int row)>;

  // `layout` and `columns` are those the composition found when it opened the document.
  QuoteDocumentModel(word::WordDocument& doc, const TableLayout& layout, ColumnMap columns,
                     QObject* parent = nullptr);

  // Replaces how rows are read (tests count the reads through it).
  void setRowReader(RowReader reader);
  RowReader defaultRowReader() const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The document row of a grid row, and back (-1 when the grid does not show that row).
  TableCursor cursorAt(int row) const;
  int rowAt(const TableCursor& cursor) const;
  RowKind rowKind(int row) const;
  const ColumnMap& columns() const { return m_columns; }
  const TableLayout& layout() const { return m_layout; }

  const QList<BookmarkEntry>& head() const { return m_head; }
  const QList<BookmarkEntry>& totals() const { return m_totals; }

  void rowsInserted(int table, int row, int count) override;
  void rowsRemoved(int table, int row, int count) override;
  void rowsChanged(int table, int first, int last) override;
  void tableInserted(int table) override;
  void tableRemoved(int table) override;
  void tableSplit(int table, int row) override;
  void bookmarksChanged() override;
  void documentReset() override;

 signals:
  // The head and totals were read again.
  void bookmarksRead();

 private:
  struct Segment {
    int table = 0;
    RowKind kind = RowKind::Line;
    int first = 0;  // grid row of the table's first row
    mutable std::vector<std::optional<RowContent>> rows;
    int count() const { return int(rows.size()); }
  };

  void build();
  void readBookmarks();
  std::optional<RowKind> shownKind(int table) const;
  int segmentAtRow(int row) const;
  int segmentOfTable(int table) const;
  void renumberFrom(int segment);
  const RowContent& content(int row) const;
  QVariant cellData(int row, int column, int role) const;

  word::WordDocument& m_doc;
  TableLayout m_layout;
  ColumnMap m_columns;
  QStringList m_captions;
  RowReader m_reader;
  std::vector<Segment> m_segments;
  int m_rows = 0;
  QList<BookmarkEntry> m_head;
  QList<BookmarkEntry> m_totals;
};

}  // namespace tarovent::composition
