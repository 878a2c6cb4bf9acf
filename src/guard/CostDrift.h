#pragma once

#include <QChar>
#include <QString>
#include <QVector>

#include "composition/LinePricing.h"
#include "guard/QuoteReading.h"

namespace tarovent::core {
class ProcessState;
}
namespace tarovent::articles {
class ArticleFiles;
}
namespace tarovent::word {
class WordDocument;
}

namespace tarovent::guard {

// A line whose cost or price has moved since it was written: what the article, tariff or
// section gives today against what the line holds.
struct DriftLine {
  QString code;
  QString source;  // "article", "tarif", "main d'oeuvre"
  int table = 0, docTable = 0, row = 0;
  double quantity = 0, discount = 0;
  double oldCost = 0, newCost = 0;
  bool costKnown = true;  // false: the quote holds no cost for the line; oldCost is today's
  double oldPrice = 0, newPrice = 0;  // gross unit prices
  // Change of the line's margin when only the cost is brought up to date (the price the
  // client saw is kept), and when both the cost and the price are.
  double marginKeepingPrice = 0;
  double marginRefreshed = 0;
};

// The lines of `quote` whose cost or gross unit price differs from what the files give today
// with the quote's tariff modes: stock articles (a manufactured one through its roll-up),
// supplier tariff lines and labour sections. Options and unknown codes are left out.
QVector<DriftLine> costDrift(core::ProcessState& state, articles::ArticleFiles& files,
                             const QuoteReading& quote, const composition::PricingContext& pricing);

// Writes today's cost and price into the lines given, their amounts recomputed with the line
// formulas; the totals are the recalculation's. Returns the number of lines rewritten.
int refreshDriftLines(word::WordDocument& doc, const QVector<DriftLine>& lines,
                      int quantityDecimals, QChar decimalSeparator);

// One line of text a drift: code, old and new cost, old and new price, margin effect.
QString driftText(const DriftLine& line);

}  // namespace tarovent::guard
