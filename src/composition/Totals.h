#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <optional>

namespace tarovent::word {
class WordDocument;
}

namespace tarovent::composition {

// The bookmarks whose text the recalculation replaces with a total.
const QStringList& totalBookmarks();
// Mask of a total bookmark; empty for a name that is not a total.
QString totalMask(const QString& bookmark);

// Writes a total into its bookmark with its mask. A missing bookmark is simply not written
// (returns false).
bool writeTotal(word::WordDocument& doc, const QString& bookmark, double value,
                QChar decimalSeparator);

// The decimal separator a document already writes its numbers with (its totals and the numbers
// of its tables, the most used one), so that whatever is written into it next matches; the
// workstation's `fallback` for a document that shows no decimal number yet.
QChar documentDecimalSeparator(const word::WordDocument& doc, QChar fallback);

// The gross total checked against net + discount: brought back when a rounding away from
// it, else kept with a warning (empty when none) for the user to look at the lines.
struct GrossCheck {
  double gross = 0;
  QString warning;
};
GrossCheck checkGrossTotal(double gross, double net, double discount);

// What a quote is worth as its lines stand: the net total (before tax) and the labour hours,
// over the lines the totals count, computed as the recalculation computes them.
struct QuoteFigures {
  double netTotal = 0;
  double hours = 0;
};
// None when the document's line tables cannot be located.
std::optional<QuoteFigures> quoteFigures(word::WordDocument& doc);

}  // namespace tarovent::composition
