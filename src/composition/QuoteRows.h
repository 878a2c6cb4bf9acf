#pragma once

#include "composition/TableLocator.h"

namespace tarovent::word {
class WordDocument;
}
namespace tarovent::ui {
class MessageFunnel;
}

namespace tarovent::composition {

// A row of a body table, the cursor of the composition's commands. Tables count in document
// order and rows within their table, both from 1.
struct TableCursor {
  int table = 0;
  int row = 0;
  bool isValid() const { return table > 0 && row > 0; }
  bool operator==(const TableCursor&) const = default;
};

// What a command tells the views after it changed the tables of the document, so that they
// read again only what changed. Numbers are those of the document after the change.
class DocumentChanges {
 public:
  virtual ~DocumentChanges() = default;
  // `count` new rows stand from `row` on in `table`.
  virtual void rowsInserted(int table, int row, int count) = 0;
  // The `count` rows that stood from `row` on in `table` are gone; the table remains.
  virtual void rowsRemoved(int table, int row, int count) = 0;
  // Text or format of the rows first..last changed.
  virtual void rowsChanged(int table, int first, int last) = 0;
  // A new table stands at `table`; the tables that stood there and after moved one on.
  virtual void tableInserted(int table) = 0;
  // Table `table` is gone; the tables after it moved one back.
  virtual void tableRemoved(int table) = 0;
  // The rows from `row` on of `table` now make table `table + 1`.
  virtual void tableSplit(int table, int row) = 0;
  // Bookmark texts (head of the document, totals) changed.
  virtual void bookmarksChanged() = 0;
  // Anything else: everything is read again.
  virtual void documentReset() = 0;
};

// The layout with the start of the totals region found again: every edit above it moves it.
TableLayout currentLayout(const word::WordDocument& doc, const TableLayout& layout);
// The kind of a table as the document stands now.
TableKind currentTableKind(const word::WordDocument& doc, const TableLayout& layout, int table);

// Deletes the line under the cursor once the user confirms "Supprimer la ligne ?". A sub-total
// goes with its one-row table. The last row of the last line table is emptied instead, so that
// the document keeps a table to write lines in. True when the document changed.
bool deleteLine(word::WordDocument& doc, const TableLayout& layout, const TableCursor& cursor,
                ui::MessageFunnel& messages, DocumentChanges* changes = nullptr);

}  // namespace tarovent::composition
