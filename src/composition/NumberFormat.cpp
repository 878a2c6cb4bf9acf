#include "composition/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

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

// Runs for every amount a recalculation writes: views instead of copies, the output filled
// backwards then turned round.
QString formatMasked(double value, const QString& mask, QChar decimalSeparator) {
  const QStringView whole(mask);
  const qsizetype point = whole.indexOf(QLatin1Char('.'));
  const QStringView intMask = point < 0 ? whole : whole.left(point);
  const QStringView fracMask = point < 0 ? QStringView() : whole.mid(point + 1);
  int decimals = 0;
  for (QChar c : fracMask)
    if (c == QLatin1Char('0') || c == QLatin1Char('#')) ++decimals;

  // The digits of the value rounded as the computation rounds it.
  const double rounded = roundHalfUp(value, decimals);
  const double scaled = std::round(std::fabs(rounded) * core::powerOfTen(decimals));
  // Below 10^15 the double is an exact integer, which a 64-bit conversion prints alike.
  const QString digits =
      (scaled < 1e15 ? QString::number(qint64(scaled)) : QString::number(scaled, 'f', 0))
          .rightJustified(decimals + 1, '0');
  QStringView intDigits = QStringView(digits).left(digits.size() - decimals);
  const QStringView fracDigits = QStringView(digits).right(decimals);
  if (intDigits == QLatin1String("0")) intDigits = {};

  // Integer part, filled from the right.
  const qsizetype firstZero = intMask.indexOf(QLatin1Char('0'));
  QString reversed;
  reversed.reserve(intMask.size() + 1);
  qsizetype next = intDigits.size();
  for (qsizetype i = intMask.size() - 1; i >= 0; --i) {
    const QChar m = intMask.at(i);
    if (m == QLatin1Char('#') || m == QLatin1Char('0')) {
      if (next > 0)
        reversed += intDigits.at(--next);
      else if (m == QLatin1Char('0'))
        reversed += QLatin1Char('0');
    } else if (next > 0 || (firstZero >= 0 && firstZero < i)) {
      reversed += m;
    }
  }
  QString out;
  out.reserve(next + reversed.size() + decimals + 2);
  out += intDigits.left(next);  // more digits than the mask has places
  for (qsizetype i = reversed.size() - 1; i >= 0; --i) out += reversed.at(i);

  // Decimal part: '#' places drop trailing zeros.
  qsizetype fracLength = fracDigits.size();
  for (qsizetype i = fracMask.size() - 1; i >= 0 && fracLength > 0; --i) {
    const QChar m = fracMask.at(i);
    if (m == QLatin1Char('0')) break;
    if (m == QLatin1Char('#')) {
      if (fracDigits.at(fracLength - 1) != QLatin1Char('0')) break;
      --fracLength;
    }
  }
  if (fracLength > 0) {
    out += decimalSeparator;
    out += fracDigits.left(fracLength);
  }
  out = std::move(out).trimmed();

  const bool zero =
      std::all_of(digits.begin(), digits.end(), [](QChar c) { return c == QLatin1Char('0'); });
  if (rounded < 0 && !zero) out.prepend(QLatin1Char('-'));
  return out;
}

double parseNumber(const QString& text) {
  // Every cell of a recalculation passes here. Only ASCII can belong to the number, so the
  // text is copied into bytes (a short one stays on the stack), any other character standing
  // as DEL, which ends the number as that character would.
  std::string clean;
  clean.reserve(size_t(text.size()));
  for (QChar c : text) {
    const char16_t u = c.unicode();
    if (u == u' ' || u == 0x00A0 || u == 0x202F) continue;
    clean += u == u',' ? '.' : u < 0x80 ? char(u) : '\x7f';
  }
  // The leading number: [+-]?(d+.?d*|.d+)([eE][+-]?d+)?, read by hand.
  const size_t n = clean.size();
  const auto digit = [&](size_t i) { return i < n && clean[i] >= '0' && clean[i] <= '9'; };
  const auto digitsFrom = [&](size_t i) {
    while (digit(i)) ++i;
    return i;
  };
  size_t i = 0;
  if (i < n && (clean[i] == '+' || clean[i] == '-')) ++i;
  size_t end = digitsFrom(i);
  if (end > i) {
    if (end < n && clean[end] == '.') end = digitsFrom(end + 1);
  } else if (i < n && clean[i] == '.' && digit(i + 1)) {
    end = digitsFrom(i + 1);
  } else {
    return 0.0;
  }
  if (end < n && (clean[end] == 'e' || clean[end] == 'E')) {
    size_t e = end + 1;
    if (e < n && (clean[e] == '+' || clean[e] == '-')) ++e;
    if (digit(e)) end = digitsFrom(e);
  }
  // from_chars rounds correctly, as Qt does, and takes no '+'; what lies out of its range is
  // left to Qt.
  const char* first = clean.data() + (clean[0] == '+' ? 1 : 0);
  double value = 0;
  const auto [ptr, ec] = std::from_chars(first, clean.data() + end, value);
  if (ec == std::errc() && ptr == clean.data() + end) return value;
  return QString::fromLatin1(clean.data(), qsizetype(end)).toDouble();
}

}  // namespace tarovent::composition
