#include "composition/Totals.h"

#include "composition/ColumnMap.h"
#include "composition/LineChange.h"
#include "composition/LineCode.h"
#include "composition/NumberFormat.h"
#include "composition/QuoteLine.h"
#include "composition/TableLocator.h"
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

QChar documentDecimalSeparator(const word::WordDocument& doc, QChar fallback) {
  int commas = 0, points = 0;
  const auto count = [&](const QString& text) {
    const QChar mark = decimalMarkOf(text);
    if (mark == QLatin1Char(','))
      ++commas;
    else if (mark == QLatin1Char('.'))
      ++points;
  };
  for (const QString& name : totalBookmarks())
    if (doc.hasBookmark(name)) count(doc.bookmarkText(name));
  // A few hundred numbers tell enough; a long quote is not read to its end.
  constexpr int kEnough = 300;
  for (int t = 1; t <= doc.tableCount() && commas + points < kEnough; ++t)
    for (int row = 1; row <= doc.rowCount(t) && commas + points < kEnough; ++row)
      for (int c = 1; c <= doc.cellCount(t, row); ++c) count(doc.cellText({t, row, c}));
  return commas > points ? QLatin1Char(',') : points > commas ? QLatin1Char('.') : fallback;
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

std::optional<QuoteFigures> quoteFigures(word::WordDocument& doc) {
  const LocateResult located = Reperer_Tableaux(doc, LocatePurpose::Recalculation);
  if (!located.layout) return std::nullopt;
  const ColumnMap columns = ColumnMap::read(doc, located.layout->headerTable);
  const int codeColumn = columns.column(QStringLiteral("CODART"));
  QuoteFigures f;
  for (const int table : lineTables(doc, *located.layout)) {
    for (int row = 1; row <= doc.rowCount(table); ++row) {
      std::optional<QuoteLine> line = readWrittenLine(doc, columns, table, row);
      // A component's amounts are carried by its article's own line.
      if (!line || line->level > 0) continue;
      Calcul_Ligne(*line);
      f.netTotal += line->netAmount;
      if (codeColumn > 0 && codeColumn <= doc.cellCount(table, row) &&
          parseLineCode(doc.cellText({table, row, codeColumn})).kind == LineKind::Labour)
        f.hours += line->quantity;
    }
  }
  f.netTotal = round2(f.netTotal);
  f.hours = roundHalfUp(f.hours, 6);  // sums of decimal quantities carry binary noise
  return f;
}

}  // namespace tarovent::composition
