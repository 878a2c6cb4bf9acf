#pragma once

#include <QMap>
#include <QString>
#include <functional>

#include "composition/LineWriter.h"
#include "ui/MessageFunnel.h"

namespace tarovent::db {
class Recordset;
}

namespace tarovent::composition {

// What the pricing needs of the quote being composed.
struct PricingContext {
  QString tarMat = QStringLiteral("V");  // materials tariff mode: R, V or P
  QString tarMo = QStringLiteral("V");   // labour tariff mode: R or V
  double clientDiscount = 0;             // client's discount percentage
  QString clientCategory;
  double clientHourlyRate = 0;  // client's own labour rate, 0 when none
};

// The line-entry record: what the entry panel shows before a line is written.
struct EntryLine {
  QString code;
  QString designation;
  QString description1, description2;
  QString unit;
  QString type;  // A or F (stock article), N (tariff line), O (option), H (labour)
  double quantity = 0;
  double unitPrice = 0;
  double altPrice = 0;
  bool hasAltPrice = true;
  double costPrice = 0;
  double weight = 0;
  QString supplier;
  QString user1, user2, user3, user4;
  QString replacement;
  QString discountClass;
  QString vatRate;
};

// The fields an article gives every line, whatever its price and designation.
// Selling price 2 falls back on price 1 when it is 0, else price 1 on price 2.
void completePrices(double& pv1, double& pv2);

EntryLine articleFields(const db::Recordset& article);
// Fills the line from the current record of each source.
EntryLine lineFromArticle(const db::Recordset& article, const PricingContext& c);
EntryLine lineFromTariff(const db::Recordset& tariff, const PricingContext& c);
EntryLine lineFromOption(const db::Recordset& option);
EntryLine lineFromSection(const db::Recordset& section, const PricingContext& c);

// Prices the line from the price breaks of its code (modes V and P): the first break whose
// bound is strictly above the quantity. False when the code has no breaks (prices kept).
bool applyPriceBreaks(db::Recordset& breaks, EntryLine& line, const PricingContext& c);

// Raises a unit price typed below the article's floor price, with its message (the floor
// written with `separator`, the quote's decimal separator). True when the price was raised.
bool applyFloorPrice(const db::Recordset& article, EntryLine& line, ui::MessageFunnel& messages,
                     QChar separator);

// The discount of a line, asking about a 0 % class rate. `discounts` is the discount-class
// table (index PrimaryKey on class and category) or null when there is none.
double lineDiscount(const EntryLine& line, const PricingContext& c, db::Recordset* discounts,
                    ui::MessageFunnel& messages);

// The line with its amounts: net price, gross, net, discount and cost amounts, total weight.
QuoteLine priceLine(const EntryLine& line, double discountPercent);

// Whether a type letter's descriptive texts go under the designation, and hidden or not.
struct DescriptionRule {
  bool text1 = false, text2 = false;
  bool hide1 = false, hide2 = false;
};
using DescriptionRules = QMap<QString, DescriptionRule>;

// The description options of a quote type (`TTYP` record): type letters A, F and N, each with
// its two texts, hidden in the table when the type says so.
DescriptionRules descriptionRules(const db::Recordset& quoteType);
// The same from the type's yes/no fields by name.
DescriptionRules descriptionRules(const std::function<bool(const QString& field)>& yes);

// `Ecrire_Ligne`: writes the priced line, with its discount, into one row of a line table. Its
// descriptive texts go under the designation as the quote type's options for its type letter
// say; a letter without options (option, labour section) writes none. A component of an
// explosion is written at its depth (`level`).
void Ecrire_Ligne(word::WordDocument& doc, int table, int row, const LineWriter& writer,
                  const EntryLine& line, double discountPercent, const DescriptionRules& rules,
                  int level = 0);

}  // namespace tarovent::composition
