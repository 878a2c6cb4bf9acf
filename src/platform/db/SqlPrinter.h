#pragma once

#include <QString>
#include <utility>
#include <vector>

#include "JetParser.h"
#include "JetSql.h"
#include "SqlDialect.h"

// Printing of Jet syntax trees as a backend's SQL, for the statement translator.
namespace tarovent::db::jetsql {

using jet::Expr;
using jet::Parser;
using jet::Select;
using jet::TableRef;
using jet::Value;

// What an expression yields, as far as its form tells.
enum class Ty { Unknown, Text, Number, Date, Bool };

Ty typeOf(const Expr& e);
bool hasAggregate(const Expr& e);
bool isNullLiteral(const Expr& e);
QString literal(const Value& v, const SqlDialect& dialect);
const char* aggregateFunction(const QString& name);

// Prints syntax trees in `dialect`. Every sub-expression it prints is atomic (a name, a
// literal, a call or a parenthesised expression), so a COLLATE clause can follow any of them.
class Printer {
 public:
  Printer(const Parser& parser, const AttachFunction* attach, const SqlDialect& dialect)
      : m_parser(parser), m_attach(attach), m_dialect(dialect) {}

  const SqlDialect& dialect() const { return m_dialect; }

  std::vector<std::pair<QString, QString>> attached;

  QString schemaOf(const QString& path);

  QString target(const QString& schema, const QString& table) const;

  QString expr(const Expr& e);
  // `e` where a condition is expected (WHERE, ON, HAVING, operands of And, Or, Not).
  QString condition(const Expr& e);
  // `e` where a value is expected: a condition gives the engine's True (-1) or False.
  QString operand(const Expr& e);

  QString select(const Select& s);

  // Computed text carries the JET collation, so that the queries, views and tables built on it
  // compare and sort it like stored text.
  QString withCollation(const Expr& e);

  // An ORDER BY or GROUP BY term. Stored columns carry the JET collation in their declaration
  // (and keep their indexes usable that way); computed text needs it spelt out.
  QString orderTerm(const Expr& e);

  QString tableRef(const TableRef& t);

 private:
  QString core(const Select& s);

  // The engine's names for unnamed columns: MaxOfTDOS_NUMDOSS, Expr1000, Expr1001...
  QString defaultName(const Expr& e);

  QString comparison(const Expr& e);

  // Comparisons, Like, Is Null... are the SQL's own conditions, not the engine's -1/0 values:
  // a condition compared or computed with must give the engine's True, -1.
  static bool nativeCondition(const Expr& e);

  void concatOperands(const Expr& e, QStringList& out);

  QString binary(const Expr& e);

  QString function(const Expr& e);

  const Parser& m_parser;
  const AttachFunction* m_attach;
  const SqlDialect& m_dialect;
  int m_unnamed = 0;
  int m_unnamedSubqueries = 0;
};

}  // namespace tarovent::db::jetsql
