#include "Recalculation.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <memory>
#include <optional>

#include "articles/ArticleFiles.h"
#include "articles/CostRollup.h"
#include "composition/ColumnMap.h"
#include "composition/LayoutCommands.h"
#include "composition/LineCode.h"
#include "composition/LinePricing.h"
#include "composition/NumberFormat.h"
#include "composition/TableLocator.h"
#include "composition/Totals.h"
#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/text/TypedText.h"
#include "platform/word/WordDocument.h"
#include "ui/BusyCursor.h"

namespace tarovent::composition {

namespace {

// The recalculation writes weights with one more digit group than the line entry.
const QString kRecalcWeightMask = QStringLiteral("# ### ##0.000");

// The fields of a stock article that a line takes.
struct StockArticle {
  QString type, unit;
  double weight = 0, basePrice1 = 0, basePrice2 = 0;
  double costPrice = 0;  // a bought article's, rounded as the cell shows it
};

// One run of the recalculation: the document, where its lines are, and what the walk found.
struct Run {
  Run(core::ProcessState& s, articles::ArticleFiles& f, word::WordDocument& d,
      const RecalcOptions& o, ui::MessageFunnel& m)
      : state(s), files(f), doc(d), options(o), msg(m) {}

  core::ProcessState& state;
  articles::ArticleFiles& files;
  word::WordDocument& doc;
  const RecalcOptions& options;
  ui::MessageFunnel& msg;
  TableLayout layout;
  ColumnMap cols;
  bool withOptions = false;  // option tables after the totals take part in a mode-1 adjustment
  QVector<WorkLine> lines;
  bool unknownBase = false;         // a line whose cost or base price is unknown (modes 2 and 4)
  QHash<QString, double> rolledUp;  // an article met again costs what it cost the first time
  // What the stock said of each code met, so that a code met again is not sought again. It
  // lives as long as the run: the next run reads the articles afresh.
  QHash<QString, std::optional<StockArticle>> stockArticles;
  bool stock = false, planning = false, tariffs = false;
  RecalcResult res;
};

// The sums the totals are made of, over the counted lines.
struct Sums {
  double gross = 0, net = 0, discount = 0, weight = 0;
  QList<double> rates;  // the first five distinct VAT rates, in order of appearance
  QList<double> rateVat;
};

// Step 1: a quote-type template is recalculated only when the user insists.
bool confirmOnTemplate(Run& run) {
  if (run.options.fromQuote) return true;
  ui::MessageFunnel& msg = run.msg;
  return msg.ask(msg.tr("Cette fonction n'est pas active par défaut pour la composition des "
                        "modèles de devis ...") +
                     "\n" +
                     msg.tr("Appliquer quand même cette fonction pour la composition du "
                            "modèle ?"),
                 ui::Buttons::YesNo, 2) == ui::Answer::Yes;
}

// The line tables, then, when the user takes them into a mode-1 adjustment, the option tables
// after the totals that have the header's layout.
std::vector<int> tablesToRead(const Run& run) {
  std::vector<int> tables = lineTables(run.doc, run.layout);
  if (!run.withOptions) return tables;
  const QSet<int> subs = subTotalTables(run.doc);
  for (int t = 1; t <= run.doc.tableCount(); ++t) {
    if (run.doc.table(t).start >= run.layout.totalsStart && !subs.contains(t) &&
        run.doc.cellCount(t, 1) == run.layout.columnCount)
      tables.push_back(t);
  }
  return tables;
}

// Step 5.3: a labour line costs its section's hourly cost.
void valueLabour(Run& run, WorkLine& l, const QString& section) {
  l.type = "M";
  if (!run.planning) return;
  articles::ArticleFiles& files = run.files;
  if (!files.Chercher_Section(section)) {
    run.msg.show(run.msg.tr("Attention la section ") + section + run.msg.tr(" n'existe plus ! "),
                 ui::Icon::Warning);
    return;
  }
  l.costPrice = files.sections().number("TSEC_CoutHRevient");
  l.basePrice1 = l.basePrice2 = files.sections().number("TSEC_COUTHVENTE");
  l.baseKnown = true;
}

// The stock article of a code, sought once per run.
const StockArticle* stockArticle(Run& run, const QString& code) {
  auto it = run.stockArticles.constFind(code);
  if (it == run.stockArticles.cend()) {
    std::optional<StockArticle> found;
    articles::ArticleFiles& files = run.files;
    if (files.Trouver_Article(code)) {
      const db::Recordset& a = files.articles();
      found.emplace();
      found->type = a.text("TARTI_Type");
      found->unit = a.text("TARTI_UNST_LIB");
      found->weight = a.number("TARTI_POIDS");
      found->basePrice1 = a.number("TARTI_PVU1");
      found->basePrice2 = a.number("TARTI_PVU2");
      if (found->type == "A") found->costPrice = round2(articles::Prix_Revient_Article(a));
    }
    it = run.stockArticles.insert(code, found);
  }
  return it->has_value() ? &**it : nullptr;
}

// Step 5.4: a stock article or a supplier tariff line gives the type, cost and base prices.
void valueMaterials(Run& run, WorkLine& l) {
  articles::ArticleFiles& files = run.files;
  const StockArticle* a = run.stock ? stockArticle(run, l.code) : nullptr;
  if (a) {
    l.type = a->type;
    l.unit = a->unit;
    l.weight = a->weight;
    l.basePrice1 = a->basePrice1;
    l.basePrice2 = a->basePrice2;
    l.baseKnown = true;
    if (l.type == "A") {
      l.costPrice = a->costPrice;
    } else if (l.type == "F") {
      auto known = run.rolledUp.constFind(l.code);
      if (known == run.rolledUp.cend()) {
        const auto v = articles::Valoriser_Article(files, run.msg, l.code, "00");
        // Used as rolled up: only the amounts computed from it are rounded.
        known = run.rolledUp.insert(l.code, v ? v->cout_matiere + v->cout_mo : 0.0);
      }
      l.costPrice = *known;
    }
  } else if (run.tariffs && files.findTariffLine(l.supplier, l.code)) {
    l.type = "N";
    if (l.costPrice == 0) l.costPrice = files.tariffs().number("TTRF_PUnit");
    l.basePrice1 = l.basePrice2 = files.tariffs().number("TTRF_PrixVen");
    l.baseKnown = true;
  }
}

// Step 6, modes 2 and 4: the gross unit price taken from the cost or the base prices.
void applyBasePrice(Run& run, WorkLine& l) {
  const Adjustment& adj = run.options.adjustment;
  // Only a coded line found in no file is "non référencé"; a known article without cost or
  // price keeps its price quietly.
  const bool unreferenced = !l.code.isEmpty() && !l.baseKnown && l.type != "M";
  if (adj.mode == 2) {
    if (l.costPrice != 0)
      l.grossPrice = l.costPrice;
    else if (unreferenced)
      run.unknownBase = true;
  } else if (adj.mode == 4 && !l.code.isEmpty()) {
    if (unreferenced) {
      run.unknownBase = true;
    } else if (!l.baseKnown) {
      return;  // a labour line whose section is gone keeps its price
    } else if (l.type == "M") {
      l.grossPrice = adj.labourPrice == "PDR" ? l.costPrice : l.basePrice1;
    } else {
      // The prices line entry would give: price 2 falls back on price 1 and back.
      double pv1 = l.basePrice1, pv2 = l.basePrice2;
      completePrices(pv1, pv2);
      const double base = adj.materialsPrice == "PDR"   ? l.costPrice
                          : adj.materialsPrice == "PV2" ? pv2
                                                        : pv1;
      if (base != 0) l.grossPrice = base;
    }
  }
}

// Step 5: every row of the tables read into a work line. False, after its message, when a
// row lacks a cell of a column of the header: nothing has been written yet.
bool readLines(Run& run) {
  word::WordDocument& doc = run.doc;
  const std::vector<int> tables = tablesToRead(run);
  const int lineTableCount = int(lineTables(doc, run.layout).size());
  int lastColumn = 0;
  for (const QString& code : columnCodes())
    lastColumn = std::max(lastColumn, run.cols.column(code));
  const auto column = [&](const char* code) { return run.cols.column(QLatin1String(code)); };
  const struct {
    int code, unit, quantity, grossPrice, discount, cost, weight, supplier, vatRate;
  } col{column("CODART"), column("UNITE"), column("QTE"),      column("PUBRUT"), column("PCREM"),
        column("PDR"),    column("POIDS"), column("CODFOURN"), column("TXTVA")};
  int num = 0;
  for (size_t ti = 0; ti < tables.size(); ++ti) {
    const int t = tables[ti];
    for (int row = 1; row <= doc.rowCount(t); ++row) {
      if (doc.cellCount(t, row) < lastColumn) {
        run.msg.show(incorrectStructureMessage(), ui::Icon::Warning);
        return false;
      }
      const auto text = [&](int c) { return c > 0 ? doc.cellText({t, row, c}) : QString(); };
      WorkLine l;
      l.num = ++num;
      l.table = int(ti) + 1;
      l.docTable = t;
      l.row = row;
      l.afterTotals = l.table > lineTableCount;
      const LineCode lc = parseLineCode(text(col.code));
      l.code = lc.code;
      l.level = lc.level;
      l.unit = text(col.unit).trimmed();
      l.quantity = parseNumber(text(col.quantity));
      l.grossPrice = parseNumber(text(col.grossPrice));
      l.discountPercent = parseNumber(text(col.discount));
      l.costPrice = parseNumber(text(col.cost));
      l.weight = parseNumber(text(col.weight));
      l.supplier = text(col.supplier).trimmed();
      l.vatRate = text(col.vatRate).trimmed();
      if (lc.kind == LineKind::Labour)
        valueLabour(run, l, lc.section);
      else if (!l.code.isEmpty())
        valueMaterials(run, l);
      applyBasePrice(run, l);
      run.lines << l;
    }
  }
  return true;
}

// The lines as read, in the workstation's work table: a trace of the run, which the
// computation does not depend on.
void keepWorkTable(Run& run) {
  db::Database& local = run.state.localDb;
  if (!local.isOpen()) return;
  try {
    db::TransactionGuard g(local);
    local.Execute("delete * from TMP_TABLEAU;");
    // A table without one of the fields is not ours: the inserter refuses it and the guard
    // takes back the delete, so nothing is kept.
    db::RowInserter rows(
        local, "TMP_TABLEAU",
        {"TMP_NUM", "TMP_Numtab", "TMP_Codart", "TMP_CodFourn", "TMP_Type", "TMP_Niveau", "TMP_Qte",
         "TMP_Unite", "TMP_PDR", "TMP_PUBRUT", "TMP_PCREM", "TMP_POIDS", "TMP_TXTVA"});
    for (const WorkLine& l : run.lines)
      rows.add({l.num, l.table, l.code, l.supplier, l.type, l.level, l.quantity, l.unit,
                l.costPrice, l.grossPrice, l.discountPercent, l.weight, l.vatRate});
    g.commit();
  } catch (const db::DbError& e) {
    // The trace is for later look-ups only: the computation goes on without it, but the
    // user is told that it was not kept.
    run.msg.show(run.msg.tr("Les lignes du devis n'ont pas pu être conservées dans la base "
                            "locale (le calcul n'en dépend pas) :") +
                     "\n" + e.description(),
                 ui::Icon::Warning);
  }
}

// Step 6, modes 1 and 3: the prorata, then the settling of the forced amount's remainder.
// True when a forced amount could not be reached exactly.
bool adjustPrices(Run& run) {
  const Adjustment& adj = run.options.adjustment;
  if (adj.mode != 1 && adj.mode != 3) return false;
  bool zero = false;
  const double total = Ajuster_Prorata(run.lines, run.withOptions, adj, zero);
  if (zero) {
    run.msg.show(
        run.msg.tr("La valorisation de votre devis est nulle !") + "\n" +
            run.msg.tr("L'ajustement au prorata des valeurs des lignes n'est donc pas possible"),
        ui::Icon::Warning);
    return false;
  }
  if (adj.mode != 3) return false;
  return cents(Solder_Reste(run.lines, round2(adj.forcedAmount - total))) != 0;
}

// Step 8: the computed cells of every line read, each with the hidden state it had. A value
// is formatted only for a column the document has.
void rewriteLines(Run& run) {
  word::WordDocument& doc = run.doc;
  const QChar sep = run.options.decimalSeparator;
  const QString blank = QStringLiteral(" ");
  const auto column = [&](const char* code) { return run.cols.column(QLatin1String(code)); };
  const int grossPrice = column("PUBRUT"), discount = column("PCREM"), netPrice = column("PUNET"),
            grossAmount = column("MTBRUT"), netAmount = column("MTNET"),
            discountAmount = column("MTREM"), cost = column("PDR"), costAmount = column("MTPDR"),
            weight = column("POIDS"), totalWeight = column("POIDSTOT");
  // Cells the recalculation reads but does not compute keep their figures, in the document's
  // decimal separator: one row never shows "3.00" beside "104,10".
  const int quantity = column("QTE"), vatRate = column("TXTVA");
  for (const WorkLine& l : run.lines) {
    if (l.code.isEmpty() && l.quantity == 0 && l.grossPrice == 0) continue;  // text lines
    for (const int c : {quantity, vatRate}) {
      if (c <= 0) continue;
      const QString shown = doc.cellText({l.docTable, l.row, c});
      const QString fixed = withDecimalMark(shown, sep);
      if (fixed != shown) doc.rewriteCellText({l.docTable, l.row, c}, fixed);
    }
    const auto put = [&](int c, bool empty, double value, const QString& mask) {
      if (c <= 0) return;
      doc.rewriteCellText({l.docTable, l.row, c}, empty ? blank : formatMasked(value, mask, sep));
    };
    const bool noAmounts = l.quantity == 0;
    const bool component = l.level > 0;
    const bool noLineAmounts = noAmounts || component;
    put(grossPrice, noAmounts, l.grossPrice, kPriceMask);
    put(discount, noAmounts || l.discountPercent == 0, l.discountPercent, kPercentMask);
    put(netPrice, noLineAmounts, l.netPrice, kPriceMask);
    put(grossAmount, noLineAmounts, l.grossAmount, kPriceMask);
    put(netAmount, noLineAmounts, l.netAmount, kPriceMask);
    put(discountAmount, noLineAmounts, l.discountAmount, kPriceMask);
    put(cost, noAmounts, l.costPrice, kPriceMask);
    put(costAmount, noLineAmounts, l.costAmount, kPriceMask);
    put(weight, l.weight == 0, l.weight, kRecalcWeightMask);
    put(totalWeight, l.totalWeight == 0, l.totalWeight, kRecalcWeightMask);
  }
}

// Steps 8 and 9: amounts, weights, costs, hours and per-rate VAT of the counted lines.
Sums sumLines(Run& run) {
  Sums s;
  const bool vatColumn = run.cols.has("TXTVA");
  for (const WorkLine& l : run.lines) {
    if (!isCounted(l)) continue;
    s.gross += l.grossAmount;
    s.net += l.netAmount;
    s.discount += l.discountAmount;
    s.weight += l.totalWeight;
    if (l.type == "M") {
      run.res.hours += l.quantity;
      run.res.costLabour += l.costAmount;
    } else {
      run.res.costMaterials += l.costAmount;
    }
    if (vatColumn && !l.vatRate.isEmpty()) {
      const double rate = parseNumber(l.vatRate);
      qsizetype k = s.rates.indexOf(rate);
      if (k < 0 && s.rates.size() < 5) {
        s.rates << rate;
        s.rateVat << 0;
        k = s.rates.size() - 1;
      }
      if (k >= 0) s.rateVat[k] += round2(l.netAmount * rate / 100);
    }
  }
  s.gross = round2(s.gross);
  s.net = round2(s.net);
  s.discount = round2(s.discount);
  run.res.costMaterials = round2(run.res.costMaterials);
  run.res.costLabour = round2(run.res.costLabour);
  return s;
}

// Step 12: a gross total a rounding away from net + discount is brought back; a larger gap
// is left, with a warning.
void checkRounding(Run& run, Sums& s, bool forcedMissed) {
  ui::MessageFunnel& msg = run.msg;
  const GrossCheck checked = checkGrossTotal(s.gross, s.net, s.discount);
  s.gross = checked.gross;
  if (!checked.warning.isEmpty()) msg.show(msg.tr(checked.warning), ui::Icon::Warning);
  const Adjustment& adj = run.options.adjustment;
  if (adj.mode == 3 && (forcedMissed || !sameAmount(s.net, adj.forcedAmount)))
    msg.show(msg.tr("L'ajustement parfait est impossible du fait des arrondis") + "\n" +
                 msg.tr("Vous devrez le terminer manuellement"),
             ui::Icon::Warning);
  if ((adj.mode == 2 || adj.mode == 4) && run.unknownBase)
    msg.show(msg.tr("Les articles non référencés n'ont pu être traités, ") + "\r" +
                 msg.tr(adj.mode == 2 ? "leur prix de revient étant inconnu !"
                                      : "leur prix de base étant inconnu !"),
             ui::Icon::Warning);
}

// Steps 10, 11, 14 and 15: VAT, total with tax and every total bookmark that exists.
void writeTotals(Run& run, const Sums& s) {
  word::WordDocument& doc = run.doc;
  const QChar sep = run.options.decimalSeparator;
  const core::ProcessState& state = run.state;
  RecalcResult& res = run.res;
  const auto total = [&](const QString& name, double value) {
    if (writeTotal(doc, name, value, sep)) res.bookmarks.insert(name, doc.bookmarkText(name));
  };
  const auto text = [&](const QString& name, const QString& value) {
    if (doc.hasBookmark(name) && doc.setBookmarkText(name, value))
      res.bookmarks.insert(name, value);
  };

  const bool vatColumn = run.cols.has("TXTVA");
  double vat = 0;
  double singleRate = 0;
  if (vatColumn) {
    for (double v : s.rateVat) vat += v;
    vat = round2(vat);
  } else {
    if (run.options.fromQuote)
      singleRate = run.options.vatField.trimmed().isEmpty() ? 0 : parseNumber(run.options.vatField);
    else
      singleRate = state.params.txTvaDef;
    vat = round2(singleRate / 100 * s.net);
  }
  const double ttc = round2(s.net + vat);

  total("SMTBRUT", s.gross);
  total("SMTREM", s.discount);
  total("SMTNET", s.net);
  if (vatColumn) {
    if (!s.rates.isEmpty()) {
      total("STXTVA1", s.rates[0]);
      total("SMTTVA1", s.rateVat[0]);
      total("STXTVA", s.rates[0]);
    }
    if (s.rates.size() > 1) {
      total("STXTVA2", s.rates[1]);
      total("SMTTVA2", s.rateVat[1]);
    } else {
      text("STXTVA2", " ");
      text("SMTTVA2", " ");
    }
  } else {
    total("STXTVA", singleRate);
  }
  total("SMTTVA", vat);
  total("STTC", ttc);
  if (state.params.coeffDev != 0)
    text("DEVISE", formatMasked(round2(ttc * state.params.coeffDev), kPriceMask, sep) + " " +
                       state.params.libDev2);
  const double cost = round2(res.costMaterials + res.costLabour);
  const double margin = round2(s.net - cost);
  total("SPDRMAT", res.costMaterials);
  total("SPDRMO", res.costLabour);
  total("SPDRTOT", cost);
  total("SMARGE", margin);
  if (cents(cost) != 0) total("SPCMARGE", round2(margin / cost * 100));
  total("SPOIDS", s.weight);
  const Adjustment& adj = run.options.adjustment;
  if (adj.mode == 5) {
    const double m = s.net * adj.majoration / 100;
    text("PCPLUS", formatMasked(adj.majoration, "#0", sep));
    text("MTPLUS", formatMasked(m, "### ##0.00", sep));
    text("SMTNETPLUS", formatMasked(s.net + m, "### ##0.00", sep));
  }

  // Step 16: the profitability panel.
  res.netTotal = s.net;
  res.margin = margin;
  if (cents(cost) != 0)
    res.marginPercent = formatMasked(round2(margin / cost * 100), "##0.00", sep);
}

}  // namespace

RecalcResult Recalcul_Document(core::ProcessState& state, articles::ArticleFiles& files,
                               word::WordDocument& doc, const RecalcOptions& options) {
  // Totals written on the way (at a save) say nothing: what they would say is for the
  // user's own "Totalisation".
  ui::ScriptedResponder silent;
  Run run(state, files, doc, options, options.totalsOnly ? silent : state.messages());
  if (!options.totalsOnly && !confirmOnTemplate(run)) return run.res;
  ui::BusyCursor busy;
  doc.setShowHiddenText(true);
  const LocateResult loc = Reperer_Tableaux(doc, LocatePurpose::Recalculation);
  if (!loc.layout) {
    run.msg.show(loc.message, ui::Icon::Warning);
    return run.res;
  }
  run.layout = *loc.layout;
  run.cols = ColumnMap::read(doc, run.layout.headerTable);
  if (options.adjustment.mode == 1)
    run.withOptions =
        run.msg.ask(run.msg.tr("Souhaitez-vous ajuster aussi les options (après totaux) ?"),
                    ui::Buttons::YesNo, 1) == ui::Answer::Yes;
  if (!options.totalsOnly) {
    run.stock = state.base(core::entry::Stock).present() && files.ensureStock();
    run.planning = state.base(core::entry::Planning).open();
    run.tariffs = state.base(core::entry::Tariffs).open();
  }

  {
    // The lines' articles, bills, sections and tariffs are read in one read transaction per
    // base rather than one per look-up. Reading the lines writes nothing there (the trace
    // goes to the workstation's own base, and a write would end the snapshot first). A base
    // not in WAL mode takes none, so no other workstation is ever held back; the snapshots
    // end with the reading, whichever way it ends.
    std::vector<std::unique_ptr<db::ReadSnapshot>> snapshots;
    for (const int base : {core::entry::Stock, core::entry::Planning, core::entry::Tariffs})
      if (state.base(base).open())
        snapshots.push_back(std::make_unique<db::ReadSnapshot>(state.base(base).db));
    if (!readLines(run)) return run.res;
  }
  if (!options.totalsOnly) keepWorkTable(run);
  for (WorkLine& l : run.lines) Calcul_Ligne(l);
  const bool forcedMissed = adjustPrices(run);
  if (!options.totalsOnly) rewriteLines(run);
  // A sub-total is printed with the quote: it follows its lines as they now stand.
  refreshSubTotals(doc, run.cols, lineTables(doc, run.layout), options.decimalSeparator);
  Sums sums = sumLines(run);
  checkRounding(run, sums, forcedMissed);
  writeTotals(run, sums);
  run.res.completed = true;
  return run.res;
}

bool Majoration_Total(word::WordDocument& doc, ui::MessageFunnel& msg, const QString& percentText,
                      QChar sep) {
  if (!doc.hasBookmark("MTPLUS") || !doc.hasBookmark("PCPLUS")) {
    msg.show(msg.tr("Modèle incomplet pour cette fonctionnalité (Signets manquants) ..."),
             ui::Icon::Warning);
    return false;
  }
  if (percentText.trimmed().isEmpty()) return false;
  const double tn = parseNumber(doc.bookmarkText("SMTNET"));
  const double p = text::readTypedNumber(percentText);
  const double m = tn * p / 100;
  const double vat = (tn + m) * 0.2;
  const double ttc = tn + m + vat;
  const auto put = [&](const char* name, double value, const QString& mask) {
    if (doc.hasBookmark(name)) doc.setBookmarkText(name, formatMasked(value, mask, sep));
  };
  put("PCPLUS", p, "#0");
  put("MTPLUS", m, "### ##0.00");
  put("SMTTVA", vat, kPriceMask);
  put("STTC", ttc, kPriceMask);
  put("SMTNETPLUS", tn + m, "### ##0.00");
  return true;
}

int Maj_Designations(core::ProcessState& state, articles::ArticleFiles& files,
                     word::WordDocument& doc, const QMap<QString, DescriptionRule>& rules) {
  auto& msg = state.messages();
  ui::BusyCursor busy;
  const LocateResult loc = Reperer_Tableaux(doc, LocatePurpose::DesignationUpdate);
  if (!loc.layout) {
    msg.show(loc.message, ui::Icon::Warning);
    return -1;
  }
  const ColumnMap cols = ColumnMap::read(doc, loc.layout->headerTable);
  const int designation = cols.column("LIBART");
  if (designation == 0 || !state.base(core::entry::Stock).present() || !files.ensureStock())
    return 0;
  int rewritten = 0;
  for (int t : lineTables(doc, *loc.layout)) {
    for (int row = 1; row <= doc.rowCount(t); ++row) {
      const int c = cols.column("CODART");
      if (c == 0 || c > doc.cellCount(t, row) || designation > doc.cellCount(t, row)) continue;
      const LineCode lc = parseLineCode(doc.cellText({t, row, c}));
      if (lc.kind != LineKind::Article || lc.code.isEmpty() || !files.Trouver_Article(lc.code))
        continue;
      db::Recordset& a = files.articles();
      const QString alt = a.text("TARTI_libart2");
      QList<word::TextPiece> pieces;
      pieces.append({alt.trimmed().isEmpty() ? a.text("TARTI_LIBART") : alt, {}});
      const DescriptionRule rule = rules.value(a.text("TARTI_Type"));
      const auto description = [&](const QString& text, bool include, bool hide) {
        if (!include || text.trimmed().isEmpty()) return;
        word::TextPiece piece{"\n" + text, {}};
        if (hide) piece.format.hidden = true;
        pieces.append(piece);
      };
      description(a.text("TARTI_DESCR"), rule.text1, rule.hide1);
      description(a.text("TARTI_INFOS"), rule.text2, rule.hide2);
      doc.setCellContent({t, row, designation}, pieces);
      ++rewritten;
    }
  }
  return rewritten;
}

}  // namespace tarovent::composition
