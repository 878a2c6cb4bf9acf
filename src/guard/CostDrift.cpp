#include "guard/CostDrift.h"

#include <QHash>
#include <memory>
#include <vector>

#include "articles/ArticleFiles.h"
#include "articles/CostRollup.h"
#include "composition/ColumnMap.h"
#include "composition/LineChange.h"
#include "composition/LineCode.h"
#include "composition/NumberFormat.h"
#include "composition/TableLocator.h"
#include "core/ProcessState.h"
#include "guard/QuoteGuard.h"
#include "platform/db/Database.h"
#include "platform/word/WordDocument.h"

namespace tarovent::guard {

using composition::round2;

namespace {

// Today's cost and price of a line; false when its code is in no file.
bool todaysPrices(core::ProcessState& state, articles::ArticleFiles& files,
                  const composition::WorkLine& l, const composition::PricingContext& pricing,
                  bool stock, DriftLine& d) {
  const composition::LineCode code = composition::parseLineCode(l.code);
  if (code.kind == composition::LineKind::Labour) {
    if (!files.Chercher_Section(code.section)) return false;
    const composition::EntryLine e = composition::lineFromSection(files.sections(), pricing);
    d.source = QStringLiteral("main d'oeuvre");
    d.newCost = round2(e.costPrice);
    d.newPrice = round2(e.unitPrice);
    return true;
  }
  if (stock && files.Trouver_Article(l.code)) {
    composition::EntryLine e = composition::lineFromArticle(files.articles(), pricing);
    e.quantity = l.quantity;
    if (state.priceTable.isOpen()) composition::applyPriceBreaks(state.priceTable, e, pricing);
    d.source = QStringLiteral("article");
    d.newPrice = round2(e.unitPrice);
    d.newCost = round2(e.costPrice);
    if (e.type == QLatin1String("F")) {
      const auto v = articles::Valoriser_Article(files, state.messages(), l.code, "00");
      d.newCost = v ? round2(v->cout_matiere + v->cout_mo) : d.newCost;
    }
    return true;
  }
  if (const auto tariff = tariffLine(state, l.supplier, l.code)) {
    const composition::EntryLine e = composition::lineFromTariff(*tariff, pricing);
    d.source = QStringLiteral("tarif");
    d.newCost = round2(e.costPrice);
    d.newPrice = round2(e.unitPrice);
    return true;
  }
  return false;
}

}  // namespace

QVector<DriftLine> costDrift(core::ProcessState& state, articles::ArticleFiles& files,
                             const QuoteReading& quote,
                             const composition::PricingContext& pricing) {
  QVector<DriftLine> out;
  const bool stock = state.base(core::entry::Stock).present() && files.ensureStock();
  std::vector<std::unique_ptr<db::ReadSnapshot>> snapshots;
  for (const int base : {core::entry::Stock, core::entry::Planning, core::entry::Tariffs})
    if (state.base(base).open())
      snapshots.push_back(std::make_unique<db::ReadSnapshot>(state.base(base).db));
  for (const composition::WorkLine& l : quote.lines) {
    if (!composition::isCounted(l) || l.code.isEmpty() || l.quantity == 0) continue;
    DriftLine d;
    d.code = l.code;
    d.table = l.table;
    d.docTable = l.docTable;
    d.row = l.row;
    d.quantity = l.quantity;
    d.discount = l.discountPercent;
    d.oldCost = l.costPrice;
    d.oldPrice = l.grossPrice;
    if (!todaysPrices(state, files, l, pricing, stock, d)) continue;
    // A quote whose table has no cost column, or a line written without cost, does not know
    // what the line cost: the margin is reckoned on today's cost, and only the price can move.
    composition::QuoteLine was = l;
    d.costKnown = composition::cents(l.costPrice) != 0;
    if (!d.costKnown) {
      d.oldCost = d.newCost;
      was.costPrice = d.newCost;
      composition::Calcul_Ligne(was);
    }
    if (composition::sameAmount(d.oldCost, d.newCost) &&
        composition::sameAmount(d.oldPrice, d.newPrice))
      continue;
    composition::QuoteLine now = was;
    now.costPrice = d.newCost;
    composition::Calcul_Ligne(now);
    d.marginKeepingPrice = round2(was.costAmount - now.costAmount);
    now.grossPrice = d.newPrice;
    composition::Calcul_Ligne(now);
    d.marginRefreshed =
        round2((now.netAmount - now.costAmount) - (was.netAmount - was.costAmount));
    out << d;
  }
  return out;
}

int refreshDriftLines(word::WordDocument& doc, const QVector<DriftLine>& lines,
                      int quantityDecimals, QChar sep) {
  const composition::LocateResult located =
      composition::Reperer_Tableaux(doc, composition::LocatePurpose::Recalculation);
  if (!located.layout) return 0;
  const composition::ColumnMap columns =
      composition::ColumnMap::read(doc, located.layout->headerTable);
  const int costColumn = columns.column(QStringLiteral("PDR"));
  int done = 0;
  for (const DriftLine& d : lines) {
    auto line = composition::readWrittenLine(doc, columns, d.docTable, d.row);
    if (!line || line->code.compare(d.code, Qt::CaseInsensitive) != 0) continue;
    line->costPrice = d.newCost;
    line->grossPrice = d.newPrice;
    if (costColumn > 0 && costColumn <= doc.cellCount(d.docTable, d.row))
      doc.rewriteCellText({d.docTable, d.row, costColumn},
                          composition::formatMasked(d.newCost, composition::kPriceMask, sep));
    composition::rewriteWrittenLine(doc, columns, d.docTable, d.row, *line, quantityDecimals, sep);
    ++done;
  }
  return done;
}

QString driftText(const DriftLine& d) {
  const QString cost = d.costKnown ? money(d.oldCost) + QStringLiteral(" -> ") + money(d.newCost)
                                    : money(d.newCost) + QStringLiteral(" (absent du devis)");
  return d.code + QStringLiteral(" (") + d.source + QStringLiteral(") : revient ") + cost +
         QStringLiteral(", prix ") +
         money(d.oldPrice) + QStringLiteral(" -> ") + money(d.newPrice) +
         QStringLiteral(", marge ") + money(d.marginKeepingPrice) +
         QStringLiteral(" au prix du devis");
}

}  // namespace tarovent::guard
