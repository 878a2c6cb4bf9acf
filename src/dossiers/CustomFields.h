#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <array>

#include "platform/db/Recordset.h"

namespace tarovent::db {
class Database;
}

namespace tarovent::dossiers {

inline constexpr int kCustomFieldCount = 15;

// One custom dossier field as the general parameters define it.
struct CustomFieldDefinition {
  QString label;  // empty: the field is not used
  QString kind;   // "C" text, "N" number, "D" date
  int length = 0;
  int decimals = 0;
  QString table;  // the table of allowed values, empty for none
  bool used() const { return !label.isEmpty(); }
};

// The size of TDOS_USERn in the main database (the longest text a field can hold).
int userFieldSize(db::Database& main, int n);

// A value as the box shows it once left: a number ("N") with its thousands spaced and the
// definition's decimals, a date ("D") written dd/mm/yyyy, any other text as it is. `ok` is
// false (and the text returned unchanged) when a date cannot be read.
QString formatCustomValue(const CustomFieldDefinition& def, const QString& text,
                          QChar decimalSeparator, bool* ok = nullptr);

// The fifteen definitions and their value tables, read once when the workspace opens.
class CustomFields {
 public:
  // Reads TPAR and opens each value table on its key; a table that cannot be opened counts as
  // none. Throws db::DbError when TPAR cannot be read.
  void load(db::Database& main);

  // `n` from 1 to 15.
  const CustomFieldDefinition& definition(int n) const { return m_defs.at(n - 1); }
  bool hasValueTable(int n) const { return m_tables.at(n - 1).isOpen(); }
  // The label shown before the box: " (F4)" added when a value table offers choices.
  QString caption(int n) const;
  // True when one of the fields of the panel (3 to 15) is used.
  bool panelUsed() const;

  // True when `value` is in the field's table (or the field has none).
  bool listed(int n, const QString& value);
  // The values of the field's table, in the table's order.
  QStringList choices(int n);

 private:
  std::array<CustomFieldDefinition, kCustomFieldCount> m_defs;
  std::array<db::Recordset, kCustomFieldCount> m_tables;
};

// The operation or vehicle-make pick list: an empty first line, then the labels of `table` by
// their order. Empty (no line at all) when the table does not exist.
QStringList pickListLines(db::Database& main, const QString& table);

}  // namespace tarovent::dossiers
