#pragma once

#include <QString>

namespace tarovent::db {

// The statements that make, in a PostgreSQL database, the schema of what translated SQL needs
// (the JET collation, jet_like, jet_left..., jet_first/jet_last): run once per database.
QString pgSupportSql();

}  // namespace tarovent::db
