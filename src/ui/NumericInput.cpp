#include "NumericInput.h"

#include <QLocale>
#include <cmath>

#include "platform/text/NumberMask.h"
#include "platform/text/TypedText.h"

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
  if (key > 0 && key <= 0xFFFF && allowed.contains(QChar(key))) return {key, false};

  // The numeric keypad types a point whatever the workstation uses: either mark is taken as
  // the decimal separator and written as the workstation's, once.
  const bool mark = key == '.' || key == ',';
  const bool hasMark = box.text.contains('.') || box.text.contains(',');
  if (mark && decimals && (!hasMark || box.allSelected)) return {decimalSeparator.unicode(), false};
  return {0, true};
}

QChar workstationDecimalSeparator() {
  const QLocale locale;
  // A workstation without regional settings (C, POSIX) writes numbers the French way, as this
  // program does everywhere else.
  if (locale.language() == QLocale::C) return QLatin1Char(',');
  const QString point = locale.decimalPoint();
  return point.isEmpty() ? QChar('.') : point.at(0);
}

QString fixedText(double value, int decimals) {
  QString mask = QStringLiteral("# ### ### ### ##0");
  if (decimals > 0) mask += '.' + QString(decimals, '0');
  return text::formatMasked(value + 0.0, mask, workstationDecimalSeparator());
}

double numberFromText(const QString& text, QChar /*decimalSeparator*/, bool* ok) {
  return text::readTypedNumber(text, ok);
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
