#include <gtest/gtest.h>

#include "platform/excel/CellReference.h"
#include "platform/excel/CellValue.h"

using namespace tarovent::excel;

namespace {

TEST(CellReference, ColumnNamesRoundTripAcrossTheLetterBoundaries) {
  for (int column : {1, 26, 27, 52, 53, 702, 703, kMaxColumns})
    EXPECT_EQ(columnNumber(columnName(column)), column) << column;
  EXPECT_EQ(columnName(28), "AB");
  EXPECT_EQ(columnNumber(u"xfd"), kMaxColumns);
  EXPECT_EQ(columnNumber(u"XFE"), 0);
  EXPECT_EQ(columnNumber(u"A1"), 0);
}

TEST(CellReference, SingleCellsWithAndWithoutDollars) {
  int row = 0, column = 0;
  ASSERT_TRUE(parseCell(u"$B$5", row, column));
  EXPECT_EQ(row, 5);
  EXPECT_EQ(column, 2);
  ASSERT_TRUE(parseCell(u"AA10", row, column));
  EXPECT_EQ(column, 27);
  EXPECT_FALSE(parseCell(u"B", row, column));
  EXPECT_FALSE(parseCell(u"5", row, column));
  EXPECT_FALSE(parseCell(u"B0", row, column));
  EXPECT_FALSE(parseCell(u"B5x", row, column));
  EXPECT_FALSE(parseCell(u"B1048577", row, column));
}

TEST(CellReference, NameFormulasGiveTheirFirstArea) {
  struct Case {
    const char* formula;
    const char* sheet;
    int r1, c1, r2, c2;
  } cases[] = {
      {"Feuil1!$B$5", "Feuil1", 5, 2, 5, 2},
      {"='Sheet 3'!$A$1:$C$9", "Sheet 3", 1, 1, 9, 3},
      {"'L''atelier'!$D$2", "L'atelier", 2, 4, 2, 4},
      {"'A,B'!$A$1,'A,B'!$C$3", "A,B", 1, 1, 1, 1},
      {"Calcul!$B:$B", "Calcul", 1, 2, kMaxRows, 2},
      {"Sheet4!$2:$3,Sheet4!$A:$B", "Sheet4", 2, 1, 3, kMaxColumns},
      {"Sheet\u30FB1!$A$1:$A$9", "Sheet\u30FB1", 1, 1, 9, 1},
      {"Feuil1!$C$9:$A$2", "Feuil1", 2, 1, 9, 3},
      {"$E$4", "", 4, 5, 4, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.formula);
    const RangeRef r = parseReference(QString::fromUtf8(c.formula));
    ASSERT_TRUE(r.isValid());
    EXPECT_EQ(r.sheet, QString::fromUtf8(c.sheet));
    EXPECT_EQ(r.firstRow, c.r1);
    EXPECT_EQ(r.firstColumn, c.c1);
    EXPECT_EQ(r.lastRow, c.r2);
    EXPECT_EQ(r.lastColumn, c.c2);
  }
  for (const char* bad : {"0.98", "[1]Codelist!$A$2:$A$11012", "Feuil1!#REF!", "", "Feuil1!$A:$3",
                          "SUM(A1:A3)", "'Unclosed!$A$1"})
    EXPECT_FALSE(parseReference(bad).isValid()) << bad;
}

TEST(CellReference, R1C1FormQuotesTheSheetWhenNeeded) {
  EXPECT_EQ(toR1C1(parseReference("Feuil1!$B$5")), "=Feuil1!R5C2");
  EXPECT_EQ(toR1C1(parseReference("'Calcul pièces'!$C$1:$C$40")), "='Calcul pièces'!R1C3:R40C3");
  EXPECT_EQ(toR1C1(parseReference("'L''a'!$A$1")), "='L''a'!R1C1");
  EXPECT_EQ(toR1C1(parseReference("1Feuil!$A$1")), "='1Feuil'!R1C1");
  EXPECT_EQ(toR1C1(parseReference("0.98")), "");
}

TEST(DateSystems, SerialsOfBothSystemsAroundTheMissingLeapDay) {
  EXPECT_EQ(serialToDateTime(1, false).date(), QDate(1900, 1, 1));
  EXPECT_EQ(serialToDateTime(59, false).date(), QDate(1900, 2, 28));
  EXPECT_FALSE(serialToDateTime(60, false).isValid());
  EXPECT_EQ(serialToDateTime(61, false).date(), QDate(1900, 3, 1));
  EXPECT_EQ(serialToDateTime(46363, false).date(), QDate(2026, 12, 7));
  EXPECT_EQ(serialToDateTime(0, true).date(), QDate(1904, 1, 1));
  EXPECT_EQ(serialToDateTime(44901, true).date(), QDate(2026, 12, 7));
  EXPECT_EQ(serialToDateTime(46363.75, false), QDateTime(QDate(2026, 12, 7), QTime(18, 0)));
  for (bool system1904 : {false, true})
    for (const QDate& d : {QDate(1900, 1, 1), QDate(1900, 3, 1), QDate(1999, 12, 31), QDate(2026, 12, 7)}) {
      if (system1904 && d.year() < 1904) continue;
      EXPECT_EQ(serialToDateTime(dateTimeToSerial(QDateTime(d, QTime(0, 0)), system1904), system1904)
                    .date(),
                d)
          << d.toString().toStdString();
    }
}

TEST(CellValueText, ShownAsAFrenchSpreadsheetShowsThem) {
  EXPECT_EQ(CellValue::fromNumber(2.5).displayText(), "2,5");
  EXPECT_EQ(CellValue::fromNumber(0.1 + 0.2).displayText(), "0,3");
  EXPECT_EQ(CellValue::fromNumber(120).displayText(), "120");
  EXPECT_EQ(CellValue::fromBoolean(true).displayText(), "VRAI");
  EXPECT_EQ(CellValue::fromBoolean(false).displayText(), "FAUX");
  EXPECT_EQ(CellValue::fromDate(QDate(2026, 12, 7)).displayText(), "07/12/2026");
  EXPECT_EQ(CellValue::fromDate(QDate(2026, 12, 7), true).displayText(true), "07/12/2026");
  EXPECT_EQ(CellValue().displayText(), "");
}

TEST(CellValueText, NumericValueReadsTextsWithEitherMark) {
  EXPECT_DOUBLE_EQ(CellValue::fromText(" 12,5 ").numericValue(), 12.5);
  EXPECT_DOUBLE_EQ(CellValue::fromText("3.25").numericValue(), 3.25);
  EXPECT_DOUBLE_EQ(CellValue::fromText("douze").numericValue(), 0);
  EXPECT_DOUBLE_EQ(CellValue::fromText("nan").numericValue(), 0);
  EXPECT_DOUBLE_EQ(CellValue::fromNumber(-4).numericValue(), -4);
  EXPECT_DOUBLE_EQ(CellValue().numericValue(), 0);
}

}  // namespace
