#pragma once

#include <QDate>
#include <QString>

#include "ui/MessageFunnel.h"

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::articles {

class ArticleFiles;

// The article creation form's fields, as typed.
struct NewArticle {
  QString code, label;
  QString unit = QStringLiteral("UN");
  QString type = QStringLiteral("A");
  QString supplier;
  QString purchasePrice, overhead, margin1, margin2;
  QString price1 = QStringLiteral("0"), price2 = QStringLiteral("0");
};

// `Calculer_Prix_Vente`: each sale price whose margin is not 0 becomes purchase price x
// (1 + overhead %) x (1 + margin %), rounded to cents and shown "### ### ##0.00"; a margin of
// 0 keeps the price typed.
void Calculer_Prix_Vente(NewArticle& article);

// The type as the form keeps it (capitals); false for a type other than A or F.
bool acceptArticleType(QString& type);

enum class ArticleField {
  None, Label, Type, Unit,
  PurchasePrice, Overhead, Margin1, Margin2, Price1, Price2,  // in the form's order
};

// The first number box of the form that does not hold a whole number ("12abc"), after its
// message; None when every one does (blank ones count as 0).
ArticleField refusedArticleNumber(const NewArticle& article, ui::MessageFunnel& messages);

// `Creer_Article`: the first of label, type and unit left blank, after a beep and "Saisie
// obligatoire.", or the first number refused; otherwise blank numbers become 0 and the
// article record is written (None). Throws db::DbError when the base refuses it.
ArticleField Creer_Article(ArticleFiles& files, NewArticle& article, ui::MessageFunnel& messages);

// Asks, for a manufactured article, whether its bill and routing are to be entered; on yes
// the nomenclature editor's work table is emptied. True on yes.
bool offerNomenclature(core::ProcessState& state, const NewArticle& article,
                       ui::MessageFunnel& messages);

struct NewTariffLine {
  QString supplier, reference, label, unit;
  QString purchasePrice, salePrice;
};

enum class TariffField { None, Supplier, Label, PurchasePrice, SalePrice };

// `Creer_Tarif`: the missing supplier or label, after its beep and message, or the price that
// does not hold a whole number, after its message; otherwise the
// tariff line (article code "*", dated `today`) is written (None). Throws db::DbError.
TariffField Creer_Tarif(core::ProcessState& state, NewTariffLine& line, ui::MessageFunnel& messages,
                        const QDate& today = QDate::currentDate());

// The company name of a supplier, empty when the code is unknown.
QString supplierName(core::ProcessState& state, const QString& code);

}  // namespace tarovent::articles
