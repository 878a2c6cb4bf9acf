#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "ReportTestSupport.h"
#include "platform/report/ReportLayout.h"

namespace tarovent::report {
namespace {

class ReportLayoutTest : public test::ReportTest {
 protected:
  // Region groups with a sub-total of the amounts and a count of notes, a grand total.
  QString byRegion(const QString& extra = {}) {
    return salesReport("IMPVENTES.RPT", byRegionBody(extra));
  }
  static QString byRegionBody(const QString& extra = {}) {
    return QStringLiteral(R"(
  <heading size="14">{title}</heading>
  <heading size="10" bold="non">{PERIODE}</heading>
  <group field="REGION" header="Région {REGION}" footer="Total {REGION} : {count} ventes"/>
  <columns>
    <column field="NUM" title="N°" width="18" align="right" format="00000"/>
    <column field="SOLD" title="Date" width="25" format="dd/mm/yyyy"/>
    <column field="REP" title="Vendeur" width="30"/>
    <column field="NOTE" title="Note" width="40" total="count"/>
    <column field="AMOUNT" title="Montant" width="35" align="right" format="# ### ##0.00" total="sum"/>
  </columns>
  <total label="Total général : {count} ventes"/>
)") + extra;
  }
  // Every band of every page as "page kind text|cells".
  static QStringList bands(const Report& r) {
    QStringList out;
    for (int p = 0; p < r.pageCount(); ++p)
      for (const Band& b : r.layout().page(p).bands)
        out << QStringLiteral("%1 %2 %3|%4")
                   .arg(p + 1)
                   .arg(int(b.kind))
                   .arg(b.text, b.cells.join(';'));
    return out;
  }
};

// What a user checks on paper: every row, the sub-totals and the grand total, and the pages
// numbered "n / N", read back from the PDF file.
TEST_F(ReportLayoutTest, ThePdfShowsTheRowsTheTotalsAndThePageNumbers) {
  if (!test::havePdfToText()) GTEST_SKIP() << "pdftotext absent";
  addSales(150);
  Report r(byRegion());
  r.setDecimalSeparator(',');
  r.setParameter("periode", "Du 01/01/2025 au 31/05/2025");
  r.start(m_db);
  ASSERT_TRUE(r.writePdf(path("ventes.pdf")));
  const int pages = r.pageCount();
  EXPECT_GE(pages, 3);
  const QString text = test::pdfText(path("ventes.pdf"));
  EXPECT_TRUE(text.contains("Du 01/01/2025 au 31/05/2025"));
  for (int p = 1; p <= pages; ++p)
    EXPECT_TRUE(text.contains(QStringLiteral("Page %1 / %2").arg(p).arg(pages))) << p;
  // Nord holds 3, 6, ... 150; Sud 1, 4, ... 148; Est 2, 5, ... 149.
  EXPECT_TRUE(text.contains("Région Est"));
  EXPECT_TRUE(
      text.contains(QRegularExpression("00150\\s+31/05/2025\\s+Zoé\\s+Vente 150\\s+1 500,00")));
  EXPECT_TRUE(text.contains(QRegularExpression("Total Est : 50 ventes\\s+43\\s+37 750,00")))
      << qPrintable(text);
  EXPECT_TRUE(text.contains(QRegularExpression("Total Nord : 50 ventes\\s+43\\s+38 250,00")));
  EXPECT_TRUE(text.contains(QRegularExpression("Total Sud : 50 ventes\\s+43\\s+37 250,00")));
  EXPECT_TRUE(text.contains(QRegularExpression("Total général : 150 ventes\\s+129\\s+113 250,00")));
  // Groups in order, Est before Nord before Sud.
  EXPECT_LT(text.indexOf("Région Est"), text.indexOf("Région Nord"));
  EXPECT_LT(text.indexOf("Région Nord"), text.indexOf("Région Sud"));
}

TEST_F(ReportLayoutTest, TheSelectionFormulasOfTheFileAndOfTheProgramBothHold) {
  addSales(30);
  const QString file =
      byRegion("  <selection>{SALES.REP} = 'LUC'</selection>\n  <sort field=\"NUM\"/>\n");
  Report r = started(file, "{SALES.AMOUNT} > 100 and not isnull({SALES.NOTE})");
  r.layoutAll();
  QStringList nums;
  for (const QString& b : bands(r))
    if (b.section(' ', 1, 1) == QString::number(int(BandKind::Detail)))
      nums << b.section('|', 1).section(';', 0, 0);
  // Luc sells the odd numbers; 11 to 29 above 100, 21 without a note.
  EXPECT_EQ(nums, QStringList({"00011", "00017", "00023", "00029", "00015", "00027", "00013",
                               "00019", "00025"}));
  EXPECT_EQ(r.rowCount(), 9);
}

TEST_F(ReportLayoutTest, AFieldOrSourceMissingFromTheDatabaseNamesItsLine) {
  addSales(3);
  struct Case {
    QString body, formula;
    int line;
    QString says;
  } cases[] = {
      {"<columns>\n<column field=\"PRICE\"/>\n</columns>",
       {},
       8,
       "le champ « PRICE » n'existe pas"},
      {"<group field=\"TOWN\"/>\n<columns><column field=\"NUM\"/></columns>", {}, 7, "« TOWN »"},
      {"<sort field=\"TOWN\"/>\n<columns><column field=\"NUM\"/></columns>", {}, 7, "« TOWN »"},
      {"<selection>{SALES.TOWN} = 1</selection>\n<columns><column field=\"NUM\"/></columns>",
       {},
       7,
       "{TOWN} de la formule"},
      {"<columns><column field=\"NUM\"/></columns>", "{SALES.TOWN} = 1", 0, "{TOWN} de la formule"},
      {"<columns><column field=\"NUM\"/></columns>", "{RImpVis.NUM} = 1", 0,
       "lit {RImpVis.NUM} alors que la source du modèle est « SALES »"},
      {"<columns><column field=\"NUM\"/></columns>", "{SALES.NUM} = ", 0,
       "formule de sélection donnée par le programme « {SALES.NUM} =  », caractère 15"},
  };
  for (const Case& c : cases) {
    try {
      started(salesReport("IMPBAD.RPT", c.body), c.formula);
      ADD_FAILURE() << qPrintable(c.body);
    } catch (const ReportError& e) {
      EXPECT_EQ(e.line(), c.line) << qPrintable(e.text());
      EXPECT_TRUE(e.message().contains(c.says)) << qPrintable(e.text());
    }
  }
  const QString other = write("IMPAUTRE.RPT", R"(<report><source name="TMP_RENTA"/>
<columns><column field="SOC"/></columns></report>)");
  try {
    started(other);
    ADD_FAILURE();
  } catch (const ReportError& e) {
    EXPECT_EQ(e.line(), 1);
    EXPECT_TRUE(e.message().startsWith("la source de données « TMP_RENTA » n'existe pas"));
  }
}

TEST_F(ReportLayoutTest, ASavedQueryIsASource) {
  addSales(12);
  m_db.CreateQueryDef("RimpVentes", "SELECT NUM, AMOUNT FROM SALES WHERE REGION = 'Sud'");
  const QString file = write("IMPQ.RPT", R"(<report><source name="RImpVentes"/>
<columns><column field="NUM"/><column field="AMOUNT" total="sum"/></columns>
<total label="Total"/></report>)");
  Report r = started(file, "{RimpVentes.NUM} <> 4");
  r.layoutAll();
  EXPECT_EQ(r.rowCount(), 3);  // 1, 7, 10
  const Band& total = r.layout().page(0).bands.last();
  EXPECT_EQ(total.kind, BandKind::GrandTotal);
  EXPECT_EQ(total.cells, QStringList({"", "180"}));
}

TEST_F(ReportLayoutTest, TotalsSkipEmptyValuesAndAverageTheOthers) {
  addSales(7);  // NOTE of 7 is empty
  const QString file = salesReport("IMPT.RPT", R"(
  <columns>
    <column field="NOTE" total="count"/>
    <column field="AMOUNT" format="0.0" total="average"/>
    <column field="NUM" total="sum" format="# ##0"/>
  </columns>
  <total label="{count} lignes"/>
)");
  Report r = started(file, "{SALES.NUM} >= 5");
  r.layoutAll();
  const Band& total = r.layout().page(0).bands.last();
  EXPECT_EQ(total.text, "3 lignes");
  EXPECT_EQ(total.cells, QStringList({"2", "60,0", "18"}));
}

// A group header never ends a page without its first row, and a group that asks for a new page
// gets one.
TEST_F(ReportLayoutTest, GroupHeadersStayWithTheirRows) {
  addSales(400);
  Report r = started(byRegion());
  r.layoutAll();
  for (int p = 0; p < r.pageCount(); ++p) {
    const QList<Band>& b = r.layout().page(p).bands;
    EXPECT_NE(b.last().kind, BandKind::GroupHeader) << "page " << p + 1;
    EXPECT_LE(b.last().top + b.last().height, r.layout().contentBottom() + 0.01);
  }
  Report q = started(salesReport(
      "IMPP.RPT", byRegionBody().replace("footer=\"Total", "newpage=\"oui\" footer=\"Total")));
  q.layoutAll();
  int groupsOnTop = 0;
  for (int p = 0; p < q.pageCount(); ++p) {
    const QList<Band>& b = q.layout().page(p).bands;
    for (int i = 0; i < b.size(); ++i)
      if (b[i].kind == BandKind::GroupHeader) {
        EXPECT_EQ(b[i - 1].kind, BandKind::ColumnTitles) << "page " << p + 1;
        ++groupsOnTop;
      }
  }
  EXPECT_EQ(groupsOnTop, 3);
}

TEST_F(ReportLayoutTest, PagesAreLaidOutOneAtATime) {
  addSales(2000);
  Report r = started(byRegion());
  ASSERT_TRUE(r.layoutPage());
  EXPECT_EQ(r.pageCount(), 1);
  EXPECT_FALSE(r.complete());
  EXPECT_LT(r.rowCount(), 60);
  r.layoutAll();
  EXPECT_TRUE(r.complete());
  EXPECT_EQ(r.rowCount(), 2000);
  EXPECT_FALSE(r.layoutPage());
  // The same report started again reads the data anew.
  m_db.Execute("DELETE FROM SALES WHERE NUM > 10");
  r.start(m_db);
  r.layoutAll();
  EXPECT_EQ(r.pageCount(), 1);
  EXPECT_EQ(r.rowCount(), 10);
}

TEST_F(ReportLayoutTest, AnEmptySourceGivesOnePageWithTheTitlesAndAZeroTotal) {
  Report r = started(byRegion());
  r.layoutAll();
  ASSERT_EQ(r.pageCount(), 1);
  QList<BandKind> kinds;
  for (const Band& b : r.layout().page(0).bands) kinds << b.kind;
  EXPECT_EQ(kinds, QList<BandKind>({BandKind::Heading, BandKind::Heading, BandKind::ColumnTitles,
                                    BandKind::GrandTotal}));
  EXPECT_EQ(r.layout().page(0).bands.last().cells.last(), "0,00");
}

TEST_F(ReportLayoutTest, APdfThatCannotBeWrittenSaysSo) {
  addSales(5);
  Report r = started(byRegion());
  QString error;
  EXPECT_FALSE(r.writePdf(path("absent/ventes.pdf"), &error));
  EXPECT_EQ(error, "Le fichier PDF " + path("absent/ventes.pdf") +
                       " ne peut pas être écrit (dossier protégé, disque plein ou fichier ouvert "
                       "dans un autre programme).");
  QDir(path("dossier.pdf")).mkpath(".");
  EXPECT_FALSE(r.writePdf(path("dossier.pdf"), &error));
  EXPECT_TRUE(QFileInfo(path("dossier.pdf")).isDir());
}

}  // namespace
}  // namespace tarovent::report
