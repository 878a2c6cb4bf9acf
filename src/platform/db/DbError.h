#pragma once

#include <QString>
#include <exception>
#include <string>

namespace tarovent::db {

// Error numbers, the engine's own where callers may test them.
namespace err {
constexpr int NoCurrentRecord = 3021;
constexpr int DuplicateKey = 3022;
constexpr int ObjectNotFound = 3011;
constexpr int TableExists = 3010;
constexpr int FileNotFound = 3024;
constexpr int CannotOpen = 3051;
constexpr int UpdateWithoutEdit = 3020;
constexpr int RecordDeleted = 3167;
constexpr int ItemNotFound = 3265;
constexpr int SyntaxError = 3075;
constexpr int SyntaxErrorFrom = 3131;
constexpr int UnknownFunction = 3085;
constexpr int OperationNotSupported = 3251;
constexpr int InvalidOperation = 3219;
constexpr int Locked = 3260;
constexpr int DataTypeMismatch = 3464;
constexpr int FieldRequired = 3314;
constexpr int ZeroLengthNotAllowed = 3315;
constexpr int ValidationFailed = 3317;
constexpr int NoIndex = 3019;
constexpr int IndexNotFound = 3015;
constexpr int ReadOnly = 3027;
constexpr int NotInTransaction = 3034;
constexpr int EngineError = 3146;
constexpr int QueryTooComplex = 3360;
constexpr int UnrecognizedFormat = 3343;
constexpr int SourceNotFound = 3078;
constexpr int TooFewParameters = 3061;
constexpr int DiskFull = 3035;
constexpr int DatabaseExists = 3204;
constexpr int InvalidArgument = 3001;
constexpr int InvalidBookmark = 3159;
constexpr int ObjectClosed = 3420;
constexpr int FieldNotUpdatable = 3164;
constexpr int TableNeedsField = 3284;
constexpr int CannotExecuteSelect = 3065;
constexpr int FieldTooSmall = 3163;
constexpr int TypeConversion = 3421;
constexpr int DivisionByZero = 11;
constexpr int ObjectVariableNotSet = 91;
constexpr int ObjectExists = 3012;
constexpr int FieldInIndex = 3280;
constexpr int PrimaryKeyExists = 3283;
constexpr int FieldExists = 3191;
constexpr int IndexExists = 3375;
// A statement our SQL translator does not handle.
constexpr int UnsupportedSql = 3900;
}  // namespace err

// Every failure of the database layer: a number and a description, like the engine's errors.
class DbError : public std::exception {
 public:
  DbError(int number, QString description);

  int number() const { return m_number; }
  const QString& description() const { return m_description; }
  const char* what() const noexcept override { return m_what.c_str(); }

 private:
  int m_number;
  QString m_description;
  std::string m_what;
};

// The engine's words for an error a backend reported as `message`: the backend's own text kept
// in parentheses where the engine has a sentence of its own.
QString engineDescription(int number, const QString& message);

}  // namespace tarovent::db
