#include <QDateTime>
#include <array>
#include <cmath>
#include <optional>

#include "DbError.h"
#include "JetFunctions.h"
#include "JetValue.h"
#include "JetValueSupport.h"
#include "SqliteValue.h"

// The built-in functions of Jet expressions: their table and their evaluation.
namespace tarovent::db::jet {

using namespace detail;

namespace {

DbError invalidArgument(const char* fn) {
  return DbError(err::DataTypeMismatch,
                 QStringLiteral("Argument incorrect pour la fonction %1.").arg(QLatin1String(fn)));
}

qint64 toInteger(const Value& v, const char* fn) {
  double d = 0;
  if (!toNumber(v, &d) || !(std::fabs(d) < 9.0e15)) throw invalidArgument(fn);
  return static_cast<qint64>(roundEven(d));
}

QString trimSpaces(QStringView s, bool left, bool right) {
  qsizetype a = 0;
  qsizetype b = s.size();
  if (left)
    while (a < b && s[a] == u' ') ++a;
  if (right)
    while (b > a && s[b - 1] == u' ') --b;
  return s.mid(a, b - a).toString();
}

Value viewOrText(const Value& source, qsizetype from, qsizetype n) {
  if (source.type == Value::Type::Text) {
    Value r = source;
    r.s = source.s.mid(from, n);
    return r;
  }
  return Value::text(toText(source).mid(from, n));
}

qsizetype textLength(const Value& v) {
  return v.type == Value::Type::Text ? v.s.size() : toText(v).size();
}

// Numeric masks: 0 forces a digit, # an optional digit, "." the decimal point, "," thousands,
// "%" a percentage; other characters are literals kept between digit positions.
QString formatNumber(double value, QStringView mask) {
  bool percent = mask.contains(u'%');
  if (percent) value *= 100;
  const qsizetype dot = mask.indexOf(u'.');
  const QStringView intMask = dot < 0 ? mask : mask.left(dot);
  const QStringView fracMask = dot < 0 ? QStringView() : mask.mid(dot + 1);
  int decimals = 0;
  for (QChar c : fracMask)
    if (c == u'0' || c == u'#') ++decimals;
  const bool thousands = intMask.contains(u',');
  const double scaled = std::floor(std::fabs(value) * std::pow(10.0, decimals) + 0.5);
  QString digits = QString::number(scaled, 'f', 0);
  while (digits.size() <= decimals) digits.prepend(u'0');
  QString intDigits = digits.left(digits.size() - decimals);
  const QString fracDigits = digits.right(decimals);
  if (intDigits == u"0") intDigits.clear();

  // Integer part, filled from the right.
  QString out;
  qsizetype next = intDigits.size() - 1;
  int placed = 0;
  for (qsizetype m = intMask.size() - 1; m >= 0; --m) {
    const QChar c = intMask[m];
    if (c == u'0' || c == u'#') {
      if (next >= 0) {
        if (thousands && placed > 0 && placed % 3 == 0) out.prepend(u' ');
        out.prepend(intDigits[next--]);
        ++placed;
      } else if (c == u'0') {
        out.prepend(u'0');
        ++placed;
      }
    } else if (c == u',' || c == u'%') {
      continue;
    } else if (next >= 0 || (m > 0 && intMask.left(m).contains(u'0'))) {
      out.prepend(c);
    }
  }
  while (next >= 0) {
    if (thousands && placed > 0 && placed % 3 == 0) out.prepend(u' ');
    out.prepend(intDigits[next--]);
    ++placed;
  }
  if (dot >= 0) {
    QString frac;
    int taken = 0;
    for (QChar c : fracMask) {
      if (c == u'0' || c == u'#') {
        frac += fracDigits[taken++];
      } else if (c != u'%') {
        frac += c;
      }
    }
    while (!frac.isEmpty() && fracMask.endsWith(u'#') && frac.endsWith(u'0')) frac.chop(1);
    if (!frac.isEmpty()) out += u'.' + frac;
  }
  if (percent) out += u'%';
  if (value < 0 && scaled != 0) out.prepend(u'-');
  return out;
}

QString formatDate(double serial, QStringView fmt) {
  const QDateTime dt = dateTimeFromSerial(serial);
  const QString lower = fmt.toString().toLower();
  if (lower == u"short date") return dt.date().toString(QStringLiteral("dd/MM/yyyy"));
  if (lower == u"long date") return dt.date().toString(QStringLiteral("dddd d MMMM yyyy"));
  if (lower == u"short time") return dt.time().toString(QStringLiteral("HH:mm"));
  if (lower == u"long time") return dt.time().toString(QStringLiteral("HH:mm:ss"));
  if (lower == u"general date") return storageFromSerial(serial);
  // Jet's codes: d dd m mm mmm mmmm yy yyyy h hh n nn s ss; m after h means minutes.
  QString out;
  bool afterHour = false;
  for (qsizetype i = 0; i < lower.size();) {
    const QChar c = lower[i];
    qsizetype n = 1;
    while (i + n < lower.size() && lower[i + n] == c) ++n;
    const auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    if (c == u'd') {
      if (n == 1)
        out += QString::number(dt.date().day());
      else if (n == 2)
        out += two(dt.date().day());
      else if (n == 3)
        out += dt.date().toString(QStringLiteral("ddd"));
      else
        out += dt.date().toString(QStringLiteral("dddd"));
    } else if (c == u'm' && !afterHour) {
      if (n == 1)
        out += QString::number(dt.date().month());
      else if (n == 2)
        out += two(dt.date().month());
      else if (n == 3)
        out += dt.date().toString(QStringLiteral("MMM"));
      else
        out += dt.date().toString(QStringLiteral("MMMM"));
    } else if (c == u'm' || c == u'n') {
      out += n == 1 ? QString::number(dt.time().minute()) : two(dt.time().minute());
      afterHour = false;
    } else if (c == u'y') {
      out += n <= 2 ? two(dt.date().year() % 100) : QString::number(dt.date().year());
    } else if (c == u'h') {
      out += n == 1 ? QString::number(dt.time().hour()) : two(dt.time().hour());
      afterHour = true;
    } else if (c == u's') {
      out += n == 1 ? QString::number(dt.time().second()) : two(dt.time().second());
    } else {
      out += fmt.mid(i, n);
    }
    i += n;
  }
  return out;
}

Value format(const Value& v, QStringView fmt) {
  if (v.isNull()) return Value::null();
  if (fmt.isEmpty()) return Value::text(toText(v));
  const QString lower = fmt.toString().toLower();
  double num = 0;
  if (v.type == Value::Type::Date ||
      (v.type == Value::Type::Text && !toNumber(v, &num) && serialFromText(v.s, &num))) {
    double serial = v.type == Value::Type::Date ? v.d : num;
    return Value::text(formatDate(serial, fmt));
  }
  if (!toNumber(v, &num)) return Value::text(toText(v));
  if (lower == u"general number") return Value::text(numberText(num));
  if (lower == u"fixed") return Value::text(formatNumber(num, u"0.00"));
  if (lower == u"standard") return Value::text(formatNumber(num, u"#,##0.00"));
  if (lower == u"percent") return Value::text(formatNumber(num, u"0.00%"));
  if (lower == u"yes/no")
    return Value::text(num != 0 ? QStringLiteral("Oui") : QStringLiteral("Non"));
  if (lower == u"true/false")
    return Value::text(num != 0 ? QStringLiteral("Vrai") : QStringLiteral("Faux"));
  return Value::text(formatNumber(num, fmt));
}

// DateAdd's intervals: yyyy q m y d w ww h n s.
Value dateAdd(QStringView interval, double amount, double serial) {
  const QString iv = interval.toString().toLower();
  const QDateTime dt = dateTimeFromSerial(serial);
  const qint64 n = static_cast<qint64>(std::trunc(amount));
  QDateTime r;
  if (iv == u"yyyy")
    r = dt.addYears(int(n));
  else if (iv == u"q")
    r = dt.addMonths(int(3 * n));
  else if (iv == u"m")
    r = dt.addMonths(int(n));
  else if (iv == u"y" || iv == u"d" || iv == u"w")
    r = dt.addDays(n);
  else if (iv == u"ww")
    r = dt.addDays(7 * n);
  else if (iv == u"h")
    r = dt.addSecs(3600 * n);
  else if (iv == u"n")
    r = dt.addSecs(60 * n);
  else if (iv == u"s")
    r = dt.addSecs(n);
  else
    throw invalidArgument("DateAdd");
  return Value::date(serialFromDateTime(r));
}

qint64 floorDiv(qint64 a, qint64 b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// DateDiff counts the boundaries crossed between the two dates, as the engine does.
Value dateDiff(QStringView interval, double from, double to) {
  const QString iv = interval.toString().toLower();
  const QDate a = dateTimeFromSerial(from).date();
  const QDate b = dateTimeFromSerial(to).date();
  const qint64 sa = std::llround(from * 86400.0);
  const qint64 sb = std::llround(to * 86400.0);
  if (iv == u"yyyy") return Value::integer(b.year() - a.year());
  if (iv == u"q")
    return Value::integer((b.year() - a.year()) * 4 + (b.month() - 1) / 3 - (a.month() - 1) / 3);
  if (iv == u"m") return Value::integer((b.year() - a.year()) * 12 + b.month() - a.month());
  if (iv == u"y" || iv == u"d") return Value::integer(a.daysTo(b));
  if (iv == u"w") return Value::integer(a.daysTo(b) / 7);
  if (iv == u"ww") {
    // Sundays crossed: compare the Sundays that start each date's week.
    const QDate wa = a.addDays(-(a.dayOfWeek() % 7));
    const QDate wb = b.addDays(-(b.dayOfWeek() % 7));
    return Value::integer(wa.daysTo(wb) / 7);
  }
  if (iv == u"h") return Value::integer(floorDiv(sb, 3600) - floorDiv(sa, 3600));
  if (iv == u"n") return Value::integer(floorDiv(sb, 60) - floorDiv(sa, 60));
  if (iv == u"s") return Value::integer(sb - sa);
  throw invalidArgument("DateDiff");
}

const std::array kFunctions = {
    FnInfo{Fn::Left, "Left", "jet_left", 2, 2, true},
    FnInfo{Fn::Right, "Right", "jet_right", 2, 2, true},
    FnInfo{Fn::Mid, "Mid", "jet_mid", 2, 3, true},
    FnInfo{Fn::InStr, "InStr", "jet_instr", 2, 4, true},
    FnInfo{Fn::UCase, "UCase", "jet_ucase", 1, 1, true},
    FnInfo{Fn::LCase, "LCase", "jet_lcase", 1, 1, true},
    FnInfo{Fn::Trim, "Trim", "jet_trim", 1, 1, true},
    FnInfo{Fn::LTrim, "LTrim", "jet_ltrim", 1, 1, true},
    FnInfo{Fn::RTrim, "RTrim", "jet_rtrim", 1, 1, true},
    FnInfo{Fn::Len, "Len", "jet_len", 1, 1, true},
    FnInfo{Fn::Space, "Space", "jet_space", 1, 1, true},
    FnInfo{Fn::Replace, "Replace", "jet_replace", 3, 3, true},
    FnInfo{Fn::Chr, "Chr", "jet_chr", 1, 1, true},
    FnInfo{Fn::Asc, "Asc", "jet_asc", 1, 1, true},
    FnInfo{Fn::CDbl, "CDbl", "jet_cdbl", 1, 1, true},
    FnInfo{Fn::CLng, "CLng", "jet_clng", 1, 1, true},
    FnInfo{Fn::CInt, "CInt", "jet_cint", 1, 1, true},
    FnInfo{Fn::CSng, "CSng", "jet_cdbl", 1, 1, true},
    FnInfo{Fn::CCur, "CCur", "jet_ccur", 1, 1, true},
    FnInfo{Fn::CStr, "CStr", "jet_cstr", 1, 1, true},
    FnInfo{Fn::CDate, "CDate", "jet_cdate", 1, 1, true},
    FnInfo{Fn::CBool, "CBool", "jet_cbool", 1, 1, true},
    FnInfo{Fn::Val, "Val", "jet_val", 1, 1, true},
    FnInfo{Fn::Date, "Date", "jet_date", 0, 0, false},
    FnInfo{Fn::Now, "Now", "jet_now", 0, 0, false},
    FnInfo{Fn::Time, "Time", "jet_time", 0, 0, false},
    FnInfo{Fn::Year, "Year", "jet_year", 1, 1, true},
    FnInfo{Fn::Month, "Month", "jet_month", 1, 1, true},
    FnInfo{Fn::Day, "Day", "jet_day", 1, 1, true},
    FnInfo{Fn::Hour, "Hour", "jet_hour", 1, 1, true},
    FnInfo{Fn::Minute, "Minute", "jet_minute", 1, 1, true},
    FnInfo{Fn::Second, "Second", "jet_second", 1, 1, true},
    FnInfo{Fn::Weekday, "Weekday", "jet_weekday", 1, 1, true},
    FnInfo{Fn::DateSerial, "DateSerial", "jet_dateserial", 3, 3, true},
    FnInfo{Fn::DateAdd, "DateAdd", "jet_dateadd", 3, 3, true},
    FnInfo{Fn::DateDiff, "DateDiff", "jet_datediff", 3, 5, true},
    FnInfo{Fn::Str, "Str", "jet_str", 1, 1, true},
    FnInfo{Fn::Abs, "Abs", "jet_abs", 1, 1, true},
    FnInfo{Fn::Int, "Int", "jet_int", 1, 1, true},
    FnInfo{Fn::Fix, "Fix", "jet_fix", 1, 1, true},
    FnInfo{Fn::Sgn, "Sgn", "jet_sgn", 1, 1, true},
    FnInfo{Fn::Round, "Round", "jet_round", 1, 2, true},
    FnInfo{Fn::Format, "Format", "jet_format", 1, 2, true},
    FnInfo{Fn::Nz, "Nz", "jet_nz", 1, 2, true},
    FnInfo{Fn::IIf, "IIf", "jet_iif", 3, 3, true},
    FnInfo{Fn::Add, "", "jet_add", 2, 2, true},
    FnInfo{Fn::Sub, "", "jet_sub", 2, 2, true},
    FnInfo{Fn::Div, "", "jet_div", 2, 2, true},
    FnInfo{Fn::Mod, "", "jet_mod", 2, 2, true},
    FnInfo{Fn::IntDiv, "", "jet_intdiv", 2, 2, true},
    FnInfo{Fn::Pow, "", "jet_pow", 2, 2, true},
    FnInfo{Fn::Cat, "", "jet_cat", -1, -1, true},
};

}  // namespace

const FnInfo* findFunction(QStringView jetName) {
  if (jetName.endsWith(u'$')) jetName.chop(1);
  for (const FnInfo& f : kFunctions)
    if (f.jetName[0] && jetName.compare(QLatin1String(f.jetName), Qt::CaseInsensitive) == 0)
      return &f;
  return nullptr;
}

const FnInfo* functionTable(int* count) {
  *count = int(kFunctions.size());
  return kFunctions.data();
}

namespace {

bool anyNull(const Value* a, int n) {
  for (int k = 0; k < n; ++k)
    if (a[k].isNull()) return true;
  return false;
}

// Text functions: Left, Mid, InStr, Trim, Replace, Chr... and the & operator. None for another
// function.
std::optional<Value> callText(Fn fn, const Value* a, int n) {
  using T = Value::Type;
  switch (fn) {
    case Fn::Left:
    case Fn::Right: {
      if (anyNull(a, n)) return Value::null();
      const qint64 k = toInteger(a[1], fn == Fn::Left ? "Left" : "Right");
      if (k < 0) throw invalidArgument(fn == Fn::Left ? "Left" : "Right");
      const qsizetype len = textLength(a[0]);
      const qsizetype take = std::min<qsizetype>(k, len);
      return viewOrText(a[0], fn == Fn::Left ? 0 : len - take, take);
    }
    case Fn::Mid: {
      if (a[0].isNull()) return Value::null();
      const qint64 start = toInteger(a[1], "Mid");
      if (start < 1) throw invalidArgument("Mid");
      const qint64 len = n > 2 ? toInteger(a[2], "Mid") : -1;
      if (n > 2 && len < 0) throw invalidArgument("Mid");
      const qsizetype size = textLength(a[0]);
      if (start > size) return viewOrText(a[0], 0, 0);
      return viewOrText(a[0], start - 1, len < 0 ? size : std::min<qint64>(len, size));
    }
    case Fn::InStr: {
      const Value* text = n == 2 ? &a[0] : &a[1];
      const Value* search = n == 2 ? &a[1] : &a[2];
      if (text->isNull() || search->isNull()) return Value::null();
      const qint64 start = n == 2 ? 1 : toInteger(a[0], "InStr");
      if (start < 1) throw invalidArgument("InStr");
      const bool binary = n == 4 && !a[3].isNull() && toInteger(a[3], "InStr") == 0;
      const QString ts = text->type == T::Text ? QString() : toText(*text);
      const QString ss = search->type == T::Text ? QString() : toText(*search);
      const QStringView tv = text->type == T::Text ? text->s : QStringView(ts);
      const QStringView sv = search->type == T::Text ? search->s : QStringView(ss);
      if (binary) {
        if (start > tv.size() + 1) return Value::integer(0);
        return Value::integer(tv.indexOf(sv, start - 1) + 1);
      }
      return Value::integer(jetInStr(int(start), tv, sv));
    }
    case Fn::UCase:
      if (a[0].isNull()) return Value::null();
      return Value::text(toText(a[0]).toUpper());
    case Fn::LCase:
      if (a[0].isNull()) return Value::null();
      return Value::text(toText(a[0]).toLower());
    case Fn::Trim:
    case Fn::LTrim:
    case Fn::RTrim:
      if (a[0].isNull()) return Value::null();
      if (a[0].type == T::Text) {
        QStringView s = a[0].s;
        qsizetype x = 0;
        qsizetype y = s.size();
        if (fn != Fn::RTrim)
          while (x < y && s[x] == u' ') ++x;
        if (fn != Fn::LTrim)
          while (y > x && s[y - 1] == u' ') --y;
        return viewOrText(a[0], x, y - x);
      }
      return Value::text(trimSpaces(toText(a[0]), fn != Fn::RTrim, fn != Fn::LTrim));
    case Fn::Len:
      if (a[0].isNull()) return Value::null();
      return Value::integer(textLength(a[0]));
    case Fn::Space: {
      if (a[0].isNull()) return Value::null();
      const qint64 k = toInteger(a[0], "Space");
      if (k < 0) throw invalidArgument("Space");
      return Value::text(QString(k, u' '));
    }
    case Fn::Replace: {
      if (a[0].isNull()) return Value::null();
      QString s = toText(a[0]);
      const QString f = toText(a[1]);
      if (!f.isEmpty()) s.replace(f, toText(a[2]), Qt::CaseInsensitive);
      return Value::text(s);
    }
    case Fn::Chr: {
      if (a[0].isNull()) return Value::null();
      const qint64 code = toInteger(a[0], "Chr");
      if (code < 0 || code > 0xFFFF) throw invalidArgument("Chr");
      return Value::text(QString(QChar(char16_t(code))));
    }
    case Fn::Asc: {
      if (a[0].isNull()) return Value::null();
      const QString t = toText(a[0]);
      if (t.isEmpty()) throw invalidArgument("Asc");
      return Value::integer(t[0].unicode());
    }
    case Fn::Cat: {
      QString s;
      bool all = n > 0;
      for (int k = 0; k < n; ++k) {
        if (!a[k].isNull()) all = false;
        s += toText(a[k]);
      }
      return all ? Value::null() : Value::text(s);
    }
    default:
      return std::nullopt;
  }
}

// Conversions between types, Val, Str, Format, Nz and IIf. None for another function.
std::optional<Value> callConversion(Fn fn, const Value* a, int n) {
  switch (fn) {
    case Fn::CDbl:
    case Fn::CSng:
    case Fn::CCur: {
      if (a[0].isNull()) return Value::null();
      double d = 0;
      if (!toNumber(a[0], &d)) throw mismatch();
      if (fn == Fn::CCur) d = std::round(d * 10000.0) / 10000.0;
      return Value::real(d);
    }
    case Fn::CLng:
    case Fn::CInt: {
      if (a[0].isNull()) return Value::null();
      double d = 0;
      if (!toNumber(a[0], &d)) throw mismatch();
      const double r = roundEven(d);
      const double limit = fn == Fn::CInt ? 32767.0 : 2147483647.0;
      if (r > limit || r < -limit - 1)
        throw DbError(err::DataTypeMismatch, QStringLiteral("Dépassement de capacité."));
      return Value::integer(qint64(r));
    }
    case Fn::CStr:
      if (a[0].isNull()) return Value::null();
      return Value::text(toText(a[0]));
    case Fn::CDate: {
      if (a[0].isNull()) return Value::null();
      double s = 0;
      if (!toSerial(a[0], &s)) throw mismatch();
      return Value::date(s);
    }
    case Fn::CBool:
      if (a[0].isNull()) return Value::null();
      return Value::boolean(isTrue(a[0]));
    case Fn::Val: {
      if (a[0].isNull()) return Value::null();
      if (a[0].isNumeric()) return a[0];
      // Leading number, spaces ignored, stops at the first other character.
      const QString t = toText(a[0]);
      QString digits;
      bool seenDot = false;
      bool seenExp = false;
      for (qsizetype k = 0; k < t.size(); ++k) {
        const QChar c = t[k];
        if (c == u' ' || c == u'\t') continue;
        if (c.isDigit()) {
          digits += c;
        } else if ((c == u'-' || c == u'+') && (digits.isEmpty() || digits.endsWith(u'E'))) {
          digits += c;
        } else if (c == u'.' && !seenDot && !seenExp) {
          seenDot = true;
          digits += c;
        } else if ((c == u'e' || c == u'E') && !seenExp && !digits.isEmpty()) {
          seenExp = true;
          digits += u'E';
        } else {
          break;
        }
      }
      while (!digits.isEmpty() && !digits.back().isDigit() && digits.back() != u'.') digits.chop(1);
      bool ok = false;
      const double d = digits.toDouble(&ok);
      return numberValue(ok ? d : 0);
    }
    case Fn::Str: {
      if (a[0].isNull()) return Value::null();
      double d = 0;
      if (!toNumber(a[0], &d)) throw mismatch();
      return Value::text((d >= 0 ? QStringLiteral(" ") : QString()) + numberText(d));
    }
    case Fn::Format:
      return format(a[0], n > 1 && !a[1].isNull() ? QStringView(toText(a[1])) : QStringView());
    case Fn::Nz:
      if (!a[0].isNull()) return a[0];
      return n > 1 ? a[1] : Value::text(QString());
    case Fn::IIf:
      return isTrue(a[0]) ? a[1] : a[2];
    default:
      return std::nullopt;
  }
}

// The clock and the date functions. None for another function.
std::optional<Value> callDate(Fn fn, const Value* a, int n) {
  switch (fn) {
    case Fn::Date:
      return Value::date(serialFromDate(QDate::currentDate()));
    case Fn::Now: {
      const QDateTime now = QDateTime::currentDateTime();
      return Value::date(serialFromDateTime(QDateTime(
          now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()))));
    }
    case Fn::Time: {
      const QTime t = QTime::currentTime();
      return Value::date(QTime(t.hour(), t.minute(), t.second()).msecsSinceStartOfDay() /
                         86400000.0);
    }
    case Fn::Year:
    case Fn::Month:
    case Fn::Day:
    case Fn::Hour:
    case Fn::Minute:
    case Fn::Second:
    case Fn::Weekday: {
      if (a[0].isNull()) return Value::null();
      double s = 0;
      if (!toSerial(a[0], &s)) throw mismatch();
      const QDateTime dt = dateTimeFromSerial(s);
      switch (fn) {
        case Fn::Year:
          return Value::integer(dt.date().year());
        case Fn::Month:
          return Value::integer(dt.date().month());
        case Fn::Day:
          return Value::integer(dt.date().day());
        case Fn::Hour:
          return Value::integer(dt.time().hour());
        case Fn::Minute:
          return Value::integer(dt.time().minute());
        case Fn::Second:
          return Value::integer(dt.time().second());
        default:
          return Value::integer(dt.date().dayOfWeek() % 7 + 1);  // Sunday = 1
      }
    }
    case Fn::DateSerial: {
      if (anyNull(a, n)) return Value::null();
      const qint64 y = toInteger(a[0], "DateSerial");
      const qint64 m = toInteger(a[1], "DateSerial");
      const qint64 d = toInteger(a[2], "DateSerial");
      QDate base(int(y < 100 ? (y < 30 ? 2000 + y : 1900 + y) : y), 1, 1);
      if (!base.isValid()) throw invalidArgument("DateSerial");
      const QDate r = base.addMonths(int(m - 1)).addDays(d - 1);
      return Value::date(serialFromDate(r));
    }
    case Fn::DateAdd:
    case Fn::DateDiff: {
      if (anyNull(a, n)) return Value::null();
      const char* name = fn == Fn::DateAdd ? "DateAdd" : "DateDiff";
      const QString interval = toText(a[0]);
      double x = 0;
      double y = 0;
      if (fn == Fn::DateAdd) {
        if (!toNumber(a[1], &x) || !toSerial(a[2], &y)) throw invalidArgument(name);
        return dateAdd(interval, x, y);
      }
      if (!toSerial(a[1], &x) || !toSerial(a[2], &y)) throw invalidArgument(name);
      return dateDiff(interval, x, y);
    }
    default:
      return std::nullopt;
  }
}

// Arithmetic and the number functions. None for another function.
std::optional<Value> callNumber(Fn fn, const Value* a, int n) {
  using T = Value::Type;
  switch (fn) {
    case Fn::Abs: {
      if (a[0].isNull()) return Value::null();
      if (a[0].type == T::Int) return Value::integer(std::llabs(a[0].i));
      double d = 0;
      if (!toNumber(a[0], &d)) throw mismatch();
      return Value::real(std::fabs(d));
    }
    case Fn::Int:
    case Fn::Fix: {
      if (a[0].isNull()) return Value::null();
      if (a[0].type == T::Int) return a[0];
      double d = 0;
      if (!toNumber(a[0], &d)) throw mismatch();
      return numberValue(fn == Fn::Int ? std::floor(d) : std::trunc(d));
    }
    case Fn::Sgn: {
      if (a[0].isNull()) return Value::null();
      double d = 0;
      if (!toNumber(a[0], &d)) throw mismatch();
      return Value::integer(d > 0 ? 1 : (d < 0 ? -1 : 0));
    }
    case Fn::Round: {
      if (a[0].isNull()) return Value::null();
      double d = 0;
      if (!toNumber(a[0], &d)) throw mismatch();
      const qint64 k = n > 1 ? toInteger(a[1], "Round") : 0;
      const double p = std::pow(10.0, double(k));
      const double r = roundEven(d * p) / p;
      return k == 0 ? numberValue(r) : Value::real(r);
    }
    case Fn::Add:
      return arithmetic('+', a[0], a[1]);
    case Fn::Sub:
      return arithmetic('-', a[0], a[1]);
    case Fn::Div:
      return arithmetic('/', a[0], a[1]);
    case Fn::Mod:
      return arithmetic('%', a[0], a[1]);
    case Fn::IntDiv:
      return arithmetic('\\', a[0], a[1]);
    case Fn::Pow:
      return arithmetic('^', a[0], a[1]);
    default:
      return std::nullopt;
  }
}

}  // namespace

Value call(Fn fn, const Value* a, int n) {
  for (auto group : {callText, callConversion, callDate, callNumber})
    if (std::optional<Value> v = group(fn, a, n)) return *std::move(v);
  throw mismatch();
}

}  // namespace tarovent::db::jet
