#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

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

// The gross total checked against net + discount: brought back when a rounding away from
// it, else kept with a warning (empty when none) for the user to look at the lines.
struct GrossCheck {
  double gross = 0;
  QString warning;
};
GrossCheck checkGrossTotal(double gross, double net, double discount);

}  // namespace tarovent::composition
