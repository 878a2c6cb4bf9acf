#include "DemoDocuments.h"

#include <stdexcept>

#include "composition/ColumnMap.h"
#include "composition/NumberFormat.h"
#include "composition/TableLocator.h"
#include "platform/word/WordDocument.h"

namespace tarovent::install {

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
  int row = 1;
  for (int i = 0; i < quote.lines.size(); ++i) {
    if (i > 0) row = doc.appendRow(layout.firstLineTable);
    writer.write(doc, layout.firstLineTable, row, quote.lines[i]);
  }
  doc.saveAs(folder + quote.fileName);
}

}  // namespace tarovent::install
