#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include "composition/LineWriter.h"

namespace tarovent::install {

// One quote version's document as the demo writes it.
struct DemoQuote {
  QString fileName;              // 00012_00.AB
  QString templatePath;          // the quote type's template
  QHash<QString, QString> head;  // head bookmark -> text
  QList<composition::QuoteLine> lines;
};

// Creates the document from its template in `folder`: head bookmarks filled, one row of the
// line table per line (of the labour or the parts table for a grouped template). The totals are left to the recalculation. Throws ooxml::OoxmlError or
// std::runtime_error.
void writeDemoQuote(const QString& folder, const DemoQuote& quote);

}  // namespace tarovent::install
