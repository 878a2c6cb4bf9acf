#include "SqliteValue.h"

#include <cmath>

#include "DbError.h"
#include "platform/text/TypedText.h"

namespace tarovent::db {

QString dateToStorage(const QDate& d) { return d.toString(QStringLiteral("yyyy-MM-dd")); }

QString dateToStorage(const QDateTime& dt) {
  if (dt.time() == QTime(0, 0)) return dateToStorage(dt.date());
  return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool looksLikeStoredDate(const QString& t) {
  const auto digit = [&](int i) { return t[i].isDigit(); };
  if (t.size() != 10 && t.size() != 19) return false;
  if (!(digit(0) && digit(1) && digit(2) && digit(3) && t[4] == '-' && digit(5) && digit(6) &&
        t[7] == '-' && digit(8) && digit(9)))
    return false;
  if (t.size() == 10) return true;
  return t[10] == ' ' && digit(11) && digit(12) && t[13] == ':' && digit(14) && digit(15) &&
         t[16] == ':' && digit(17) && digit(18);
}

QVariant dateFromStorage(const QString& text) {
  if (!looksLikeStoredDate(text)) return {};
  if (text.size() == 10) {
    QDate d = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    return d.isValid() ? QVariant(d) : QVariant();
  }
  QDateTime dt = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  return dt.isValid() ? QVariant(dt) : QVariant();
}

QString columnText(sqlite3_stmt* stmt, int col) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
  const int n = sqlite3_column_bytes(stmt, col);
  return QString::fromUtf8(p, n);
}

void bindValue(sqlite3_stmt* stmt, int index, const QVariant& value) {
  if (!value.isValid() || value.isNull()) {
    sqlite3_bind_null(stmt, index);
    return;
  }
  switch (value.typeId()) {
    case QMetaType::Bool:
      sqlite3_bind_int(stmt, index, value.toBool() ? -1 : 0);  // the engine's True
      return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::UChar:
      sqlite3_bind_int64(stmt, index, value.toLongLong());
      return;
    case QMetaType::Double:
    case QMetaType::Float:
      sqlite3_bind_double(stmt, index, value.toDouble());
      return;
    case QMetaType::QDate: {
      const QByteArray t = dateToStorage(value.toDate()).toUtf8();
      sqlite3_bind_text(stmt, index, t.constData(), t.size(), SQLITE_TRANSIENT);
      return;
    }
    case QMetaType::QDateTime: {
      const QByteArray t = dateToStorage(value.toDateTime()).toUtf8();
      sqlite3_bind_text(stmt, index, t.constData(), t.size(), SQLITE_TRANSIENT);
      return;
    }
    case QMetaType::QByteArray: {
      const QByteArray b = value.toByteArray();
      sqlite3_bind_blob(stmt, index, b.constData(), b.size(), SQLITE_TRANSIENT);
      return;
    }
    default: {
      const QByteArray t = value.toString().toUtf8();
      sqlite3_bind_text(stmt, index, t.constData(), t.size(), SQLITE_TRANSIENT);
      return;
    }
  }
}

QVariant columnValue(sqlite3_stmt* stmt, int col, FieldType type, bool typeKnown) {
  const int st = sqlite3_column_type(stmt, col);
  if (st == SQLITE_NULL) return {};
  if (typeKnown) {
    switch (type) {
      case FieldType::Boolean:
        if (st == SQLITE_INTEGER || st == SQLITE_FLOAT)
          return sqlite3_column_double(stmt, col) != 0;
        break;
      case FieldType::Date:
        if (st == SQLITE_TEXT) {
          QVariant d = dateFromStorage(columnText(stmt, col));
          if (d.isValid()) return d;
        }
        break;
      default:
        break;
    }
  }
  switch (st) {
    case SQLITE_INTEGER:
      return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt, col)));
    case SQLITE_FLOAT:
      return QVariant(sqlite3_column_double(stmt, col));
    case SQLITE_BLOB: {
      const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, col));
      return QVariant(QByteArray(p, sqlite3_column_bytes(stmt, col)));
    }
    default: {
      QString t = columnText(stmt, col);
      if (!typeKnown && looksLikeStoredDate(t)) {
        QVariant d = dateFromStorage(t);
        if (d.isValid()) return d;
      }
      return QVariant(t);
    }
  }
}

QVariant columnValue(sqlite3_stmt* stmt, int col) {
  const char* decl = sqlite3_column_decltype(stmt, col);
  if (!decl) return columnValue(stmt, col, FieldType::Memo, false);
  return columnValue(stmt, col, fieldTypeFromDeclared(QString::fromUtf8(decl)), true);
}

static QVariant numberFromText(const QString& s, bool* ok) {
  QString t = s.trimmed();
  t.replace(',', '.');
  return QVariant(t.toDouble(ok));
}

QVariant coerceToField(const QVariant& value, const FieldSpec& field) {
  if (!value.isValid() || value.isNull()) return {};
  const auto mismatch = [&] {
    return DbError(err::DataTypeMismatch,
                   QStringLiteral("Type de données incompatible pour le champ %1").arg(field.name));
  };
  const auto conversion = [&] {
    return DbError(err::TypeConversion,
                   QStringLiteral("Erreur de conversion de type de données pour le champ %1 (%2).")
                       .arg(field.name, value.toString()));
  };
  const int tid = value.typeId();
  const bool isText = tid == QMetaType::QString;
  switch (field.type) {
    case FieldType::Boolean:
      if (isText) {
        if (value.toString().trimmed().isEmpty()) return false;
        if (const auto yes = text::readYesNo(value.toString())) return *yes;
        throw mismatch();
      }
      return value.toDouble() != 0;
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long: {
      if (isText && value.toString().trimmed().isEmpty()) return {};
      bool ok = true;
      double d = isText ? numberFromText(value.toString(), &ok).toDouble() : value.toDouble(&ok);
      if (tid == QMetaType::Bool) d = value.toBool() ? -1 : 0;
      if (!ok) throw conversion();
      return QVariant(static_cast<qlonglong>(std::llround(d)));
    }
    case FieldType::Currency:
    case FieldType::Single:
    case FieldType::Double: {
      if (isText && value.toString().trimmed().isEmpty()) return {};
      bool ok = true;
      double d = isText ? numberFromText(value.toString(), &ok).toDouble() : value.toDouble(&ok);
      if (tid == QMetaType::Bool) d = value.toBool() ? -1 : 0;
      if (!ok) throw conversion();
      if (field.type == FieldType::Currency) d = std::round(d * 10000.0) / 10000.0;
      return QVariant(d);
    }
    case FieldType::Date: {
      if (tid == QMetaType::QDate || tid == QMetaType::QDateTime) return value;
      if (isText) {
        const QString t = value.toString().trimmed();
        if (t.isEmpty()) return {};
        QVariant d = dateFromStorage(t);
        if (d.isValid()) return d;
        const QDateTime dt = text::readTypedDate(t);
        if (dt.isValid()) return dt.time() == QTime(0, 0) ? QVariant(dt.date()) : QVariant(dt);
      }
      throw conversion();
    }
    case FieldType::Text:
    case FieldType::Memo: {
      QString s;
      if (tid == QMetaType::Double) {
        s = QString::number(value.toDouble(), 'g', 15);
      } else if (tid == QMetaType::Bool) {
        s = value.toBool() ? "Vrai" : "Faux";
      } else if (tid == QMetaType::QDate) {
        s = value.toDate().toString("dd/MM/yyyy");
      } else {
        s = value.toString();
      }
      if (field.type == FieldType::Text && field.size > 0 && s.size() > field.size)
        throw DbError(err::FieldTooSmall,
                      QStringLiteral("Le champ %1 est trop petit pour accepter la quantité de "
                                     "données que vous avez tenté d'ajouter (%2 caractères au "
                                     "plus).")
                          .arg(field.name)
                          .arg(field.size));
      return QVariant(s);
    }
    case FieldType::Binary:
    case FieldType::LongBinary:
      return QVariant(value.toByteArray());
  }
  return value;
}

}  // namespace tarovent::db
