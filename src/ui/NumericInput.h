#pragma once

#include <QChar>
#include <QString>

#include "platform/text/TypedText.h"

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
// first character; a decimal mark once, when decimals are allowed: "." and "," both give the
// workstation's separator (the key returned); control characters (backspace, escape,
// copy/paste) pass. Enter (13) is dropped: the caller moves on instead.
NumberKey filterNumberKey(int key, const NumberBoxState& box, QChar decimalSeparator,
                          bool decimals = true);

// The decimal separator of the workstation (the default locale of the process); the comma
// where the workstation has no regional settings (C, POSIX).
QChar workstationDecimalSeparator();

// Number boxes read what users type with the one strict reader.
using text::readTypedNumber;

// A number typed in a box (text::readTypedNumber: both marks are read whatever the separator).
double numberFromText(const QString& text, QChar decimalSeparator, bool* ok = nullptr);

// A number written for a box: no thousands separator, no exponent, no trailing zeros, the
// workstation's decimal separator.
QString textFromNumber(double value, QChar decimalSeparator);

// An amount as shown: a fixed count of decimals, the workstation's separator and thousands
// separated by a space, as everywhere amounts are printed ("1 234,50", "65,00"). A box showing
// it reads it back whole: the space is one of the characters a number box takes.
QString fixedText(double value, int decimals);

}  // namespace tarovent::ui
