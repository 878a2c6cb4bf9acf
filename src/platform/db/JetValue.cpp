#include "JetValue.h"

#include <QDateTime>
#include <array>
#include <cmath>

#include "DbError.h"
#include "JetFunctions.h"
#include "JetValueSupport.h"
#include "SqliteValue.h"
#include "platform/text/TypedText.h"

namespace tarovent::db::jet {

namespace {

constexpr qint64 kSerialOrigin = 2415019;  // Julian day of 1899-12-30

}  // namespace

namespace detail {

DbError mismatch() {
  return DbError(err::DataTypeMismatch,
                 QStringLiteral("Type de données incompatible dans l'expression du critère."));
}

// Rounds half to even, as the engine's conversions do.
double roundEven(double v) {
  const double r = std::round(v);
  if (std::fabs(v - std::trunc(v)) == 0.5) return 2.0 * std::round(v / 2.0);
  return r;
}

bool toSerial(const Value& v, double* out) {
  switch (v.type) {
    case Value::Type::Date:
      *out = v.d;
      return true;
    case Value::Type::Text:
      return serialFromText(v.s, out);
    case Value::Type::Int:
    case Value::Type::Double:
      return toNumber(v, out);
    default:
      return false;
  }
}

Value numberValue(double d) {
  if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.0e15)
    return Value::integer(static_cast<qint64>(d));
  return Value::real(d);
}

}  // namespace detail

using namespace detail;

Value Value::boolean(bool v) { return Value{Type::Bool, v}; }
Value Value::integer(qint64 v) { return Value{Type::Int, false, v}; }
Value Value::real(double v) { return Value{Type::Double, false, 0, v}; }
Value Value::date(double serial) { return Value{Type::Date, false, 0, serial}; }
Value Value::view(QStringView v) { return Value{Type::Text, false, 0, 0, v}; }

Value Value::text(QString v) {
  Value r{Type::Text};
  r.own = std::move(v);
  r.s = r.own;
  return r;
}

Value fromVariant(const QVariant& v) {
  if (!v.isValid() || v.isNull()) return Value::null();
  switch (v.typeId()) {
    case QMetaType::Bool:
      return Value::boolean(v.toBool());
    case QMetaType::Double:
    case QMetaType::Float:
      return Value::real(v.toDouble());
    case QMetaType::QDate:
      return Value::date(serialFromDate(v.toDate()));
    case QMetaType::QDateTime:
      return Value::date(serialFromDateTime(v.toDateTime()));
    case QMetaType::QString: {
      // A view into the variant's own string: no copy per row.
      const QString* s = static_cast<const QString*>(v.constData());
      return Value::view(*s);
    }
    default: {
      bool integral = false;
      const qlonglong i = v.toLongLong(&integral);
      return integral ? Value::integer(i) : Value::text(v.toString());
    }
  }
}

double serialFromDate(const QDate& d) { return double(d.toJulianDay() - kSerialOrigin); }

double serialFromDateTime(const QDateTime& dt) {
  return serialFromDate(dt.date()) + dt.time().msecsSinceStartOfDay() / 86400000.0;
}

QDateTime dateTimeFromSerial(double serial) {
  // Beyond the engine's years 100 to 9999 there is no date.
  if (!(serial > -700000.0 && serial < 3000000.0)) return {};
  const double day = std::floor(serial);
  const qint64 msecs = std::llround((serial - day) * 86400000.0 / 1000.0) * 1000;
  QDate d = QDate::fromJulianDay(static_cast<qint64>(day) + kSerialOrigin);
  if (msecs >= 86400000) return QDateTime(d.addDays(1), QTime(0, 0));
  return QDateTime(d, QTime::fromMSecsSinceStartOfDay(static_cast<int>(msecs)));
}

QString storageFromSerial(double serial) { return dateToStorage(dateTimeFromSerial(serial)); }

bool serialFromText(QStringView text, double* serial) {
  const QString t = text.trimmed().toString();
  if (looksLikeStoredDate(t)) {
    const QVariant v = dateFromStorage(t);
    if (!v.isValid()) return false;
    *serial = v.typeId() == QMetaType::QDate ? serialFromDate(v.toDate())
                                             : serialFromDateTime(v.toDateTime());
    return true;
  }
  const QDateTime dt = text::readTypedDate(t);
  if (!dt.isValid()) return false;
  *serial = serialFromDateTime(dt);
  return true;
}

QString numberText(double v) {
  if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15)
    return QString::number(static_cast<qint64>(v));
  QString s = QString::number(v, 'g', 15);
  const qsizetype e = s.indexOf(u'e');
  if (e >= 0) {
    // 1e+20 -> 1E+20, as the engine writes it.
    QString mant = s.left(e);
    QString exp = s.mid(e + 1);
    const QChar sign = exp.front() == u'-' ? u'-' : u'+';
    if (exp.front() == u'-' || exp.front() == u'+') exp.remove(0, 1);
    while (exp.size() > 2 && exp.front() == u'0') exp.remove(0, 1);
    s = mant + u'E' + sign + exp;
  }
  return s;
}

QString toText(const Value& v) {
  switch (v.type) {
    case Value::Type::Null:
      return {};
    case Value::Type::Bool:
      return v.b ? QStringLiteral("-1") : QStringLiteral("0");
    case Value::Type::Int:
      return QString::number(v.i);
    case Value::Type::Double:
      return numberText(v.d);
    case Value::Type::Text:
      return v.s.toString();
    case Value::Type::Date:
      return storageFromSerial(v.d);
  }
  return {};
}

bool toNumber(const Value& v, double* out) {
  switch (v.type) {
    case Value::Type::Null:
      return false;
    case Value::Type::Bool:
      *out = v.b ? -1 : 0;  // the engine's True
      return true;
    case Value::Type::Int:
      *out = double(v.i);
      return true;
    case Value::Type::Double:
    case Value::Type::Date:
      *out = v.d;
      return true;
    case Value::Type::Text: {
      QStringView t = v.s.trimmed();
      if (t.isEmpty()) return false;
      bool ok = false;
      double d = t.toDouble(&ok);
      if (!ok && t.contains(u',')) d = t.toString().replace(u',', u'.').toDouble(&ok);
      // "nan" and "inf" are words to the engine, not numbers.
      ok = ok && std::isfinite(d);
      if (ok) *out = d;
      return ok;
    }
  }
  return false;
}

bool isTrue(const Value& v) {
  double d = 0;
  if (v.type == Value::Type::Bool) return v.b;
  if (v.type == Value::Type::Text) {
    if (v.s.compare(u"true", Qt::CaseInsensitive) == 0 ||
        v.s.compare(u"vrai", Qt::CaseInsensitive) == 0)
      return true;
  }
  return toNumber(v, &d) && d != 0;
}

int compare(const Value& a, const Value& b, bool* comparable) {
  *comparable = !a.isNull() && !b.isNull();
  if (!*comparable) return 0;
  using T = Value::Type;
  const auto cmp = [](auto x, auto y) { return x < y ? -1 : (x > y ? 1 : 0); };
  if (a.type == T::Text && b.type == T::Text) return jetCompare(a.s, b.s);
  if (a.type == T::Int && b.type == T::Int) return cmp(a.i, b.i);
  if (a.type == T::Bool || b.type == T::Bool) {
    // Yes/No compares as the number it is (True = -1), or by truth with a word.
    double x = 0;
    double y = 0;
    if (toNumber(a, &x) && toNumber(b, &y)) return cmp(x, y);
    return cmp(isTrue(a) ? -1 : 0, isTrue(b) ? -1 : 0);
  }
  if (a.type == T::Date || b.type == T::Date) {
    double x = 0;
    double y = 0;
    if (toSerial(a, &x) && toSerial(b, &y)) return cmp(x, y);
  }
  double x = 0;
  double y = 0;
  const bool nx = toNumber(a, &x);
  const bool ny = toNumber(b, &y);
  if (nx && ny) return cmp(x, y);
  // A number against text that is no number: compare their texts.
  return jetCompare(toText(a), toText(b));
}

Value concat(const Value& a, const Value& b) {
  if (a.isNull() && b.isNull()) return Value::null();
  return Value::text(toText(a) + toText(b));
}

namespace {
DbError divisionByZero() {
  return DbError(err::DivisionByZero, QStringLiteral("Division par zéro."));
}
}  // namespace

Value arithmetic(char op, const Value& a, const Value& b) {
  if (a.isNull() || b.isNull()) return Value::null();
  using T = Value::Type;
  if (op == '+' && a.type == T::Text && b.type == T::Text) return concat(a, b);
  double x = 0;
  double y = 0;
  const bool dateA =
      a.type == T::Date || (a.type == T::Text && !toNumber(a, &x) && toSerial(a, &x));
  const bool dateB =
      b.type == T::Date || (b.type == T::Text && !toNumber(b, &y) && toSerial(b, &y));
  if (dateA) toSerial(a, &x);
  if (dateB) toSerial(b, &y);
  if ((!dateA && !toNumber(a, &x)) || (!dateB && !toNumber(b, &y))) throw mismatch();
  if ((op == '+' || op == '-') && (dateA || dateB)) {
    const double r = op == '+' ? x + y : x - y;
    if (dateA && dateB && op == '-') return numberValue(r);
    return Value::date(r);
  }
  const bool ints =
      (a.type == T::Int || a.type == T::Bool) && (b.type == T::Int || b.type == T::Bool);
  switch (op) {
    case '+':
    case '-':
    case '*': {
      // Whole numbers stay whole unless the result leaves their range.
      if (ints) {
        qint64 r = 0;
        const qint64 p = a.type == T::Int ? a.i : qint64(x);
        const qint64 q = b.type == T::Int ? b.i : qint64(y);
        const bool overflow = op == '+'   ? __builtin_add_overflow(p, q, &r)
                              : op == '-' ? __builtin_sub_overflow(p, q, &r)
                                          : __builtin_mul_overflow(p, q, &r);
        if (!overflow) return Value::integer(r);
      }
      return Value::real(op == '+' ? x + y : op == '-' ? x - y : x * y);
    }
    case '/':
      if (y == 0) throw divisionByZero();
      return Value::real(x / y);
    case '\\':
    case '%': {
      // Integer division works on whole numbers that fit the engine's Long (not NaN either: a
      // negative number raised to a fraction gives one).
      if (!(std::fabs(x) < 2147483648.0) || !(std::fabs(y) < 2147483648.0))
        throw DbError(err::DataTypeMismatch, QStringLiteral("Dépassement de capacité."));
      const qint64 p = qint64(roundEven(x));
      const qint64 q = qint64(roundEven(y));
      if (q == 0) throw divisionByZero();
      return Value::integer(op == '%' ? p % q : p / q);
    }
    case '^':
      return Value::real(std::pow(x, y));
  }
  throw mismatch();
}

}  // namespace tarovent::db::jet
