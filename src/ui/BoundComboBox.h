#pragma once

#include <QComboBox>

#include "BoundControl.h"

namespace tarovent::db {
class Database;
}

namespace tarovent::ui {

// A combo bound to a field whose list comes from a row source: the first column of each row is
// the code that the field stores, the second the label shown beside it (DBC_ combos).
class BoundComboBox : public QComboBox, public BoundControl {
  Q_OBJECT
 public:
  explicit BoundComboBox(QWidget* parent = nullptr);
  QWidget* widget() override { return this; }

  // Fills the list from a query of `db` (SQL or table); its first column is the code, its
  // second, when there is one, the label. Throws db::DbError.
  void setRowSource(db::Database& db, const QString& source);
  // Fills the list from pairs of code and label.
  void setRows(const QList<QPair<QString, QString>>& rows);
  // Empties the list (before the window closes).
  void clearRowSource();
  const QString& rowSource() const { return m_rowSource; }

  // Which column the closed combo shows: 0 the code (the default), 1 the label.
  void setShownColumn(int column) { setModelColumn(column); }

  // The code of the chosen row, or the text typed when it matches none.
  QString code() const;
  // Chooses the row of `code`; an unknown code leaves no row chosen, its text shown (typed in
  // when editable, greyed otherwise) and kept as the code until a row is chosen.
  void setCode(const QString& code);

 protected:
  QVariant shownValue(const db::FieldSpec& field) const override;
  void show(const QVariant& value, const db::FieldSpec& field) override;

 private:
  int rowOfCode(const QString& code) const;

  QString m_rowSource;
  QString m_unlisted;  // the code shown that no row holds
};

}  // namespace tarovent::ui
