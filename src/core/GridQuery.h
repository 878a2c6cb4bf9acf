#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

#include "InputHelpers.h"
#include "platform/db/JetType.h"

namespace tarovent::db {
class Recordset;
}

namespace tarovent::core {

// How the grid tools read a column: the cell type of the grid.
enum class ColumnKind { Date = 0, Text = 1, Decimal = 2, Integer = 3, CheckBox = 10, Number = 13 };
ColumnKind columnKindOf(db::FieldType type);
inline bool isNumeric(ColumnKind k) {
  return k == ColumnKind::Decimal || k == ColumnKind::Integer || k == ColumnKind::Number;
}

// A text condition of the search dialog (FND3_OPTRECH).
enum class TextMatch { Equal = 0, BeginsWith = 1, Contains = 2 };

// A condition or criteria built from what the user typed, or the (untranslated) message that
// refuses the value.
struct GridCondition {
  GridCondition(QString condition = {}, QString refusal = {})
      : text(std::move(condition)), error(std::move(refusal)) {}
  QString text;
  QString error;
  bool ok() const { return error.isEmpty(); }
};

inline const QString kNotANumber = QStringLiteral("Saisie d'une valeur numérique attendue.");
inline const QString kNotADate = QStringLiteral("Saisie d'une date attendue (jj/mm/aaaa).");
inline const QString kNotYesNo = QStringLiteral("Saisie attendue : OUI ou NON.");
inline const QString kOperatorRefused =
    QStringLiteral("Ce mode de sélection est impossible sur ce type colonne...");

// A date typed day first (25/12/2025, 25.12.25, 25-12-2025); two-digit years 00-29 are
// 2000-2029. Invalid when it is not a date.
QDate typedDate(const QString& text);
// A typed number written for SQL (point decimal); false when the text is not a number.
bool typedNumber(const QString& text, QString* sql);

// The criteria of the recordset's find for a value typed in the search dialog.
GridCondition searchCriteria(const QString& field, ColumnKind kind, TextMatch match,
                             const QString& value);

// The new ORDER BY of the sort dialog; `keepPrevious` puts the previous order after it.
QString sortOrder(const QString& field, bool descending, bool keepPrevious,
                  const QString& previousOrder);

// The operators of the selection combo, in their order.
QStringList selectionOperators();
// One condition of the selection dialog.
GridCondition selectionCondition(const QString& field, ColumnKind kind, const QString& op,
                                 const QString& value);
// The WHERE part with one more condition: selections accumulate with " and ".
QString addCondition(const QString& where, const QString& condition);

// The record source of a grid made of its parts: base, " Where " part and " Order by " part
// (each when present), ended by ";". A bare table name as base is read as all of its fields.
QString recordSourceOf(const QueryParts& parts);

// The bookmark of the first record matching the criteria, or of the next one after the current
// record (`next`); empty when none does. Table recordsets are searched too. The recordset does
// not move. Throws db::DbError for criteria the engine refuses.
QByteArray findRecord(const db::Recordset& rs, const QString& criteria, bool next);

// The keyboard prompts of lists without dialog: rows whose field begins with the value, and
// the criteria of rows whose field contains it.
QString prefixCondition(const QString& field, const QString& value);
QString containsCriteria(const QString& field, const QString& value);

}  // namespace tarovent::core
