#include "composition/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <string>

#include "platform/text/NumberMask.h"
#include "ui/NumericInput.h"

namespace tarovent::composition {

QChar workstationDecimalSeparator() { return ui::workstationDecimalSeparator(); }

QString quantityMask(int decimals) {
  if (decimals <= 0) return QStringLiteral("### ##0");
  return QStringLiteral("### ##0.") + QString(decimals, QLatin1Char('0'));
}

double roundHalfUp(double value, int decimals) { return text::roundHalfUp(value, decimals); }

qint64 cents(double amount) { return std::llround(amount * 100); }

QString formatMasked(double value, const QString& mask) {
  return formatMasked(value, mask, workstationDecimalSeparator());
}

QString formatMasked(double value, const QString& mask, QChar decimalSeparator) {
  return text::formatMasked(value, mask, decimalSeparator);
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

namespace {

bool isGroupSpace(QChar c) {
  return c == QLatin1Char(' ') || c == QChar(0x00A0) || c == QChar(0x202F);
}

// Where the decimal mark of a plain number stands in `text`; -1 when there is none.
qsizetype decimalMarkAt(const QString& text) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && text[i].isSpace()) ++i;
  if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) ++i;
  bool digits = false;
  while (i < n && (text[i].isDigit() || (digits && isGroupSpace(text[i])))) {
    digits = digits || text[i].isDigit();
    ++i;
  }
  if (!digits || i >= n || (text[i] != QLatin1Char(',') && text[i] != QLatin1Char('.')) ||
      !text[i - 1].isDigit())
    return -1;
  const qsizetype mark = i++;
  const qsizetype decimals = i;
  while (i < n && text[i].isDigit()) ++i;
  if (i == decimals) return -1;
  while (i < n && text[i].isSpace()) ++i;
  return i == n ? mark : -1;
}

}  // namespace

QChar decimalMarkOf(const QString& text) {
  const qsizetype at = decimalMarkAt(text);
  return at < 0 ? QChar() : text[at];
}

QString withDecimalMark(const QString& text, QChar separator) {
  const qsizetype at = decimalMarkAt(text);
  if (at < 0 || text[at] == separator) return text;
  QString fixed = text;
  fixed[at] = separator;
  return fixed;
}

}  // namespace tarovent::composition
