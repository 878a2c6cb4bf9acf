#include "guard/QuoteGuard.h"

#include <QSet>

#include "articles/ArticleFiles.h"
#include "composition/LineCode.h"
#include "composition/NumberFormat.h"
#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"

namespace tarovent::guard {

using composition::cents;

namespace {

// Only main lines with a code and a quantity are judged.
bool judged(const composition::WorkLine& l) {
  return composition::isCounted(l) && !l.code.isEmpty() && l.quantity != 0;
}

}  // namespace

double readMarginThreshold(core::ProcessState& state) {
  db::Database& main = state.mainDb();
  if (!main.isOpen()) return 0;
  try {
    db::Recordset p = main.OpenRecordset(QStringLiteral("select TPAR_SEUILMARGE from TPAR"));
    return p.EOF_() ? 0 : p.number("TPAR_SEUILMARGE");
  } catch (const db::DbError&) {
    return 0;  // a database not upgraded yet has no threshold
  }
}

QString lineKey(const composition::WorkLine& l) {
  return l.supplier.isEmpty() ? l.code.toUpper()
                              : l.supplier.toUpper() + QChar(0x1f) + l.code.toUpper();
}

std::optional<db::Recordset> tariffLine(core::ProcessState& state, const QString& supplier,
                                        const QString& reference) {
  core::BaseEntry& base = state.base(core::entry::Tariffs);
  if (!base.open() || reference.isEmpty()) return std::nullopt;
  QString sql = "select * from TTRF where TTRF_REFFOURN=" + db::sqlLiteral(reference);
  if (!supplier.isEmpty()) sql += " and TTRF_CODFOURN=" + db::sqlLiteral(supplier);
  db::Recordset t = base.db.OpenRecordset(sql);
  if (t.EOF_()) return std::nullopt;
  t.MoveNext();
  if (!t.EOF_()) return std::nullopt;  // several suppliers: which one is not known
  t.MoveFirst();
  return t;
}

GuardRules readGuardRules(core::ProcessState& state, const QuoteReading& quote) {
  GuardRules rules;
  rules.marginThreshold = readMarginThreshold(state);
  completeGuardRules(state, quote.lines, rules);
  return rules;
}

void completeGuardRules(core::ProcessState& state, const QVector<composition::WorkLine>& lines,
                        GuardRules& rules) {
  articles::ArticleFiles files(state);
  const bool stock = state.base(core::entry::Stock).present() && files.ensureStock();
  const bool planning = state.base(core::entry::Planning).open();
  try {
    for (const composition::WorkLine& l : lines) {
      if (!judged(l)) continue;
      const QString key = lineKey(l);
      // Each key is read once; its cost is read from the first line that lacks one, whichever
      // line of the same code came first.
      const bool costWanted = cents(l.costPrice) == 0 && !rules.costsRead.contains(key);
      const bool labour = l.type == QLatin1String("M");
      if (!costWanted && (labour || rules.floorsRead.contains(key))) continue;
      if (costWanted) rules.costsRead.insert(key);
      if (labour) {
        if (planning && files.Chercher_Section(composition::parseLineCode(l.code).section))
          rules.costs.insert(key, files.sections().number("TSEC_CoutHRevient"));
        continue;
      }
      rules.floorsRead.insert(key);
      if (stock && files.Trouver_Article(l.code)) {
        const db::Recordset& a = files.articles();
        if (a.number("TARTI_PVUMIN") > 0) rules.floors.insert(key, a.number("TARTI_PVUMIN"));
        // A manufactured article costs its roll-up, which the recalculation writes.
        if (costWanted && a.text("TARTI_Type") == QLatin1String("A"))
          rules.costs.insert(key, composition::round2(articles::Prix_Revient_Article(a)));
      } else if (costWanted) {
        if (const auto t = tariffLine(state, l.supplier, l.code))
          rules.costs.insert(key, t->number("TTRF_PUnit"));
      }
    }
  } catch (const db::DbError&) {
    // What could be read is checked; the rest is not.
  }
}

namespace {

// The cost the document gives, else the one the files give.
double lineCost(const composition::WorkLine& l, const GuardRules& rules) {
  return cents(l.costPrice) != 0 ? l.costPrice : rules.costs.value(lineKey(l), 0);
}

}  // namespace

MarginFigures quoteMargin(const QuoteReading& quote, const GuardRules& rules) {
  double materials = 0, labour = 0;
  for (const composition::WorkLine& l : quote.lines)
    if (composition::isCounted(l))
      (l.type == QLatin1String("M") ? labour : materials) +=
          composition::round2(l.quantity * lineCost(l, rules));
  MarginFigures m;
  m.cost = composition::round2(composition::round2(materials) + composition::round2(labour));
  m.rate = marginRate(quote.netTotal, m.cost);
  return m;
}

QString marginText(const MarginFigures& m, double threshold) {
  if (!m.rate) return QStringLiteral("Marge : sans prix de revient");
  QString text = QStringLiteral("Marge : ") + money(*m.rate) + QStringLiteral(" %");
  if (cents(threshold) > 0 && cents(*m.rate) < cents(threshold))
    text += QStringLiteral(" (sous le seuil de ") + money(threshold) + QStringLiteral(" %)");
  return text;
}

QVector<GuardFinding> guardQuote(const QuoteReading& quote, const GuardRules& rules) {
  QVector<GuardFinding> found;
  for (const composition::WorkLine& l : quote.lines) {
    if (!judged(l)) continue;
    GuardFinding f;
    f.cost = lineCost(l, rules);
    f.code = l.code;
    f.table = l.table;
    f.docTable = l.docTable;
    f.row = l.row;
    f.quantity = l.quantity;
    f.price = l.netPrice;
    f.floor = rules.floors.value(lineKey(l), 0);
    f.margin = composition::round2(l.netAmount - composition::round2(l.quantity * f.cost));
    // A line without a cost price has no cost to sell under.
    if (cents(f.cost) > 0 && cents(f.price) < cents(f.cost)) {
      f.kind = GuardFinding::Kind::UnderCost;
      found << f;
    }
    if (cents(f.floor) > 0 && cents(f.price) < cents(f.floor)) {
      f.kind = GuardFinding::Kind::UnderFloor;
      found << f;
    }
  }
  if (cents(rules.marginThreshold) > 0) {
    const MarginFigures m = quoteMargin(quote, rules);
    if (m.rate && cents(*m.rate) < cents(rules.marginThreshold)) {
      GuardFinding f;
      f.kind = GuardFinding::Kind::MarginRate;
      f.price = quote.netTotal;
      f.cost = m.cost;
      f.floor = rules.marginThreshold;
      f.margin = *m.rate;
      found << f;
    }
  }
  return found;
}

QString findingText(const GuardFinding& f) {
  switch (f.kind) {
    case GuardFinding::Kind::UnderCost:
      return f.code + QStringLiteral(" : prix net ") + money(f.price) +
             QStringLiteral(" sous le prix de revient ") + money(f.cost);
    case GuardFinding::Kind::UnderFloor:
      return f.code + QStringLiteral(" : prix net ") + money(f.price) +
             QStringLiteral(" sous le prix plancher ") + money(f.floor);
    case GuardFinding::Kind::MarginRate:
      break;
  }
  return QStringLiteral("Taux de marge du devis ") + money(f.margin) +
         QStringLiteral(" % sous le seuil de ") + money(f.floor) + QStringLiteral(" %");
}

}  // namespace tarovent::guard
