#pragma once

#include <QString>

namespace tarovent::db {
class Recordset;
}

namespace tarovent::core {

class ProcessState;
struct GeneralParameters;

// The default materials tariff as the parameters window shows it: cost price, or selling
// price 1 or 2.
struct MaterialsTariff {
  bool sellingPrice = false;
  bool price1 = true;
};

// "R" is the cost price; any other letter the selling price, price 1 for "V" and price 2
// otherwise.
MaterialsTariff materialsTariff(const QString& letter);
// "R" for the cost price, else "V" for price 1 and "P" for price 2.
QString materialsLetter(const MaterialsTariff& tariff);
// The labour tariff: "R" for the cost price, "V" for the selling price.
inline QString labourLetter(bool sellingPrice) {
  return sellingPrice ? QStringLiteral("V") : QStringLiteral("R");
}

// Takes the currency labels, the conversion rate (0 when Null) and the two tariff letters from
// the current record of TPAR.
void reloadCurrencyAndTariffs(GeneralParameters& params, const db::Recordset& tpar);

}  // namespace tarovent::core
