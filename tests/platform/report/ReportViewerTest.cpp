#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>

#include "ReportTestSupport.h"
#include "platform/report/ReportViewer.h"
#include "ui/UiTestSupport.h"

namespace tarovent::report {
namespace {

class ReportViewerTest : public test::ReportTest {
 protected:
  void SetUp() override {
    ReportTest::SetUp();
    m_file = salesReport("IMPVENTES.RPT", R"(
  <heading>{title}</heading>
  <sort field="NUM"/>
  <columns>
    <column field="NUM" title="N°" width="20" align="right"/>
    <column field="REP" title="Vendeur" width="40"/>
    <column field="AMOUNT" title="Montant" width="40" align="right" format="# ##0.00" total="sum"/>
  </columns>
  <total label="Total"/>
)");
  }
  ReportViewer* open(int rows) {
    addSales(rows);
    m_viewer = std::make_unique<ReportViewer>(started(m_file));
    m_viewer->setMessageSink([this](const QString& text) { m_said << text; });
    m_viewer->resize(1280, 800);
    m_viewer->show();
    return m_viewer.get();
  }
  template <typename T = QWidget>
  T* get(const char* name) {
    return m_viewer->findChild<T*>(QLatin1String(name));
  }
  QString pagesShown() { return get<QLabel>("CTL_Pages")->text(); }
  void waitComplete() {
    for (int i = 0; i < 2000 && !m_viewer->report().complete(); ++i) QApplication::processEvents();
    ASSERT_TRUE(m_viewer->report().complete());
  }
  static int pdfPages(const QString& pdf) {
    QProcess p;
    p.start("pdfinfo", {pdf});
    p.waitForFinished();
    const QString info = QString::fromUtf8(p.readAllStandardOutput());
    return info.section("Pages:", 1).trimmed().section('\n', 0, 0).toInt();
  }

  QString m_file;
  std::unique_ptr<ReportViewer> m_viewer;
  QStringList m_said;
};

TEST_F(ReportViewerTest, TheFirstPageShowsBeforeTheLastIsLaidOut) {
  ReportViewer* v = open(5000);
  EXPECT_EQ(v->objectName(), "F_RPT");
  EXPECT_EQ(v->windowTitle(), "Aperçu avant impression - Ventes");
  // Nothing has run yet but the constructor: one page, and the count still growing.
  EXPECT_EQ(v->report().pageCount(), 1);
  EXPECT_FALSE(v->report().complete());
  EXPECT_EQ(pagesShown(), "/ 1…");
  EXPECT_FALSE(get<QLabel>("Pic_Page")->pixmap().isNull());
  EXPECT_TRUE(get<QPushButton>("Cmd_Suivante")->isEnabled());
  // The page shown is selected in its box; a number typed while the pages are laid out stays.
  auto* box = get<QLineEdit>("CTX_Page");
  EXPECT_EQ(box->selectedText(), "1");
  box->insert("42");
  waitComplete();
  EXPECT_EQ(box->text(), "42");
  tarovent::test::pressKey(box, Qt::Key_Return);
  EXPECT_EQ(v->currentPage(), 41);
  EXPECT_EQ(box->selectedText(), "42");
  const int pages = v->report().pageCount();
  EXPECT_GT(pages, 50);
  EXPECT_EQ(pagesShown(), QStringLiteral("/ %1").arg(pages));
  EXPECT_EQ(get<QLabel>("CTL_Etat")->text(), "5 000 lignes");
}

// The preview opens at "Largeur de page": the page as wide as the room it is shown in, not
// as wide as the viewer was before it had its size.
TEST_F(ReportViewerTest, ThePageOpensAsWideAsTheRoomForIt) {
  open(3);
  QApplication::processEvents();
  const int room = get<QWidget>("Zone_Page")->width();
  const int page = get<QLabel>("Pic_Page")->pixmap().width();
  EXPECT_GT(page, room * 8 / 10) << page << " / " << room;
  EXPECT_LE(page, room);
}

TEST_F(ReportViewerTest, ButtonsAndKeysMoveThroughThePages) {
  ReportViewer* v = open(300);
  get<QPushButton>("Cmd_Suivante")->click();
  EXPECT_EQ(v->currentPage(), 1);
  EXPECT_EQ(get<QLineEdit>("CTX_Page")->text(), "2");
  tarovent::test::pressKey(v, Qt::Key_PageDown);
  EXPECT_EQ(v->currentPage(), 2);
  tarovent::test::pressKey(v, Qt::Key_PageUp);
  EXPECT_EQ(v->currentPage(), 1);
  get<QPushButton>("Cmd_Derniere")->click();
  EXPECT_TRUE(v->report().complete());
  EXPECT_EQ(v->currentPage(), v->report().pageCount() - 1);
  EXPECT_FALSE(get<QPushButton>("Cmd_Suivante")->isEnabled());
  tarovent::test::pressKey(v, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(v->currentPage(), 0);
  EXPECT_FALSE(get<QPushButton>("Cmd_Precedente")->isEnabled());
  auto* box = get<QLineEdit>("CTX_Page");
  box->setText("3");
  tarovent::test::pressKey(box, Qt::Key_Return);
  EXPECT_EQ(v->currentPage(), 2);
  box->setText("999");
  tarovent::test::pressKey(box, Qt::Key_Return);
  EXPECT_EQ(v->currentPage(), v->report().pageCount() - 1);
  // The page box and the zoom have their letters, which no other control takes.
  EXPECT_EQ(tarovent::test::keyboardFaults(v), QStringList());
  QStringList buddies;
  for (const QLabel* l : v->findChildren<QLabel*>())
    if (l->buddy()) buddies << l->text() + ">" + l->buddy()->objectName();
  buddies.sort();
  EXPECT_EQ(buddies, (QStringList{"&Page>CTX_Page", "&Zoom>DBC_Zoom"}));
  // Zoom: 100 % of an A4 page is wider than the fitted width.
  const int fitted = get<QLabel>("Pic_Page")->pixmap().width();
  v->setZoom(7);  // 200 %
  EXPECT_GT(get<QLabel>("Pic_Page")->pixmap().width(), fitted);
  EXPECT_TRUE(m_said.isEmpty());
}

TEST_F(ReportViewerTest, PrintsThePagesChosenAndSavesAPdf) {
  ReportViewer* v = open(300);
  const QString printed = path("imprimante.pdf");
  int offered = 0;
  v->setPrinterChooser([&](QPrinter& printer, int pages) {
    offered = pages;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printed);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    return true;
  });
  get<QPushButton>("Cmd_Imprimer")->click();
  EXPECT_EQ(offered, v->report().pageCount());
  EXPECT_EQ(pdfPages(printed), 2);

  QString proposed;
  v->setPdfFolder(path("sorties"));
  v->setPdfFileChooser([&](const QString& p) {
    proposed = p;
    return path("ventes.pdf");
  });
  get<QPushButton>("Cmd_PDF")->click();
  EXPECT_EQ(proposed, path("sorties/IMPVENTES.pdf"));
  EXPECT_EQ(pdfPages(path("ventes.pdf")), v->report().pageCount());
  if (test::havePdfToText()) {  // 10 x (1 + ... + 300)
    EXPECT_TRUE(test::pdfText(path("ventes.pdf")).contains("451 500,00"));
  }

  v->setPdfFileChooser([&](const QString&) { return path("absent/ventes.pdf"); });
  get<QPushButton>("Cmd_PDF")->click();
  ASSERT_EQ(m_said.size(), 1);
  EXPECT_TRUE(m_said[0].startsWith("Le fichier PDF " + path("absent/ventes.pdf")));
  // Given up in the dialogs: nothing happens.
  v->setPrinterChooser([](QPrinter&, int) { return false; });
  v->setPdfFileChooser([](const QString&) { return QString(); });
  get<QPushButton>("Cmd_Imprimer")->click();
  get<QPushButton>("Cmd_PDF")->click();
  EXPECT_EQ(m_said.size(), 1);
}

TEST_F(ReportViewerTest, ADatabaseErrorWhileLayingOutStopsWithAMessage) {
  ReportViewer* v = open(3000);
  // The rows go while the viewer still reads them.
  m_db.Execute("DROP TABLE SALES");
  for (int i = 0; i < 2000 && m_said.isEmpty() && !v->report().complete(); ++i)
    QApplication::processEvents();
  if (v->report().complete()) GTEST_SKIP() << "the rows were read before the table went";
  ASSERT_EQ(m_said.size(), 1);
  EXPECT_TRUE(m_said[0].contains("lecture de « SALES » impossible")) << qPrintable(m_said[0]);
  EXPECT_EQ(get<QLabel>("CTL_Etat")->text(), "Mise en page interrompue");
  get<QPushButton>("Cmd_Suivante")->click();  // the pages laid out stay
  EXPECT_GE(v->report().pageCount(), 1);
}

}  // namespace
}  // namespace tarovent::report
