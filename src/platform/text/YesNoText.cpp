#include "TypedText.h"

namespace tarovent::text {

std::optional<bool> readYesNo(const QString& text) {
  const QString t = text.trimmed().toUpper();
  if (t == QLatin1String("OUI") || t == QLatin1String("VRAI") || t == QLatin1String("TRUE") ||
      t == QLatin1String("YES") || t == QLatin1String("-1") || t == QLatin1String("1"))
    return true;
  if (t == QLatin1String("NON") || t == QLatin1String("FAUX") || t == QLatin1String("FALSE") ||
      t == QLatin1String("NO") || t == QLatin1String("0"))
    return false;
  return std::nullopt;
}

}  // namespace tarovent::text
