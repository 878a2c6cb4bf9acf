#include <gtest/gtest.h>

#include "CalcWorkbook.h"
#include "composition/WorkbookHeader.h"
#include "composition/WorkbookRows.h"
#include "platform/excel/Workbook.h"

using namespace tarovent;
using namespace tarovent::composition;
using fixtures::CalcRow;
using fixtures::calcWorkbook;

namespace {

excel::Workbook book(const fixtures::MiniXlsx& x) { return excel::Workbook::fromPackage(x.package()); }

std::vector<int> blocks(const ImportRows& rows) {
  std::vector<int> out;
  for (const ImportRecord& r : rows.records) out.push_back(r.block);
  return out;
}

QStringList codes(const ImportRows& rows) {
  QStringList out;
  for (const ImportRecord& r : rows.records) out << r.code;
  return out;
}

TEST(ImportRowsTest, RunsOfMarkedRowsMakeNumberedBlocks) {
  // Rows 5 to 7 marked, 8 not, 9 and 10 marked; 11 and 12 unmarked count once.
  const ImportRows rows = readImportRows(
      book(calcWorkbook({{"#", "A5", "a", 1}, {"#", "A6", "b", 1}, {"#", "A7", "c", 1},
                         {"", "A8", "d", 1}, {"#", "A9", "e", 1}, {" # ", "A10", "f", 1},
                         {"", "A11", "g", 1}, {"x", "A12", "h", 1}, {"#", "A13", "i", 1}})),
      Presentation::X);
  ASSERT_EQ(rows.outcome, RowsOutcome::Read);
  EXPECT_EQ(rows.sheetName, "Calcul");
  EXPECT_EQ(codes(rows), QStringList({"A5", "A6", "A7", "A9", "A10", "A13"}));
  EXPECT_EQ(blocks(rows), std::vector<int>({1, 1, 1, 2, 2, 3}));
}

TEST(ImportRowsTest, QuantityZeroAndTextRowsDependOnThePresentation) {
  const auto x = calcWorkbook({{"#", "VIS", "Vis", 0},
                               {"#", "", "Titre du poste", 0},
                               {"#", "TOLE", "Tôle ", 2.5, "pliée", "F1", 12.345},
                               {"#", "", "", 0}});
  const ImportRows single = readImportRows(book(x), Presentation::X);
  ASSERT_EQ(single.records.size(), 1u);  // coded row of quantity 0 dropped, text rows too
  const ImportRecord& tole = single.records[0];
  EXPECT_EQ(tole.code, "TOLE");
  EXPECT_EQ(tole.label, QString::fromUtf8("Tôle pliée"));  // parts joined as they stand
  EXPECT_DOUBLE_EQ(tole.quantity, 2.5);
  EXPECT_EQ(tole.supplier, "F1");
  EXPECT_DOUBLE_EQ(tole.purchasePrice, 12.345);
  EXPECT_TRUE(single.hasSupplierColumn);
  EXPECT_EQ(codes(readImportRows(book(x), Presentation::M)), QStringList({"", "TOLE", ""}));
  EXPECT_EQ(codes(readImportRows(book(x), Presentation::C)), QStringList({"", "TOLE", ""}));
  EXPECT_EQ(readImportRows(book(x), Presentation::M).records[0].label, "Titre du poste");
}

TEST(ImportRowsTest, MissingNamesStopTheReading) {
  EXPECT_EQ(readImportRows(book(calcWorkbook({{"#", "VIS", "Vis", 1}}, false)), Presentation::X)
                .outcome,
            RowsOutcome::NoBaseColumns);
  EXPECT_EQ(rowsMessage(RowsOutcome::NoBaseColumns),
            "Les colonnes de bases (CODART, QTE, LIBART1) ne sont pas identifiées dans votre "
            "modèle Excel");
  fixtures::MiniXlsx none = calcWorkbook({{"#", "VIS", "Vis", 1}});
  none.names.replace("\"CODART\"", "\"CODE\"");
  EXPECT_EQ(readImportRows(book(none), Presentation::X).outcome, RowsOutcome::NoSheet);
  EXPECT_EQ(rowsMessage(RowsOutcome::NoSheet), QString::fromUtf8("Aucune feuille de nomenclature trouvée"));
}

TEST(ImportRowsTest, SheetNamesLocateColumnsOfTheirOwnSheet) {
  fixtures::MiniXlsx x = calcWorkbook({{"#", "VIS", "Vis", 1, "", "", 0}});
  // A name ending in CODART on the sheet finds it; the sheet's own QTE wins over the
  // workbook's, and a QTE of another sheet does not count.
  x.names = "<definedName name=\"ZCODART\" localSheetId=\"1\">Calcul!$B$4</definedName>"
            "<definedName name=\"QTE\">Calcul!$A$4</definedName>"
            "<definedName name=\"QTE\" localSheetId=\"1\">Calcul!$D$4</definedName>"
            "<definedName name=\"LIBART1\" localSheetId=\"0\">'Entête'!$C$4</definedName>";
  EXPECT_EQ(Trouver_Feuille_Nomenclature(book(x)), "Calcul");
  EXPECT_EQ(readImportRows(book(x), Presentation::X).outcome, RowsOutcome::NoBaseColumns);
  x.names += "<definedName name=\"LIBART1\" localSheetId=\"1\">Calcul!$C$4</definedName>";
  const ImportRows rows = readImportRows(book(x), Presentation::X);
  ASSERT_EQ(rows.records.size(), 1u);
  EXPECT_EQ(rows.records[0].code, "VIS");
  EXPECT_FALSE(rows.hasSupplierColumn);
  EXPECT_DOUBLE_EQ(rows.records[0].quantity, 1);
}

TEST(ImportRowsTest, TickedCheckBoxesSelectRowsOnASheetThatHasThem) {
  fixtures::MiniXlsx x = calcWorkbook({{"", "VIS", "Vis", 1}, {"", "TOLE", "Tôle", 2}, {"#", "CLOU", "Clou", 3}});
  const QString rel = fixtures::MiniXlsx::kRelNs;
  const QString ns = "xmlns=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/main\"";
  x.sheets[1].after = "<controls><control shapeId=\"1025\" r:id=\"rIdC1\" name=\"CHK_005\"/>"
                      "<control shapeId=\"1026\" r:id=\"rIdC2\" name=\"CHK_006\"/></controls>";
  x.sheets[1].rels = "<Relationship Id=\"rIdC1\" Type=\"" + rel + "ctrlProp\" Target=\"../ctrlProps/c1.xml\"/>"
                     "<Relationship Id=\"rIdC2\" Type=\"" + rel + "ctrlProp\" Target=\"../ctrlProps/c2.xml\"/>";
  x.parts.push_back({"xl/ctrlProps/c1.xml", "",
                     ("<formControlPr " + ns + " objectType=\"CheckBox\" checked=\"Checked\"/>").toUtf8()});
  x.parts.push_back({"xl/ctrlProps/c2.xml", "",
                     ("<formControlPr " + ns + " objectType=\"CheckBox\"/>").toUtf8()});
  const excel::Workbook wb = book(x);
  EXPECT_TRUE(Case_Cochee(wb, 1, 5));
  EXPECT_FALSE(Case_Cochee(wb, 1, 6));
  EXPECT_FALSE(Case_Cochee(wb, 1, 9));  // no box on that row
  const ImportRows rows = readImportRows(wb, Presentation::X);
  EXPECT_EQ(codes(rows), QStringList({"VIS", "CLOU"}));
  EXPECT_EQ(blocks(rows), std::vector<int>({1, 2}));
}

TEST(ImportRowsTest, WorkbookSavedByLibreOfficeCalc) {
  const excel::Workbook wb = excel::Workbook::open(QString(TAROVENT_TEST_DATA) + "/lo-calc.xlsx");
  EXPECT_EQ(Trouver_Feuille_Nomenclature(wb), QString::fromUtf8("Calcul pièces"));
  const ImportRows rows = readImportRows(wb, Presentation::X);
  ASSERT_EQ(rows.outcome, RowsOutcome::Read);
  // Row 4 is marked but its code is an error of quantity 0: only row 2 is taken.
  ASSERT_EQ(rows.records.size(), 1u);
  EXPECT_EQ(rows.records[0].code, "ART001");
  EXPECT_EQ(rows.records[0].label, " Vis  inox ");
  EXPECT_DOUBLE_EQ(rows.records[0].quantity, 2.5);
}

TEST(ImportRowsTest, PresentationLettersAndCaptions) {
  EXPECT_EQ(presentationFromLetter("m"), Presentation::M);
  EXPECT_FALSE(presentationFromLetter("Z").has_value());
  EXPECT_FALSE(presentationFromLetter("XM").has_value());
  EXPECT_EQ(presentationLetter(Presentation::B), "B");
  EXPECT_EQ(presentationCaption(Presentation::X), "Pièces et main d'oeuvre seules (1 tableau)");
}

TEST(ImportRowsTest, QuoteWorkbookNameFromTheDocumentName) {
  EXPECT_EQ(quoteWorkbookName("Chaudronnerie", "00012_00.AB"), "Chaudronnerie_00012AB.xlsx");
  EXPECT_EQ(quoteWorkbookName("T", "00012_03.A.B"), "T_00012B.xlsx");
}

}  // namespace
