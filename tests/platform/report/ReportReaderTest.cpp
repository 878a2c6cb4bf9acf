#include "ReportTestSupport.h"
#include "platform/report/ReportReader.h"

namespace tarovent::report {
namespace {

class ReportReaderTest : public test::ReportTest {};

TEST_F(ReportReaderTest, ReadsEveryPartOfAReport) {
  const QString file = write("IMPTEST.RPT", R"X(<?xml version="1.0" encoding="UTF-8"?>
<report title="Ventes par région" version="1">
  <page size="A3" orientation="paysage" margins="10 12,5 14 16"/>
  <font family="DejaVu Serif" size="8,5"/>
  <source name="SALES"/>
  <selection>{SALES.AMOUNT} &gt; 100</selection>
  <sort field="SOLD" order="décroissant"/>
  <header left="{title}" center="Société" right="{date}"/>
  <footer right="Page {page} / {pages}"/>
  <heading size="16" align="center">{title}</heading>
  <heading size="10" bold="non">{PERIODE}</heading>
  <group field="REGION" header="Région {REGION}" footer="Total {REGION}" newpage="oui"/>
  <columns>
    <column field="NUM" title="N°" width="15" align="droite" format="00000"/>
    <column field="AMOUNT" width="30" align="right" format="# ### ##0.00" total="somme"/>
    <column field="NOTE" title="Note" total="count"/>
  </columns>
  <total label="Total général ({count})"/>
</report>
)X");
  const ReportDefinition d = readReport(file);
  EXPECT_EQ(d.title, "Ventes par région");
  EXPECT_EQ(d.page.size, QPageSize::A3);
  EXPECT_EQ(d.page.orientation, QPageLayout::Landscape);
  EXPECT_EQ(QList<double>({d.page.top, d.page.right, d.page.bottom, d.page.left}),
            QList<double>({10, 12.5, 14, 16}));
  EXPECT_EQ(d.fontFamily, "DejaVu Serif");
  EXPECT_DOUBLE_EQ(d.fontSize, 8.5);
  EXPECT_EQ(d.source, "SALES");
  EXPECT_EQ(d.sourceLine, 5);
  EXPECT_EQ(d.selection, "{SALES.AMOUNT} > 100");
  EXPECT_EQ(d.selectionLine, 6);
  ASSERT_EQ(d.sort.size(), 1);
  EXPECT_TRUE(d.sort[0].descending);
  EXPECT_EQ(d.header.center, "Société");
  EXPECT_EQ(d.footer.right, "Page {page} / {pages}");
  ASSERT_EQ(d.headings.size(), 2);
  EXPECT_EQ(d.headings[0].align, Align::Center);
  EXPECT_FALSE(d.headings[1].bold);
  ASSERT_EQ(d.groups.size(), 1);
  EXPECT_TRUE(d.groups[0].newPage);
  EXPECT_EQ(d.groups[0].footer, "Total {REGION}");
  ASSERT_EQ(d.columns.size(), 3);
  EXPECT_EQ(d.columns[0].align, Align::Right);
  EXPECT_EQ(d.columns[0].format, "00000");
  EXPECT_EQ(d.columns[1].title, "AMOUNT");  // the field when no title is given
  EXPECT_EQ(d.columns[1].total, Total::Sum);
  EXPECT_EQ(d.columns[2].total, Total::Count);
  EXPECT_EQ(d.columns[2].line, 16);
  EXPECT_TRUE(d.grandTotal);
  EXPECT_EQ(d.grandTotalLabel, "Total général ({count})");
}

// A malformed file names itself and the line at fault, in French, and never crashes.
TEST_F(ReportReaderTest, AMalformedFileIsRefusedWithItsLine) {
  const QString head = "<?xml version=\"1.0\"?>\n<report>\n  <source name=\"SALES\"/>\n";
  const QString columns = "  <columns><column field=\"NUM\"/></columns>\n";
  struct Case {
    QString text;
    int line;
    QString says;
  } cases[] = {
      {"", 1, "s'arrête avant la fin"},
      {"\x01\x02 pas du XML", 1, "pas du XML bien formé"},
      {"<?xml version=\"1.0\"?>\n<rapport/>\n", 2, "doit être <report>"},
      {head + "  <colums/>\n" + columns + "</report>", 4, "élément <colums> inconnu"},
      {head + "  <page size=\"A4\" orientaton=\"landscape\"/>\n" + columns + "</report>", 4,
       "attribut « orientaton » inconnu"},
      {head + "  <page size=\"A9\"/>\n" + columns + "</report>", 4, "size = « A9 »"},
      {head + columns + "  <columns>\n    <column field=\"A\" width=\"large\"/>\n  </columns>\n", 5,
       "<columns> donné deux fois"},
      {head + "  <columns>\n    <column field=\"A\" width=\"large\"/>\n  </columns>\n</report>", 5,
       "width = « large »"},
      {head + "  <columns>\n    <column title=\"A\"/>\n  </columns>\n</report>", 5,
       "demande l'attribut « field »"},
      {head + "  <columns>\n    <column field=\"A\" total=\"max\"/>\n  </columns>\n</report>", 5,
       "total = « max »"},
      {head + "  <heading>Dupont & fils</heading>\n" + columns + "</report>", 4, "&amp;"},
      {head + columns + "  <group field=\"A\">\n", 6, "s'arrête avant la fin"},
      {head + "  <header left=\"x\"><b/></header>\n" + columns + "</report>", 4,
       "ne contient rien"},
      {"<?xml version=\"1.0\"?>\n<report>\n" + columns + "</report>", 0, "ne dit pas sa source"},
      {head + "</report>", 0, "aucune colonne"},
      {head + "  <columns>\n" + QString("    <column field=\"A\" width=\"100\"/>\n").repeated(3) +
           "  </columns>\n</report>",
       7, "la page n'en offre que 186,0"},
      {"<?xml version=\"1.0\"?>\n<report version=\"2\">\n" + columns + "</report>", 2,
       "version « 2 » inconnue"},
  };
  for (const Case& c : cases) {
    const QString file = write("IMPBAD.RPT", c.text);
    try {
      readReport(file);
      ADD_FAILURE() << "accepted: " << qPrintable(c.text);
    } catch (const ReportError& e) {
      EXPECT_EQ(e.line(), c.line) << qPrintable(c.text) << "\n" << qPrintable(e.text());
      EXPECT_TRUE(e.message().contains(c.says, Qt::CaseInsensitive))
          << qPrintable(e.message()) << " should say " << qPrintable(c.says);
      EXPECT_TRUE(e.text().startsWith("Modèle d'impression " + file)) << qPrintable(e.text());
      if (c.line > 0) {
        EXPECT_TRUE(e.text().contains(QStringLiteral(", ligne %1 : ").arg(c.line)))
            << qPrintable(e.text());
      }
    }
  }
}

TEST_F(ReportReaderTest, AMissingOrHugeFileIsRefused) {
  try {
    readReport(path("ABSENT.RPT"));
    ADD_FAILURE();
  } catch (const ReportError& e) {
    EXPECT_EQ(e.text(), "Modèle d'impression " + path("ABSENT.RPT") + " : fichier introuvable");
  }
  const QString big = write("IMPBIG.RPT", "<report>" + QString(2 << 20, ' ') + "</report>");
  EXPECT_THROW(readReport(big), ReportError);
}

}  // namespace
}  // namespace tarovent::report
