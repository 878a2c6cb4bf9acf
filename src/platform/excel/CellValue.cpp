#include "platform/excel/CellValue.h"

#include <cmath>

namespace tarovent::excel {

namespace {

const QDate kBase1900(1899, 12, 30);
const QDate kBase1904(1904, 1, 1);

}  // namespace

CellValue CellValue::fromNumber(double value) {
  CellValue v;
  v.type = Type::Number;
  v.number = value;
  return v;
}

CellValue CellValue::fromText(const QString& value) {
  CellValue v;
  v.type = Type::Text;
  v.text = value;
  return v;
}

CellValue CellValue::fromBoolean(bool value) {
  CellValue v;
  v.type = Type::Boolean;
  v.number = value ? 1 : 0;
  return v;
}

CellValue CellValue::fromDate(const QDate& date, bool date1904) {
  CellValue v = fromNumber(dateTimeToSerial(QDateTime(date, QTime(0, 0)), date1904));
  v.isDate = true;
  return v;
}

QDateTime serialToDateTime(double serial, bool date1904) {
  if (!std::isfinite(serial) || serial < 0 || serial > 2958466) return {};
  double days = std::floor(serial);
  QDate base = date1904 ? kBase1904 : kBase1900;
  if (!date1904 && days < 61) {
    if (days == 60) return {};  // 29/02/1900
    base = base.addDays(1);
  }
  const qint64 ms = std::llround((serial - days) * 86400000.0);
  return QDateTime(base.addDays(qint64(days)), QTime(0, 0)).addMSecs(ms);
}

double dateTimeToSerial(const QDateTime& when, bool date1904) {
  const QDate base = date1904 ? kBase1904 : kBase1900;
  double days = double(base.daysTo(when.date()));
  if (!date1904 && days < 61) days -= 1;
  return days + when.time().msecsSinceStartOfDay() / 86400000.0;
}

QDateTime CellValue::dateTime(bool date1904) const {
  return type == Type::Number ? serialToDateTime(number, date1904) : QDateTime();
}

QString CellValue::displayText(bool date1904) const {
  switch (type) {
    case Type::Empty:
      return {};
    case Type::Text:
    case Type::Error:
      return text;
    case Type::Boolean:
      return number != 0 ? QStringLiteral("VRAI") : QStringLiteral("FAUX");
    case Type::Number:
      break;
  }
  if (isDate) {
    const QDateTime when = dateTime(date1904);
    if (when.isValid()) {
      if (number < 1) return when.time().toString(QStringLiteral("HH:mm:ss"));
      if (when.time() == QTime(0, 0)) return when.date().toString(QStringLiteral("dd/MM/yyyy"));
      return when.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    }
  }
  QString shown = QString::number(number, 'g', 15);
  shown.replace('.', ',');
  return shown;
}

double CellValue::numericValue() const {
  if (type == Type::Number || type == Type::Boolean) return number;
  if (type != Type::Text) return 0;
  QString t = text.trimmed();
  t.replace(',', '.');
  bool ok = false;
  const double value = t.toDouble(&ok);
  return ok && std::isfinite(value) ? value : 0;
}

}  // namespace tarovent::excel
