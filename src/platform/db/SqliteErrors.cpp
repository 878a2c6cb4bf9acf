#include "SqliteErrors.h"

#include <sqlite3.h>

#include "DbError.h"
#include "JetFunctions.h"

namespace tarovent::db {

int engineErrorOfSqlite(int extended, const QString& message) {
  if (const int number = functionErrorNumber(extended)) return number;
  switch (extended) {
    case SQLITE_CONSTRAINT_NOTNULL:
      return err::FieldRequired;
    case SQLITE_CONSTRAINT_CHECK:
      return err::ZeroLengthNotAllowed;
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_ROWID:
      return err::DuplicateKey;
    default:
      break;
  }
  switch (extended & 0xff) {
    case SQLITE_CONSTRAINT:
      return err::ValidationFailed;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return err::Locked;
    case SQLITE_READONLY:
      return err::ReadOnly;
    case SQLITE_CANTOPEN:
      return err::CannotOpen;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
      return err::UnrecognizedFormat;
    case SQLITE_MISMATCH:
      return err::DataTypeMismatch;
    case SQLITE_FULL:
      return err::DiskFull;
    case SQLITE_ERROR:
      // SQLite gives these no code of their own.
      if (message.startsWith("no such table")) return err::SourceNotFound;
      if (message.startsWith("no such column")) return err::TooFewParameters;
      if (message.startsWith("no such function")) return err::UnknownFunction;
      if (message.contains("already exists")) return err::TableExists;
      if (message.contains("syntax error")) return err::SyntaxError;
      return err::EngineError;
    default:
      return err::EngineError;
  }
}

}  // namespace tarovent::db
