#include <QStringList>
#include <cmath>

#include "TypedText.h"

namespace tarovent::text {

namespace {

bool isBlank(QChar c) { return c == ' ' || c == QChar(0x00A0) || c == QChar(0x202F); }

// Thousands marks must leave groups of three digits between them and the decimal mark.
bool groupsOfThree(const QString& digitsAndMarks, QChar mark) {
  const QStringList groups = digitsAndMarks.split(mark);
  for (int i = 1; i < groups.size(); ++i)
    if (groups[i].size() != 3) return false;
  return !groups.front().isEmpty() && groups.front().size() <= 3;
}

}  // namespace

double readTypedNumber(const QString& text, bool* ok) {
  if (ok) *ok = false;
  QString t;
  t.reserve(text.size());
  for (QChar c : text)
    if (!isBlank(c) && c != '\t') t += c;
  if (t.isEmpty()) {
    if (ok) *ok = true;
    return 0;
  }
  bool negative = false;
  if (t.startsWith('+') || t.startsWith('-')) {
    negative = t.startsWith('-');
    t.remove(0, 1);
  }
  for (QChar c : t)
    if (!(c.isDigit() && c.unicode() < 0x80) && c != '.' && c != ',') return 0;
  const int points = int(t.count('.'));
  const int commas = int(t.count(','));
  QString integral = t;
  QString fraction;
  // The decimal mark: the last mark when both are typed, a mark typed once otherwise; a mark
  // repeated alone separates thousands ("1.234.567").
  QChar decimal;
  if (points && commas) {
    decimal = t.lastIndexOf('.') > t.lastIndexOf(',') ? QChar('.') : QChar(',');
  } else if (points == 1) {
    decimal = '.';
  } else if (commas == 1) {
    decimal = ',';
  }
  if (!decimal.isNull()) {
    if (t.count(decimal) != 1) return 0;
    const int at = int(t.indexOf(decimal));
    integral = t.left(at);
    fraction = t.mid(at + 1);
    if (fraction.contains('.') || fraction.contains(',')) return 0;
  }
  const QChar thousands = integral.contains('.') ? QChar('.') : QChar(',');
  if (integral.contains(thousands)) {
    if (!groupsOfThree(integral, thousands)) return 0;
    integral.remove(thousands);
  }
  if (integral.isEmpty() && fraction.isEmpty()) return 0;
  const QString plain = (integral.isEmpty() ? QStringLiteral("0") : integral) +
                        (fraction.isEmpty() ? QString() : QLatin1Char('.') + fraction);
  bool good = false;
  const double v = plain.toDouble(&good);
  if (!good || !std::isfinite(v)) return 0;
  if (ok) *ok = true;
  return negative ? -v : v;
}

}  // namespace tarovent::text
