#include "DemoDocuments.h"

#include <QHash>
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
  // A grouped template takes the labour in the table of WMDO and the rest in that of WPIE.
  const auto labour = doc.bookmarkCell(QStringLiteral("WMDO"));
  const auto parts = doc.bookmarkCell(QStringLiteral("WPIE"));
  QHash<int, int> written;  // lines per table
  for (const composition::QuoteLine& line : quote.lines) {
    int table = layout.firstLineTable;
    if (labour && parts)
      table = line.code.startsWith(QLatin1String("MO*")) ? labour->table : parts->table;
    const int row = written[table]++ == 0 ? 1 : doc.appendRow(table);
    writer.write(doc, table, row, line);
  }
  doc.saveAs(folder + quote.fileName);
}

}  // namespace tarovent::install
