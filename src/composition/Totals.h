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

}  // namespace tarovent::composition
