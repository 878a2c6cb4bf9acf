#pragma once

#include <QString>
#include <QVariant>

namespace tarovent::db {

// Field types with the engine's numbers, so callers comparing `Type` with constants keep working.
enum class FieldType {
  Boolean = 1,
  Byte = 2,
  Integer = 3,  // 16-bit
  Long = 4,
  Currency = 5,
  Single = 6,
  Double = 7,
  Date = 8,
  Binary = 9,
  Text = 10,
  LongBinary = 11,
  Memo = 12,
};

// Field attribute bits as the engine reports them.
namespace attr {
constexpr int Fixed = 1;
constexpr int Variable = 2;
constexpr int AutoIncrement = 16;
constexpr int Updatable = 32;
}  // namespace attr

// One field of a table definition: what `CreateField` takes and what a table definition reports.
struct FieldSpec {
  QString name;
  FieldType type = FieldType::Text;
  int size = 0;  // characters for Text; 0 means the type's own size
  bool allowZeroLength = true;
  bool required = false;
  bool autoIncrement = false;
  QString defaultValue;  // as the engine shows it: "False", "0", "\"abc\"", "Date()"

  int effectiveSize() const;
  int attributes() const;
  bool isText() const { return type == FieldType::Text || type == FieldType::Memo; }
};

// The SQLite declared type that stores `field` (it keeps the field's type, size and zero-length
// permission, and gives SQLite the right affinity).
QString sqliteDeclaredType(const FieldSpec& field);

// The whole column definition for CREATE TABLE / ALTER TABLE ADD COLUMN (quoted name, type,
// NOT NULL, DEFAULT, case-insensitive collation on text, zero-length check).
QString sqliteColumnDefinition(const FieldSpec& field);

// Rebuilds a field from what SQLite reports about a column (declared type and default text).
FieldSpec fieldFromSqlite(const QString& name, const QString& declaredType,
                          const QString& sqliteDefault, bool notNull);

// Type of a column known only by its declared type (empty for computed columns).
FieldType fieldTypeFromDeclared(const QString& declaredType);

// Jet DDL type names (TEXT, LONG, COUNTER, YESNO, ...): fills type/size/autoIncrement of `field`.
// Returns false for an unknown name.
bool applyJetTypeName(const QString& typeName, int size, FieldSpec& field);

// Converts a Jet default value text into an SQLite DEFAULT clause term ("" when none).
QString sqliteDefaultTerm(const FieldSpec& field);

// Quotes an identifier for SQLite ("a""b").
QString quoteIdentifier(const QString& name);
// Quotes a text literal for SQLite or Jet ('it''s').
QString quoteText(const QString& text);

}  // namespace tarovent::db
