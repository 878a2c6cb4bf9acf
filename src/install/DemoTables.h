#pragma once

#include <QString>
#include <QStringList>
#include <span>
#include <utility>

#include "install/templates/TemplateBuilder.h"

// The fixed material the demo family is made of: names, towns, article families, workshop
// sections, suppliers, quote types, options and the English translation of the interface.
namespace tarovent::install::demo {

extern const QStringList kFirstNames, kSurnames, kFunctions, kTrades, kPlaces;
extern const QStringList kMakes, kOperations, kWorkshops, kSubTypes;
extern const QStringList kCategories;  // client categories, in discount-table order

struct Town {
  const char *name, *postcode, *country;
};
extern const std::span<const Town> kTowns;  // 16 French towns, then 4 abroad

// A family of bought articles: code prefix, label with its size, unit, price range, weight.
struct ArticleFamily {
  const char* prefix;
  const char* label;
  const char* unit;
  double minPrice, maxPrice, weight;
};
extern const std::span<const ArticleFamily> kBought;
extern const std::span<const char* const> kManufactured;

struct Section {
  QString code, label;
  double cost, sale;
};
extern const std::span<const Section> kSections;

struct Supplier {
  const char *code, *name;
};
extern const std::span<const Supplier> kSuppliers;

struct QuoteType {
  QString code, label;
  templates::QuoteTemplateKind kind;
  QString materials, labour;
  bool inactive;
  bool describeBought;  // the descriptive text of bought articles goes into the line table
};
extern const std::span<const QuoteType> kTypes;

struct Option {
  QString code, label;
  double price;
};
extern const std::span<const Option> kOptions;

// The interface's French texts and their English translation (language 1).
extern const std::span<const std::pair<const char*, const char*>> kEnglish;
extern const std::span<const std::pair<const char*, const char*>> kCountries;

// The demo's amounts are francs and its second currency the euro, at the fixed rate the
// pro-forma invoice converts with: the quote and its invoice show the same counter-value.
constexpr double kExchangeRate = 1.0 / 6.55957;
constexpr const char* kMainCurrency = "Francs";
constexpr const char* kSecondCurrency = "Euros";

// Discount of a class (A to D) for a client category in the discount table, for the selling
// price `mode` V (first rate) or P (second rate); class D has none, the user is asked.
double classDiscount(int discountClass, int category, const QString& mode);

// Money: the program's own rounding to the cent.
double round2(double x);
QString countryLabel(const QString& code);
// The first `count` letters of a name, upper case and without accents, for codes.
QString codeLetters(const QString& name, int count);
QString thousands(qint64 n);  // "12 500"

}  // namespace tarovent::install::demo
