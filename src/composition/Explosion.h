#pragma once

#include <QDate>
#include <QString>

#include "composition/ColumnMap.h"
#include "composition/CompositionSession.h"
#include "composition/LinePricing.h"
#include "composition/LineWriter.h"
#include "composition/QuoteRows.h"
#include "ui/MessageFunnel.h"

namespace tarovent::articles {
class ArticleFiles;
}
namespace tarovent::word {
class WordDocument;
}

namespace tarovent::composition {

// How the lines of an explosion are written.
struct ExplosionOptions {
  LineOptions lines;           // quantity decimals of the general parameters, print options
  PricingContext pricing;      // the quote's tariff modes
  TypeOptions type;            // descriptions written outside the table, their title and mask
  DescriptionRules rules;      // descriptions in the table, for the article's own line
  double discountPercent = 0;  // the discount of the article's own line
  // Rows go above the cursor row (the cursor follows its row), else at the end of its table.
  bool insert = false;
  // The day the bill's links must be valid on; none for today. Reading the clock costs more than
  // writing a plain line, so it is read only when an article is exploded.
  QDate day;
};

struct ExplosionResult {
  int rows = 0;            // rows written, kept even when the explosion stopped
  bool completed = false;  // false when it stopped on a message
};

// `Eclater_Article`: writes the article's own line (as line entry priced it), then one line
// per component and sub-assembly met depth first, indented three spaces a depth, with the
// routing of each manufactured article below its line and the descriptions of each article
// at DESCRHT/DESCRTHT. Lines are written as they are met and never taken back: a message
// (unknown component, circular bill, too many levels) stops the walk where it stands. Each
// row is told to `changes` as it is written.
ExplosionResult Eclater_Article(articles::ArticleFiles& files, word::WordDocument& doc,
                                const ColumnMap& columns, TableCursor& cursor,
                                const EntryLine& line, const ExplosionOptions& options,
                                ui::MessageFunnel& messages, DocumentChanges* changes = nullptr);

// The line alone, in the row an explosion gives its first line: above the cursor row (the
// cursor follows its row) or at the end of the cursor's table. Returns that row.
int writeEntryLine(word::WordDocument& doc, const ColumnMap& columns, TableCursor& cursor,
                   const EntryLine& line, const ExplosionOptions& options,
                   DocumentChanges* changes = nullptr);

// An option's label listed at the bookmark OPTIONS, below those listed before. False when
// the document has no such bookmark.
bool addOptionLine(word::WordDocument& doc, const QString& label);

}  // namespace tarovent::composition
