#pragma once

// Quotes of many lines for the composition benchmarks: the demo template's document with
// series articles written straight into its first line table.
#include <QFile>
#include <QString>

#include "composition/ColumnMap.h"
#include "composition/LineWriter.h"
#include "composition/TableLocator.h"
#include "install/templates/TemplateBuilder.h"
#include "platform/word/WordDocument.h"

namespace tarovent::bench {

// Line i of a series: every fourth line one level down, every third one discounted.
inline composition::QuoteLine seriesArticle(int i) {
  composition::QuoteLine l;
  l.code = QStringLiteral("ART%1").arg(i, 5, 10, QLatin1Char('0'));
  l.level = i % 4 == 3 ? 1 : 0;
  l.designation = QStringLiteral("Article de série n° %1").arg(i);
  l.quantity = i % 7 + 1;
  l.unit = QStringLiteral("U");
  l.grossPrice = 10 + i % 50;
  l.discountPercent = i % 3 == 0 ? 5 : 0;
  composition::Calcul_Ligne(l);
  return l;
}

// The standard quote template, built in `folder` once.
inline QString quoteTemplate(const QString& folder) {
  const QString dotx = folder + "/STD.dotx";
  if (!QFile::exists(dotx))
    templates::buildQuoteTemplate(dotx, templates::QuoteTemplateKind::Standard);
  return dotx;
}

// A quote of `lines` series lines saved in `folder`; its path.
inline QString writeQuote(const QString& folder, int lines) {
  word::WordDocument doc = word::WordDocument::fromTemplate(quoteTemplate(folder));
  const composition::TableLayout layout =
      *composition::Reperer_Tableaux(doc, composition::LocatePurpose::Recalculation).layout;
  const composition::LineWriter writer(composition::ColumnMap::read(doc, layout.headerTable),
                                       composition::LineOptions{});
  for (int i = 0; i < lines; ++i)
    writer.write(doc, layout.firstLineTable, i == 0 ? 1 : doc.appendRow(layout.firstLineTable),
                 seriesArticle(i));
  const QString path = folder + QStringLiteral("/quote%1.docx").arg(lines);
  doc.saveAs(path);
  return path;
}

}  // namespace tarovent::bench
