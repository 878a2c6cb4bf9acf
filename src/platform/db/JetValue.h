#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>
#include <cstdint>

// Values and built-in functions of Jet expressions, shared by the SQLite functions that
// translated SQL calls and by the criteria evaluator, so both give the same results.
namespace tarovent::db::jet {

struct Value {
  enum class Type : std::uint8_t { Null, Bool, Int, Double, Text, Date };
  Type type = Type::Null;
  bool b = false;
  qint64 i = 0;
  double d = 0;     // Double, and Date as the engine's serial number (days since 1899-12-30)
  QStringView s{};  // Text: points into `own` or into storage that outlives the value
  QString own{};

  bool isNull() const { return type == Type::Null; }
  bool isNumeric() const { return type == Type::Int || type == Type::Double || type == Type::Bool; }

  static Value null() { return {}; }
  static Value boolean(bool v);
  static Value integer(qint64 v);
  static Value real(double v);
  static Value date(double serial);
  static Value text(QString v);
  static Value view(QStringView v);
};

// Converts a row value (invalid = Null, bool, integers, double, QString, QDate, QDateTime).
// Text values are views into `v`, which must outlive the result.
Value fromVariant(const QVariant& v);

// Serial numbers of dates.
double serialFromDate(const QDate& d);
double serialFromDateTime(const QDateTime& dt);
QDateTime dateTimeFromSerial(double serial);
// The stored text of a date ("YYYY-MM-DD", with " HH:MM:SS" when not midnight).
QString storageFromSerial(double serial);
// Parses a stored date or a typed date (dd/mm/yyyy, with an optional time).
bool serialFromText(QStringView text, double* serial);

// Jet's text form of a number: 5, 2.5, 0.001 (no exponent for ordinary values).
QString numberText(double v);
// The text a value has under & (Null gives "").
QString toText(const Value& v);
// Numeric value of a value; false for Null and text that is not a number.
bool toNumber(const Value& v, double* out);
// Truth of a value in a condition (Null and 0 are false).
bool isTrue(const Value& v);

// Comparison with the engine's rules: numbers numerically, text with the JET collation,
// dates by date. Returns false in `*comparable` when either side is Null.
int compare(const Value& a, const Value& b, bool* comparable);

// Arithmetic: '+', '-', '*', '/', '\\' (integer division), '%' (Mod), '^'. Null propagates;
// '+' on two texts concatenates; date ± number is a date, date - date a number of days.
Value arithmetic(char op, const Value& a, const Value& b);
// The & operator.
Value concat(const Value& a, const Value& b);

// Built-in functions by Jet name.
enum class Fn : std::uint8_t {
  Left,
  Right,
  Mid,
  InStr,
  UCase,
  LCase,
  Trim,
  LTrim,
  RTrim,
  Len,
  Space,
  Replace,
  Chr,
  Asc,
  CDbl,
  CLng,
  CInt,
  CSng,
  CCur,
  CStr,
  CDate,
  CBool,
  Val,
  Date,
  Now,
  Time,
  Year,
  Month,
  Day,
  Hour,
  Minute,
  Second,
  Weekday,
  DateSerial,
  DateAdd,
  DateDiff,
  Str,
  Abs,
  Int,
  Fix,
  Sgn,
  Round,
  Format,
  Nz,
  IIf,
  Add,
  Sub,
  Div,
  Mod,
  IntDiv,
  Pow,
  Cat,
};

struct FnInfo {
  Fn fn;
  const char* jetName;
  const char* sqlName;  // registered on SQLite connections
  int minArgs;
  int maxArgs;
  bool deterministic;
};

// Looks a function up by its Jet name (case-insensitive, Left$ as Left); nullptr when unknown.
const FnInfo* findFunction(QStringView jetName);
// Every function, for registration.
const FnInfo* functionTable(int* count);

// Evaluates a built-in; throws DbError (type mismatch, invalid argument).
Value call(Fn fn, const Value* args, int count);

}  // namespace tarovent::db::jet
