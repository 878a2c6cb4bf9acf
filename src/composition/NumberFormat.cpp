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
  m.scaled = std::round(std::fabs(m.rounded) * core::powerOfTen(m.decimals));
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
