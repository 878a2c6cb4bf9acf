#include "DemoDocuments.h"

#include <cmath>
#include <stdexcept>

#include "composition/ColumnMap.h"
#include "composition/NumberFormat.h"
#include "composition/TableLocator.h"
#include "composition/Totals.h"
#include "platform/word/WordDocument.h"

namespace tarovent::install {

namespace {

double round2(double x) { return std::floor(x * 100 + 0.5) / 100; }

}  // namespace

void computeAmounts(composition::QuoteLine& l) { composition::Calcul_Ligne(l); }

void writeDemoQuote(const QString& folder, const DemoQuote& quote) {
  word::WordDocument doc = word::WordDocument::fromTemplate(quote.templatePath);
  for (auto it = quote.head.cbegin(); it != quote.head.cend(); ++it)
    doc.setBookmarkText(it.key(), it.value());

  const auto located =
      composition::Reperer_Tableaux(doc, composition::LocatePurpose::Recalculation);
  if (!located.layout || located.layout->firstLineTable == 0)
    throw std::runtime_error(
        QStringLiteral("%1 : %2").arg(quote.templatePath, located.message).toStdString());
  const composition::TableLayout& layout = *located.layout;
  const auto columns = composition::ColumnMap::read(doc, layout.headerTable);
  composition::LineOptions options;
  options.quantityDecimals = 2;
  options.decimalSeparator = composition::workstationDecimalSeparator();
  const composition::LineWriter writer(columns, options);

  double gross = 0, net = 0, discount = 0, weight = 0, materialCost = 0, labourCost = 0;
  int row = 1;
  for (int i = 0; i < quote.lines.size(); ++i) {
    const composition::QuoteLine& line = quote.lines[i];
    if (i > 0) row = doc.appendRow(layout.firstLineTable);
    writer.write(doc, layout.firstLineTable, row, line);
    if (line.level == 0) {
      gross += line.grossAmount;
      net += line.netAmount;
      discount += line.discountAmount;
      weight += line.totalWeight;
      (line.code.startsWith("MO*") ? labourCost : materialCost) += line.costAmount;
    }
  }
  const double vat = round2(net * quote.vatRate / 100);
  const QChar separator = options.decimalSeparator;
  composition::writeTotal(doc, "SMTBRUT", gross, separator);
  composition::writeTotal(doc, "SMTREM", discount, separator);
  composition::writeTotal(doc, "SMTNET", net, separator);
  for (const char* rate : {"STXTVA1", "STXTVA"})
    composition::writeTotal(doc, rate, quote.vatRate, separator);
  for (const char* amount : {"SMTTVA1", "SMTTVA"})
    composition::writeTotal(doc, amount, vat, separator);
  composition::writeTotal(doc, "STTC", net + vat, separator);
  composition::writeTotal(doc, "DEVISE", round2(net * quote.exchangeRate), separator);
  composition::writeTotal(doc, "SPDRMAT", materialCost, separator);
  composition::writeTotal(doc, "SPDRMO", labourCost, separator);
  composition::writeTotal(doc, "SPDRTOT", materialCost + labourCost, separator);
  composition::writeTotal(doc, "SMARGE", net - materialCost - labourCost, separator);
  composition::writeTotal(doc, "SPOIDS", weight, separator);
  doc.saveAs(folder + quote.fileName);
}

}  // namespace tarovent::install
