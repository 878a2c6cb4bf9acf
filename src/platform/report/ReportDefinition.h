#pragma once

#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QString>

namespace tarovent::report {

// What a report file says, as read from it. Lengths are in millimetres, font sizes in points.
// Every part keeps the line of the file it came from, so that a fault found later (a field the
// data source lacks) can still name its line.

enum class Align { Left, Center, Right };
enum class Total { None, Sum, Count, Average };

struct PageSetup {
  QPageSize::PageSizeId size = QPageSize::A4;
  QPageLayout::Orientation orientation = QPageLayout::Portrait;
  double top = 12, right = 12, bottom = 12, left = 12;
};

// A line of text at the left, the centre and the right, with {placeholders}.
struct TextLine {
  QString left, center, right;
  bool isEmpty() const { return left.isEmpty() && center.isEmpty() && right.isEmpty(); }
};

struct Heading {
  QString text;
  double size = 14;
  bool bold = true;
  Align align = Align::Left;
  int line = 0;
};

struct Column {
  QString field;
  QString title;
  double width = 25;
  Align align = Align::Left;
  QString format;  // a number mask ("# ### ##0.00") or a date mask ("dd/mm/yyyy")
  Total total = Total::None;
  int line = 0;
};

struct Group {
  QString field;
  QString header;  // shown above each group; {FIELD} placeholders read its first row
  QString footer;  // label of the sub-totals below it; empty: no footer line
  bool newPage = false;
  int line = 0;
};

struct SortKey {
  QString field;
  bool descending = false;
  int line = 0;
};

struct ReportDefinition {
  QString file;   // the path it was read from
  QString title;  // {title}
  PageSetup page;
  QString fontFamily = QStringLiteral("DejaVu Sans");
  double fontSize = 9;
  QString source;  // a table or a saved query of the database the report is given
  int sourceLine = 0;
  QString selection;  // the file's own selection formula, "" when none
  int selectionLine = 0;
  QList<SortKey> sort;
  TextLine header, footer;
  QList<Heading> headings;
  QList<Column> columns;
  QList<Group> groups;
  bool grandTotal = false;
  QString grandTotalLabel;
  int grandTotalLine = 0;
};

}  // namespace tarovent::report
