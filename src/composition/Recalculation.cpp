#include "Recalculation.h"

#include <QHash>
#include <QSet>
#include <cmath>

#include "articles/ArticleFiles.h"
#include "articles/CostRollup.h"
#include "composition/ColumnMap.h"
#include "composition/LineCode.h"
#include "composition/NumberFormat.h"
#include "composition/TableLocator.h"
#include "composition/Totals.h"
#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/word/WordDocument.h"
#include "ui/BusyCursor.h"

namespace tarovent::composition {

namespace {

// Lines the prorata counts and changes: up to the last table before the totals (option tables
// too when asked); an exploded manufactured article (an "F" line followed by a line of another
// level) is left to its components.
QVector<int> takenLines(const QVector<WorkLine>& lines, int lastTable, bool withOptions) {
  QVector<int> taken;
  for (int i = 0; i < lines.size(); ++i) {
    if (lines[i].table > lastTable && !withOptions) break;
    if (lines[i].type == "F" && i + 1 < lines.size() && lines[i + 1].level != lines[i].level)
      continue;
    taken << i;
  }
  return taken;
}

}  // namespace

std::optional<Adjustment> Valider_Ajustement(int option, const QStringList& percents,
                                             const QString& amount, ui::MessageFunnel& msg) {
  const auto pc = [&](int i) { return parseNumber(percents.value(i).trimmed()); };
  Adjustment a;
  switch (option) {
    case 0:
      a.mode = 1;
      a.materials = pc(0);
      a.unitComponents = pc(1);
      a.labour = pc(2);
      a.specialSupplies = pc(3);
      break;
    case 1:
      a.mode = 1;
      a.materials = a.unitComponents = a.labour = a.specialSupplies = pc(0);
      break;
    case 2:
      a.mode = 2;
      break;
    case 3:
      if (amount.trimmed().isEmpty()) {
        msg.show(msg.tr("Vous n'avez pas saisi le montant à forcer"), ui::Icon::Warning);
        return std::nullopt;
      }
      a.mode = 3;
      a.forcedAmount = parseNumber(amount);
      break;
    case 4:
      a.mode = 4;
      break;
    case 5:
      a.mode = 5;
      a.majoration = pc(0);
      break;
    default:
      return std::nullopt;
  }
  return a;
}

void Calcul_Ligne(WorkLine& l) {
  l.punet = round2(l.pubrut * (1 - l.pcrem / 100));
  l.mtbrut = round2(l.pubrut * l.qty);
  l.mtnet = round2(l.punet * l.qty);
  l.mtrem = round2(l.mtbrut - l.mtnet);
  l.mtpdr = round2(l.qty * l.pdr);
  l.poidstot = l.qty * l.poids;
}

double Ajuster_Prorata(QVector<WorkLine>& lines, int lastTable, bool withOptions,
                       const Adjustment& a, bool& valuationZero) {
  valuationZero = false;
  const QVector<int> taken = takenLines(lines, lastTable, withOptions && a.mode == 1);
  double total = 0;
  for (int i : taken) total += lines[i].mtnet;
  double taux = 0;
  if (a.mode == 3) {
    if (total == 0) {
      valuationZero = true;
      return 0;
    }
    taux = (a.forcedAmount - total) / total;
  }
  double newTotal = 0;
  for (int i : taken) {
    WorkLine& l = lines[i];
    if (l.pubrut != 0) {
      double rate = taux;
      if (a.mode == 1) {
        double pc = a.materials;
        if (l.type == "M")
          pc = a.labour;
        else if (l.type.isEmpty())
          pc = a.specialSupplies;
        else if (l.unit.toUpper() == "UN")
          pc = a.unitComponents;
        rate = pc / 100;
      }
      l.pubrut = round2(l.pubrut * (1 + rate));
      l.punet = round2(l.pubrut * (1 - l.pcrem / 100));
      l.mtbrut = round2(l.qty * l.pubrut);
      l.mtnet = round2(l.qty * l.punet);
      l.mtrem = round2(l.mtbrut - l.mtnet);
    }
    newTotal += l.mtnet;
  }
  return newTotal;
}

RecalcResult Recalcul_Document(core::ProcessState& state, articles::ArticleFiles& files,
                               word::WordDocument& doc, const RecalcOptions& options) {
  auto& msg = state.messages();
  RecalcResult res;
  const Adjustment& adj = options.adjustment;
  if (!options.fromQuote &&
      msg.ask(msg.tr("Cette fonction n'est pas active par défaut pour la composition des modèles "
                     "de devis ...") +
                  "\n" +
                  msg.tr("Appliquer quand même cette fonction pour la composition du "
                         "modèle ?"),
              ui::Buttons::YesNo, 2) != ui::Answer::Yes)
    return res;
  ui::BusyCursor busy;
  doc.setShowHiddenText(true);
  const LocateResult loc = Reperer_Tableaux(doc, LocatePurpose::Recalculation);
  if (!loc.layout) {
    msg.show(loc.message, ui::Icon::Warning);
    return res;
  }
  const TableLayout layout = *loc.layout;
  const ColumnMap cols = ColumnMap::read(doc, layout.headerTable);
  const QChar sep = options.decimalSeparator;

  bool withOptions = false;
  if (adj.mode == 1)
    withOptions = msg.ask(msg.tr("Souhaitez vous ajuster aussi les options (après totaux)?"),
                          ui::Buttons::YesNo, 1) == ui::Answer::Yes;

  std::vector<int> tables = lineTables(doc, layout);
  const int lastTable = static_cast<int>(tables.size());
  if (withOptions) {
    const QSet<int> subs = subTotalTables(doc);
    for (int t = 1; t <= doc.tableCount(); ++t) {
      const word::TableInfo info = doc.table(t);
      if (info.start >= layout.totalsStart && !subs.contains(t) &&
          doc.cellCount(t, 1) == layout.columnCount)
        tables.push_back(t);
    }
  }

  const bool stock = state.base(core::entry::Stock).present() && files.ensureStock();
  const bool planning = state.base(core::entry::Planning).open();
  const bool tariffs = state.base(core::entry::Tariffs).open();
  QVector<WorkLine> lines;
  QHash<QString, double> rolledUp;
  bool unknownBase = false;
  int num = 0;
  for (size_t ti = 0; ti < tables.size(); ++ti) {
    const int t = tables[ti];
    for (int row = 1; row <= doc.rowCount(t); ++row) {
      const auto text = [&](const char* code) {
        const int c = cols.column(code);
        return c > 0 && c <= doc.cellCount(t, row) ? doc.cellText({t, row, c}) : QString();
      };
      WorkLine l;
      l.num = ++num;
      l.table = static_cast<int>(ti) + 1;
      l.docTable = t;
      l.row = row;
      l.afterTotals = l.table > lastTable;
      const LineCode lc = parseLineCode(text("CODART"));
      l.code = lc.code;
      l.level = lc.level;
      l.unit = text("UNITE").trimmed();
      l.qty = parseNumber(text("QTE"));
      l.pubrut = parseNumber(text("PUBRUT"));
      l.pcrem = parseNumber(text("PCREM"));
      l.pdr = parseNumber(text("PDR"));
      l.poids = parseNumber(text("POIDS"));
      l.supplier = text("CODFOURN").trimmed();
      l.txtva = text("TXTVA").trimmed();
      if (lc.kind == LineKind::Labour) {
        l.type = "M";
        res.hours += l.qty;
        if (planning) {
          if (!files.Chercher_Section(lc.section)) {
            msg.show(msg.tr("Attention la section ") + lc.section + msg.tr(" n'existe plus ! "),
                     ui::Icon::Warning);
          } else {
            l.pdr = files.sections().number("TSEC_CoutHRevient");
            l.basePrice1 = l.basePrice2 = files.sections().number("TSEC_COUTHVENTE");
            l.baseKnown = true;
            res.costLabour += l.qty * l.pdr;
          }
        }
      } else if (!l.code.isEmpty()) {
        if (stock && files.Trouver_Article(l.code)) {
          db::Recordset& a = files.articles();
          l.type = a.text("TARTI_Type");
          l.unit = a.text("TARTI_UNST_LIB");
          l.poids = a.number("TARTI_POIDS");
          l.basePrice1 = a.number("TARTI_PVU1");
          l.basePrice2 = a.number("TARTI_PVU2");
          l.baseKnown = true;
          if (l.type == "A") {
            l.pdr = round2(articles::Prix_Revient_Article(a));
          } else if (l.type == "F") {
            // An article met again in the same run costs what it cost the first time.
            auto known = rolledUp.constFind(l.code);
            if (known == rolledUp.cend()) {
              const auto v = articles::Valoriser_Article(files, msg, l.code, "00");
              known = rolledUp.insert(l.code, v ? v->cout_matiere + v->cout_mo : 0.0);
            }
            l.pdr = *known;
          }
        } else if (tariffs && files.findTariffLine(l.supplier, l.code)) {
          l.type = "N";
          if (l.pdr == 0) l.pdr = files.tariffs().number("TTRF_PUnit");
          l.basePrice1 = l.basePrice2 = files.tariffs().number("TTRF_PrixVen");
          l.baseKnown = true;
        }
        res.costMaterials += l.qty * l.pdr;
      }
      if (adj.mode == 2) {
        if (l.pdr != 0)
          l.pubrut = l.pdr;
        else if (!l.code.isEmpty())
          unknownBase = true;
      } else if (adj.mode == 4 && !l.code.isEmpty()) {
        if (l.type == "M") {
          if (l.baseKnown) l.pubrut = adj.labourPrice == "PDR" ? l.pdr : l.basePrice1;
        } else if (l.baseKnown) {
          l.pubrut = adj.materialsPrice == "PDR"   ? l.pdr
                     : adj.materialsPrice == "PV2" ? l.basePrice2
                                                   : l.basePrice1;
        } else {
          unknownBase = true;
        }
      }
      lines << l;
    }
  }

  // The lines as read, in the workstation's work table.
  if (state.localDb.isOpen()) {
    try {
      db::Database& local = state.localDb;
      db::TransactionGuard g(local);
      local.Execute("delete * from TMP_TABLEAU;");
      db::Recordset tmp = local.OpenRecordset("TMP_TABLEAU");
      for (const WorkLine& l : lines) {
        tmp.AddNew();
        tmp.setValue("TMP_NUM", l.num);
        tmp.setValue("TMP_Numtab", l.table);
        tmp.setValue("TMP_Codart", l.code);
        tmp.setValue("TMP_CodFourn", l.supplier);
        tmp.setValue("TMP_Type", l.type);
        tmp.setValue("TMP_Niveau", l.level);
        tmp.setValue("TMP_Qte", l.qty);
        tmp.setValue("TMP_Unite", l.unit);
        tmp.setValue("TMP_PDR", l.pdr);
        tmp.setValue("TMP_PUBRUT", l.pubrut);
        tmp.setValue("TMP_PCREM", l.pcrem);
        tmp.setValue("TMP_POIDS", l.poids);
        tmp.setValue("TMP_TXTVA", l.txtva);
        tmp.Update();
      }
      tmp.Close();
      g.commit();
    } catch (const db::DbError&) {
      // The work table is a trace of the run; the computation does not depend on it.
    }
  }

  for (WorkLine& l : lines) Calcul_Ligne(l);
  bool forcedMissed = false;
  if (adj.mode == 1 || adj.mode == 3) {
    bool zero = false;
    const double total = Ajuster_Prorata(lines, lastTable, withOptions, adj, zero);
    if (zero) {
      msg.show(msg.tr("La valorisation de votre devis est nulle !") + "\n" +
                   msg.tr("L'ajustement au prorata des valeurs des lignes n'est donc pas possible"),
               ui::Icon::Warning);
    } else if (adj.mode == 3) {
      // The rounding remainder goes to the first lines that can take at least a cent of it.
      double r = round2(adj.forcedAmount - total);
      const QVector<int> taken = takenLines(lines, lastTable, false);
      for (int pass = 0; pass < 10 && r != 0; ++pass) {
        bool moved = false;
        for (int i : taken) {
          if (r == 0) break;
          WorkLine& l = lines[i];
          if (l.qty == 0 || l.pubrut == 0 || std::fabs(l.qty) > std::fabs(r) * 100) continue;
          const double inc = round2(r / l.qty);
          if (std::fabs(inc) < 0.01) continue;
          const double before = l.mtnet;
          l.pubrut = round2(l.pubrut + inc);
          Calcul_Ligne(l);
          r = round2(r - (l.mtnet - before));
          moved = true;
        }
        if (!moved) break;
      }
      forcedMissed = r != 0;
    }
  }

  // Rewrite of the computed cells and totals of the main lines.
  double tb = 0, tn = 0, tr = 0, weight = 0;
  QList<double> rates;
  QList<double> rateVat;
  const bool hasVatColumn = cols.has("TXTVA");
  const QString price = kPriceMask;
  const QString weightMask = QStringLiteral("# ### ##0.000");
  for (const WorkLine& l : lines) {
    const bool noAmounts = l.qty == 0;
    const bool component = l.level > 0;
    const auto put = [&](const char* code, const QString& value) {
      const int c = cols.column(code);
      if (c <= 0 || c > doc.cellCount(l.docTable, l.row)) return;
      const word::CellRef cell{l.docTable, l.row, c};
      word::CharFormat f;
      f.hidden = doc.isCellHidden(cell);
      doc.setCellText(cell, value, f);
    };
    const QString blank = QStringLiteral(" ");
    const auto money = [&](double v) { return formatMasked(v, price, sep); };
    if (l.code.isEmpty() && l.qty == 0 && l.pubrut == 0) continue;  // text lines
    put("PUBRUT", noAmounts ? blank : money(l.pubrut));
    put("PCREM", noAmounts || l.pcrem == 0 ? blank : formatMasked(l.pcrem, kPercentMask, sep));
    put("PUNET", noAmounts || component ? blank : money(l.punet));
    put("MTBRUT", noAmounts || component ? blank : money(l.mtbrut));
    put("MTNET", noAmounts || component ? blank : money(l.mtnet));
    put("MTREM", noAmounts || component ? blank : money(l.mtrem));
    put("PDR", noAmounts ? blank : money(l.pdr));
    put("MTPDR", noAmounts || component ? blank : money(l.mtpdr));
    put("POIDS", l.poids == 0 ? blank : formatMasked(l.poids, weightMask, sep));
    put("POIDSTOT", l.poidstot == 0 ? blank : formatMasked(l.poidstot, weightMask, sep));
    if (component) continue;
    tb += l.mtbrut;
    tn += l.mtnet;
    tr += l.mtrem;
    weight += l.poidstot;
    if (hasVatColumn && !l.txtva.isEmpty()) {
      const double rate = parseNumber(l.txtva);
      int k = rates.indexOf(rate);
      if (k < 0 && rates.size() < 5) {
        rates << rate;
        rateVat << 0;
        k = rates.size() - 1;
      }
      if (k >= 0) rateVat[k] += round2(l.mtnet * rate / 100);
    }
  }
  tb = round2(tb);
  tn = round2(tn);
  tr = round2(tr);

  double vat = 0;
  double singleRate = 0;
  if (hasVatColumn) {
    for (double v : rateVat) vat += v;
    vat = round2(vat);
  } else {
    if (options.fromQuote)
      singleRate = options.vatField.trimmed().isEmpty() ? 0 : parseNumber(options.vatField);
    else
      singleRate = state.params.txTvaDef;
    vat = round2(singleRate / 100 * tn);
  }
  const double ttc = round2(tn + vat);

  // Rounding checks.
  const double d = tb - tn;
  if (round2(d) != round2(tr)) {
    if (tr <= 0.01) {
      if (d <= 0.1)
        tb = tn;
      else
        msg.show(msg.tr("Vérifiez votre calcul, un problème d'arrondi a pu se produire"),
                 ui::Icon::Warning);
    } else if (d < 0.5) {
      tb = round2(tn + tr);
    } else {
      msg.show(msg.tr("Vérifiez votre remise, un écart d'arrondi est intervenu dans le calcul"),
               ui::Icon::Warning);
    }
  }
  if (adj.mode == 3 && (forcedMissed || tn != round2(adj.forcedAmount)))
    msg.show(msg.tr("L'ajustement parfait est impossible du fait des arrondis") + "\n" +
                 msg.tr("Vous devrez le terminer manuellement"),
             ui::Icon::Warning);
  if ((adj.mode == 2 || adj.mode == 4) && unknownBase)
    msg.show(msg.tr("Les articles non référencés n'ont pu être traités, ") + "\r" +
                 msg.tr(adj.mode == 2 ? "leur prix de revient étant inconnu !"
                                      : "leur prix de base étant inconnu !"),
             ui::Icon::Warning);

  // Total bookmarks.
  const auto total = [&](const QString& name, double value) {
    if (writeTotal(doc, name, value, sep)) res.bookmarks.insert(name, doc.bookmarkText(name));
  };
  const auto text = [&](const QString& name, const QString& value) {
    if (doc.hasBookmark(name) && doc.setBookmarkText(name, value))
      res.bookmarks.insert(name, value);
  };
  total("SMTBRUT", tb);
  total("SMTREM", tr);
  total("SMTNET", tn);
  if (hasVatColumn) {
    if (!rates.isEmpty()) {
      total("STXTVA1", rates[0]);
      total("SMTTVA1", rateVat[0]);
    }
    if (rates.size() > 1) {
      total("STXTVA2", rates[1]);
      total("SMTTVA2", rateVat[1]);
    } else {
      text("STXTVA2", " ");
      text("SMTTVA2", " ");
    }
    if (!rates.isEmpty()) total("STXTVA", rates[0]);
  } else {
    total("STXTVA", singleRate);
  }
  total("SMTTVA", vat);
  total("STTC", ttc);
  if (state.params.coeffDev != 0)
    text("DEVISE",
         formatMasked(ttc * state.params.coeffDev, price, sep) + " " + state.params.libDev2);
  const double cost = res.costMaterials + res.costLabour;
  total("SPDRMAT", res.costMaterials);
  total("SPDRMO", res.costLabour);
  total("SPDRTOT", cost);
  total("SMARGE", tn - cost);
  if (cost != 0) total("SPCMARGE", round2((tn - cost) / cost * 100));
  total("SPOIDS", weight);
  if (adj.mode == 5) {
    const double m = tn * adj.majoration / 100;
    if (doc.hasBookmark("PCPLUS")) text("PCPLUS", formatMasked(adj.majoration, "#0", sep));
    if (doc.hasBookmark("MTPLUS")) text("MTPLUS", formatMasked(m, "### ##0.00", sep));
    if (doc.hasBookmark("SMTNETPLUS")) text("SMTNETPLUS", formatMasked(tn + m, "### ##0.00", sep));
  }

  res.netTotal = tn;
  res.margin = tn - cost;
  if (cost != 0) res.marginPercent = formatMasked(round2(res.margin / cost * 100), "##0.00", sep);
  res.completed = true;
  return res;
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
  const double p = parseNumber(percentText);
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
