#pragma once

#include <QString>

namespace tarovent::excel {

constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;

// A rectangle of cells, 1-based and inclusive, on a named sheet (empty when the reference
// names none).
struct RangeRef {
  QString sheet;
  int firstRow = 0, firstColumn = 0, lastRow = 0, lastColumn = 0;

  bool isValid() const { return firstRow > 0 && firstColumn > 0; }
};

// "A" → 1, "AB" → 28; 0 when the text is no column name.
int columnNumber(QStringView letters);
// 1 → "A", 28 → "AB".
QString columnName(int column);
// "B5" (with or without $) → row 5, column 2; false when the text is no single cell.
bool parseCell(QStringView text, int& row, int& column);
// The same on the bytes of a file ("B5" as cells name themselves), without a conversion.
bool parseCell(const char* text, int& row, int& column);
QString cellName(int row, int column);

// The first area of a defined name's formula: "Feuil1!$B$5", "'Sheet 3'!$A$1:$C$9",
// "Calcul!$B:$B" (whole column), "Calcul!$2:$3" (whole rows). Constants, external workbooks
// and #REF! give an invalid range.
RangeRef parseReference(const QString& formula);
// The same area written the way the R1C1 reference style shows it: "=Feuil1!R5C2:R9C2".
QString toR1C1(const RangeRef& range);
// A sheet name as a formula writes it, quoted when it holds anything but letters, digits,
// "_" and ".".
QString quoteSheetName(const QString& sheet);

}  // namespace tarovent::excel
