#pragma once

#include <QString>
#include <utility>
#include <vector>

#include "JetParser.h"
#include "JetSql.h"

// Printing of Jet syntax trees as SQLite SQL, for the statement translator.
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
QString literal(const Value& v);
const char* aggregateFunction(const QString& name);

// Prints syntax trees as SQLite SQL. Every sub-expression it prints is atomic (a name, a
// literal, a call or a parenthesised expression), so a COLLATE clause can follow any of them.
class Printer {
 public:
  Printer(const Parser& parser, const AttachFunction* attach)
      : m_parser(parser), m_attach(attach) {}

  std::vector<std::pair<QString, QString>> attached;

  QString schemaOf(const QString& path);

  QString target(const QString& schema, const QString& table) const;

  QString expr(const Expr& e);

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

  // SQLite's own conditions are 1 when true; the engine's True is -1, which is what a
  // condition compared or computed with must give.
  static bool sqliteTruth(const Expr& e);

  QString operand(const Expr& e);

  // jet_cat takes at most 127 arguments: long chains are joined in groups.
  static QString concatenation(const QStringList& parts);

  void concatOperands(const Expr& e, QStringList& out);

  QString binary(const Expr& e);

  QString function(const Expr& e);

  const Parser& m_parser;
  const AttachFunction* m_attach;
  int m_unnamed = 0;
};

}  // namespace tarovent::db::jetsql
