#include "LinePricing.h"

#include "articles/ArticleFiles.h"
#include "composition/NumberFormat.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"

namespace tarovent::composition {

void completePrices(double& pv1, double& pv2) {
  if (pv2 == 0)
    pv2 = pv1;
  else if (pv1 == 0)
    pv1 = pv2;
}

namespace {

void showPrices(EntryLine& line, const QString& mode, double pv1, double pv2) {
  if (mode == "V") {
    line.unitPrice = pv1;
    line.altPrice = pv2;
  } else {
    line.unitPrice = pv2;
    line.altPrice = pv1;
  }
}

}  // namespace

EntryLine articleFields(const db::Recordset& a) {
  EntryLine l;
  l.code = a.text("TARTI_CODART");
  l.unit = a.text("TARTI_UNST_LIB");
  l.type = a.text("TARTI_Type");
  l.weight = a.number("TARTI_POIDS");
  l.user1 = a.text("TARTI_USER1");
  l.user2 = a.hasField("TARTI_USER2") ? a.text("TARTI_USER2") : QString();
  l.user3 = a.text("TARTI_USER3");
  l.user4 = a.text("TARTI_USER4");
  l.replacement = a.text("TARTI_REMPL");
  l.description1 = a.text("TARTI_DESCR");
  l.description2 = a.text("TARTI_INFOS");
  return l;
}

EntryLine lineFromArticle(const db::Recordset& a, const PricingContext& c) {
  EntryLine l = articleFields(a);
  l.discountClass = a.text("TARTI_CLREM");
  l.costPrice = articles::Prix_Revient_Article(a);
  double pv1 = l.costPrice, pv2 = l.costPrice;
  if (c.tarMat != "R") {
    pv1 = a.number("TARTI_PVU1");
    pv2 = a.number("TARTI_PVU2");
    completePrices(pv1, pv2);
  }
  showPrices(l, c.tarMat, pv1, pv2);
  const QString alt = a.text("TARTI_libart2");
  l.designation = alt.trimmed().isEmpty() ? a.text("TARTI_LIBART") : alt;
  return l;
}

EntryLine lineFromTariff(const db::Recordset& t, const PricingContext& c) {
  EntryLine l;
  l.type = "N";
  l.code = t.text("TTRF_REFFOURN");
  l.supplier = t.text("TTRF_CODFOURN");
  l.costPrice = t.number("TTRF_PUnit");
  const double sale = t.number("TTRF_PrixVen");
  l.unitPrice = c.tarMat == "R" ? l.costPrice : sale;
  l.altPrice = c.tarMat == "R" ? sale : l.costPrice;
  l.designation = t.text("TTRF_LIBART");
  l.description1 = t.text("TTRF_Memo");
  l.description2 = t.text("TTRF_Memo2");
  l.unit = t.text("TTRF_UN");
  if (!t.value("TTRF_TauxTVA").isNull()) l.vatRate = t.text("TTRF_TauxTVA");
  return l;
}

EntryLine lineFromOption(const db::Recordset& o) {
  EntryLine l;
  l.type = "O";
  l.code = o.text("TPRO_Code");
  l.designation = o.text("TPRO_LIB");
  l.unitPrice = o.number("TPRO_PU");
  l.hasAltPrice = false;
  return l;
}

EntryLine lineFromSection(const db::Recordset& s, const PricingContext& c) {
  EntryLine l;
  l.type = "H";
  l.code = "MO*" + s.text("TSEC_CodSec");
  l.unit = "H";
  l.designation = s.text("TSEC_Libsec");
  l.costPrice = s.number("TSEC_CoutHRevient");
  if (c.tarMo == "R")
    l.unitPrice = l.costPrice;
  else
    l.unitPrice = c.clientHourlyRate != 0 ? c.clientHourlyRate : s.number("TSEC_COUTHVENTE");
  l.hasAltPrice = false;
  return l;
}

bool applyPriceBreaks(db::Recordset& breaks, EntryLine& line, const PricingContext& c) {
  if (c.tarMat != "P" && c.tarMat != "V") return false;
  if (!breaks.isOpen()) return false;
  breaks.Seek(">", line.code);
  if (breaks.NoMatch() || breaks.text("TPRIX_CODART").compare(line.code, Qt::CaseInsensitive) != 0)
    return false;
  // Without a bound above the quantity the prices read from no break: both 0.
  double pv1 = 0, pv2 = 0;
  for (; !breaks.EOF_() && breaks.text("TPRIX_CODART").compare(line.code, Qt::CaseInsensitive) == 0;
       breaks.MoveNext()) {
    if (breaks.number("TPRIX_MAXTRANCHE") > line.quantity) {
      pv1 = breaks.number("TPRIX_PUV1");
      pv2 = breaks.number("TPRIX_PUV2");
      break;
    }
  }
  completePrices(pv1, pv2);
  showPrices(line, c.tarMat, pv1, pv2);
  return true;
}

bool applyFloorPrice(const db::Recordset& article, EntryLine& line, ui::MessageFunnel& messages,
                     QChar separator) {
  const QVariant floor = article.value("TARTI_PVUMIN");
  if (floor.isNull() || line.unitPrice >= floor.toDouble()) return false;
  messages.show(messages.tr("Le prix plancher est de ") +
                    formatMasked(floor.toDouble(), QStringLiteral("### ##0.00"), separator),
                ui::Icon::Warning);
  line.unitPrice = floor.toDouble();
  return true;
}

double lineDiscount(const EntryLine& line, const PricingContext& c, db::Recordset* discounts,
                    ui::MessageFunnel& messages) {
  if (line.type.isEmpty()) return 0;
  if (line.type != "A") return c.clientDiscount;
  const bool sellingMode = c.tarMat == "V" || c.tarMat == "P";
  if (sellingMode && discounts && discounts->isOpen() && !line.discountClass.isEmpty()) {
    try {
      discounts->Seek("=", line.discountClass, c.clientCategory);
      if (!discounts->NoMatch()) {
        const double rate = discounts->number(c.tarMat == "V" ? "TREMI_PC1" : "TREMI_PC2");
        if (rate > 0) return rate;
        const ui::Answer a = messages.ask(
            messages.tr("Classe de remise ") + line.discountClass +
                messages.tr(": Taux de remise à 0% pour cet article et cette catégorie de "
                            "client.") +
                "\n" + messages.tr("Par défaut la remise client sera appliquée.") + "\n" +
                messages.tr(" Appliquer ce taux de remise 0% ? "),
            ui::Buttons::YesNo, 2, ui::Icon::Question, messages.tr("Article ") + line.code);
        if (a == ui::Answer::Yes) return 0;
      }
    } catch (const db::DbError&) {
      // Without a usable discount table the client's discount applies.
    }
  }
  return sellingMode ? c.clientDiscount : 0;
}

QuoteLine priceLine(const EntryLine& e, double pcrem) {
  QuoteLine q;
  q.code = e.code;
  q.designation = e.designation;
  q.description1 = e.description1;
  q.description2 = e.description2;
  q.quantity = e.quantity;
  q.unit = e.unit;
  q.costPrice = e.costPrice;
  q.grossPrice = e.unitPrice;
  q.discountPercent = pcrem;
  q.weight = e.weight;
  q.user1 = e.user1;
  q.user2 = e.user2;
  q.user3 = e.user3;
  q.user4 = e.user4;
  q.replacement = e.replacement;
  q.supplier = e.supplier;
  q.vatRate = e.vatRate;
  Calcul_Ligne(q);
  return q;
}

DescriptionRules descriptionRules(const db::Recordset& t) {
  return descriptionRules([&](const QString& field) {
    return t.hasField(field) && !t.value(field).isNull() && t.value(field).toInt() != 0;
  });
}

DescriptionRules descriptionRules(const std::function<bool(const QString& field)>& yes) {
  const bool hide1 = yes(QStringLiteral("TTYP_MASKET1"));
  const bool hide2 = yes(QStringLiteral("TTYP_MASKET2"));
  DescriptionRules rules;
  rules["A"] = {yes(QStringLiteral("TTYP_DART1A")), yes(QStringLiteral("TTYP_DART2A")), hide1,
                hide2};
  rules["F"] = {yes(QStringLiteral("TTYP_DART1F")), yes(QStringLiteral("TTYP_DART2F")), hide1,
                hide2};
  rules["N"] = {yes(QStringLiteral("TTYP_DTRF1")), yes(QStringLiteral("TTYP_DTRF2")), hide1, hide2};
  return rules;
}

void Ecrire_Ligne(word::WordDocument& doc, int table, int row, const LineWriter& writer,
                  const EntryLine& line, double discountPercent, const DescriptionRules& rules,
                  int level) {
  QuoteLine q = priceLine(line, discountPercent);
  q.level = level;
  const DescriptionRule rule = rules.value(line.type);
  if (!rule.text1) q.description1.clear();
  if (!rule.text2) q.description2.clear();
  writer.withHiddenDescriptions(rule.hide1, rule.hide2).write(doc, table, row, q);
}

}  // namespace tarovent::composition
