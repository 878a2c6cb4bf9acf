#pragma once

#include <functional>

#include "SqlDialect.h"

namespace tarovent::db {

// The schema of a PostgreSQL database that holds what translated SQL relies on: the JET
// collation and the jet_* functions. Sessions put it on their search path, after the schema
// of the family database they work on.
inline constexpr char kPgSupportSchema[] = "tarovent_jet";

// Ends the name of the check that refuses a zero-length text, so that its failure reads as such.
inline constexpr char kPgZeroLengthCheck[] = "~nozero";

// The dialect of the PostgreSQL backend: each database of the family is a schema, "main" the
// session's own (first on its search path); text compares through an ICU collation that
// ignores case, not accents; conditions are booleans and the engine's True is -1.
const SqlDialect& postgresDialect();

// `sql` with each value an INSERT or UPDATE writes converted on its way into its field as the
// engine converts it; `typeOf(schema, table, field)` names the type the value goes through.
QString pgWrittenValues(
    const QString& sql,
    const std::function<QString(const QString&, const QString&, const QString&)>& typeOf);

// The PostgreSQL type of a field, without name or constraints ("varchar(50)", "smallint").
QString postgresType(const FieldSpec& field);

// A Jet default value as a PostgreSQL DEFAULT term ("" when none).
QString postgresDefaultTerm(const FieldSpec& field);

}  // namespace tarovent::db
