#pragma once

#include <QPointer>
#include <QString>
#include <QVariant>

#include "platform/db/JetType.h"

class QWidget;

namespace tarovent::db {
class Recordset;
}

namespace tarovent::ui {

class DataControl;

// What every data-bound control shares: its data control, its field and the data-changed flag.
// The flag goes on when the value changes by any means other than the data control showing a
// record, and off when the record is saved, cancelled or moved.
class BoundControl {
 public:
  virtual ~BoundControl() = default;

  DataControl* dataSource() const;
  const QString& dataField() const { return m_field; }
  void setDataSource(DataControl* source, const QString& field);

  bool DataChanged() const { return m_changed; }
  void setDataChanged(bool changed) { m_changed = changed; }

  // Shows the field of the current record (blank without one); clears the flag.
  void load(const db::Recordset& rs);
  // Writes the shown value into the record being edited or added.
  void store(db::Recordset& rs) const;

  virtual QWidget* widget() = 0;

 protected:
  // The value shown, as the field stores it (Null for blank).
  virtual QVariant shownValue(const db::FieldSpec& field) const = 0;
  virtual void show(const QVariant& value, const db::FieldSpec& field) = 0;
  // Called by the widget's change signals.
  void noteChange() {
    if (!m_loading) m_changed = true;
  }

 private:
  QPointer<QObject> m_source;
  QString m_field;
  bool m_changed = false;
  bool m_loading = false;
};

// The bound control behind a widget, or nullptr.
BoundControl* boundControl(QWidget* w);

// True as soon as one control of `window` bound to a field holds an unsaved change, or a grid
// of it carries the dynamic property "changeMade" set to true.
bool hasPendingChanges(QWidget* window);

// Field values as boxes show them, and typed texts as fields store them.
QString textForField(const QVariant& value, const db::FieldSpec& field);
QVariant valueForField(const QString& text, const db::FieldSpec& field);

}  // namespace tarovent::ui
