#pragma once

#include <QWidget>

#include "composition/ColumnMap.h"
#include "composition/QuoteRows.h"
#include "composition/TableLocator.h"

class QGridLayout;
class QKeyEvent;
class QTableView;

namespace tarovent::word {
class WordDocument;
}
namespace tarovent::ui {
class MessageFunnel;
}

namespace tarovent::composition {

class QuoteDocumentModel;

// The quote document on screen: the head bookmarks, the lines and sub-totals as one grid whose
// selected row is the cursor of the composition's commands, and the totals. Driven from the
// keyboard: arrows, Home/End (first/last line), Page Up/Down, Delete (the line, once confirmed),
// Enter (hands the line to the entry panel); a character typed there starts a line in the entry
// panel instead of searching the rows, so that the cursor stays where the line goes.
class QuoteView : public QWidget {
  Q_OBJECT

 public:
  QuoteView(word::WordDocument& doc, const TableLayout& layout, const ColumnMap& columns,
            ui::MessageFunnel& messages, QWidget* parent = nullptr);

  QuoteDocumentModel& model() { return *m_model; }
  QTableView& grid() { return *m_grid; }

  // The selected row; invalid when the document has no line.
  TableCursor cursor() const;
  void setCursor(const TableCursor& cursor);
  // The cursor after lines were written: selected when it moved (the selected row moves down
  // by itself with the rows inserted above it), scrolled to once the events at hand are
  // processed, for lines written faster than the screen is drawn.
  void followCursor(const TableCursor& cursor);
  // Asks, then deletes the line under the cursor; the cursor stays on the row that follows.
  void deleteCurrentLine();
  // A document shown as it is: the keys that change it or start a line are refused.
  void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

 signals:
  void cursorChanged(const composition::TableCursor& cursor);
  void lineActivated(const composition::TableCursor& cursor);
  // A printable character typed in the grid, for the entry panel's code field.
  void typedForEntry(QKeyEvent* key);
  // A line was deleted from the document.
  void lineDeleted();
  // A key that would change a read-only document, refused.
  void changeRefused();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showBookmarks();
  void selectRow(int row);

  word::WordDocument& m_doc;
  ui::MessageFunnel& m_messages;
  QuoteDocumentModel* m_model = nullptr;
  QTableView* m_grid = nullptr;
  QGridLayout* m_head = nullptr;
  QGridLayout* m_totals = nullptr;
  int m_rowBeforeReset = -1;
  bool m_scrollQueued = false;
  bool m_readOnly = false;
};

}  // namespace tarovent::composition
