#pragma once

#include <QChar>
#include <QString>

namespace tarovent::ui {

// What a number box holds when a key arrives.
struct NumberBoxState {
  QString text;
  int cursor = 0;
  bool allSelected = false;
};

// Outcome of the number-box key filter.
struct NumberKey {
  int key = 0;        // the key to keep, 0 when dropped
  bool beep = false;  // dropped because it is not allowed (Enter is dropped without a beep)
};

// The key filter of number boxes: digits and the space (thousands) always; a sign only as the
// first character; the decimal separator once, when decimals are allowed; control characters
// (backspace, escape, copy/paste) pass. Enter (13) is dropped: the caller moves on instead.
NumberKey filterNumberKey(int key, const NumberBoxState& box, QChar decimalSeparator,
                          bool decimals = true);

// The decimal separator of the workstation (the default locale of the process).
QChar workstationDecimalSeparator();

// A number typed by a user, read strictly: blank gives 0; spaces are ignored; a sign may lead;
// "1 234,50", "1.234,50", "1,234.50", "1234,5" and "1234.5" are all read (with both marks the
// last one is the decimal separator, a mark repeated alone separates thousands by threes).
// Anything else ("12abc", "1e3", "nan", "1,2,3") gives 0 with `ok` false.
double readTypedNumber(const QString& text, bool* ok = nullptr);

// The same reading for callers that pass the workstation's separator (both marks are read).
double numberFromText(const QString& text, QChar decimalSeparator, bool* ok = nullptr);

// A number written for a box: no thousands separator, no exponent, no trailing zeros, the
// workstation's decimal separator.
QString textFromNumber(double value, QChar decimalSeparator);

}  // namespace tarovent::ui
