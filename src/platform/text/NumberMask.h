#pragma once

#include <QChar>
#include <QString>

namespace tarovent::text {

// 10^n, exact up to 10^22.
double powerOfTen(int n);

// Rounds half up to n decimals: floor(x * 10^n + 0.5) / 10^n, the decimal value the number
// stands for (1.005 rounds to 1.01).
double roundHalfUp(double value, int decimals);

// Formats a number with a mask: '0' is a digit always shown, '#' a digit shown when
// significant, the point is the decimal separator given, and any other character (a space)
// is written as it stands between digits. The result is trimmed; negative numbers keep their
// sign. So 1234.5 with "# ### ##0.00" gives "1 234,50" with a comma separator.
QString formatMasked(double value, const QString& mask, QChar decimalSeparator);

}  // namespace tarovent::text
