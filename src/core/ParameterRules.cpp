#include "ParameterRules.h"

#include "ProcessState.h"
#include "platform/db/Recordset.h"

namespace tarovent::core {

MaterialsTariff materialsTariff(const QString& letter) {
  if (letter == QLatin1String("R")) return {false, true};
  return {true, letter == QLatin1String("V")};
}

QString materialsLetter(const MaterialsTariff& tariff) {
  if (!tariff.sellingPrice) return QStringLiteral("R");
  return tariff.price1 ? QStringLiteral("V") : QStringLiteral("P");
}

void reloadCurrencyAndTariffs(GeneralParameters& params, const db::Recordset& tpar) {
  params.libDev1 = tpar.text("TPAR_LIBDEV1");
  params.libDev2 = tpar.text("TPAR_LIBDEV2");
  params.coeffDev = tpar.number("TPAR_COEFFDEV");
  params.tarifMat = tpar.text("TPAR_TYP_TARIF_MAT");
  params.tarifMo = tpar.text("TPAR_TYP_TARIF_MO");
}

}  // namespace tarovent::core
