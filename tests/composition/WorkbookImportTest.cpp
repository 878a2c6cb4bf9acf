#include <gtest/gtest.h>

#include "CalcWorkbook.h"
#include "EntryFixture.h"
#include "composition/WorkbookHeader.h"
#include "composition/WorkbookImport.h"
#include "platform/excel/Workbook.h"

using namespace tarovent;
using namespace tarovent::composition;
using fixtures::CalcRow;
using fixtures::calcWorkbook;

namespace {

class WorkbookImportTest : public fixtures::EntryTest {
 protected:
  excel::Workbook book(const fixtures::MiniXlsx& x) {
    return excel::Workbook::fromPackage(x.package());
  }
  QStringList column(CompositionSession& s, int table, int col) {
    QStringList out;
    for (int r = 1; r <= s.document().rowCount(table); ++r)
      out << s.document().cellText({table, r, col});
    return out;
  }
};

TEST_F(WorkbookImportTest, SingleTableTakesArticlesSectionsTariffsAndOwnRows) {
  auto s = openQuote(1);
  ASSERT_TRUE(s);
  const ImportResult r =
      Importer_Classeur(*s,
                        book(calcWorkbook({{"#", "VIS", "Vis du classeur", 3},
                                           {"#", "MO*SOUD", "ignoré", 2},
                                           {"", "TOLE", "non cochée", 1},
                                           {"#", "R-12", "Roulement", 4, "", "F1"},
                                           {"#", "ZZZ", "Pièce ", 2, "spéciale", "F9", 12.345}})),
                        Presentation::X);
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(r.lines, 4);
  EXPECT_DOUBLE_EQ(r.hours, 2);
  // Code, designation, quantity, gross price: after the row the table had.
  EXPECT_EQ(column(*s, m_table, 1), QStringList({"L1", "VIS", "MO*SOUD", "R-12", "ZZZ"}));
  EXPECT_EQ(column(*s, m_table, 2), QStringList({"Ligne", "Vis du classeur", "Soudure", "Roulement",
                                                 QString::fromUtf8("Pièce spéciale")}));
  EXPECT_EQ(column(*s, m_table, 3).mid(1), QStringList({"3,000", "2,000", "4,000", "2,000"}));
  EXPECT_EQ(s->document().cellText({m_table, 3, 4}), "60,00");  // selling rate of the section
  EXPECT_EQ(s->document().cellText({m_table, 5, 4}), "12,35");  // purchase price, rounded
  EXPECT_EQ(m_messages.texts().last(),
            "Attention !! Les prix des articles importés du classeur Excel sont des prix d'achat "
            "fournisseur.");
  // The buffer keeps the rows taken, with their blocks.
  db::Recordset buffer =
      m_state->localDb.OpenRecordset("select * from TMP_TABLEAU order by TMP_NUM");
  QStringList kept;
  for (; !buffer.EOF_(); buffer.MoveNext())
    kept << buffer.text("TMP_Codart") + "/" + QString::number(buffer.number("TMP_Numtab"));
  EXPECT_EQ(kept, QStringList({"VIS/1", "MO*SOUD/1", "R-12/2", "ZZZ/2"}));
}

TEST_F(WorkbookImportTest, UnknownSectionIsToldAndGivesNoLine) {
  auto s = openQuote(1);
  ASSERT_TRUE(s);
  const ImportResult r = Importer_Classeur(
      *s, book(calcWorkbook({{"#", "MO*PEINT", "Peinture", 2}, {"#", "VIS", "Vis", 1}})),
      Presentation::X);
  EXPECT_EQ(r.lines, 1);
  EXPECT_EQ(m_messages.texts().first(), "ATTENTION : la section MO*PEINT n'est pas connue");
  EXPECT_EQ(column(*s, m_table, 1), QStringList({"L1", "VIS"}));
}

TEST_F(WorkbookImportTest, WithoutTheBaseColumnsTheDocumentIsUntouched) {
  auto s = openQuote(2);
  ASSERT_TRUE(s);
  const QString before = s->document().bodyText();
  const ImportResult r =
      Importer_Classeur(*s, book(calcWorkbook({{"#", "VIS", "Vis", 1}}, false)), Presentation::M);
  EXPECT_FALSE(r.completed);
  EXPECT_EQ(m_messages.texts(),
            QStringList({"Les colonnes de bases (CODART, QTE, LIBART1) ne sont pas identifiées "
                         "dans votre modèle Excel"}));
  EXPECT_EQ(s->document().bodyText(), before);
  EXPECT_FALSE(s->document().isModified());
}

TEST_F(WorkbookImportTest, NamedCellsAndMaskBoxesReachSameNamedBookmarks) {
  auto s = openQuote(3);
  ASSERT_TRUE(s);
  word::WordDocument& doc = s->document();
  doc.addBookmark("REMARQUE", {m_table, 1, 2});
  doc.addBookmark("GARANTIE", {m_table, 2, 2});
  doc.addBookmark("VIDE", {m_table, 3, 2});
  fixtures::MiniXlsx x = calcWorkbook({});
  x.sheets[0].cells = "<row r=\"1\">" + fixtures::textCell("A1", "Texte du classeur") +
                      "<c r=\"B1\" t=\"b\"><v>1</v></c>" + fixtures::textCell("C1", "faux") +
                      "</row>";
  x.names +=
      "<definedName name=\"REMARQUE\">'Entête'!$A$1</definedName>"
      "<definedName name=\"GARANTIE\">'Entête'!$B$1</definedName>"
      "<definedName name=\"VIDE\">'Entête'!$D$1</definedName>"
      "<definedName name=\"OPTIONS\">'Entête'!$C$1</definedName>"
      "<definedName name=\"QTE\" localSheetId=\"0\">'Entête'!$A$1</definedName>";
  const QString rel = fixtures::MiniXlsx::kRelNs;
  const QString ns = "xmlns=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/main\"";
  x.sheets[0].after =
      "<controls><control shapeId=\"1\" r:id=\"rIdM1\" name=\"MSK_REMARQUE\"/>"
      "<control shapeId=\"2\" r:id=\"rIdM2\" name=\"MSK_GARANTIE\"/>"
      "<control shapeId=\"3\" r:id=\"rIdM2\" name=\"MSK_ABSENT\"/></controls>";
  x.sheets[0].rels = "<Relationship Id=\"rIdM1\" Type=\"" + rel +
                     "ctrlProp\" Target=\"../ctrlProps/m1.xml\"/>"
                     "<Relationship Id=\"rIdM2\" Type=\"" +
                     rel + "ctrlProp\" Target=\"../ctrlProps/m2.xml\"/>";
  x.parts.push_back({"xl/ctrlProps/m1.xml", "",
                     ("<formControlPr " + ns + " objectType=\"CheckBox\"/>").toUtf8()});
  x.parts.push_back(
      {"xl/ctrlProps/m2.xml", "",
       ("<formControlPr " + ns + " objectType=\"CheckBox\" checked=\"Checked\"/>").toUtf8()});
  doc.setCellText({m_table, 2, 2}, "2 ans", [] {
    word::CharFormat f;
    f.hidden = true;
    return f;
  }());
  const ImportResult r = Importer_Classeur(*s, book(x), Presentation::X);
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(doc.bookmarkText("REMARQUE"), "Texte du classeur");
  EXPECT_EQ(doc.bookmarkText("GARANTIE"), "2 ans");  // a yes/no cell leaves it
  EXPECT_EQ(doc.bookmarkText("VIDE"), "");           // an empty cell clears it
  EXPECT_EQ(doc.bookmarkText("OPTIONS"), "");        // "faux" is a yes/no value too
  EXPECT_TRUE(doc.hasBookmark("VIDE"));
  EXPECT_TRUE(doc.isCellHidden({m_table, 1, 2}));   // box not ticked: hidden
  EXPECT_FALSE(doc.isCellHidden({m_table, 2, 2}));  // ticked: shown again
}

TEST_F(WorkbookImportTest, MultiTablesOneTablePerBlockWithTextBetween) {
  auto s = openQuote(1);
  ASSERT_TRUE(s);
  const int tables = s->document().tableCount();
  const ImportResult r = Importer_Classeur(*s,
                                           book(calcWorkbook({{"#", "VIS", "Vis", 1},
                                                              {"#", "TOLE", "Tôle", 2},
                                                              {"", "", "", 0},
                                                              {"#", "", "Seulement du texte", 0},
                                                              {"", "", "", 0},
                                                              {"#", "", "Partie soudure", 0},
                                                              {"#", "MO*SOUD", "Soudure", 3}})),
                                           Presentation::M);
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(r.lines, 3);
  word::WordDocument& doc = s->document();
  ASSERT_EQ(doc.tableCount(), tables + 2);
  EXPECT_EQ(column(*s, m_table + 1, 1), QStringList({"VIS", "TOLE"}));
  EXPECT_EQ(column(*s, m_table + 2, 1), QStringList({"MO*SOUD"}));
  const QString text = doc.bodyText();
  EXPECT_FALSE(text.contains("Seulement du texte"));  // its block has no coded row
  const qsizetype title = text.indexOf("Partie soudure");
  ASSERT_GE(title, 0);
  EXPECT_LT(text.indexOf("TOLE"), title);
  EXPECT_LT(title, text.indexOf("MO*SOUD"));
}

TEST_F(WorkbookImportTest, PerPostTableTitledWithSubTotalAndHiddenPrices) {
  for (Presentation p : {Presentation::A, Presentation::B}) {
    SCOPED_TRACE(presentationLetter(p).toStdString());
    auto s = openQuote(1);
    ASSERT_TRUE(s);
    const int tables = s->document().tableCount();
    const ImportResult r = Importer_Classeur(
        *s, book(calcWorkbook({{"#", "VIS", "Vis", 2}, {"#", "TOLE", "Tôle", 1}})), p);
    EXPECT_TRUE(r.completed);
    word::WordDocument& doc = s->document();
    ASSERT_EQ(doc.tableCount(), tables + 2);  // the post's table and its sub-total
    const int post = m_table + 1;
    EXPECT_EQ(column(*s, post, 1), QStringList({"VIS", "TOLE"}));
    const QString text = doc.bodyText();
    EXPECT_LT(text.indexOf("Calcul"), text.indexOf("VIS"));
    EXPECT_TRUE(doc.table(post + 1).rows == 1);
    const int price = s->columns().column("PUBRUT");
    ASSERT_GT(price, 0);
    EXPECT_EQ(doc.isCellHidden({post, 1, price}), p == Presentation::B);
    EXPECT_FALSE(doc.isCellHidden({post, 1, 2}));
    s->close();
  }
}

TEST_F(WorkbookImportTest, GroupedLinesGoToTheLabourAndPartsTables) {
  auto s = openQuote(1);
  ASSERT_TRUE(s);
  ASSERT_TRUE(s->newTable());
  word::WordDocument& doc = s->document();
  const int parts = s->cursor().table;
  doc.addBookmark("WMDO", {m_table, 1, 1});
  doc.addBookmark("WPIE", {parts, 1, 1});
  const ImportResult r =
      Importer_Classeur(*s,
                        book(calcWorkbook({{"#", "MO*SOUD", "x", 2},
                                           {"#", "", "Texte libre", 0},
                                           {"#", "R-12", "Roulement", 1, "", "F1"},
                                           {"#", "MO*PEINT", "Peinture", 1}})),
                        Presentation::C);
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(column(*s, m_table, 1), QStringList({"L1", "MO*SOUD"}));
  EXPECT_EQ(column(*s, parts, 1), QStringList({"R-12"}));
  EXPECT_EQ(doc.cellText({parts, 1, 4}), "45,00");  // the tariff's selling price
  EXPECT_EQ(m_messages.texts(),
            QStringList({"Le signet WTXT est absent du document : ses lignes ne sont pas importées",
                         "ATTENTION : la section MO*PEINT n'est pas connue dans DAVRISET"}));
  EXPECT_EQ(r.lines, 2);
  EXPECT_DOUBLE_EQ(r.hours, 2);

  // Without a labour table the sections are neither written nor counted.
  s.reset();
  auto bare = openQuote(1);
  ASSERT_TRUE(bare);
  bare->document().addBookmark("WPIE", {m_table, 1, 1});
  m_messages.clear();
  const ImportResult none =
      Importer_Classeur(*bare, book(calcWorkbook({{"#", "MO*SOUD", "x", 2}})), Presentation::C);
  EXPECT_EQ(none.lines, 0);
  EXPECT_DOUBLE_EQ(none.hours, 0);
  EXPECT_EQ(
      m_messages.texts(),
      QStringList{"Le signet WMDO est absent du document : ses lignes ne sont pas importées"});
}

TEST_F(WorkbookImportTest, HeaderCellsFromTheDossierAndItsClient) {
  m_state->base(core::entry::Main)
      .db.Execute(
          "update TDOS set TDOS_RESUME='Portail', TDOS_USER3='Chantier B' where TDOS_NUMDOSS=12");
  core::QuoteContext q;
  q.company = "AB";
  q.dossier = 12;
  q.sequence = "0";
  const QMap<QString, excel::CellValue> cells = readHeaderCells(*m_state, q);
  EXPECT_EQ(cells["NUMDEV"].text, "AB00012-00");
  EXPECT_EQ(cells["CODCLI"].text, "C1");
  EXPECT_EQ(cells["CLIRS"].text, "Client");
  EXPECT_EQ(cells["LIBOPE"].text, "Portail");
  EXPECT_EQ(cells["AFFUSER3"].text, "Chantier B");
  EXPECT_EQ(cells["DATDEV"].displayText(), "15/03/2026");
  EXPECT_TRUE(m_messages.texts().isEmpty());

  fixtures::MiniXlsx x = calcWorkbook({});
  x.cellXfs = "<xf numFmtId=\"0\"/><xf numFmtId=\"14\"/>";
  x.sheets[0].cells = "<row r=\"2\"><c r=\"B2\" s=\"1\"/></row>";
  x.names +=
      "<definedName name=\"NUMDEV\">'Entête'!$B$1</definedName>"
      "<definedName name=\"DATDEV\">'Entête'!$B$2</definedName>";
  excel::Workbook wb = book(x);
  EXPECT_EQ(fillHeaderCells(wb, 1, cells), 2);
  EXPECT_EQ(wb.cell(0, "B1").text, "AB00012-00");
  EXPECT_TRUE(wb.cell(0, "B2").isDate);

  m_state->base(core::entry::Main).db.Execute("update TDOS set TDOS_CLIENT='INCONNU'");
  const auto unknown = readHeaderCells(*m_state, q);
  EXPECT_FALSE(unknown.contains("CLIRS"));
  EXPECT_EQ(m_messages.texts(), QStringList({"Client INCONNU inconnu"}));
}

}  // namespace
