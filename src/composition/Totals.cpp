#include "composition/Totals.h"

#include "composition/NumberFormat.h"
#include "platform/word/WordDocument.h"

namespace tarovent::composition {

const QStringList& totalBookmarks() {
  static const QStringList names{"SMTBRUT",  "SMTREM",  "SMTNET", "STXTVA1", "SMTTVA1",
                                 "STXTVA2",  "SMTTVA2", "STXTVA", "SMTTVA",  "STTC",
                                 "DEVISE",   "SPDRMAT", "SPDRMO", "SPDRTOT", "SMARGE",
                                 "SPCMARGE", "SPOIDS",  "PCPLUS", "MTPLUS",  "SMTNETPLUS"};
  return names;
}

QString totalMask(const QString& bookmark) {
  const QString name = bookmark.toUpper();
  if (!totalBookmarks().contains(name)) return {};
  if (name == QLatin1String("SPOIDS")) return QStringLiteral("# ### ##0.000");
  if (name == QLatin1String("PCPLUS")) return QStringLiteral("#0");
  if (name == QLatin1String("MTPLUS") || name == QLatin1String("SMTNETPLUS"))
    return QStringLiteral("### ##0.00");
  return kPriceMask;
}

bool writeTotal(word::WordDocument& doc, const QString& bookmark, double value,
                QChar decimalSeparator) {
  const QString mask = totalMask(bookmark);
  if (mask.isEmpty() || !doc.hasBookmark(bookmark)) return false;
  return doc.setBookmarkText(bookmark, formatMasked(value, mask, decimalSeparator));
}

GrossCheck checkGrossTotal(double gross, double net, double discount) {
  GrossCheck c{gross, {}};
  const qint64 gap = cents(gross - net);
  if (gap == cents(discount)) return c;
  if (cents(discount) <= 1) {
    if (gap <= 10)
      c.gross = net;
    else
      c.warning = QStringLiteral("Vérifiez votre calcul, un problème d'arrondi a pu se produire");
  } else if (gap < 50) {
    c.gross = round2(net + discount);
  } else {
    c.warning =
        QStringLiteral("Vérifiez votre remise, un écart d'arrondi est intervenu dans le calcul");
  }
  return c;
}

}  // namespace tarovent::composition
