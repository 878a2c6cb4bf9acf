#include "JetType.h"

#include <QRegularExpression>

#include "platform/text/TypedText.h"

namespace tarovent::db {

int FieldSpec::effectiveSize() const {
  switch (type) {
    case FieldType::Boolean:
    case FieldType::Byte:
      return 1;
    case FieldType::Integer:
      return 2;
    case FieldType::Long:
    case FieldType::Single:
      return 4;
    case FieldType::Currency:
    case FieldType::Double:
    case FieldType::Date:
      return 8;
    case FieldType::Text:
      return size > 0 ? size : 255;
    case FieldType::Binary:
      return size > 0 ? size : 255;
    case FieldType::Memo:
    case FieldType::LongBinary:
      return 0;
  }
  return 0;
}

int FieldSpec::attributes() const {
  int a = (type == FieldType::Text || type == FieldType::Memo || type == FieldType::Binary ||
           type == FieldType::LongBinary)
              ? attr::Variable
              : attr::Fixed;
  if (autoIncrement)
    a |= attr::AutoIncrement;
  else
    a |= attr::Updatable;
  return a;
}

QString sqliteDeclaredType(const FieldSpec& field) {
  switch (field.type) {
    case FieldType::Boolean:
      return "YESNO INTEGER";
    case FieldType::Byte:
      return "BYTE INTEGER";
    case FieldType::Integer:
      return "SHORT INTEGER";
    case FieldType::Long:
      return field.autoIncrement ? "COUNTER INTEGER" : "LONG INTEGER";
    case FieldType::Currency:
      return "CURRENCY REAL";
    case FieldType::Single:
      return "SINGLE REAL";
    case FieldType::Double:
      return "DOUBLE";
    case FieldType::Date:
      return "DATETIME";
    case FieldType::Text:
      return QStringLiteral("TEXT%1(%2)")
          .arg(field.allowZeroLength ? "" : " NOZERO")
          .arg(field.effectiveSize());
    case FieldType::Memo:
      return field.allowZeroLength ? "MEMO TEXT" : "MEMO NOZERO TEXT";
    case FieldType::Binary:
      return QStringLiteral("BINARY BLOB(%1)").arg(field.effectiveSize());
    case FieldType::LongBinary:
      return "LONGBINARY BLOB";
  }
  return "TEXT";
}

QString quoteIdentifier(const QString& name) {
  QString q = name;
  q.replace('"', "\"\"");
  return '"' + q + '"';
}

QString quoteText(const QString& text) {
  QString q = text;
  q.replace('\'', "''");
  return '\'' + q + '\'';
}

QString sqliteDefaultTerm(const FieldSpec& field) {
  QString d = field.defaultValue.trimmed();
  if (d.startsWith('=')) d = d.mid(1).trimmed();
  if (d.isEmpty()) return {};
  const QString up = d.toUpper();
  bool numeric = false;
  d.toDouble(&numeric);
  // Yes/no words; a number stays the number it is ("1" is not True in a number field).
  if (!numeric)
    if (const auto yes = text::readYesNo(d)) return *yes ? "-1" : "0";
  if (up == "NULL") return "NULL";
  if (up == "DATE()") return "(date('now','localtime'))";
  if (up == "NOW()") return "(datetime('now','localtime'))";
  if ((d.startsWith('"') && d.endsWith('"') && d.size() >= 2) ||
      (d.startsWith('\'') && d.endsWith('\'') && d.size() >= 2)) {
    QString inner = d.mid(1, d.size() - 2);
    const QChar q = d.front();
    inner.replace(QString(q) + q, QString(q));
    return quoteText(inner);
  }
  if (numeric) return d;
  return quoteText(d);
}

QString sqliteColumnDefinition(const FieldSpec& field) {
  QString def = quoteIdentifier(field.name) + ' ' + sqliteDeclaredType(field);
  if (field.required) def += " NOT NULL";
  const QString dflt = sqliteDefaultTerm(field);
  if (!dflt.isEmpty()) def += " DEFAULT " + dflt;
  if (field.isText()) def += " COLLATE JET";
  if (field.isText() && !field.allowZeroLength)
    def += QStringLiteral(" CHECK (%1 IS NULL OR %1 <> '')").arg(quoteIdentifier(field.name));
  return def;
}

FieldType fieldTypeFromDeclared(const QString& declaredType) {
  const QString t = declaredType.trimmed().toUpper();
  if (t.isEmpty()) return FieldType::Memo;
  if (t.startsWith("YESNO") || t == "BOOLEAN" || t == "BIT") return FieldType::Boolean;
  if (t.startsWith("BYTE")) return FieldType::Byte;
  if (t.startsWith("SHORT")) return FieldType::Integer;
  if (t.startsWith("COUNTER") || t.startsWith("LONG INTEGER")) return FieldType::Long;
  if (t.startsWith("CURRENCY")) return FieldType::Currency;
  if (t.startsWith("SINGLE")) return FieldType::Single;
  if (t.startsWith("DOUBLE")) return FieldType::Double;
  if (t.startsWith("DATETIME") || t == "DATE") return FieldType::Date;
  if (t.startsWith("MEMO")) return FieldType::Memo;
  if (t.startsWith("LONGBINARY")) return FieldType::LongBinary;
  if (t.startsWith("BINARY")) return FieldType::Binary;
  if (t.startsWith("TEXT") && t.contains('(')) return FieldType::Text;
  // Columns made by other means follow SQLite's affinity rules.
  if (t.contains("INT")) return FieldType::Long;
  if (t.contains("CHAR") || t.contains("CLOB") || t.contains("TEXT")) return FieldType::Memo;
  if (t.contains("BLOB")) return FieldType::LongBinary;
  return FieldType::Double;
}

FieldSpec fieldFromSqlite(const QString& name, const QString& declaredType,
                          const QString& sqliteDefault, bool notNull) {
  FieldSpec f;
  f.name = name;
  f.type = fieldTypeFromDeclared(declaredType);
  const QString t = declaredType.toUpper();
  f.autoIncrement = t.startsWith("COUNTER");
  f.allowZeroLength = !t.contains("NOZERO");
  f.required = notNull;
  static const QRegularExpression sizeRe(R"(\((\d+)\))");
  const auto m = sizeRe.match(t);
  if (m.hasMatch() && (f.type == FieldType::Text || f.type == FieldType::Binary))
    f.size = m.captured(1).toInt();
  else if (f.type == FieldType::Text || f.type == FieldType::Binary)
    f.size = 255;
  QString d = sqliteDefault.trimmed();
  if (!d.isEmpty()) {
    if (f.type == FieldType::Boolean && (d == "0" || d == "1" || d == "-1")) {
      f.defaultValue = d == "0" ? "False" : "True";
    } else if (d.startsWith('\'') && d.endsWith('\'') && d.size() >= 2) {
      QString inner = d.mid(1, d.size() - 2);
      inner.replace("''", "'");
      f.defaultValue = '"' + inner + '"';
    } else if (d == "(date('now','localtime'))") {
      f.defaultValue = "Date()";
    } else if (d == "(datetime('now','localtime'))") {
      f.defaultValue = "Now()";
    } else {
      f.defaultValue = d;
    }
  }
  return f;
}

bool applyJetTypeName(const QString& typeName, int size, FieldSpec& field) {
  const QString t = typeName.trimmed().toUpper();
  field.autoIncrement = false;
  field.size = 0;
  if (t == "TEXT" || t == "VARCHAR" || t == "CHAR" || t == "STRING" || t == "ALPHANUMERIC" ||
      t == "CHARACTER" || t == "NVARCHAR" || t == "NCHAR") {
    field.type = FieldType::Text;
    field.size = size > 0 ? size : 255;
  } else if (t == "MEMO" || t == "LONGTEXT" || t == "LONGCHAR" || t == "NOTE" || t == "NTEXT") {
    field.type = FieldType::Memo;
  } else if (t == "LONG" || t == "INT" || t == "INTEGER" || t == "INTEGER4") {
    field.type = FieldType::Long;
  } else if (t == "SHORT" || t == "SMALLINT" || t == "INTEGER2") {
    field.type = FieldType::Integer;
  } else if (t == "BYTE" || t == "TINYINT" || t == "INTEGER1") {
    field.type = FieldType::Byte;
  } else if (t == "DOUBLE" || t == "FLOAT" || t == "FLOAT8" || t == "NUMBER" || t == "NUMERIC" ||
             t == "DECIMAL") {
    field.type = FieldType::Double;
  } else if (t == "SINGLE" || t == "REAL" || t == "FLOAT4" || t == "IEEESINGLE") {
    field.type = FieldType::Single;
  } else if (t == "CURRENCY" || t == "MONEY") {
    field.type = FieldType::Currency;
  } else if (t == "DATETIME" || t == "DATE" || t == "TIME" || t == "TIMESTAMP") {
    field.type = FieldType::Date;
  } else if (t == "YESNO" || t == "BIT" || t == "LOGICAL" || t == "LOGICAL1" || t == "BOOLEAN") {
    field.type = FieldType::Boolean;
  } else if (t == "COUNTER" || t == "AUTOINCREMENT" || t == "IDENTITY") {
    field.type = FieldType::Long;
    field.autoIncrement = true;
  } else if (t == "BINARY" || t == "VARBINARY") {
    field.type = FieldType::Binary;
    field.size = size > 0 ? size : 255;
  } else if (t == "LONGBINARY" || t == "OLEOBJECT" || t == "IMAGE" || t == "GENERAL") {
    field.type = FieldType::LongBinary;
  } else {
    return false;
  }
  return true;
}

}  // namespace tarovent::db
