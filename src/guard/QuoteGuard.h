#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>
#include <optional>

#include "guard/QuoteReading.h"
#include "platform/db/Recordset.h"

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::guard {

// What the guard finds wrong with a quote before it leaves: a line sold under its cost or
// under its article's floor price, or the quote's margin rate under the threshold of the
// general parameters.
struct GuardFinding {
  enum class Kind { UnderCost, UnderFloor, MarginRate };
  Kind kind = Kind::UnderCost;
  QString code;  // empty for the margin rate
  int table = 0, docTable = 0, row = 0;
  double quantity = 0;
  double price = 0;   // net unit price (the quote's net total for the margin rate)
  double cost = 0;    // unit cost (the quote's total cost)
  double floor = 0;   // the article's floor price (the threshold for the margin rate)
  double margin = 0;  // line margin: quantity x (price - cost) (the rate for the margin rate)
};

// What the guard compares against, by line key (see `lineKey`): the articles' floor prices,
// and the unit cost the files give for the lines whose document holds none (a template
// without a cost column); and the margin threshold in percent (0: not checked).
struct GuardRules {
  QHash<QString, double> floors;
  QHash<QString, double> costs;
  double marginThreshold = 0;
  // The keys whose floor, and whose cost, the files were asked for already.
  QSet<QString> floorsRead, costsRead;
};

// A line's key in the rules: its upper-case code, with its supplier for a tariff line.
QString lineKey(const composition::WorkLine& line);

// The rules for the lines of `quote`: floor prices of its stock articles, costs of its bought
// articles, tariff lines and labour sections, and the threshold of the general parameters.
// What a family lacks (no stock base, an older parameters table) is simply not checked.
GuardRules readGuardRules(core::ProcessState& state, const QuoteReading& quote);
// Adds to `rules` what the files say of those of `lines` they were not asked for yet.
void completeGuardRules(core::ProcessState& state, const QVector<composition::WorkLine>& lines,
                        GuardRules& rules);
// The supplier tariff line of a quote line: by supplier and reference, or, for a line written
// without supplier (a template without its column), by reference when one supplier alone has
// it. Positioned on its record; none when not found or without tariff base.
std::optional<db::Recordset> tariffLine(core::ProcessState& state, const QString& supplier,
                                        const QString& reference);
// The threshold of the general parameters, 0 when unset or missing.
double readMarginThreshold(core::ProcessState& state);

// The findings of a quote: lines in document order, each line under its cost and then under
// its floor, and the margin rate last (computed with the costs the rules complete). Only main
// lines with a code and a quantity are judged: a component is sold through its parent.
QVector<GuardFinding> guardQuote(const QuoteReading& quote, const GuardRules& rules);

// The quote's margin on cost in percent with the costs the rules complete, and its total cost;
// no rate without cost.
struct MarginFigures {
  double cost = 0;
  std::optional<double> rate;
};
MarginFigures quoteMargin(const QuoteReading& quote, const GuardRules& rules);
// What the composition's status bar shows: "Marge : 23,45 %", with the threshold when the
// rate is under it.
QString marginText(const MarginFigures& margin, double threshold);

// One line of text a finding: the code, then what is wrong; the margin rate names no code.
QString findingText(const GuardFinding& finding);

}  // namespace tarovent::guard
