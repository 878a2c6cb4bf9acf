#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

// Readers of values typed by users or stored as text. Each rule is written once, here; callers
// pick the reader named by their use:
//   readTypedDate    date and date-time boxes, grid selection, custom fields, the calendar, and
//                    texts the database layer converts to a date field (month first there, as in
//                    Jet SQL); one century rule for two-digit years (fullYear).
//   readYesNo        yes/no texts wherever they are read: bound check boxes, grid selection,
//                    stored flags, defaults of yes/no fields.
//   readTypedNumber  number boxes and entry fields (strict: a text is a number or it is refused).
// Two number readers follow other rules and stay where they are: the cell reader of quote
// documents (composition::parseNumber, the leading number of a cell the program wrote) and
// the database's conversion of a text into a number field (db::coerceToField, refused with the
// engine's conversion error when it is not a whole number).
namespace tarovent::text {

// Two-digit years: 00-49 are 20xx, 50-99 are 19xx. Other years are kept as they are.
int fullYear(int year, int digits);

struct DateForms {
  bool monthFirst = false;   // 03/15/2026 rather than 15/03/2026 (SQL texts)
  bool time = true;          // a time may follow the date
  bool compact = false;      // digits only: 150326, 15032026
  bool dayAndMonth = false;  // 15/03 is this year's
};

// A date typed with "/", "." or "-" between day, month and year (year on two or four digits),
// or in the ISO form 2026-03-15 (with "T" or a space before an optional time). Invalid: an
// invalid QDateTime.
QDateTime readTypedDate(const QString& text, const DateForms& forms = {});
QDate readTypedDay(const QString& text, const DateForms& forms = {});

// "Oui", "Vrai", "True", "Yes", "-1", "1" are true; "Non", "Faux", "False", "No", "0" are
// false, in any case; anything else (the empty text included) is neither.
std::optional<bool> readYesNo(const QString& text);

// A number typed by a user, read strictly: blank gives 0; spaces are ignored; a sign may lead;
// "1 234,50", "1.234,50", "1,234.50", "1234,5" and "1234.5" are all read (with both marks the
// last one is the decimal separator, a mark repeated alone separates thousands by threes).
// Anything else ("12abc", "1e3", "nan", "1,2,3") gives 0 with `ok` false.
double readTypedNumber(const QString& text, bool* ok = nullptr);

}  // namespace tarovent::text
