#pragma once

#include <QChar>
#include <QString>

namespace tarovent::composition {

// Masks of the quote documents.
inline const QString kPriceMask = QStringLiteral("# ### ##0.00");
inline const QString kAmountMask = QStringLiteral("## ### ##0.00");
inline const QString kWeightMask = QStringLiteral("### ##0.000");
inline const QString kPercentMask = QStringLiteral("#0.00");

// Decimal separator of the workstation (from the current locale).
QChar workstationDecimalSeparator();

// Formats a number with a mask: '0' is a digit always shown, '#' a digit shown when
// significant, the point is the decimal separator given, and any other character (a space)
// is written as it stands between digits. The result is trimmed; negative numbers keep their
// sign. So 1234.5 with "# ### ##0.00" gives "1 234,50" with a comma separator.
QString formatMasked(double value, const QString& mask, QChar decimalSeparator);
QString formatMasked(double value, const QString& mask);

// "### ##0." followed by one "0" per quantity decimal; "### ##0" for none.
QString quantityMask(int decimals);

// Rounds half up to n decimals: floor(x * 10^n + 0.5) / 10^n, the decimal value the number
// stands for (1.005 rounds to 1.01). Computation and display both round through it.
double roundHalfUp(double value, int decimals);
inline double round2(double value) { return roundHalfUp(value, 2); }

// An amount in whole cents, for comparing money: raw doubles differ by a hair
// (0.29 * 100 is 28.999999999999996).
qint64 cents(double amount);
inline bool sameAmount(double a, double b) { return cents(a) == cents(b); }

// Reads a number typed or written in a cell: comma or point as decimal separator, spaces
// between digit groups ignored, anything after the number ignored; empty text reads 0.
double parseNumber(const QString& text);

// The decimal mark of a text that is a plain number as the masks write it ("1 234,50", "-3.00",
// "7,5"): ',' or '.'; none for any other text or a number without decimals.
QChar decimalMarkOf(const QString& text);
// That number written with `separator` as its decimal mark; any other text as it stands.
QString withDecimalMark(const QString& text, QChar separator);

}  // namespace tarovent::composition
