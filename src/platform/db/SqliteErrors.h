#pragma once

#include <QString>

namespace tarovent::db {

// SQLite's (extended) result code as the engine's error number. SQLite gives a missing table,
// column or function, an existing name and a syntax error one code (SQLITE_ERROR, extended code
// 1), so these alone are told apart by SQLite's own message.
int engineErrorOfSqlite(int extended, const QString& message);

}  // namespace tarovent::db
