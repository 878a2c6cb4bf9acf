#pragma once

#include <QString>
#include <QStringList>

#include "JetType.h"

namespace tarovent::db {

namespace jet {
struct FnInfo;
}

// How one backend spells what translated Jet SQL needs. The translator builds the statement's
// shape; each place where backends part ways asks the dialect. Every term it is given and every
// term it returns is atomic (a name, a literal, a call or a parenthesised expression).
class SqlDialect {
 public:
  virtual ~SqlDialect() = default;

  // Tells translations apart in shared caches ("sqlite", "postgresql").
  virtual QString name() const = 0;

  // `table` of the database reachable as `schema`; "main" is the connection's own database
  // (SQLite's main file; on PostgreSQL the first schema of the session's search path).
  virtual QString table(const QString& schema, const QString& table) const;
  // Follows a text term so that it compares and sorts the engine's way (case-insensitive,
  // accented letters included: é = É, é right after e).
  virtual QString textCollation() const = 0;
  // Follows a sort term so that Null comes first going up and last going down, as in the
  // engine; empty where the database sorts Null that way already.
  virtual QString nullOrder(bool /*descending*/) const { return {}; }
  // A condition as the engine's value of it: True = -1, False = 0.
  virtual QString truthValue(const QString& condition) const = 0;
  // A value (a Yes/No field, a number) where a condition is expected: not 0 is true.
  virtual QString condition(const QString& value) const = 0;
  // A date or date-and-time literal, given as stored text ("2024-01-31", "2024-01-31 08:30:00").
  virtual QString dateLiteral(const QString& stored) const = 0;
  // The engine's Like with its patterns (* ? # [a-z] [!a]), case-insensitive.
  virtual QString like(const QString& text, const QString& pattern, bool negated) const = 0;
  // Jet's & over operands already printed: Null counts as empty.
  virtual QString concatenation(const QStringList& parts) const = 0;
  // The first of two values that is not Null.
  virtual QString ifNull(const QString& value, const QString& otherwise) const = 0;
  // A Jet function (Left, Mid, CDbl...) or helper (jet_add...) over printed arguments.
  virtual QString call(const jet::FnInfo& fn, const QStringList& args) const;
  // A value an INSERT or UPDATE statement writes into a field, passed through the checks a
  // recordset makes (size, type, zero length). `field` is a quoted name or a position.
  virtual QString checkedValue(const QString& value, const QString& schema, const QString& table,
                               const QString& field) const = 0;
  // The column definition of CREATE TABLE / ADD COLUMN for `field`.
  virtual QString columnDefinition(const FieldSpec& field) const = 0;
};

// The dialect of the SQLite backend.
const SqlDialect& sqliteDialect();

}  // namespace tarovent::db
