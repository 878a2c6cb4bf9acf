#pragma once

#include <sqlite3.h>

#include <QDateTime>
#include <QVariant>

#include "JetType.h"

namespace tarovent::db {

// Values cross the layer as QVariant: invalid = Null, bool, qlonglong, double, QString,
// QDate (a date without time) or QDateTime, QByteArray.
//
// Dates are stored as ISO text: "YYYY-MM-DD" when the time is midnight, else
// "YYYY-MM-DD HH:MM:SS", so that text comparison orders them and a date equals Date().
QString dateToStorage(const QDateTime& dt);
QString dateToStorage(const QDate& d);
// Parses a stored date; an invalid QVariant when `text` is not one.
QVariant dateFromStorage(const QString& text);
// True when `text` has exactly the stored date shape.
bool looksLikeStoredDate(const QString& text);

void bindValue(sqlite3_stmt* stmt, int index, const QVariant& value);

// Reads column `col` of the current row, converting by the field type when known.
QVariant columnValue(sqlite3_stmt* stmt, int col, FieldType type, bool typeKnown);
// Reads column `col` using its declared type (for query columns).
QVariant columnValue(sqlite3_stmt* stmt, int col);

// Converts a value to what a field of `type` stores (text to number, number to text...).
// Throws DbError 3464 when it cannot.
QVariant coerceToField(const QVariant& value, const FieldSpec& field);

// Text read from sqlite as QString without a copy through std::string.
QString columnText(sqlite3_stmt* stmt, int col);

}  // namespace tarovent::db
