#pragma once

#include <QChar>
#include <QString>
#include <QVariant>

namespace tarovent::report {

// The text of a value in a report cell. A number mask ("# ### ##0.00", "00000") is the
// program's mask, with `decimalSeparator` for its point; a date mask uses the letters d, m, y
// (and h, n, s for the time: "dd/mm/yyyy", "dddd d mmmm yyyy"), French names for days and
// months. Without a mask a date shows as dd/mm/yyyy, a number as it is stored, a Yes/No value
// as Oui or Non. A Null value shows as nothing.
QString formatValue(const QVariant& value, const QString& mask, QChar decimalSeparator);

// True for a number held as a number (not a text, not a Yes/No value).
bool isNumeric(const QVariant& value);
// True for a Null or missing value.
inline bool isEmptyValue(const QVariant& value) { return !value.isValid() || value.isNull(); }

// True when `mask` is a date mask.
bool isDateMask(const QString& mask);

}  // namespace tarovent::report
