#include "NumericInput.h"

#include <QLocale>
#include <cmath>

namespace tarovent::ui {

NumberKey filterNumberKey(int key, const NumberBoxState& box, QChar decimalSeparator,
                          bool decimals) {
  if (key == 13) return {0, false};
  // Ctrl+A, Ctrl+F, bell, backspace, Ctrl+V, escape.
  if (key == 1 || key == 6 || key == 7 || key == 8 || key == 22 || key == 27) return {key, false};

  QString allowed = QStringLiteral("0123456789 ");
  const bool signed_ = box.text.startsWith('+') || box.text.startsWith('-');
  if ((box.text.isEmpty() || box.cursor == 0 || box.allSelected) && !signed_)
    allowed += QStringLiteral("+-");
  if (decimals && !box.text.contains(decimalSeparator)) allowed += decimalSeparator;

  if (key > 0 && key <= 0xFFFF && allowed.contains(QChar(key))) return {key, false};
  return {0, true};
}

QChar workstationDecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  return point.isEmpty() ? QChar('.') : point.at(0);
}

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

double numberFromText(const QString& text, QChar /*decimalSeparator*/, bool* ok) {
  return readTypedNumber(text, ok);
}

QString textFromNumber(double value, QChar decimalSeparator) {
  if (!std::isfinite(value)) return {};
  QString t = QString::number(value, 'f', 10);
  if (t.contains('.')) {
    while (t.endsWith('0')) t.chop(1);
    if (t.endsWith('.')) t.chop(1);
  }
  if (t == QLatin1String("-0")) t = QStringLiteral("0");
  t.replace('.', decimalSeparator);
  return t;
}

}  // namespace tarovent::ui
