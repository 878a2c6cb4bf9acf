#pragma once

#include <QComboBox>

class QLineEdit;

namespace tarovent::db {
class Database;
}

namespace tarovent::dossiers {

// The operation (TBUSER_LIBOPE) or vehicle-make (TBUSER_NATVEH) pick list beside its box:
// choosing a line copies it into the box. Hidden when the table does not exist.
class PickList : public QComboBox {
  Q_OBJECT
 public:
  PickList(db::Database& main, const QString& table, QLineEdit* target, QWidget* parent);
};

}  // namespace tarovent::dossiers
