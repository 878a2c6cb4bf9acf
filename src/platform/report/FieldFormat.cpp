#include "FieldFormat.h"

#include <QDateTime>
#include <QLocale>
#include <cmath>

#include "platform/text/NumberMask.h"

namespace tarovent::report {

namespace {

// The mask in Qt's date format: "dd/mm/yyyy" -> "dd/MM/yyyy", "hh:nn" -> "hh:mm"; other
// characters are kept as literals.
QString qtDateFormat(const QString& mask) {
  QString out;
  bool afterHour = false;
  const QString lower = mask.toLower();
  for (qsizetype i = 0; i < lower.size();) {
    const QChar c = lower[i];
    qsizetype n = 1;
    while (i + n < lower.size() && lower[i + n] == c) ++n;
    if (c == 'd') {
      out += QString(std::min<qsizetype>(n, 4), 'd');
    } else if (c == 'm' && !afterHour) {
      out += QString(std::min<qsizetype>(n, 4), 'M');
    } else if (c == 'm' || c == 'n') {
      out += n == 1 ? QStringLiteral("m") : QStringLiteral("mm");
      afterHour = false;
    } else if (c == 'y') {
      out += n <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy");
    } else if (c == 'h') {
      out += n == 1 ? QStringLiteral("H") : QStringLiteral("HH");
      afterHour = true;
    } else if (c == 's') {
      out += n == 1 ? QStringLiteral("s") : QStringLiteral("ss");
    } else {
      QString literal = mask.mid(i, n);
      literal.replace('\'', QStringLiteral("''"));
      out += '\'' + literal + '\'';
    }
    i += n;
  }
  return out;
}

QString plainNumber(double v, QChar separator) {
  if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15)
    return QString::number(qint64(v));
  QString t = QString::number(v, 'g', 15);
  t.replace('.', separator);
  return t;
}

}  // namespace

bool isNumeric(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
      return true;
    default:
      return false;
  }
}

bool isDateMask(const QString& mask) {
  for (QChar c : mask) {
    const QChar l = c.toLower();
    if (l == 'd' || l == 'm' || l == 'y' || l == 'h' || l == 'n' || l == 's') return true;
  }
  return false;
}

QString formatValue(const QVariant& value, const QString& mask, QChar decimalSeparator) {
  if (isEmptyValue(value)) return {};
  static const QLocale french(QLocale::French, QLocale::France);
  switch (value.typeId()) {
    case QMetaType::QDate:
    case QMetaType::QDateTime: {
      const QDateTime moment = value.typeId() == QMetaType::QDate
                                   ? QDateTime(value.toDate(), QTime(0, 0))
                                   : value.toDateTime();
      if (!mask.isEmpty() && isDateMask(mask)) return french.toString(moment, qtDateFormat(mask));
      if (moment.time() == QTime(0, 0)) return moment.date().toString(QStringLiteral("dd/MM/yyyy"));
      return moment.toString(QStringLiteral("dd/MM/yyyy HH:mm"));
    }
    case QMetaType::Bool:
      return value.toBool() ? QStringLiteral("Oui") : QStringLiteral("Non");
    default:
      break;
  }
  if (isNumeric(value)) {
    const double v = value.toDouble();
    if (mask.isEmpty() || isDateMask(mask)) return plainNumber(v, decimalSeparator);
    return text::formatMasked(v, mask, decimalSeparator);
  }
  return value.toString();
}

}  // namespace tarovent::report
