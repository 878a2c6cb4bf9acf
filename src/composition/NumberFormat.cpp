#include "composition/NumberFormat.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "core/InputHelpers.h"
#include "ui/NumericInput.h"

namespace tarovent::composition {

QChar workstationDecimalSeparator() { return ui::workstationDecimalSeparator(); }

QString quantityMask(int decimals) {
  if (decimals <= 0) return QStringLiteral("### ##0");
  return QStringLiteral("### ##0.") + QString(decimals, QLatin1Char('0'));
}

double roundHalfUp(double value, int decimals) { return core::Arrondi(value, decimals); }

qint64 cents(double amount) { return std::llround(amount * 100); }

QString formatMasked(double value, const QString& mask) {
  return formatMasked(value, mask, workstationDecimalSeparator());
}

QString formatMasked(double value, const QString& mask, QChar decimalSeparator) {
  const qsizetype point = mask.indexOf(QLatin1Char('.'));
  const QString intMask = point < 0 ? mask : mask.left(point);
  const QString fracMask = point < 0 ? QString() : mask.mid(point + 1);
  int decimals = 0;
  for (QChar c : fracMask)
    if (c == QLatin1Char('0') || c == QLatin1Char('#')) ++decimals;

  // The digits of the value rounded as the computation rounds it.
  const double rounded = roundHalfUp(value, decimals);
  const QString digits =
      QString::number(std::round(std::fabs(rounded) * std::pow(10.0, decimals)), 'f', 0)
          .rightJustified(decimals + 1, '0');
  QString intDigits = digits.left(digits.size() - decimals);
  const QString fracDigits = digits.right(decimals);
  if (intDigits == QLatin1String("0")) intDigits.clear();

  // Integer part, filled from the right.
  QString out;
  qsizetype next = intDigits.size();
  for (qsizetype i = intMask.size() - 1; i >= 0; --i) {
    const QChar m = intMask.at(i);
    if (m == QLatin1Char('#') || m == QLatin1Char('0')) {
      if (next > 0)
        out.prepend(intDigits.at(--next));
      else if (m == QLatin1Char('0'))
        out.prepend(QLatin1Char('0'));
    } else if (next > 0 || intMask.left(i).contains(QLatin1Char('0'))) {
      out.prepend(m);
    }
  }
  out.prepend(intDigits.left(next));  // more digits than the mask has places

  // Decimal part: '#' places drop trailing zeros.
  QString frac;
  qsizetype used = 0;
  for (QChar m : fracMask) {
    if (m == QLatin1Char('0') || m == QLatin1Char('#')) frac += fracDigits.at(used++);
  }
  for (qsizetype i = fracMask.size() - 1, k = frac.size() - 1; i >= 0 && k >= 0; --i) {
    const QChar m = fracMask.at(i);
    if (m == QLatin1Char('0')) break;
    if (m == QLatin1Char('#')) {
      if (frac.at(k) != QLatin1Char('0')) break;
      frac.chop(1);
      --k;
    }
  }
  if (!frac.isEmpty()) out += decimalSeparator + frac;
  out = out.trimmed();

  const bool zero =
      std::all_of(digits.begin(), digits.end(), [](QChar c) { return c == QLatin1Char('0'); });
  if (rounded < 0 && !zero) out.prepend(QLatin1Char('-'));
  return out;
}

double parseNumber(const QString& text) {
  QString clean;
  clean.reserve(text.size());
  for (QChar c : text) {
    if (c == QLatin1Char(' ') || c == QChar(0x00A0) || c == QChar(0x202F)) continue;
    clean += c == QLatin1Char(',') ? QLatin1Char('.') : c;
  }
  static const QRegularExpression number(
      QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?"));
  const QRegularExpressionMatch match = number.match(clean);
  return match.hasMatch() ? match.captured(0).toDouble() : 0.0;
}

}  // namespace tarovent::composition
