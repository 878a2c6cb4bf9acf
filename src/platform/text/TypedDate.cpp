#include <QRegularExpression>

#include "TypedText.h"

namespace tarovent::text {

int fullYear(int year, int digits) {
  if (digits > 2) return year;
  return year < 50 ? 2000 + year : 1900 + year;
}

namespace {

QTime timeOf(const QRegularExpressionMatch& m, int first, bool* ok) {
  *ok = true;
  if (m.captured(first).isEmpty()) return QTime(0, 0);
  int hour = m.captured(first).toInt();
  const QString half = m.captured(first + 3).toUpper();
  if (!half.isEmpty()) {
    if (hour < 1 || hour > 12) {
      *ok = false;
      return {};
    }
    hour = hour % 12 + (half == QLatin1String("PM") ? 12 : 0);
  }
  const QTime t(hour, m.captured(first + 1).toInt(), m.captured(first + 2).toInt());
  *ok = t.isValid();
  return t;
}

QDateTime dateTime(int year, int month, int day, const QTime& time) {
  const QDate d(year, month, day);
  return d.isValid() && time.isValid() ? QDateTime(d, time) : QDateTime();
}

}  // namespace

QDateTime readTypedDate(const QString& text, const DateForms& forms) {
  static const QString kTime =
      QStringLiteral("(?:[ T]+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?(?: *([AaPp][Mm]))?)?");
  static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})") + kTime +
                                      '$');
  static const QRegularExpression separated(
      QStringLiteral("^(\\d{1,2})[/.-](\\d{1,2})[/.-](\\d{4}|\\d{2})") + kTime + '$');
  static const QRegularExpression dayMonth(QStringLiteral("^(\\d{1,2})[/.-](\\d{1,2})$"));
  static const QRegularExpression compact(QStringLiteral("^(\\d\\d)(\\d\\d)(\\d{4}|\\d{2})$"));

  const QString t = text.simplified();
  if (t.isEmpty()) return {};
  bool timeOk = false;
  if (const auto m = iso.match(t); m.hasMatch()) {
    const QTime time = timeOf(m, 4, &timeOk);
    if (!timeOk || (!forms.time && !m.captured(4).isEmpty())) return {};
    return dateTime(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), time);
  }
  if (const auto m = separated.match(t); m.hasMatch()) {
    const QTime time = timeOf(m, 4, &timeOk);
    if (!timeOk || (!forms.time && !m.captured(4).isEmpty())) return {};
    const int a = m.captured(1).toInt(), b = m.captured(2).toInt();
    const int year = fullYear(m.captured(3).toInt(), int(m.captured(3).size()));
    return forms.monthFirst ? dateTime(year, a, b, time) : dateTime(year, b, a, time);
  }
  if (forms.dayAndMonth) {
    if (const auto m = dayMonth.match(t); m.hasMatch()) {
      const int a = m.captured(1).toInt(), b = m.captured(2).toInt();
      const int year = QDate::currentDate().year();
      return forms.monthFirst ? dateTime(year, a, b, QTime(0, 0))
                              : dateTime(year, b, a, QTime(0, 0));
    }
  }
  if (forms.compact) {
    if (const auto m = compact.match(t); m.hasMatch()) {
      const int year = fullYear(m.captured(3).toInt(), int(m.captured(3).size()));
      return dateTime(year, m.captured(2).toInt(), m.captured(1).toInt(), QTime(0, 0));
    }
  }
  return {};
}

QDate readTypedDay(const QString& text, const DateForms& forms) {
  return readTypedDate(text, forms).date();
}

}  // namespace tarovent::text
