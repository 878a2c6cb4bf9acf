#include <gtest/gtest.h>
#include <zip.h>

#include <QFile>
#include <QTemporaryDir>
#include <map>

#include "platform/excel/MiniXlsx.h"
#include "platform/excel/Workbook.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/ooxml/StoredEntries.h"
#include "platform/word/LibreOffice.h"

using namespace tarovent;
using namespace tarovent::excel;
using fixtures::MiniXlsx;
using fixtures::numberCell;
using fixtures::textCell;

namespace {

QString corpus(const QString& name) { return QString(TAROVENT_TEST_DATA) + "/corpus/" + name; }

// Every entry of a zip with its stored (compressed) bytes.
std::map<QString, QByteArray> storedEntries(const QString& path) {
  std::map<QString, QByteArray> out;
  for (const auto& [name, stored] : test::storedEntries(path)) out[name] = stored.second;
  return out;
}

MiniXlsx headerTemplate() {
  MiniXlsx x;
  x.isTemplate = true;
  x.calcChain = true;
  x.strings = {"Client"};
  x.cellXfs = "<xf numFmtId=\"0\"/><xf numFmtId=\"14\"/>";
  x.sheets.push_back({"Entête",
                      "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"C1\"><f>B3*2</f><v>0</v></c></row>"
                      "<row r=\"3\"><c r=\"A3\"/><c r=\"D3\"><v>4</v></c></row>"
                      "<row r=\"5\"><c r=\"B5\" s=\"1\"/></row>"});
  x.sheets.push_back({"Calcul", numberCell("A1", 1)});
  x.names = "<definedName name=\"CODCLI\">'Entête'!$B$1</definedName>"
            "<definedName name=\"NB\">'Entête'!$B$3</definedName>"
            "<definedName name=\"DATDEV\">'Entête'!$B$5</definedName>"
            "<definedName name=\"LIBOPE\">'Entête'!$B$4</definedName>"
            "<definedName name=\"CALC\">'Entête'!$C$1</definedName>"
            "<definedName name=\"NUMDEV\" localSheetId=\"1\">Calcul!$A$1</definedName>";
  return x;
}

TEST(WorkbookWrite, NamedCellsOfATemplateCopyAreWrittenInPlace) {
  QTemporaryDir dir;
  const QString target = dir.filePath("copie.xlsx");
  {
    Workbook wb = Workbook::fromPackage(headerTemplate().package());
    ASSERT_TRUE(wb.isTemplate());
    EXPECT_TRUE(wb.setNamedValue("CODCLI", CellValue::fromText(" DUPONT ")));
    EXPECT_TRUE(wb.setNamedValue("NB", CellValue::fromNumber(0.1 + 0.2)));
    EXPECT_TRUE(wb.setNamedValue("DATDEV", CellValue::fromDate(QDate(2026, 12, 7))));
    EXPECT_TRUE(wb.setNamedValue("LIBOPE", CellValue::fromDate(QDate(2026, 12, 7))));
    EXPECT_TRUE(wb.setNamedValue("NUMDEV", CellValue::fromText("AB00012-00"), 1));
    EXPECT_FALSE(wb.setNamedValue("NUMDEV", CellValue::fromText("x")));  // not this sheet's
    EXPECT_FALSE(wb.setNamedValue("ABSENT", CellValue::fromText("x")));
    EXPECT_EQ(wb.namedValue("CODCLI").text, " DUPONT ");  // the new value reads back at once
    wb.saveAs(target);
  }
  const Workbook copy = Workbook::open(target);
  EXPECT_FALSE(copy.isTemplate());
  EXPECT_EQ(copy.package().contentType("xl/workbook.xml"),
            "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");
  EXPECT_EQ(copy.cell(0, "A1").text, "Client");
  EXPECT_EQ(copy.cell(0, "B1").text, " DUPONT ");
  EXPECT_EQ(copy.cell(0, "B3").number, 0.1 + 0.2);  // every digit kept
  EXPECT_EQ(copy.cell(0, "D3").number, 4);
  EXPECT_TRUE(copy.cell(0, "B5").isDate);  // a date cell takes the serial
  EXPECT_EQ(copy.cell(0, "B5").displayText(), "07/12/2026");
  EXPECT_EQ(copy.cell(0, "B4").text, "07/12/2026");  // elsewhere the date as it reads
  EXPECT_EQ(copy.cell(1, "A1").text, "AB00012-00");
  const QByteArray sheet = copy.package().read("xl/worksheets/sheet1.xml");
  // Rows and cells stay in order: B1 between A1 and C1, row 4 between rows 3 and 5.
  EXPECT_LT(sheet.indexOf("r=\"A1\""), sheet.indexOf("r=\"B1\""));
  EXPECT_LT(sheet.indexOf("r=\"B1\""), sheet.indexOf("r=\"C1\""));
  EXPECT_LT(sheet.indexOf("<row r=\"3\""), sheet.indexOf("<row r=\"4\""));
  EXPECT_LT(sheet.indexOf("<row r=\"4\""), sheet.indexOf("<row r=\"5\""));
  EXPECT_LT(sheet.indexOf("r=\"A3\""), sheet.indexOf("r=\"B3\""));
  EXPECT_LT(sheet.indexOf("r=\"B3\""), sheet.indexOf("r=\"D3\""));
  EXPECT_TRUE(copy.package().read("xl/workbook.xml").contains("fullCalcOnLoad=\"1\""));
  // No formula was replaced, so the calculation chain stays.
  EXPECT_TRUE(copy.package().contains("xl/calcChain.xml"));
}

TEST(WorkbookWrite, AValueOverAFormulaDropsTheCalculationChain) {
  QTemporaryDir dir;
  Workbook wb = Workbook::fromPackage(headerTemplate().package());
  ASSERT_TRUE(wb.setNamedValue("CALC", CellValue::fromBoolean(true)));
  wb.saveAs(dir.filePath("c.xlsx"));
  const Workbook copy = Workbook::open(dir.filePath("c.xlsx"));
  EXPECT_EQ(copy.cell(0, "C1"), CellValue::fromBoolean(true));
  EXPECT_FALSE(copy.package().read("xl/worksheets/sheet1.xml").contains("<f>"));
  EXPECT_FALSE(copy.package().contains("xl/calcChain.xml"));
  EXPECT_FALSE(copy.package().read("xl/_rels/workbook.xml.rels").contains("calcChain"));
  EXPECT_FALSE(copy.package().read("[Content_Types].xml").contains("calcChain"));
}

// A header cell may be the first cell of a formula shared down a column: the others keep their
// formula, written out where they stand. A cell written outside the used range widens it.
TEST(WorkbookWrite, OverwritingTheFirstCellOfASharedFormulaKeepsTheOthers) {
  MiniXlsx x;
  x.sheets.push_back(
      {"F",
       "<row r=\"1\" spans=\"1:2\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><f t=\"shared\" "
       "ref=\"B1:B3\" si=\"0\">SUM($A$1:A1)+'Feuille 2'!C1+LOG10(A1)&amp;\"A1\"</f><v>1</v></c>"
       "<c r=\"C1\"><f t=\"shared\" ref=\"C1:C2\" si=\"1\">A1+1</f><v>2</v></c></row>"
       "<row r=\"2\" spans=\"1:2\"><c r=\"A2\"><v>2</v></c><c r=\"B2\"><f t=\"shared\" "
       "si=\"0\"/><v>3</v></c><c r=\"C2\"><f t=\"shared\" si=\"1\"/><v>3</v></c></row>"
       "<row r=\"3\" spans=\"1:2\"><c r=\"A3\"><v>3</v></c><c r=\"B3\"><f t=\"shared\" "
       "si=\"0\"/><v>6</v></c></row>"});
  x.names = "<definedName name=\"N\">F!$B$1</definedName><definedName name=\"FAR\">F!$E$5"
            "</definedName><definedName name=\"WIDE\">F!$D$1</definedName>";
  ooxml::Package p = x.package();
  QByteArray sheet = p.read("xl/worksheets/sheet1.xml");
  sheet.replace("<sheetData>", "<dimension ref=\"A1:C3\"/><sheetData>");
  p.write("xl/worksheets/sheet1.xml", sheet);
  Workbook wb = Workbook::fromPackage(std::move(p));
  ASSERT_TRUE(wb.setNamedValue("N", CellValue::fromNumber(7)));
  ASSERT_TRUE(wb.setNamedValue("FAR", CellValue::fromNumber(5)));
  ASSERT_TRUE(wb.setNamedValue("WIDE", CellValue::fromNumber(4)));
  QTemporaryDir dir;
  wb.saveAs(dir.filePath("s.xlsx"));
  const QByteArray written =
      Workbook::open(dir.filePath("s.xlsx")).package().read("xl/worksheets/sheet1.xml");
  EXPECT_TRUE(written.contains("<c r=\"B2\"><f>SUM($A$1:A2)+'Feuille 2'!C2+LOG10(A2)&amp;\"A1\"</f>"))
      << written.toStdString();
  EXPECT_TRUE(written.contains("<c r=\"B3\"><f>SUM($A$1:A3)+'Feuille 2'!C3+LOG10(A3)&amp;\"A1\"</f>"))
      << written.toStdString();
  EXPECT_FALSE(written.contains("si=\"0\""));
  // Another group, not written to, stays shared.
  EXPECT_TRUE(written.contains("<c r=\"C2\"><f t=\"shared\" si=\"1\"/>")) << written.toStdString();
  EXPECT_TRUE(written.contains("<dimension ref=\"A1:E5\"/>")) << written.toStdString();
  EXPECT_TRUE(written.contains("<row r=\"1\" spans=\"1:4\">")) << written.toStdString();
}

TEST(WorkbookWrite, RowsWithoutPositionsKeepTheirPlaceWhenOneIsInserted) {
  MiniXlsx x;
  x.sheets.push_back({"F", "<row><c><v>1</v></c></row><row r=\"3\"><c><v>3</v></c></row><row><c><v>4</v></c></row>"});
  x.names = "<definedName name=\"N\">F!$B$2</definedName>";
  Workbook wb = Workbook::fromPackage(x.package());
  ASSERT_TRUE(wb.setNamedValue("N", CellValue::fromNumber(2)));
  QTemporaryDir dir;
  wb.saveAs(dir.filePath("r.xlsx"));
  const Workbook copy = Workbook::open(dir.filePath("r.xlsx"));
  EXPECT_EQ(copy.cell(0, "A1").number, 1);
  EXPECT_EQ(copy.cell(0, "B2").number, 2);
  EXPECT_EQ(copy.cell(0, "A3").number, 3);
  EXPECT_EQ(copy.cell(0, "A4").number, 4);
}

TEST(WorkbookWrite, UntouchedPartsOfARealTemplateKeepTheirBytes) {
  QTemporaryDir dir;
  const QString target = dir.filePath("test.xlsx");
  Workbook wb = Workbook::open(corpus("poi__test.xltx"));
  wb.setCell(0, 12, 5, CellValue::fromText("écrit"));
  wb.saveAs(target);
  const auto before = storedEntries(corpus("poi__test.xltx"));
  const auto after = storedEntries(target);
  ASSERT_EQ(before.size(), after.size());
  const QStringList written = {"xl/worksheets/sheet1.xml", "xl/workbook.xml", "[Content_Types].xml"};
  for (const auto& [name, bytes] : before) {
    ASSERT_TRUE(after.count(name)) << name.toStdString();
    if (!written.contains(name)) {
      EXPECT_EQ(after.at(name), bytes) << name.toStdString();
    }
  }
  const Workbook copy = Workbook::open(target);
  EXPECT_EQ(copy.cell(0, "D12").text, "test");
  EXPECT_EQ(copy.cell(0, "E12").text, QString::fromUtf8("écrit"));
  EXPECT_FALSE(copy.isTemplate());
}

TEST(WorkbookWrite, AnUntouchedSaveChangesNothingButTheTemplateType) {
  QTemporaryDir dir;
  Workbook wb = Workbook::open(QString(TAROVENT_TEST_DATA) + "/lo-calc.xlsx");
  wb.saveAs(dir.filePath("same.xlsx"));
  EXPECT_EQ(storedEntries(dir.filePath("same.xlsx")),
            storedEntries(QString(TAROVENT_TEST_DATA) + "/lo-calc.xlsx"));
}

TEST(WorkbookWrite, CellsOutsideTheSheetAreRefused) {
  Workbook wb = Workbook::fromPackage(headerTemplate().package());
  EXPECT_THROW(wb.setCell(0, 0, 1, CellValue::fromNumber(1)), ooxml::OoxmlError);
  EXPECT_THROW(wb.setCell(0, 1, kMaxColumns + 1, CellValue::fromNumber(1)), ooxml::OoxmlError);
  EXPECT_THROW(wb.setCell(5, 1, 1, CellValue::fromNumber(1)), ooxml::OoxmlError);
}

// LibreOffice Calc is the spreadsheet users fill the copies in: it must read what we wrote
// and compute the formulas that depend on it.
TEST(WorkbookWrite, LibreOfficeReadsTheWrittenCopyAndRecomputes) {
  QTemporaryDir dir;
  const QString target = dir.filePath("calc.xlsx");
  Workbook wb = Workbook::fromPackage(headerTemplate().package());
  wb.setNamedValue("CODCLI", CellValue::fromText("DUPONT"));
  wb.setNamedValue("NB", CellValue::fromNumber(21));
  wb.saveAs(target);
  fixtures::LibreOffice lo;
  const QStringList out = lo.convert({target}, "csv", dir.path());
  ASSERT_FALSE(out.at(0).isEmpty());
  QFile csv(out.at(0));
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(csv.readAll());
  EXPECT_TRUE(text.startsWith("Client,DUPONT,42")) << text.toStdString();
  EXPECT_TRUE(text.contains(",21,,4")) << text.toStdString();
}

}  // namespace
