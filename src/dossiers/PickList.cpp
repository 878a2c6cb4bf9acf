#include "PickList.h"

#include <QLineEdit>

#include "CustomFields.h"
#include "platform/db/DbError.h"

namespace tarovent::dossiers {

PickList::PickList(db::Database& main, const QString& table, QLineEdit* target, QWidget* parent)
    : QComboBox(parent) {
  QStringList lines;
  try {
    lines = pickListLines(main, table);
  } catch (const db::DbError&) {
    // Unreadable: treated as missing.
  }
  addItems(lines);
  setVisible(!lines.isEmpty());
  setEnabled(!lines.isEmpty());
  connect(this, &QComboBox::activated, this, [this, target](int row) {
    target->setText(itemText(row));
    target->setModified(true);
    target->setFocus(Qt::OtherFocusReason);
  });
}

}  // namespace tarovent::dossiers
