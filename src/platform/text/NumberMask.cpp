#include "NumberMask.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace tarovent::text {

double powerOfTen(int n) {
  static constexpr double kExact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                      1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  return n >= 0 && n <= 22 ? kExact[n] : std::pow(10.0, n);
}

double roundHalfUp(double value, int decimals) {
  const double scale = powerOfTen(decimals);
  // The product of a decimal value and a power of ten lands a hair below the half it stands
  // for (1.125 x 100 = 112.49999...): nudge by a few units of the last place before flooring.
  const double scaled = value * scale;
  const double nudge = std::abs(scaled) * 4 * std::numeric_limits<double>::epsilon();
  return std::floor(scaled + 0.5 + nudge) / scale;
}

namespace {

// A mask cut at its point, and the value rounded as the computation rounds it: `scaled` is
// its absolute value in units of the last decimal place.
struct MaskedValue {
  QStringView intMask, fracMask;
  int decimals = 0;
  double rounded = 0, scaled = 0;
};

MaskedValue maskedValue(double value, QStringView whole) {
  MaskedValue m;
  const qsizetype point = whole.indexOf(QLatin1Char('.'));
  m.intMask = point < 0 ? whole : whole.left(point);
  m.fracMask = point < 0 ? QStringView() : whole.mid(point + 1);
  for (QChar c : m.fracMask)
    if (c == QLatin1Char('0') || c == QLatin1Char('#')) ++m.decimals;
  m.rounded = roundHalfUp(value, m.decimals);
  m.scaled = std::round(std::fabs(m.rounded) * powerOfTen(m.decimals));
  return m;
}

// The general case: any length of mask, any size of number.
QString formatMaskedGeneral(double value, QStringView whole, QChar decimalSeparator) {
  const auto [intMask, fracMask, decimals, rounded, scaled] = maskedValue(value, whole);
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

}  // namespace

// Runs for every amount a recalculation writes: the usual masks and amounts are put together
// in buffers on the stack, with one string made at the end; the rest goes the general way.
QString formatMasked(double value, const QString& mask, QChar decimalSeparator) {
  const QStringView whole(mask);
  constexpr qsizetype kPlaces = 48;
  if (whole.size() > kPlaces) return formatMaskedGeneral(value, whole, decimalSeparator);
  const auto [intMask, fracMask, decimals, rounded, scaled] = maskedValue(value, whole);
  if (!(scaled < 1e15)) return formatMaskedGeneral(value, whole, decimalSeparator);
  // The digits, at least decimals + 1 of them.
  char raw[24];
  const auto printed =
      std::to_chars(raw, raw + sizeof raw, static_cast<unsigned long long>(scaled));
  const int rawLength = int(printed.ptr - raw);
  const int length = std::max(rawLength, decimals + 1);
  char digits[kPlaces + 24];
  std::fill(digits, digits + (length - rawLength), '0');
  std::copy(raw, printed.ptr, digits + (length - rawLength));
  int intLength = length - decimals;
  const char* fracDigits = digits + intLength;
  if (intLength == 1 && digits[0] == '0') intLength = 0;
  const bool zero = std::all_of(digits, digits + length, [](char c) { return c == '0'; });

  // Integer part, filled leftwards from the middle of the buffer; decimals rightwards.
  char16_t buffer[4 * kPlaces + 64];
  char16_t* const middle = buffer + 2 * kPlaces + 32;
  char16_t* first = middle;
  const qsizetype firstZero = intMask.indexOf(QLatin1Char('0'));
  int next = intLength;
  for (qsizetype i = intMask.size() - 1; i >= 0; --i) {
    const char16_t m = intMask.at(i).unicode();
    if (m == u'#' || m == u'0') {
      if (next > 0)
        *--first = char16_t(digits[--next]);
      else if (m == u'0')
        *--first = u'0';
    } else if (next > 0 || (firstZero >= 0 && firstZero < i)) {
      *--first = m;
    }
  }
  while (next > 0) *--first = char16_t(digits[--next]);  // more digits than the mask has places
  // '#' places drop trailing zeros.
  int fracLength = decimals;
  for (qsizetype i = fracMask.size() - 1; i >= 0 && fracLength > 0; --i) {
    const QChar m = fracMask.at(i);
    if (m == QLatin1Char('0')) break;
    if (m == QLatin1Char('#')) {
      if (fracDigits[fracLength - 1] != '0') break;
      --fracLength;
    }
  }
  char16_t* last = middle;
  if (fracLength > 0) {
    *last++ = decimalSeparator.unicode();
    for (int i = 0; i < fracLength; ++i) *last++ = char16_t(fracDigits[i]);
  }
  // Trimmed as a string is, then signed.
  while (first < last && QChar(*first).isSpace()) ++first;
  while (last > first && QChar(last[-1]).isSpace()) --last;
  if (rounded < 0 && !zero) *--first = u'-';
  return QString(reinterpret_cast<const QChar*>(first), last - first);
}

}  // namespace tarovent::text
