#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "QuoteDocs.h"
#include "composition/ColumnMap.h"
#include "composition/LayoutCommands.h"
#include "composition/TableLocator.h"
#include "platform/os/LibreOfficeConverter.h"
#include "ui/MessageFunnel.h"

namespace tarovent::composition {
namespace {

// What is printed of a quote whose print levels hide the lines below level 0: the PDF made by
// LibreOffice holds the main lines only.
TEST(PrintLevelsPdf, OnlyTheChosenLevelsArePrinted) {
  if (QStandardPaths::findExecutable("soffice").isEmpty() ||
      QStandardPaths::findExecutable("pdftotext").isEmpty())
    GTEST_SKIP() << "LibreOffice or pdftotext absent";
  fixtures::QuoteDoc q;
  q.codes = {"CODART", "LIBART", "QTE", "PUBRUT", "MTNET"};
  q.lines = {{"A1", "Vis", "3", "10", "30"},
             {"   C1", "Rondelle", "5", "1", "5"},
             {"      C2", "Ecrou", "1", "2", "2"},
             {"A2", "Plaque", "2", "100", "200"}};
  word::WordDocument doc = q.build();
  const TableLayout layout = *Reperer_Tableaux(doc, LocatePurpose::LevelMasking).layout;
  const ColumnMap columns = ColumnMap::read(doc, layout.headerTable);
  ui::ScriptedResponder messages;
  ASSERT_TRUE(applyPrintLevels(doc, columns, "0", "0", {}, messages));
  QTemporaryDir dir;
  doc.saveAs(dir.filePath("00001_00.AB"));

  os::LibreOfficeConverter converter(dir.filePath("lo"));
  const QString pdf = dir.filePath("00001_00_AB.PDF");
  const os::PdfOutcome o = os::convertAndWait(converter, {dir.filePath("00001_00.AB"), pdf, 0, 0});
  ASSERT_TRUE(o.ok) << o.message.toStdString();
  QProcess text;
  text.start("pdftotext", {pdf, "-"});
  ASSERT_TRUE(text.waitForFinished(20000));
  const QString printed = QString::fromUtf8(text.readAllStandardOutput());
  for (const char* shown : {"Vis", "Plaque"}) EXPECT_TRUE(printed.contains(shown)) << shown;
  for (const char* hidden : {"Rondelle", "Ecrou"})
    EXPECT_FALSE(printed.contains(hidden)) << hidden << "\n" << printed.toStdString();
}

}  // namespace
}  // namespace tarovent::composition
