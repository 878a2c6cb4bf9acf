#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/excel/MiniXlsx.h"
#include "platform/excel/Workbook.h"
#include "platform/ooxml/OoxmlError.h"

using namespace tarovent;
using namespace tarovent::excel;
using fixtures::MiniSheet;
using fixtures::MiniXlsx;
using fixtures::numberCell;
using fixtures::textCell;

namespace {

QString corpus(const QString& name) { return QString(TAROVENT_TEST_DATA) + "/corpus/" + name; }

TEST(RealWorkbooks, ExcelNamesInEveryScopeAndQuotedSheets) {
  const Workbook wb = Workbook::open(corpus("xlsxwriter__defined_name01.xlsx"));
  EXPECT_EQ(wb.sheetNames(), QStringList({"Sheet1", "Sheet2", "Sheet 3"}));
  EXPECT_EQ(wb.names().size(), 10u);
  // "Bar" exists for each of the three sheets and no workbook-level one.
  ASSERT_NE(wb.findName("Bar", 2), nullptr);
  EXPECT_EQ(wb.findName("Bar", 2)->range().sheet, "Sheet 3");
  EXPECT_EQ(wb.findName("bar", 2)->refersToR1C1(), "='Sheet 3'!R1C1");
  EXPECT_EQ(wb.findName("'Sheet 3'!Bar")->localSheet, 2);
  EXPECT_EQ(wb.findName("Sheet2!Bar")->localSheet, 1);
  EXPECT_EQ(wb.findName("Bar"), nullptr);
  EXPECT_EQ(wb.findName("Sheet2!Abc"), nullptr);  // a workbook name is no sheet's name
  EXPECT_EQ(wb.findName("Abc", 1)->localSheet, -1);
  EXPECT_FALSE(wb.findName("Baz")->range().isValid());  // a constant
  EXPECT_TRUE(wb.findName("_xlnm._FilterDatabase", 0)->hidden);
  EXPECT_EQ(wb.cell(0, "F1").text, "Auto");
  EXPECT_EQ(wb.cell(0, 1, 7).text, "Filter");
  EXPECT_EQ(wb.lastUsedCell(0), std::make_pair(1, 7));
  EXPECT_EQ(wb.lastUsedCell(2), std::make_pair(0, 0));
}

TEST(RealWorkbooks, UnquotedNonAsciiSheetNameInASheetName) {
  const Workbook wb = Workbook::open(corpus("poi__unicodeSheetName.xlsx"));
  const DefinedName* name = wb.findName("test_named_range", 0);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->range().sheet, wb.sheetNames().at(0));
  EXPECT_EQ(wb.namedValue("test_named_range", 0).number, 1);
  EXPECT_EQ(wb.cell(0, "A9").number, 9);
  EXPECT_EQ(wb.lastUsedCell(0), std::make_pair(9, 1));
}

TEST(RealWorkbooks, TabOrderRichTextAndStyleOnlyCells) {
  const Workbook wb = Workbook::open(corpus("poi__Tables.xlsx"));
  ASSERT_EQ(wb.sheetNames().size(), 12);
  EXPECT_EQ(wb.sheetNames().at(1), "Exp2 (2)");
  EXPECT_EQ(wb.sheetIndex("exp11 (2)"), 10);
  EXPECT_EQ(wb.cell(0, "A26").text, QString::fromUtf8("(b) Recte €24,960"));
  EXPECT_DOUBLE_EQ(wb.cell(0, "H11").number, 435.84);
  // Row 26 holds the last value, although styled cells reach column L.
  EXPECT_EQ(wb.lastUsedCell(0).first, 26);
  EXPECT_EQ(wb.lastUsedCell(0).second, 10);
}

TEST(RealWorkbooks, LibreOfficeFormattedRowsDoNotStretchTheLastCell) {
  const Workbook wb = Workbook::open(corpus("poi__60384.xlsx"));
  EXPECT_EQ(wb.lastUsedCell(0), std::make_pair(9, 3));
  EXPECT_EQ(wb.cell(0, "A1").text, "Spezifische Parameter");
}

TEST(RealWorkbooks, LibreOfficeCalcSheetNamesDatesAndCachedResults) {
  const Workbook wb = Workbook::open(QString(TAROVENT_TEST_DATA) + "/lo-calc.xlsx");
  EXPECT_FALSE(wb.isTemplate());
  EXPECT_FALSE(wb.date1904());
  const int calc = wb.sheetIndex(QString::fromUtf8("Calcul pièces"));
  ASSERT_EQ(calc, 1);
  EXPECT_EQ(wb.findName("CODART")->range().sheet, QString::fromUtf8("Calcul pièces"));
  EXPECT_EQ(wb.findName("LIBART1")->refersToR1C1(), QString::fromUtf8("='Calcul pièces'!R1C3:R40C3"));
  EXPECT_EQ(wb.findName("QTE", 1)->range().firstColumn, 4);
  EXPECT_EQ(wb.findName("QTE", 0), nullptr);
  EXPECT_EQ(wb.cell(calc, "C2").text, " Vis  inox ");
  EXPECT_DOUBLE_EQ(wb.cell(calc, "D2").number, 2.5);
  EXPECT_DOUBLE_EQ(wb.cell(calc, "D3").number, 5);  // cached result of =D2*2
  EXPECT_EQ(wb.cell(calc, "E3").text, "Total 5");
  EXPECT_EQ(wb.cell(calc, "B4").type, CellValue::Type::Error);
  EXPECT_EQ(wb.cell(calc, "B4").text, "#DIV/0!");
  const CellValue date = wb.namedValue("DATDEV");
  EXPECT_TRUE(date.isDate);
  EXPECT_EQ(date.displayText(), "07/12/2026");
  EXPECT_FALSE(wb.cell(calc, "D2").isDate);
  EXPECT_EQ(wb.lastUsedCell(calc), std::make_pair(4, 5));
}

TEST(RealWorkbooks, ExcelInCellCheckBoxIsABooleanCell) {
  const Workbook wb = Workbook::open(corpus("xlsxwriter__checkbox01.xlsx"));
  EXPECT_EQ(wb.cell(0, "E9"), CellValue::fromBoolean(false));
  EXPECT_TRUE(wb.checkBoxes(0).empty());
}

TEST(RealWorkbooks, TemplateIsKnownByItsContentType) {
  EXPECT_TRUE(Workbook::open(corpus("poi__test.xltx")).isTemplate());
  EXPECT_EQ(Workbook::open(corpus("poi__test.xltx")).cell(0, "D12").text, "test");
}

TEST(WorkbookRead, EveryKindOfCell) {
  MiniXlsx x;
  x.strings = {"partagé", " deux "};
  x.numFmts = "<numFmt numFmtId=\"170\" formatCode=\"[Red]0.00\"/>"
              "<numFmt numFmtId=\"171\" formatCode=\"&quot;jour&quot; 0\"/>"
              "<numFmt numFmtId=\"172\" formatCode=\"[h]:mm\"/>";
  x.cellXfs = "<xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"170\"/><xf numFmtId=\"171\"/>"
              "<xf numFmtId=\"172\"/>";
  x.sheets.push_back(
      {"Feuil1",
       "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>0</v></c><c r=\"B2\" t=\"s\"><v>1</v></c>"
       "<c r=\"C2\" t=\"s\"><v>7</v></c><c r=\"D2\" t=\"b\"><v>1</v></c>"
       "<c r=\"E2\" t=\"str\"><f>A2&amp;\"x\"</f><v>partagéx</v></c>"
       "<c r=\"F2\" t=\"inlineStr\"><is><r><t>en </t></r><r><t>ligne</t></r></is></c>"
       "<c r=\"G2\"><f>1+1</f></c></row>"
       "<row r=\"3\"><c r=\"A3\" s=\"1\"><v>46363</v></c><c r=\"B3\" s=\"2\"><v>5</v></c>"
       "<c r=\"C3\" s=\"3\"><v>5</v></c><c r=\"D3\" s=\"4\"><v>1.5</v></c>"
       "<c r=\"E3\" t=\"d\"><v>2026-12-07T00:00:00</v></c><c r=\"F3\" s=\"9\"><v>2</v></c></row>"});
  const Workbook wb = Workbook::fromPackage(x.package());
  EXPECT_EQ(wb.cell(0, "A2").text, QString::fromUtf8("partagé"));
  EXPECT_EQ(wb.cell(0, "B2").text, " deux ");
  EXPECT_TRUE(wb.cell(0, "C2").isEmpty());  // index past the table
  EXPECT_EQ(wb.cell(0, "D2"), CellValue::fromBoolean(true));
  EXPECT_EQ(wb.cell(0, "E2").text, QString::fromUtf8("partagéx"));
  EXPECT_EQ(wb.cell(0, "F2").text, "en ligne");
  EXPECT_TRUE(wb.cell(0, "G2").isEmpty());  // never computed
  EXPECT_TRUE(wb.cell(0, "A3").isDate);
  EXPECT_FALSE(wb.cell(0, "B3").isDate);  // colour, not a date
  EXPECT_FALSE(wb.cell(0, "C3").isDate);  // "jour" is quoted text
  EXPECT_TRUE(wb.cell(0, "D3").isDate);   // elapsed hours
  EXPECT_EQ(wb.cell(0, "E3").displayText(), "07/12/2026");
  EXPECT_FALSE(wb.cell(0, "F3").isDate);  // unknown style
  EXPECT_TRUE(wb.cell(0, "H9").isEmpty());
  EXPECT_EQ(wb.lastUsedCell(0), std::make_pair(3, 6));
}

TEST(WorkbookRead, PositionsCountedWhereRowsAndCellsOmitThem) {
  MiniXlsx x;
  x.sheets.push_back({"F", "<row><c><v>1</v></c><c><v>2</v></c></row><row r=\"4\"><c r=\"C4\"><v>3</v></c>"
                           "<c><v>4</v></c></row><row><c><v>5</v></c></row>"});
  const Workbook wb = Workbook::fromPackage(x.package());
  EXPECT_EQ(wb.cell(0, "B1").number, 2);
  EXPECT_EQ(wb.cell(0, "D4").number, 4);
  EXPECT_EQ(wb.cell(0, "A5").number, 5);
}

TEST(WorkbookRead, The1904SystemShiftsDates) {
  MiniXlsx x;
  x.date1904 = true;
  x.cellXfs = "<xf numFmtId=\"0\"/><xf numFmtId=\"14\"/>";
  x.sheets.push_back({"F", "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>44901</v></c></row>"});
  x.names = "<definedName name=\"DATDEV\">F!$A$1</definedName>";
  const Workbook wb = Workbook::fromPackage(x.package());
  EXPECT_TRUE(wb.date1904());
  EXPECT_EQ(wb.namedValue("DATDEV").dateTime(wb.date1904()).date(), QDate(2026, 12, 7));
  EXPECT_EQ(wb.namedValue("DATDEV").displayText(wb.date1904()), "07/12/2026");
}

TEST(WorkbookRead, RefusesWhatIsNoWorkbook) {
  fixtures::MiniXlsx x;
  ooxml::Package p = x.package();
  p.setContentType("xl/workbook.xml", "application/xml");
  EXPECT_THROW(Workbook::fromPackage(std::move(p)), ooxml::OoxmlError);
  EXPECT_THROW(Workbook::fromPackage(ooxml::Package::fromData("not a zip")), ooxml::OoxmlError);
  MiniXlsx bad;
  bad.sheets.push_back({"F", "<row><c r=\"A1\"><v>1</v></c>"});  // unclosed row
  const Workbook wb = Workbook::fromPackage(bad.package());
  EXPECT_THROW(wb.cell(0, 1, 1), ooxml::OoxmlError);
  EXPECT_THROW(wb.cell(3, 1, 1), ooxml::OoxmlError);
}

// Form check boxes as Excel 2010 and later writes them: the control inside alternate
// content, its state in a ctrlProp part, the box repeated in the legacy drawing.
MiniXlsx workbookWithCheckBoxes() {
  const QString rel = MiniXlsx::kRelNs;
  MiniXlsx x;
  MiniSheet s{"Calcul", "<row r=\"7\"><c r=\"B7\" t=\"b\"><v>1</v></c></row>"};
  s.after =
      "<drawing r:id=\"rIdD\"/><legacyDrawing r:id=\"rIdV\"/>"
      "<mc:AlternateContent xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\">"
      "<mc:Choice Requires=\"x14\"><controls>"
      "<mc:AlternateContent><mc:Choice Requires=\"x14\">"
      "<control shapeId=\"1025\" r:id=\"rIdC1\" name=\"CHK_007\"><controlPr/></control>"
      "</mc:Choice><mc:Fallback><control shapeId=\"1025\" r:id=\"rIdC1\" name=\"CHK_007\"/>"
      "</mc:Fallback></mc:AlternateContent>"
      "<control shapeId=\"1026\" r:id=\"rIdC2\"/>"
      "<control shapeId=\"1027\" r:id=\"rIdC3\" name=\"Bouton\"/>"
      "</controls></mc:Choice></mc:AlternateContent>";
  s.rels = "<Relationship Id=\"rIdC1\" Type=\"" + rel +
           "ctrlProp\" Target=\"../ctrlProps/ctrlProp1.xml\"/>"
           "<Relationship Id=\"rIdC2\" Type=\"" + rel +
           "ctrlProp\" Target=\"../ctrlProps/ctrlProp2.xml\"/>"
           "<Relationship Id=\"rIdC3\" Type=\"" + rel +
           "ctrlProp\" Target=\"../ctrlProps/ctrlProp3.xml\"/>"
           "<Relationship Id=\"rIdD\" Type=\"" + rel +
           "drawing\" Target=\"../drawings/drawing1.xml\"/>"
           "<Relationship Id=\"rIdV\" Type=\"" + rel +
           "vmlDrawing\" Target=\"../drawings/vmlDrawing1.vml\"/>";
  x.sheets.push_back(s);
  const QString ns = "xmlns=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/main\"";
  x.parts.push_back({"xl/ctrlProps/ctrlProp1.xml", "",
                     ("<formControlPr " + ns +
                      " objectType=\"CheckBox\" checked=\"Checked\" fmlaLink=\"$B$7\"/>")
                         .toUtf8()});
  x.parts.push_back({"xl/ctrlProps/ctrlProp2.xml", "",
                     ("<formControlPr " + ns + " objectType=\"CheckBox\" checked=\"Mixed\"/>").toUtf8()});
  x.parts.push_back({"xl/ctrlProps/ctrlProp3.xml", "",
                     ("<formControlPr " + ns + " objectType=\"Button\"/>").toUtf8()});
  x.parts.push_back(
      {"xl/drawings/drawing1.xml", "",
       "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\">"
       "<xdr:twoCellAnchor><xdr:sp><xdr:nvSpPr><xdr:cNvPr id=\"1026\" name=\"MSK_OPTION\"/>"
       "</xdr:nvSpPr></xdr:sp></xdr:twoCellAnchor>"
       "<xdr:twoCellAnchor><xdr:sp><xdr:nvSpPr><xdr:cNvPr id=\"1030\" name=\"CHK_009\"/>"
       "</xdr:nvSpPr></xdr:sp></xdr:twoCellAnchor></xdr:wsDr>"});
  x.parts.push_back(
      {"xl/drawings/vmlDrawing1.vml", "",
       "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
       "xmlns:x=\"urn:schemas-microsoft-com:office:excel\">"
       "<v:shape id=\"CHK_007\" o:spid=\"_x0000_s1025\"><x:ClientData ObjectType=\"Checkbox\">"
       "<x:Checked>1</x:Checked></x:ClientData></v:shape>"
       "<v:shape id=\"_x0000_s1030\" o:spid=\"_x0000_s1030\"><x:ClientData ObjectType=\"Checkbox\">"
       "<x:Checked>1</x:Checked><x:FmlaLink>$B$9</x:FmlaLink></x:ClientData></v:shape>"
       "<v:shape id=\"_x0000_s1031\" o:spid=\"_x0000_s1031\"><x:ClientData ObjectType=\"Checkbox\"/>"
       "</v:shape>"
       "<v:shape id=\"Note\" o:spid=\"_x0000_s1032\"><x:ClientData ObjectType=\"Note\"/></v:shape>"
       "</xml>"});
  return x;
}

TEST(CheckBoxes, FormControlsWithTheirNamesStatesAndLinkedCells) {
  const Workbook wb = Workbook::fromPackage(workbookWithCheckBoxes().package());
  const std::vector<CheckBox> boxes = wb.checkBoxes(0);
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].name, "CHK_007");
  EXPECT_TRUE(boxes[0].checked);
  EXPECT_EQ(boxes[0].linkedCell, "$B$7");
  EXPECT_EQ(boxes[1].name, "MSK_OPTION");  // named by the drawing only
  EXPECT_FALSE(boxes[1].checked);          // a mixed state is no tick
  // Only the legacy drawing knows the last two.
  EXPECT_EQ(boxes[2].name, "CHK_009");
  EXPECT_TRUE(boxes[2].checked);
  EXPECT_EQ(boxes[2].linkedCell, "$B$9");
  EXPECT_EQ(boxes[3].name, "");
  EXPECT_FALSE(boxes[3].checked);
}

TEST(CheckBoxes, ActiveXCheckBoxesOfOlderWorkbooks) {
  const QString rel = MiniXlsx::kRelNs;
  MiniXlsx x;
  MiniSheet s{"F", ""};
  s.after = "<controls><control shapeId=\"1\" r:id=\"rIdA\" name=\"CHK_010\"/></controls>";
  s.rels = "<Relationship Id=\"rIdA\" Type=\"" + rel + "control\" Target=\"../activeX/activeX1.xml\"/>";
  x.sheets.push_back(s);
  x.parts.push_back({"xl/activeX/activeX1.xml", "",
                     "<ax:ocx xmlns:ax=\"http://schemas.microsoft.com/office/2006/activeX\" "
                     "ax:classid=\"{8BD21D40-EC42-11CE-9E0D-00AA006002F3}\">"
                     "<ax:ocxPr ax:name=\"Caption\" ax:value=\"x\"/>"
                     "<ax:ocxPr ax:name=\"Value\" ax:value=\"1\"/></ax:ocx>"});
  const std::vector<CheckBox> boxes = Workbook::fromPackage(x.package()).checkBoxes(0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].name, "CHK_010");
  EXPECT_TRUE(boxes[0].checked);
}

}  // namespace
