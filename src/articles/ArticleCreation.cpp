#include "articles/ArticleCreation.h"

#include "articles/ArticleFiles.h"
#include "articles/PendingEdit.h"
#include "core/InputHelpers.h"
#include "core/ProcessState.h"
#include "platform/db/Database.h"

namespace tarovent::articles {

namespace {

// "### ### ##0.00" with the workstation's comma.
QString priceText(double value) {
  const bool negative = value < 0;
  const QString digits = QString::number(std::abs(value), 'f', 2);
  QString whole = digits.left(digits.size() - 3);
  for (qsizetype i = whole.size() - 3; i > 0; i -= 3) whole.insert(i, ' ');
  return (negative ? "-" : "") + whole + ',' + digits.right(2);
}

QString zeroIfBlank(const QString& text) {
  return text.trimmed().isEmpty() ? QStringLiteral("0") : text;
}

double number(QString text) { return core::Valeur_Numerique(text.remove(' ')); }

}  // namespace

void Calculer_Prix_Vente(NewArticle& a) {
  const double cost = number(a.purchasePrice) * (1 + number(a.overhead) / 100);
  const double m1 = number(a.margin1), m2 = number(a.margin2);
  if (m1 != 0) a.price1 = priceText(core::Arrondi(cost * (1 + m1 / 100), 2));
  if (m2 != 0) a.price2 = priceText(core::Arrondi(cost * (1 + m2 / 100), 2));
}

bool acceptArticleType(QString& type) {
  type = type.toUpper();
  return type == "A" || type == "F";
}

ArticleField refusedArticleNumber(const NewArticle& a, ui::MessageFunnel& messages) {
  const struct {
    const QString& text;
    const char* label;
    ArticleField field;
  } numbers[] = {{a.purchasePrice, "Prix d'achat", ArticleField::PurchasePrice},
                 {a.overhead, "Frais généraux %", ArticleField::Overhead},
                 {a.margin1, "Marge 1 %", ArticleField::Margin1},
                 {a.margin2, "Marge 2 %", ArticleField::Margin2},
                 {a.price1, "Prix de vente 1", ArticleField::Price1},
                 {a.price2, "Prix de vente 2", ArticleField::Price2}};
  for (const auto& n : numbers)
    if (!core::boxNumber(messages, QString::fromUtf8(n.label), n.text)) return n.field;
  return ArticleField::None;
}

ArticleField Creer_Article(ArticleFiles& files, NewArticle& a, ui::MessageFunnel& messages) {
  const struct {
    const QString& text;
    ArticleField field;
  } required[] = {
      {a.label, ArticleField::Label}, {a.type, ArticleField::Type}, {a.unit, ArticleField::Unit}};
  for (const auto& r : required) {
    if (r.text.trimmed().isEmpty()) {
      messages.beep();
      messages.show(messages.tr("Saisie obligatoire."), ui::Icon::Warning);
      return r.field;
    }
  }
  // Whichever way the form was saved, the type is checked as leaving its field checks it.
  if (!acceptArticleType(a.type)) {
    messages.beep();
    messages.show(messages.tr("Le type doit être A (article acheté) ou F (article fabriqué)."),
                  ui::Icon::Warning);
    return ArticleField::Type;
  }
  if (const ArticleField refused = refusedArticleNumber(a, messages); refused != ArticleField::None)
    return refused;
  for (QString* n : {&a.purchasePrice, &a.price1, &a.price2, &a.overhead, &a.margin1, &a.margin2})
    *n = zeroIfBlank(*n);
  files.ensureStock();  // without it the write below fails with the base's error
  db::Recordset& art = files.articles();
  const PendingEdit pending(art);
  art.AddNew();
  art.setValue("TARTI_CODART", a.code);
  art.setValue("TARTI_LIBART", a.label);
  art.setValue("TARTI_UNST_LIB", a.unit);
  art.setValue("TARTI_Type", a.type);
  if (a.type == "F") art.setValue("TARTI_Sous_Type", QStringLiteral("FIN"));
  art.setValue("TARTI_FOURN", a.supplier);
  art.setValue("TARTI_PMP", number(a.purchasePrice));
  art.setValue("TARTI_COEFFRG", number(a.overhead));
  art.setValue("TARTI_PVU1", number(a.price1));
  art.setValue("TARTI_PVU2", number(a.price2));
  art.setValue("TARTI_COEFU1", number(a.margin1));
  art.setValue("TARTI_COEFU2", number(a.margin2));
  for (const char* empty : {"TARTI_USER3", "TARTI_REMPL", "TARTI_UNACH_LIB", "TARTI_ALLEE"})
    art.setValue(QLatin1String(empty), QString());
  art.setValue("TARTI_USER4", QStringLiteral("0"));
  art.setValue("TARTI_FOURN2", QStringLiteral(" "));
  art.Update();
  return ArticleField::None;
}

bool offerNomenclature(core::ProcessState& state, const NewArticle& a,
                       ui::MessageFunnel& messages) {
  if (a.type != "F") return false;
  if (messages.ask(messages.tr("Désirez-vous saisir la décomposition de cet article "
                               "(nomenclature et gamme) ?"),
                   ui::Buttons::YesNo, 1, ui::Icon::Question) != ui::Answer::Yes)
    return false;
  state.localDb.Execute("delete * from TMP_NOMENC;");
  return true;
}

TariffField Creer_Tarif(core::ProcessState& state, NewTariffLine& l, ui::MessageFunnel& messages,
                        const QDate& today) {
  if (l.supplier.trimmed().isEmpty()) {
    messages.beep();
    messages.show(messages.tr("Saisie fournisseur obligatoire."), ui::Icon::Warning);
    return TariffField::Supplier;
  }
  if (l.label.trimmed().isEmpty()) {
    messages.beep();
    messages.show(messages.tr("Saisie libellé obligatoire."), ui::Icon::Warning);
    return TariffField::Label;
  }
  if (!core::boxNumber(messages, messages.tr("Prix d'achat"), l.purchasePrice))
    return TariffField::PurchasePrice;
  if (!core::boxNumber(messages, messages.tr("Prix de vente"), l.salePrice))
    return TariffField::SalePrice;
  l.purchasePrice = zeroIfBlank(l.purchasePrice);
  l.salePrice = zeroIfBlank(l.salePrice);
  db::RowInserter rows(state.base(core::entry::Tariffs).db, "TTRF",
                       {"TTRF_CODART", "TTRF_REFFOURN", "TTRF_LIBART", "TTRF_UN", "TTRF_CODFOURN",
                        "TTRF_PUnit", "TTRF_PrixVen", "TTRF_DatMaj"});
  rows.add({QStringLiteral("*"), l.reference, l.label, l.unit, l.supplier, number(l.purchasePrice),
            number(l.salePrice), today});
  return TariffField::None;
}

QString supplierName(core::ProcessState& state, const QString& code) {
  db::Recordset rs = state.base(core::entry::Tariffs)
                         .db.OpenRecordset("select TFOU_RSfourn from TFOU where TFOU_CodFourn=" +
                                           db::sqlLiteral(code));
  return rs.EOF_() ? QString() : rs.text("TFOU_RSfourn");
}

}  // namespace tarovent::articles
