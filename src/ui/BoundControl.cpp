#include "BoundControl.h"

#include <QDate>
#include <QDateTime>
#include <QWidget>
#include <cmath>

#include "DataControl.h"
#include "NumericInput.h"
#include "platform/db/Recordset.h"
#include "platform/text/TypedText.h"

namespace tarovent::ui {

namespace {

bool isNumeric(db::FieldType t) {
  switch (t) {
    case db::FieldType::Byte:
    case db::FieldType::Integer:
    case db::FieldType::Long:
    case db::FieldType::Currency:
    case db::FieldType::Single:
    case db::FieldType::Double:
      return true;
    default:
      return false;
  }
}

}  // namespace

DataControl* BoundControl::dataSource() const { return static_cast<DataControl*>(m_source.data()); }

void BoundControl::setDataSource(DataControl* source, const QString& field) {
  m_source = source;
  m_field = field;
}

void BoundControl::load(const db::Recordset& rs) {
  m_loading = true;
  const bool onRecord = rs.isOpen() && !rs.BOF() && !rs.EOF_();
  const int i = rs.isOpen() ? rs.fieldIndex(m_field) : -1;
  if (i >= 0) {
    const db::FieldSpec field = rs.fieldSpec(i);
    const bool adding = rs.EditMode() == db::EditMode::Add;
    show(onRecord || adding ? rs.value(i) : QVariant(), field);
  } else {
    show(QVariant(), db::FieldSpec{});
  }
  m_loading = false;
  m_changed = false;
}

void BoundControl::store(db::Recordset& rs) const {
  const int i = rs.fieldIndex(m_field);
  if (i < 0) return;
  const db::FieldSpec field = rs.fieldSpec(i);
  rs.setValue(i, shownValue(field));
}

BoundControl* boundControl(QWidget* w) { return dynamic_cast<BoundControl*>(w); }

bool hasPendingChanges(QWidget* window) {
  if (!window) return false;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (const BoundControl* b = boundControl(w)) {
      if (!b->dataField().isEmpty() && b->DataChanged()) return true;
    } else if (w->property("changeMade").toBool()) {
      return true;
    }
  }
  return false;
}

QString textForField(const QVariant& value, const db::FieldSpec& field) {
  if (value.isNull() || !value.isValid()) return {};
  if (isNumeric(field.type) || value.typeId() == QMetaType::Double ||
      value.typeId() == QMetaType::Float)
    return textFromNumber(value.toDouble(), workstationDecimalSeparator());
  if (field.type == db::FieldType::Date) {
    if (value.typeId() == QMetaType::QDate) return value.toDate().toString("dd/MM/yyyy");
    const QDateTime dt = value.toDateTime();
    if (dt.isValid())
      return dt.time() == QTime(0, 0) ? dt.date().toString("dd/MM/yyyy")
                                      : dt.toString("dd/MM/yyyy hh:mm:ss");
  }
  return value.toString();
}

QVariant valueForField(const QString& text, const db::FieldSpec& field) {
  if (isNumeric(field.type)) {
    if (text.trimmed().isEmpty()) return QVariant();
    bool ok = false;
    const double v = numberFromText(text, workstationDecimalSeparator(), &ok);
    if (!ok) return text;  // the engine reports the type mismatch
    if (field.type == db::FieldType::Double || field.type == db::FieldType::Single ||
        field.type == db::FieldType::Currency)
      return v;
    return static_cast<qlonglong>(std::llround(v));
  }
  if (field.type == db::FieldType::Date) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return QVariant();
    const QDateTime dt = text::readTypedDate(t);
    if (!dt.isValid()) return text;  // the engine reports the conversion error
    return dt.time() == QTime(0, 0) ? QVariant(dt.date()) : QVariant(dt);
  }
  if (field.type == db::FieldType::Boolean) {
    if (text.trimmed().isEmpty()) return false;
    if (const auto yes = text::readYesNo(text)) return *yes;
    bool ok = false;
    const double v = text::readTypedNumber(text, &ok);
    return ok ? QVariant(v != 0) : QVariant(text);  // a word: the engine's type mismatch
  }
  if (text.isEmpty() && !field.allowZeroLength) return QVariant();
  return text;
}

}  // namespace tarovent::ui
