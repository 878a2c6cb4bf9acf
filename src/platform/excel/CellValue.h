#pragma once

#include <QDateTime>
#include <QString>

namespace tarovent::excel {

// What a cell holds as the spreadsheet last computed it: formulas count by their cached
// result. A number shown through a date format is a date (isDate) and keeps its serial.
struct CellValue {
  enum class Type { Empty, Number, Text, Boolean, Error };

  Type type = Type::Empty;
  double number = 0;  // Number (a date's serial) and Boolean (1 or 0)
  QString text;       // Text, and the code of an Error ("#DIV/0!")
  bool isDate = false;

  static CellValue fromNumber(double value);
  static CellValue fromText(const QString& value);
  static CellValue fromBoolean(bool value);
  static CellValue fromDate(const QDate& date, bool date1904 = false);

  bool isEmpty() const { return type == Type::Empty; }
  // The value as a cell shows it in a French spreadsheet: "2,5", "VRAI", "07/12/2026".
  QString displayText(bool date1904 = false) const;
  // The numeric value, the way a macro's Val reads a cell: numbers as they are, texts read as
  // a number when they hold one ("12,5" or "12.5"), anything else 0.
  double numericValue() const;
  QDateTime dateTime(bool date1904 = false) const;

  bool operator==(const CellValue&) const = default;
};

// Serial day numbers of the two date systems. In the 1900 system serial 60 is the 29th of
// February 1900, a day that never was; earlier serials are one day off from later ones.
QDateTime serialToDateTime(double serial, bool date1904);
double dateTimeToSerial(const QDateTime& when, bool date1904);

}  // namespace tarovent::excel
