#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "platform/ooxml/Package.h"
#include "platform/word/CharFormat.h"

namespace tarovent::word {

// Tables, rows and columns are numbered from 1, as the word processor numbers them; a column
// is a cell of the row (w:tc), whatever grid columns it spans.
struct CellRef {
  int table = 0;
  int row = 0;
  int column = 0;
  bool operator==(const CellRef&) const = default;
};

// Positions count characters from the start of their story (the body, or one header, footer,
// footnotes or endnotes part), paragraph and row ends counting one each, so that they order
// bookmarks and tables.
struct BookmarkInfo {
  QString name;
  QString part;  // zip entry of the story: word/document.xml, word/header1.xml...
  int start = 0;
  int end = 0;
};

struct TableInfo {
  int index = 0;
  int start = 0;
  int end = 0;
  int rows = 0;
  int columns = 0;  // most cells in a row
};

enum class OpenMode { ReadWrite, ReadOnly };
enum class BookmarkOrder { ByName, ByPosition };
enum class RowPlacement { Above, Below };
enum class SplitGap { OnePoint, Normal };

// A word-processing document (.docx, .dotx) edited in place: only the parts that are changed
// are rewritten when it is saved; every other part keeps its bytes. Body tables are the
// top-level tables of the main story (tables nested in cells are part of their cell).
// Every failure throws ooxml::OoxmlError with a message for the user.
class WordDocument {
 public:
  static WordDocument open(const QString& path, OpenMode mode = OpenMode::ReadWrite);
  // A new, unsaved document whose content is the template's (the main part becomes a
  // document's). It has no path until saveAs.
  static WordDocument fromTemplate(const QString& templatePath);
  static WordDocument fromPackage(ooxml::Package package, const QString& path = {});

  WordDocument(WordDocument&&) noexcept;
  WordDocument& operator=(WordDocument&&) noexcept;
  ~WordDocument();

  QString path() const;
  bool isReadOnly() const;
  bool isTemplate() const;
  // Turns the main part into a template's or a document's, for the next save.
  void setTemplate(bool isTemplate);

  bool isModified() const;
  void setModified(bool modified);

  // A view setting: whether the user sees hidden text on screen. It is not saved.
  bool showHiddenText() const;
  void setShowHiddenText(bool show);

  // Whether another program has rewritten the file since we opened or saved it. Saving over
  // such a file is refused, so that changes made outside are never lost.
  bool changedOnDisk() const;
  // The user chose this version over the one another program saved: the next save replaces it.
  void keepOverDiskVersion();
  void save();
  void saveAs(const QString& path);

  // Stories: the body part followed by the header, footer, footnote and endnote parts. Text
  // boxes belong to the story that anchors them.
  QStringList storyParts() const;
  QString bodyText() const;

  // Bookmark names compare without regard to case, as in the word processor.
  bool hasBookmark(const QString& name) const;
  std::optional<BookmarkInfo> bookmark(const QString& name) const;
  QList<BookmarkInfo> bookmarks(BookmarkOrder order = BookmarkOrder::ByPosition) const;
  // Text between the bookmark's start and end; paragraph breaks inside appear as '\r'.
  QString bookmarkText(const QString& name) const;
  // Replaces the bookmark's text, keeping the bookmark around the new text and the formatting
  // of the first character it replaces. Returns false when the bookmark does not exist.
  bool setBookmarkText(const QString& name, const QString& text, const CharFormat& format = {});
  // Adds a bookmark around the content of a cell (replacing any bookmark of that name).
  void addBookmark(const QString& name, const CellRef& cell);
  bool deleteBookmark(const QString& name);
  // Applies a format to the text of a bookmark, the paragraph marks it covers included,
  // whatever it holds (runs, paragraphs, tables). False when the bookmark does not exist.
  bool formatBookmark(const QString& name, const CharFormat& format);
  // The body cell that holds the start of the bookmark, if any.
  std::optional<CellRef> bookmarkCell(const QString& name) const;
  // Inserts paragraphs just before the paragraph that holds the bookmark, so that successive
  // calls list their texts in order above it. Returns false when the bookmark does not exist.
  bool insertParagraphsAt(const QString& name, const QList<TextPiece>& paragraphs);

  int tableCount() const;
  TableInfo table(int table) const;
  int rowCount(int table) const;
  int columnCount(int table) const;
  int cellCount(int table, int row) const;
  int rowStart(int table, int row) const;
  // Index of the body table whose range holds position, 0 when none.
  int tableAt(int position) const;
  // Text of a cell without its end-of-cell mark; paragraphs are separated by '\r'.
  QString cellText(const CellRef& cell) const;
  // Replaces a cell's content; the new runs take the formatting of the first run the cell
  // held, then format. Bookmarks in the cell stay around the new content.
  void setCellText(const CellRef& cell, const QString& text, const CharFormat& format = {});
  void setCellContent(const CellRef& cell, const QList<TextPiece>& pieces);
  // setCellText with the text hidden exactly when isCellHidden was true before, the cell
  // looked at once.
  void rewriteCellText(const CellRef& cell, const QString& text);
  // Copies the row, formatting included and text emptied; returns the new row's number.
  int insertRow(int table, int row, RowPlacement placement);
  int appendRow(int table);
  // Deleting the last row deletes the table.
  void deleteRow(int table, int row);
  // Moves the rows from `row` on into a new table right after, separated by an empty
  // paragraph (1 point high with SplitGap::OnePoint). Returns the new table's number.
  int splitTable(int table, int row, SplitGap gap = SplitGap::OnePoint);
  // Adds a table after `afterTable` with the table and row layout of one row of another
  // table and a single empty row; returns its number.
  int addTableAfter(int afterTable, int layoutTable, int layoutRow);
  // Types paragraphs of their own right before or right after a body table (a title, a
  // text between two tables).
  void insertParagraphsBeforeTable(int table, const QList<TextPiece>& paragraphs);
  void insertParagraphsAfterTable(int table, const QList<TextPiece>& paragraphs);

  // Applies a format to all the text of a row, paragraph marks included.
  void formatRow(int table, int row, const CharFormat& format);
  void formatCell(const CellRef& cell, const CharFormat& format);
  void setRowHidden(int table, int row, bool hidden);
  void setTableHidden(int table, bool hidden);
  // True when the cell/row/table has text and all of it is hidden (styles included).
  bool isCellHidden(const CellRef& cell) const;
  bool isRowHidden(int table, int row) const;
  bool isTableHidden(int table) const;
  // The effective format of the first text run of the cell (hidden, bold, underline, size).
  CharFormat cellFormat(const CellRef& cell) const;

  ooxml::Package& package();

 private:
  struct Impl;
  explicit WordDocument(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> d;
};

}  // namespace tarovent::word
