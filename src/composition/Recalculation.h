#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

#include "composition/Adjustment.h"
#include "composition/LinePricing.h"
#include "composition/NumberFormat.h"
#include "ui/MessageFunnel.h"

namespace tarovent::core {
class ProcessState;
}
namespace tarovent::word {
class WordDocument;
}
namespace tarovent::articles {
class ArticleFiles;
}

namespace tarovent::composition {

struct RecalcOptions {
  bool fromQuote = false;  // opened from a quote version (else a quote-type template)
  QString vatField;        // the VAT rate of the quote version, as typed
  Adjustment adjustment;
  QChar decimalSeparator = QLatin1Char(',');
  // Only the totals and sub-totals are written, from the lines as they stand: no article,
  // section or tariff is looked up, no line cell is rewritten, nothing is asked or shown.
  bool totalsOnly = false;
};

struct RecalcResult {
  bool completed = false;
  QMap<QString, QString> bookmarks;  // total bookmarks written, with their text
  double costMaterials = 0, costLabour = 0, hours = 0;
  double netTotal = 0, margin = 0;
  QString marginPercent;  // empty when the total cost is 0
};

// `Recalcul_Document`: recomputes every line of the line tables, rewrites their computed cells
// and writes the totals. Questions and messages go through the state's funnel. A line table
// whose rows lack cells stops the run, with its message, before anything is written.
RecalcResult Recalcul_Document(core::ProcessState& state, articles::ArticleFiles& files,
                               word::WordDocument& doc, const RecalcOptions& options);

// "Majoration du Total HT Net": `percentText` is what the user typed when asked for the
// percentage (empty: nothing changes). VAT is a fixed 20 % here. False when the document
// lacks the bookmarks it needs (message shown) or nothing was changed.
bool Majoration_Total(word::WordDocument& doc, ui::MessageFunnel& messages,
                      const QString& percentText, QChar decimalSeparator);

// "Maj des désignations": rewrites the designation cell of every stock article line with the
// article's current designation and descriptive texts; amounts are untouched. Returns the
// number of lines rewritten, -1 when the tables could not be located (message shown).
int Maj_Designations(core::ProcessState& state, articles::ArticleFiles& files,
                     word::WordDocument& doc, const QMap<QString, DescriptionRule>& rules);

}  // namespace tarovent::composition
