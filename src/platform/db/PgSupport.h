#pragma once

#include <QString>

namespace tarovent::db {

// The version of what pgSupportSql() makes: one more at each change of its text, so that the
// servers made by an older program are brought up to date at their next connection. A function
// whose result type or argument names change cannot be replaced: drop it first in the text.
inline constexpr int kPgSupportVersion = 2;

// The statements that make, in a PostgreSQL database, the schema of what translated SQL needs
// (the JET collation, jet_like, jet_left..., jet_first/jet_last), or bring an older one up to
// date, and write its version as the schema's comment.
QString pgSupportSql();

}  // namespace tarovent::db
