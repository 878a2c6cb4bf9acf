#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "composition/ColumnMap.h"
#include "composition/LineWriter.h"
#include "composition/QuoteDocs.h"
#include "composition/TableLocator.h"

using namespace tarovent;
using namespace tarovent::composition;
using namespace tarovent::fixtures;

namespace {

class LineWriting : public ::testing::Test {
 protected:
  void SetUp() override {
    QuoteDoc shape;
    shape.codes = {"CODART", "LIBART", "QTE",   "UNITE", "PDR",   "PUBRUT",   "PCREM", "PUNET",
                   "MTNET",  "MTBRUT", "MTREM", "MTPDR", "POIDS", "POIDSTOT", "TXTVA"};
    shape.lines = {QStringList(shape.codes.size(), "ancien")};
    doc = std::make_unique<word::WordDocument>(shape.build());
    layout = *Reperer_Tableaux(*doc, LocatePurpose::Recalculation).layout;
    columns = ColumnMap::read(*doc, layout.headerTable);
  }

  QString cell(const QString& code) const {
    return doc->cellText({layout.firstLineTable, 1, columns.column(code)});
  }
  bool hidden(const QString& code) const {
    return doc->isCellHidden({layout.firstLineTable, 1, columns.column(code)});
  }
  void write(const QuoteLine& line, const LineOptions& options = {}) {
    LineWriter(columns, options).write(*doc, layout.firstLineTable, 1, line);
  }

  static QuoteLine article() {
    QuoteLine line;
    line.code = "VIS6";
    line.designation = "Vis M6";
    line.quantity = 1234.5;
    line.unit = "U";
    line.costPrice = 0.8;
    line.grossPrice = 1.2;
    line.discountPercent = 10;
    line.netPrice = 1.08;
    line.netAmount = 1333.26;
    line.grossAmount = 1481.4;
    line.discountAmount = 148.14;
    line.costAmount = 987.6;
    line.weight = 0.012;
    line.totalWeight = 14.814;
    line.vatRate = "20";
    return line;
  }

  std::unique_ptr<word::WordDocument> doc;
  TableLayout layout;
  ColumnMap columns;
};

TEST_F(LineWriting, AnArticleLineFillsEveryColumnWithItsMask) {
  write(article());
  QStringList cells;
  for (const QString& code : columns.codes()) {
    cells << cell(code);
    EXPECT_FALSE(hidden(code)) << code.toStdString();
  }
  EXPECT_EQ(cells.join('|'),
            "VIS6|Vis M6|1 234,500|U|0,80|1,20|10,00|1,08|1 333,26|1 481,40|"
            "148,14|987,60|0,012|14,814|20");
  EXPECT_FALSE(doc->showHiddenText());
}

TEST_F(LineWriting, WithoutPrintingThePricesOnlyPriceCellsAreHidden) {
  LineOptions options;
  options.printPrice = false;
  write(article(), options);
  for (const char* code : {"PDR", "PUBRUT", "PCREM", "PUNET", "MTNET", "MTBRUT", "MTREM", "MTPDR"})
    EXPECT_TRUE(hidden(code)) << code;
  for (const char* code : {"CODART", "LIBART", "QTE", "UNITE", "POIDS", "POIDSTOT", "TXTVA"})
    EXPECT_FALSE(hidden(code)) << code;
  EXPECT_EQ(cell("MTNET"), "1 333,26");  // still there on screen
  EXPECT_TRUE(doc->showHiddenText());

  // Printing the prices again makes a rewritten line visible.
  write(article());
  EXPECT_FALSE(hidden("MTNET"));
}

TEST_F(LineWriting, WithoutPrintingTheQuantityQuantityAndWeightsAreHidden) {
  LineOptions options;
  options.printQuantity = false;
  options.quantityDecimals = 0;
  write(article(), options);
  EXPECT_EQ(cell("QTE"), "1 235");
  for (const char* code : {"QTE", "POIDS", "POIDSTOT"}) EXPECT_TRUE(hidden(code)) << code;
  for (const char* code : {"CODART", "UNITE", "PUBRUT", "MTNET"})
    EXPECT_FALSE(hidden(code)) << code;
}

TEST_F(LineWriting, TextLinesComponentsAndZeroValuesLeaveCellsEmpty) {
  QuoteLine text;
  text.designation = "Titre du chapitre";
  text.grossPrice = 5;  // ignored: quantity 0
  write(text);
  for (const char* code : {"QTE", "PDR", "PUBRUT", "PCREM", "PUNET", "MTNET", "MTPDR", "MTBRUT",
                           "MTREM", "POIDS", "POIDSTOT"})
    EXPECT_EQ(cell(code), "") << code;
  EXPECT_EQ(cell("LIBART"), "Titre du chapitre");

  QuoteLine component = article();
  component.level = 1;
  component.discountPercent = 0;
  component.weight = 0;
  write(component);
  EXPECT_EQ(cell("CODART"), "   VIS6");
  EXPECT_EQ(cell("PUBRUT"), "1,20");
  for (const char* code : {"PCREM", "PUNET", "MTNET", "MTPDR", "MTBRUT", "MTREM", "POIDS"})
    EXPECT_EQ(cell(code), "") << code;
  EXPECT_EQ(cell("POIDSTOT"), "14,814");
}

TEST_F(LineWriting, LabourCodesAndMaskedDescriptionsAreHiddenText) {
  QuoteLine labour = article();
  labour.code = "MO*SOUD";
  labour.designation = "Soudure";
  labour.description1 = "Descriptif visible";
  labour.description2 = "Descriptif masqué";
  LineOptions options;
  options.hideDescription2 = true;
  write(labour, options);
  EXPECT_EQ(cell("CODART"), "MO*SOUD");
  EXPECT_TRUE(hidden("CODART"));
  EXPECT_EQ(cell("LIBART"), QString::fromUtf8("Soudure\rDescriptif visible\rDescriptif masqué"));
  EXPECT_FALSE(hidden("LIBART"));
  EXPECT_TRUE(doc->showHiddenText());
  const QString xml = QString::fromUtf8([&] {
    QTemporaryDir dir;
    doc->saveAs(dir.filePath("d.docx"));
    return word::WordDocument::open(dir.filePath("d.docx")).package().read("word/document.xml");
  }());
  EXPECT_TRUE(xml.contains(QString::fromUtf8("<w:vanish/></w:rPr><w:t>Descriptif masqué</w:t>")));
  EXPECT_FALSE(xml.contains("<w:vanish/></w:rPr><w:t>Descriptif visible</w:t>"));
}

}  // namespace
